#include "Tavrin/App/Application/Gesture/Router.h"

#include "Tavrin/App/Application/Gesture/Consumer.h"

#include <Tavrin/Win/WinGesture.h>

#include <QApplication>
#include <QWidget>

namespace Tavrin {
namespace App {

using namespace Tavrin::Win;

Gesture::Router::Router(QObject* parent) : QObject(parent) {}

Gesture::Consumer* Gesture::Router::Route(const Gesture& gesture)
{
    for (QWidget* widget = QApplication::widgetAt(gesture.globalPos); widget;
         widget = widget->parentWidget()) {
        for (QObject* child : widget->children()) {
            if (auto* consumer = dynamic_cast<Consumer*>(child)) {
                return consumer;
            }
        }
    }
    return nullptr;
}

bool Gesture::Router::nativeEvent(const QByteArray&, void* message, long* result)
{
    const auto* msg = static_cast<const MSG*>(message);
    if (!msg) {
        return false;
    }
    void* wParam = reinterpret_cast<void*>(msg->wParam);
    void* lParam = reinterpret_cast<void*>(msg->lParam);
    long ignored = 0;
    long& out = result ? *result : ignored;
    switch (msg->message) {
        case WM_GESTURE:
            // Gestures belong to top-level windows: the default processing hands a child
            // window's step up to its parent.
            if (GetParent(msg->hwnd)) {
                out = static_cast<long>(
                    DefWindowProcW(msg->hwnd, msg->message, msg->wParam, msg->lParam));
                return true;
            }
            if (OnGesture(msg->hwnd, wParam, lParam)) {
                out = 0;
                return true;
            }
            return false;
        case WM_GESTURENOTIFY:
            return OnGestureNotify(msg->hwnd, wParam, lParam);
        default:
            return false;
    }
}

}  // namespace App
}  // namespace Tavrin
