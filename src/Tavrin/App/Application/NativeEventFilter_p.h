#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <Tavrin/App/Application/Gesture/Gesture.h>

#include <memory>

namespace Tavrin {
namespace App {

class EventHandler;

// Sees every native event of the process. Window-system messages ("windows_generic_MSG")
// go to the gesture router first, which may consume them; then every event is offered to
// the product's event handlers, in registration order.
class NativeEventFilter : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit NativeEventFilter(QObject* parent);

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

    void AddHandler(std::shared_ptr<EventHandler> handler);
    void RemoveHandler(const std::shared_ptr<EventHandler>& handler);

private:
    QList<std::shared_ptr<EventHandler>> m_handlers;
    // Created on the first native event, a child of the filter.
    Gesture::Router* m_gestureRouter = nullptr;
};

}  // namespace App
}  // namespace Tavrin
