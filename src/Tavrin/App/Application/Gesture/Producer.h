#pragma once

#include <Tavrin/App/Application/Gesture/Gesture.h>

namespace Tavrin {
namespace App {

// Turns the window system's gesture messages into typed gestures: negotiates with the
// consumer that Route picks which gestures and pan options the window gets, decodes every
// step and hands it to that consumer.
class TAVRIN_APP_EXPORT Gesture::Producer
{
public:
    Producer();
    virtual ~Producer();
    Producer(const Producer&) = delete;
    Producer& operator=(const Producer&) = delete;

    // The consumer for a gesture about to start; none in the base.
    virtual Consumer* Route(const Gesture& gesture);

protected:
    // WM_GESTURENOTIFY: `lParam` points at the notification. Always false, so the default
    // processing of the message follows.
    bool OnGestureNotify(void* hwnd, void* wParam, void* lParam);
    // WM_GESTURE: `lParam` is the gesture-information handle. True when the step reached a
    // consumer (the handle is closed then).
    bool OnGesture(void* hwnd, void* wParam, void* lParam);

private:
    struct Private;

    void Init();
    void Fini();

    Private* d;

    friend class Consumer;
};

}  // namespace App
}  // namespace Tavrin
