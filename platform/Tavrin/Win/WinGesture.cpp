#include "Tavrin/Win/WinGesture.h"

#include "Tavrin/Win/GestureInjection.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QWindow>

#include <array>
#include <cstdlib>
#include <cstring>
#include <map>

namespace Tavrin {
namespace Win {
namespace {

constexpr quintptr kFirstGestureInfoHandle = 0x6e00;

struct WindowConfig
{
    std::vector<GESTURECONFIG> last;
    // Index 0 unused; 3..7 are the gesture ids.
    std::array<GESTURECONFIG, GID_PRESSANDTAP + 1> accepted{};
};

// The layer's state. Handles count up and are never reused, so a stale handle stays invalid.
struct LayerState
{
    std::map<quintptr, GESTUREINFO> gestureInfos;
    quintptr nextHandle = kFirstGestureInfoHandle;
    std::map<quintptr, WindowConfig> configs;
};

// Never destroyed: a window may go after static destruction has begun (an application object
// that is itself a static), and its last signal still reaches the state.
LayerState& State()
{
    static LayerState* const state = new LayerState;
    return *state;
}

quintptr Key(const void* handle)
{
    return reinterpret_cast<quintptr>(handle);
}

bool FunctionsReportedAbsent()
{
    static const bool absent = [] {
        const char* value = std::getenv("TAVRIN_NO_GESTURE_FUNCTIONS");
        return value && std::strcmp(value, "1") == 0;
    }();
    return absent;
}

void ForgetWindowOnDestruction(QWindow* window, quintptr key)
{
    QObject::connect(window, &QObject::destroyed, window, [key] { State().configs.erase(key); });
}

void Apply(WindowConfig& config, const GESTURECONFIG& record)
{
    const auto apply = [&config, &record](DWORD id) {
        GESTURECONFIG& accepted = config.accepted[id];
        accepted.dwID = id;
        accepted.dwWant = (accepted.dwWant | record.dwWant) & ~record.dwBlock;
        accepted.dwBlock = (accepted.dwBlock | record.dwBlock) & ~record.dwWant;
    };
    if (record.dwID == 0) {
        for (DWORD id = GID_ZOOM; id <= GID_PRESSANDTAP; ++id) {
            apply(id);
        }
    } else if (record.dwID >= GID_ZOOM && record.dwID <= GID_PRESSANDTAP) {
        apply(record.dwID);
    }
}

}  // namespace

BOOL GetGestureInfo(HGESTUREINFO handle, GESTUREINFO* info)
{
    if (!info || info->cbSize != sizeof(GESTUREINFO)) {
        return false;
    }
    const auto found = State().gestureInfos.find(Key(handle));
    if (found == State().gestureInfos.end()) {
        return false;
    }
    *info = found->second;
    return true;
}

BOOL SetGestureConfig(HWND window, DWORD, UINT count, GESTURECONFIG* configs, UINT size)
{
    QWindow* qwindow = WindowFromHandle(window);
    if (!qwindow || count == 0 || !configs || size != sizeof(GESTURECONFIG)) {
        return false;
    }
    const auto inserted = State().configs.emplace(Key(window), WindowConfig{});
    if (inserted.second) {
        ForgetWindowOnDestruction(qwindow, Key(window));
    }
    WindowConfig& config = inserted.first->second;
    config.last.assign(configs, configs + count);
    for (UINT i = 0; i < count; ++i) {
        Apply(config, configs[i]);
    }
    return true;
}

BOOL CloseGestureInfoHandle(HGESTUREINFO handle)
{
    return State().gestureInfos.erase(Key(handle)) == 1;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    QWindow* qwindow = WindowFromHandle(window);
    if (!qwindow || !point) {
        return false;
    }
    const QPoint client = qwindow->mapFromGlobal(QPoint(point->x, point->y));
    point->x = client.x();
    point->y = client.y();
    return true;
}

HWND GetParent(HWND window)
{
    QWindow* qwindow = WindowFromHandle(window);
    QWindow* parent = qwindow ? qwindow->parent() : nullptr;
    return parent && parent->handle() ? reinterpret_cast<HWND>(parent->winId()) : nullptr;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_GESTURE) {
        return 0;
    }
    if (HWND parent = GetParent(window)) {
        MSG up{};
        up.hwnd = parent;
        up.message = message;
        up.wParam = wParam;
        up.lParam = lParam;
        return DeliverMessage(up).result;
    }
    CloseGestureInfoHandle(reinterpret_cast<HGESTUREINFO>(lParam));
    return 0;
}

HMODULE GetModuleHandleA(const char* moduleName)
{
    static char user32;
    if (!moduleName || qstricmp(moduleName, "user32.dll") != 0) {
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&user32);
}

FARPROC GetProcAddress(HMODULE module, const char* procName)
{
    if (!module || module != GetModuleHandleA("user32.dll") || !procName ||
        FunctionsReportedAbsent()) {
        return nullptr;
    }
    if (std::strcmp(procName, "GetGestureInfo") == 0) {
        return reinterpret_cast<FARPROC>(&GetGestureInfo);
    }
    if (std::strcmp(procName, "SetGestureConfig") == 0) {
        return reinterpret_cast<FARPROC>(&SetGestureConfig);
    }
    if (std::strcmp(procName, "CloseGestureInfoHandle") == 0) {
        return reinterpret_cast<FARPROC>(&CloseGestureInfoHandle);
    }
    return nullptr;
}

QWindow* WindowFromHandle(HWND window)
{
    if (!window || !qGuiApp) {
        return nullptr;
    }
    const WId id = reinterpret_cast<WId>(window);
    for (QWindow* candidate : QGuiApplication::allWindows()) {
        // winId() would create a native window for one that has none: look at created ones.
        if (candidate->handle() && candidate->winId() == id) {
            return candidate;
        }
    }
    return nullptr;
}

HWND HandleOfWindow(QWindow* window)
{
    return window ? reinterpret_cast<HWND>(window->winId()) : nullptr;
}

Delivery DeliverMessage(MSG& message)
{
    Delivery delivery;
    long result = 0;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    delivery.consumed =
        dispatcher && dispatcher->filterNativeEvent(kGenericMessageEventType, &message, &result);
    delivery.result = delivery.consumed ? result
                                        : DefWindowProcW(message.hwnd, message.message,
                                                         message.wParam, message.lParam);
    return delivery;
}

Delivery SendGestureNotify(HWND window, const QPoint& globalPos)
{
    GESTURENOTIFYSTRUCT notify{};
    notify.cbSize = sizeof(notify);
    notify.hwndTarget = window;
    notify.ptsLocation = {static_cast<SHORT>(globalPos.x()), static_cast<SHORT>(globalPos.y())};
    MSG message{};
    message.hwnd = window;
    message.message = WM_GESTURENOTIFY;
    message.lParam = reinterpret_cast<LPARAM>(&notify);
    message.pt = {globalPos.x(), globalPos.y()};
    return DeliverMessage(message);
}

Delivery SendGesture(HWND window, const GestureStep& step)
{
    MSG message{};
    message.hwnd = window;
    message.message = WM_GESTURE;
    message.wParam = step.id;
    message.lParam = reinterpret_cast<LPARAM>(OpenGestureInfoHandle(window, step));
    message.pt = {step.globalPos.x(), step.globalPos.y()};
    return DeliverMessage(message);
}

HGESTUREINFO OpenGestureInfoHandle(HWND window, const GestureStep& step)
{
    LayerState& state = State();
    GESTUREINFO info{};
    info.cbSize = sizeof(info);
    info.dwFlags = step.flags;
    info.dwID = step.id;
    info.hwndTarget = window;
    info.ptsLocation = {static_cast<SHORT>(step.globalPos.x()),
                        static_cast<SHORT>(step.globalPos.y())};
    info.ullArguments = step.arguments;
    const quintptr handle = state.nextHandle++;
    state.gestureInfos.emplace(handle, info);
    return reinterpret_cast<HGESTUREINFO>(handle);
}

int OpenGestureInfoHandleCount()
{
    return static_cast<int>(State().gestureInfos.size());
}

std::vector<GESTURECONFIG> LastGestureConfig(HWND window)
{
    const auto found = State().configs.find(Key(window));
    return found == State().configs.end() ? std::vector<GESTURECONFIG>{} : found->second.last;
}

DWORD AcceptedGestureOptions(HWND window, DWORD id)
{
    const auto found = State().configs.find(Key(window));
    if (found == State().configs.end() || id < GID_ZOOM || id > GID_PRESSANDTAP) {
        return 0;
    }
    return found->second.accepted[id].dwWant;
}

}  // namespace Win
}  // namespace Tavrin
