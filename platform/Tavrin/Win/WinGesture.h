#pragma once

#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Win/WinTypes.h>

class QWindow;

// The window and gesture functions that the gesture code calls, with the system's names
// and contracts, backed by Qt:
// - a window handle (HWND) is the native id of a created QWindow; a native child window
//   has the QWindow it is embedded in as its parent, a top-level window has none;
// - coordinates are Qt's device-independent pixels, screen coordinates those of
//   QWindow::mapToGlobal;
// - gesture-information handles (HGESTUREINFO) are entries of a table of the layer, opened
//   by the injection functions of GestureInjection.h and closed by CloseGestureInfoHandle
//   or by the default processing of an unconsumed WM_GESTURE.
// Everything here belongs to the GUI thread.
namespace Tavrin {
namespace Win {

struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using FARPROC = void (*)();

using GetGestureInfoFn = BOOL (*)(HGESTUREINFO, GESTUREINFO*);
using SetGestureConfigFn = BOOL (*)(HWND, DWORD, UINT, GESTURECONFIG*, UINT);
using CloseGestureInfoHandleFn = BOOL (*)(HGESTUREINFO);

// Fails (FALSE) for an unknown or closed handle or a cbSize other than sizeof(GESTUREINFO).
TAVRIN_APP_EXPORT BOOL GetGestureInfo(HGESTUREINFO handle, GESTUREINFO* info);
// Applies `count` records of `size` bytes to the window: a record with dwID 0 stands for
// every gesture. Fails for an unknown window, no records or a record size other than 12.
TAVRIN_APP_EXPORT BOOL SetGestureConfig(HWND window, DWORD reserved, UINT count,
                                        GESTURECONFIG* configs, UINT size);
// Fails for an unknown or already closed handle.
TAVRIN_APP_EXPORT BOOL CloseGestureInfoHandle(HGESTUREINFO handle);
// Fails, leaving the point as it is, for an unknown window.
TAVRIN_APP_EXPORT BOOL ScreenToClient(HWND window, POINT* point);
// Null for a top-level window and for an unknown one.
TAVRIN_APP_EXPORT HWND GetParent(HWND window);
// Default processing. WM_GESTURE goes up to the parent window; a top-level window closes
// the gesture-information handle. Every other message gives 0.
TAVRIN_APP_EXPORT LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Run-time look-up of the gesture functions. GetModuleHandleA knows "user32.dll" only (it
// never loads anything); GetProcAddress knows "GetGestureInfo", "SetGestureConfig" and
// "CloseGestureInfoHandle" in it. Setting the environment variable
// TAVRIN_NO_GESTURE_FUNCTIONS to 1 before the library is loaded makes the layer report the
// three as absent, as on a system without touch support: tests use it to check that gesture
// messages then stay unconsumed and no configuration is made.
TAVRIN_APP_EXPORT HMODULE GetModuleHandleA(const char* moduleName);
TAVRIN_APP_EXPORT FARPROC GetProcAddress(HMODULE module, const char* procName);

// The created QWindow whose native id is `window`, or null.
TAVRIN_APP_EXPORT QWindow* WindowFromHandle(HWND window);
// The handle of a window; creates its native window if it has none yet.
TAVRIN_APP_EXPORT HWND HandleOfWindow(QWindow* window);

}  // namespace Win
}  // namespace Tavrin
