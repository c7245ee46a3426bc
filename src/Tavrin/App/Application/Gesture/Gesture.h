#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QMetaType>
#include <QPoint>

#include <cstdint>

namespace Tavrin {
namespace App {

// One step of a touch gesture, and the scope of everything about gestures. Positions are in
// pixels: `pos` relative to the client area of the window that received the gesture,
// `globalPos` on the screen.
struct TAVRIN_APP_EXPORT Gesture
{
    QPoint pos;
    QPoint globalPos;
    bool begin;  // first step of the gesture
    bool end;    // last step of the gesture

    // A consumer's answer to WantGesture: every kind but Pan is accepted only by All.
    static constexpr int All = 1;
    static constexpr int None = 0;

    // Pan answers combine these bits; All stands for all of them.
    static constexpr int PanVertically = 2;
    static constexpr int PanHorizontally = 4;
    static constexpr int PanWithInertia = 8;
    static constexpr int PanWithGutter = 16;

    struct Zoom;
    struct Pan;
    struct Rotate;
    struct Tap;
    struct PressAndTap;

    class Consumer;
    class Producer;
    class Router;
    class Emitter;
    class Scroller;
};

// Two fingers moving apart or together.
struct Gesture::Zoom : Gesture
{
    double startDistance;  // finger distance at the begin step
    double distance;       // finger distance now
};

// One finger dragging; after a fling, inertia steps follow the finger's lift.
struct Gesture::Pan : Gesture
{
    QPoint startPos;  // pos of the begin step
    QPoint inertiaVector;
    bool hasInertia;
    std::int32_t distance;
};

// Two fingers turning; angles in radians.
struct Gesture::Rotate : Gesture
{
    double startAngle;  // angle at the begin step
    double angle;       // angle now
};

// Two fingers touching and lifting together.
struct Gesture::Tap : Gesture
{
    std::int32_t distance;  // between the two fingers
};

// One finger held while a second one taps.
struct Gesture::PressAndTap : Gesture
{
    QPoint tapPos;  // the second finger, client coordinates
};

}  // namespace App
}  // namespace Tavrin

Q_DECLARE_METATYPE(Tavrin::App::Gesture::Zoom)
Q_DECLARE_METATYPE(Tavrin::App::Gesture::Pan)
Q_DECLARE_METATYPE(Tavrin::App::Gesture::Rotate)
Q_DECLARE_METATYPE(Tavrin::App::Gesture::Tap)
Q_DECLARE_METATYPE(Tavrin::App::Gesture::PressAndTap)
