#include "Tavrin/App/Application/NativeEventFilter_p.h"

#include <Tavrin/App/Application/EventHandler.h>
#include <Tavrin/App/Application/Gesture/Router.h>
#include <Tavrin/App/Application/Gesture/TouchGestureSource_p.h>
#include <Tavrin/Win/WinTypes.h>

#include <QCoreApplication>

namespace Tavrin {
namespace App {

EventHandler::~EventHandler() = default;

NativeEventFilter::NativeEventFilter(QObject* parent) : QObject(parent)
{
    // Touch screens speak the same gesture messages as the window system, through this filter.
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(new TouchGestureSource(this));
    }
}

bool NativeEventFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                          long* result)
{
    if (!m_gestureRouter) {
        m_gestureRouter = new Gesture::Router(this);
    }
    // Only this event type carries a MSG; on Linux the others are xcb events and the like.
    if (eventType == Win::kGenericMessageEventType &&
        m_gestureRouter->nativeEvent(eventType, message, result)) {
        return true;
    }
    // A copy: a handler may register or remove handlers while it runs.
    const QList<std::shared_ptr<EventHandler>> handlers = m_handlers;
    for (const auto& handler : handlers) {
        handler->HandleNativeEvent(eventType, message, result);
    }
    return false;
}

void NativeEventFilter::AddHandler(std::shared_ptr<EventHandler> handler)
{
    if (handler) {
        m_handlers.append(std::move(handler));
    }
}

void NativeEventFilter::RemoveHandler(const std::shared_ptr<EventHandler>& handler)
{
    for (int i = 0; i < m_handlers.size(); ++i) {
        if (m_handlers.at(i).get() == handler.get()) {
            m_handlers.removeAt(i);
            return;
        }
    }
}

}  // namespace App
}  // namespace Tavrin
