#pragma once

#include <cstdint>

// The message types of the desktop gesture protocol that the gesture code speaks, laid out
// exactly as the 64-bit system headers lay them out (the static_asserts below hold them to
// it). Only what the gesture code needs is declared.
namespace Tavrin {
namespace Win {

using BOOL = int;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using SHORT = std::int16_t;
using ULONGLONG = std::uint64_t;
using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;

struct HWND__;
// A window: the native id (QWindow::winId()) of a created QWindow.
using HWND = HWND__*;
struct HGESTUREINFO__;
// An entry of the layer's gesture-information table.
using HGESTUREINFO = HGESTUREINFO__*;

struct POINT
{
    LONG x;
    LONG y;
};

struct POINTS
{
    SHORT x;
    SHORT y;
};

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    DWORD lPrivate;
};

struct GESTUREINFO
{
    UINT cbSize;
    DWORD dwFlags;
    DWORD dwID;
    HWND hwndTarget;
    POINTS ptsLocation;
    DWORD dwInstanceID;
    DWORD dwSequenceID;
    ULONGLONG ullArguments;
    UINT cbExtraArgs;
};

struct GESTURENOTIFYSTRUCT
{
    UINT cbSize;
    DWORD dwFlags;
    HWND hwndTarget;
    POINTS ptsLocation;
    DWORD dwInstanceID;
};

struct GESTURECONFIG
{
    DWORD dwID;
    DWORD dwWant;
    DWORD dwBlock;
};

static_assert(sizeof(POINT) == 8, "POINT layout");
static_assert(sizeof(POINTS) == 4, "POINTS layout");
static_assert(sizeof(MSG) == 48, "MSG layout");
static_assert(sizeof(GESTUREINFO) == 56, "GESTUREINFO layout");
static_assert(sizeof(GESTURENOTIFYSTRUCT) == 24, "GESTURENOTIFYSTRUCT layout");
static_assert(sizeof(GESTURECONFIG) == 12, "GESTURECONFIG layout");

constexpr UINT WM_GESTURE = 0x0119;
constexpr UINT WM_GESTURENOTIFY = 0x011A;

constexpr DWORD GID_BEGIN = 1;
constexpr DWORD GID_END = 2;
constexpr DWORD GID_ZOOM = 3;
constexpr DWORD GID_PAN = 4;
constexpr DWORD GID_ROTATE = 5;
constexpr DWORD GID_TWOFINGERTAP = 6;
constexpr DWORD GID_PRESSANDTAP = 7;
constexpr DWORD GID_ROLLOVER = GID_PRESSANDTAP;

constexpr DWORD GF_BEGIN = 0x1;
constexpr DWORD GF_INERTIA = 0x2;
constexpr DWORD GF_END = 0x4;

constexpr DWORD GC_ALLGESTURES = 0x1;
constexpr DWORD GC_ZOOM = 0x1;
constexpr DWORD GC_PAN = 0x1;
constexpr DWORD GC_PAN_WITH_SINGLE_FINGER_VERTICALLY = 0x2;
constexpr DWORD GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY = 0x4;
constexpr DWORD GC_PAN_WITH_GUTTER = 0x8;
constexpr DWORD GC_PAN_WITH_INERTIA = 0x10;
constexpr DWORD GC_ROTATE = 0x1;
constexpr DWORD GC_TWOFINGERTAP = 0x1;
constexpr DWORD GC_PRESSANDTAP = 0x1;
constexpr DWORD GC_ROLLOVER = GC_PRESSANDTAP;

// The rotate argument: an angle of -2*pi..2*pi radians spread over 0..65535.
constexpr double GID_ROTATE_ANGLE_FROM_ARGUMENT(ULONGLONG argument)
{
    return static_cast<double>(argument) / 65535.0 * 4.0 * 3.14159265 - 2.0 * 3.14159265;
}
constexpr ULONGLONG GID_ROTATE_ANGLE_TO_ARGUMENT(double angle)
{
    return static_cast<std::uint16_t>((angle + 2.0 * 3.14159265) / (4.0 * 3.14159265) * 65535.0);
}

// The event type under which the layer's messages reach native event filters. Filters must
// read a message as MSG only for this type: on Linux they also see xcb events.
constexpr char kGenericMessageEventType[] = "windows_generic_MSG";

}  // namespace Win
}  // namespace Tavrin
