#pragma once

#include <Tavrin/App/TavrinAppExport.h>

namespace Tavrin {
namespace App {

// Keeps the custom colours of QColorDialog across runs: constructing a helper loads them from
// the application's general settings store, destroying it saves them back. Create one for
// the life of the main window (or of the process); it needs the running Application and its
// general store, and does nothing (but log a warning) without them.
//
// The store holds, under the group "Tavrin::App::ColorDialogHelper", the number of colours as
// "ColorsCount" and each colour as "Color<i>" (i from 0), written "#rrggbb"; alpha is not
// kept. A saved text that is no colour gives an invalid QColor, which the dialog shows as
// black; a missing entry gives black too.
class TAVRIN_APP_EXPORT ColorDialogHelper
{
public:
    ColorDialogHelper();
    ColorDialogHelper(const ColorDialogHelper&);
    ColorDialogHelper& operator=(const ColorDialogHelper&);
    virtual ~ColorDialogHelper();
};

}  // namespace App
}  // namespace Tavrin
