#pragma once

#include <Tavrin/App/Application/Gesture/Gesture.h>

namespace Tavrin {
namespace App {

// Whatever receives gestures. The router finds a consumer that is a QObject child of a
// widget under the touch point, asks it with WantGesture which gestures it wants before a
// gesture starts, then hands it every step with OnGesture. The base wants nothing and does
// nothing, so a consumer overrides only the kinds it handles.
class TAVRIN_APP_EXPORT Gesture::Consumer
{
public:
    // A consumer destroyed in the middle of a gesture gets no further steps.
    virtual ~Consumer();

    virtual void OnGesture(const PressAndTap& gesture);
    virtual void OnGesture(const Tap& gesture);
    virtual void OnGesture(const Rotate& gesture);
    virtual void OnGesture(const Zoom& gesture);
    virtual void OnGesture(const Pan& gesture);

    // All to accept, anything else to refuse.
    virtual int WantGesture(const PressAndTap& gesture);
    virtual int WantGesture(const Tap& gesture);
    virtual int WantGesture(const Rotate& gesture);
    virtual int WantGesture(const Zoom& gesture);
    // A combination of the Pan… bits of Gesture, All for all of them, None to refuse.
    virtual int WantGesture(const Pan& gesture);

protected:
    Consumer() = default;
    Consumer(const Consumer&) = default;
    Consumer& operator=(const Consumer&) = default;
};

}  // namespace App
}  // namespace Tavrin
