#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Win/WinTypes.h>

#include <QPoint>

#include <vector>

// Delivery of gesture messages to a window, as the system would deliver them: through the
// native event filters of the running application (event type "windows_generic_MSG"), then,
// when no filter consumes a message, through DefWindowProcW. The touch source and the tests
// use it; so can a product that wants to replay gestures.
namespace Tavrin {
namespace Win {

// One WM_GESTURE step: gesture id (GID_*), flags (GF_*), the touch point in screen
// coordinates and the id-specific 64-bit arguments.
struct GestureStep
{
    DWORD id = 0;
    DWORD flags = 0;
    QPoint globalPos;
    ULONGLONG arguments = 0;
};

struct Delivery
{
    bool consumed = false;  // a native event filter returned true
    LRESULT result = 0;     // the filter's result, or that of the default processing
};

// Sends `message` through the native event filters and, unconsumed, to DefWindowProcW.
TAVRIN_APP_EXPORT Delivery DeliverMessage(MSG& message);
// WM_GESTURENOTIFY for a gesture about to start at `globalPos`.
TAVRIN_APP_EXPORT Delivery SendGestureNotify(HWND window, const QPoint& globalPos);
// WM_GESTURE for one step; the step's information lives behind a new handle of the layer's
// table until whoever handles the message closes it.
TAVRIN_APP_EXPORT Delivery SendGesture(HWND window, const GestureStep& step);

// Opens a handle without sending anything, for callers that build their own MSG.
TAVRIN_APP_EXPORT HGESTUREINFO OpenGestureInfoHandle(HWND window, const GestureStep& step);
// Handles opened and not yet closed.
TAVRIN_APP_EXPORT int OpenGestureInfoHandleCount();

// The records of the window's last successful SetGestureConfig; empty when it had none.
TAVRIN_APP_EXPORT std::vector<GESTURECONFIG> LastGestureConfig(HWND window);
// What the window currently accepts of gesture `id` (GID_ZOOM .. GID_PRESSANDTAP): the
// GC_* bits wanted and not blocked by its configuration so far. A window that was never
// configured accepts nothing.
TAVRIN_APP_EXPORT DWORD AcceptedGestureOptions(HWND window, DWORD id);

}  // namespace Win
}  // namespace Tavrin
