#pragma once

#include <Tavrin/App/TavrinAppExport.h>

namespace Tavrin {
namespace Util {

// Brings the top-level window `window` (a native window id of the display this application
// uses) to the front and gives it the keyboard focus. On X11 the window manager is asked
// (_NET_ACTIVE_WINDOW); without one, the window is raised and focused directly. On other
// platforms nothing happens and an INFO line says so. `altTab` is accepted for callers that
// pass it; it changes nothing here. Returns true when the request went out.
TAVRIN_APP_EXPORT bool SwitchToThisWindow(long long window, bool altTab);

}  // namespace Util
}  // namespace Tavrin
