#pragma once

#include <Tavrin/App/TavrinAppExport.h>

class QWidget;

namespace Tavrin {
namespace Util {

// Dialogs that pop up on their own (not in answer to a click) need a window to stay in front
// of; the application registers its main window here once it exists.
class TAVRIN_APP_EXPORT SpontaneousDialog
{
public:
    // The window last set; null clears it. Not owned. Call from the GUI thread.
    static void SetMainWindow(QWidget* window);
    // The window last set, or null when none was set or it has been destroyed since.
    static QWidget* GetMainWindow();
};

}  // namespace Util
}  // namespace Tavrin
