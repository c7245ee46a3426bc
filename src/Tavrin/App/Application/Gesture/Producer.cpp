#include "Tavrin/App/Application/Gesture/Producer.h"

#include "Tavrin/App/Application/Gesture/Consumer.h"
#include "Tavrin/App/Application/Gesture/ProducerRegistry_p.h"

#include <Tavrin/Win/WinGesture.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Tavrin {
namespace App {
namespace {

using namespace Tavrin::Win;

// Looked up once, when the library is loaded; null where the system lacks them.
struct GestureFunctions
{
    GetGestureInfoFn getGestureInfo = nullptr;
    SetGestureConfigFn setGestureConfig = nullptr;
    CloseGestureInfoHandleFn closeGestureInfoHandle = nullptr;
};

GestureFunctions LookUpGestureFunctions()
{
    GestureFunctions functions;
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (!user32) {
        return functions;
    }
    functions.closeGestureInfoHandle = reinterpret_cast<CloseGestureInfoHandleFn>(
        GetProcAddress(user32, "CloseGestureInfoHandle"));
    functions.getGestureInfo =
        reinterpret_cast<GetGestureInfoFn>(GetProcAddress(user32, "GetGestureInfo"));
    functions.setGestureConfig =
        reinterpret_cast<SetGestureConfigFn>(GetProcAddress(user32, "SetGestureConfig"));
    return functions;
}

const GestureFunctions g_functions = LookUpGestureFunctions();

constexpr GESTURECONFIG kInitialConfig[] = {
    {GID_ZOOM, 0, GC_ZOOM},
    {GID_PAN, 0,
     GC_PAN_WITH_SINGLE_FINGER_VERTICALLY | GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY |
         GC_PAN_WITH_GUTTER | GC_PAN_WITH_INERTIA},
    {GID_ROTATE, 0, GC_ROTATE},
    {GID_TWOFINGERTAP, 0, GC_TWOFINGERTAP},
    {GID_PRESSANDTAP, 0, GC_PRESSANDTAP},
};

std::mutex g_slotsMutex;
// Never destroyed: a consumer may outlive static destruction (a widget held by a static).
std::vector<ConsumerSlot*>& ConsumerSlots()
{
    static auto* consumerSlots = new std::vector<ConsumerSlot*>;
    return *consumerSlots;
}

QPoint ToPoint(const POINTS& point)
{
    return QPoint(point.x, point.y);
}

QPoint ToClient(HWND window, const QPoint& screen)
{
    POINT point{screen.x(), screen.y()};
    ScreenToClient(window, &point);
    return QPoint(point.x, point.y);
}

std::int16_t Signed16(ULONGLONG value, int shift)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value >> shift));
}

std::uint32_t Low32(ULONGLONG value)
{
    return static_cast<std::uint32_t>(value);
}

void SetAllOrNothing(GESTURECONFIG& entry, int answer)
{
    const bool wanted = answer == Gesture::All;
    entry.dwWant = wanted ? 1 : 0;
    entry.dwBlock = wanted ? 0 : 1;
}

// The pan bits of an answer cross over into the system's options: inertia is 0x10 there and
// gutter 0x8.
void SetPanOptions(GESTURECONFIG& entry, int answer)
{
    entry.dwWant = answer != 0 ? GC_PAN : 0;
    entry.dwBlock = answer == 0 ? GC_PAN : 0;
    const struct
    {
        int bit;
        DWORD option;
    } options[] = {
        {Gesture::PanVertically, GC_PAN_WITH_SINGLE_FINGER_VERTICALLY},
        {Gesture::PanHorizontally, GC_PAN_WITH_SINGLE_FINGER_HORIZONTALLY},
        {Gesture::PanWithInertia, GC_PAN_WITH_INERTIA},
        {Gesture::PanWithGutter, GC_PAN_WITH_GUTTER},
    };
    for (const auto& option : options) {
        const bool wanted = (answer & (Gesture::All | option.bit)) != 0;
        (wanted ? entry.dwWant : entry.dwBlock) |= option.option;
    }
}

template <typename Kind>
Kind KindOf(const Gesture& common)
{
    Kind kind{};
    static_cast<Gesture&>(kind) = common;
    return kind;
}

}  // namespace

void RegisterConsumerSlot(ConsumerSlot* slot)
{
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    ConsumerSlots().push_back(slot);
}

void UnregisterConsumerSlot(ConsumerSlot* slot)
{
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    auto& consumerSlots = ConsumerSlots();
    consumerSlots.erase(std::remove(consumerSlots.begin(), consumerSlots.end(), slot),
                        consumerSlots.end());
}

void ForgetDestroyedConsumer(const Gesture::Consumer* consumer)
{
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (ConsumerSlot* slot : ConsumerSlots()) {
        if (*slot == consumer) {
            *slot = nullptr;
        }
    }
}

struct Gesture::Producer::Private
{
    GESTURECONFIG config[5];
    GESTURECONFIG& zoom;
    GESTURECONFIG& pan;
    GESTURECONFIG& rotate;
    GESTURECONFIG& twoFingerTap;
    GESTURECONFIG& pressAndTap;
    double zoomStartDistance = 0;
    double rotateStartAngle = 0;
    QPoint panStart;
    ConsumerSlot currentConsumer = nullptr;

    Private()
        : config{kInitialConfig[0], kInitialConfig[1], kInitialConfig[2], kInitialConfig[3],
                 kInitialConfig[4]},
          zoom(config[0]),
          pan(config[1]),
          rotate(config[2]),
          twoFingerTap(config[3]),
          pressAndTap(config[4])
    {
    }
};

Gesture::Producer::Producer()
{
    Init();
}

Gesture::Producer::~Producer()
{
    Fini();
}

void Gesture::Producer::Init()
{
    d = new Private;
    RegisterConsumerSlot(&d->currentConsumer);
}

void Gesture::Producer::Fini()
{
    UnregisterConsumerSlot(&d->currentConsumer);
    delete d;
    d = nullptr;
}

Gesture::Consumer* Gesture::Producer::Route(const Gesture&)
{
    return nullptr;
}

bool Gesture::Producer::OnGestureNotify(void* hwnd, void*, void* lParam)
{
    const auto* notify = static_cast<const GESTURENOTIFYSTRUCT*>(lParam);
    if (!notify) {
        return false;
    }
    const HWND window = static_cast<HWND>(hwnd);
    Gesture common{};
    common.globalPos = ToPoint(notify->ptsLocation);
    common.pos = ToClient(window, common.globalPos);

    Consumer* consumer = Route(common);
    if (!consumer) {
        GESTURECONFIG blockAll{0, 0, GC_ALLGESTURES};
        if (g_functions.setGestureConfig) {
            g_functions.setGestureConfig(window, 0, 1, &blockAll, sizeof(GESTURECONFIG));
        }
        d->currentConsumer = nullptr;
        return false;
    }
    SetAllOrNothing(d->zoom, consumer->WantGesture(KindOf<Zoom>(common)));
    SetPanOptions(d->pan, consumer->WantGesture(KindOf<Pan>(common)));
    SetAllOrNothing(d->rotate, consumer->WantGesture(KindOf<Rotate>(common)));
    SetAllOrNothing(d->twoFingerTap, consumer->WantGesture(KindOf<Tap>(common)));
    SetAllOrNothing(d->pressAndTap, consumer->WantGesture(KindOf<PressAndTap>(common)));
    if (g_functions.setGestureConfig) {
        g_functions.setGestureConfig(window, 0, 5, d->config, sizeof(GESTURECONFIG));
    }
    d->currentConsumer = consumer;
    return false;
}

bool Gesture::Producer::OnGesture(void* hwnd, void*, void* lParam)
{
    if (!d->currentConsumer || !g_functions.getGestureInfo) {
        return false;
    }
    const auto handle = static_cast<HGESTUREINFO>(lParam);
    GESTUREINFO info{};
    info.cbSize = sizeof(info);
    if (!g_functions.getGestureInfo(handle, &info)) {
        return false;
    }
    const HWND window = static_cast<HWND>(hwnd);
    Gesture common{};
    common.globalPos = ToPoint(info.ptsLocation);
    common.pos = ToClient(window, common.globalPos);
    common.begin = (info.dwFlags & GF_BEGIN) != 0;
    common.end = (info.dwFlags & GF_END) != 0;
    const ULONGLONG a = info.ullArguments;
    Consumer* consumer = d->currentConsumer;

    switch (info.dwID) {
        case GID_ZOOM: {
            if (common.begin) {
                d->zoomStartDistance = Low32(a);
            }
            auto zoom = KindOf<Zoom>(common);
            zoom.startDistance = d->zoomStartDistance;
            zoom.distance = Low32(a);
            consumer->OnGesture(zoom);
            break;
        }
        case GID_PAN: {
            if (common.begin) {
                d->panStart = common.pos;
            }
            auto pan = KindOf<Pan>(common);
            pan.startPos = d->panStart;
            pan.inertiaVector = QPoint(Signed16(a, 32), Signed16(a, 48));
            pan.hasInertia = (info.dwFlags & GF_INERTIA) != 0;
            pan.distance = static_cast<std::int32_t>(Low32(a));
            consumer->OnGesture(pan);
            break;
        }
        case GID_ROTATE: {
            const double angle = GID_ROTATE_ANGLE_FROM_ARGUMENT(a);
            if (common.begin) {
                d->rotateStartAngle = angle;
            }
            auto rotate = KindOf<Rotate>(common);
            rotate.startAngle = d->rotateStartAngle;
            rotate.angle = angle;
            consumer->OnGesture(rotate);
            break;
        }
        case GID_TWOFINGERTAP: {
            auto tap = KindOf<Tap>(common);
            tap.distance = static_cast<std::int32_t>(Low32(a));
            consumer->OnGesture(tap);
            break;
        }
        case GID_PRESSANDTAP: {
            auto pressAndTap = KindOf<PressAndTap>(common);
            pressAndTap.tapPos = common.pos + QPoint(Signed16(a, 0), Signed16(a, 16));
            consumer->OnGesture(pressAndTap);
            break;
        }
        default:
            return false;  // the default processing closes the handle
    }
    if (g_functions.closeGestureInfoHandle) {
        g_functions.closeGestureInfoHandle(handle);
    }
    return true;
}

}  // namespace App
}  // namespace Tavrin
