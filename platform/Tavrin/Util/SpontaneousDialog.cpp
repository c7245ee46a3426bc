#include "Tavrin/Util/SpontaneousDialog.h"

#include <QPointer>
#include <QWidget>

namespace Tavrin {
namespace Util {

namespace {

// A QPointer, so that a destroyed main window reads back as null instead of dangling.
QPointer<QWidget>& MainWindow()
{
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

void SpontaneousDialog::SetMainWindow(QWidget* window)
{
    MainWindow() = window;
}

QWidget* SpontaneousDialog::GetMainWindow()
{
    return MainWindow().data();
}

}  // namespace Util
}  // namespace Tavrin
