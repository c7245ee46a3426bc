#include "Tavrin/App/Application/Gesture/Emitter.h"

namespace Tavrin {
namespace App {

Gesture::Emitter::Emitter(QObject* parent) : QObject(parent)
{
    // Lets the signals cross threads and be recorded by QSignalSpy.
    static const bool registered = [] {
        qRegisterMetaType<Pan>("Tavrin::App::Gesture::Pan");
        qRegisterMetaType<Zoom>("Tavrin::App::Gesture::Zoom");
        qRegisterMetaType<Rotate>("Tavrin::App::Gesture::Rotate");
        qRegisterMetaType<Tap>("Tavrin::App::Gesture::Tap");
        qRegisterMetaType<PressAndTap>("Tavrin::App::Gesture::PressAndTap");
        return true;
    }();
    Q_UNUSED(registered);
}

void Gesture::Emitter::setZoomEnabled(bool enabled)
{
    zoomEnabled = enabled;
}

void Gesture::Emitter::setRotateEnabled(bool enabled)
{
    rotateEnabled = enabled;
}

void Gesture::Emitter::setTapEnabled(bool enabled)
{
    tapEnabled = enabled;
}

void Gesture::Emitter::setPressAndTapEnabled(bool enabled)
{
    pressAndTapEnabled = enabled;
}

void Gesture::Emitter::setHorizontalPanEnabled(bool enabled)
{
    horizontalPanEnabled = enabled;
}

void Gesture::Emitter::setVerticalPanEnabled(bool enabled)
{
    verticalPanEnabled = enabled;
}

void Gesture::Emitter::setPanGutterEnabled(bool enabled)
{
    panGutterEnabled = enabled;
}

void Gesture::Emitter::setPanInertiaEnabled(bool enabled)
{
    panInertiaEnabled = enabled;
}

int Gesture::Emitter::allOrNone(bool enabled)
{
    return enabled ? All : None;
}

void Gesture::Emitter::OnGesture(const PressAndTap& gesture)
{
    emit pressAndTap(gesture);
}

void Gesture::Emitter::OnGesture(const Tap& gesture)
{
    emit tap(gesture);
}

void Gesture::Emitter::OnGesture(const Rotate& gesture)
{
    emit rotate(gesture);
}

void Gesture::Emitter::OnGesture(const Zoom& gesture)
{
    emit zoom(gesture);
}

void Gesture::Emitter::OnGesture(const Pan& gesture)
{
    emit pan(gesture);
}

int Gesture::Emitter::WantGesture(const PressAndTap&)
{
    return allOrNone(pressAndTapEnabled);
}

int Gesture::Emitter::WantGesture(const Tap&)
{
    return allOrNone(tapEnabled);
}

int Gesture::Emitter::WantGesture(const Rotate&)
{
    return allOrNone(rotateEnabled);
}

int Gesture::Emitter::WantGesture(const Zoom&)
{
    return allOrNone(zoomEnabled);
}

// Never All: with every flag off the answer is None and panning is blocked altogether.
int Gesture::Emitter::WantGesture(const Pan&)
{
    return (horizontalPanEnabled ? PanHorizontally : 0) | (verticalPanEnabled ? PanVertically : 0) |
           (panGutterEnabled ? PanWithGutter : 0) | (panInertiaEnabled ? PanWithInertia : 0);
}

}  // namespace App
}  // namespace Tavrin
