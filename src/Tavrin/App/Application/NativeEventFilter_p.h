#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <memory>

namespace Tavrin {
namespace App {

class EventHandler;

// Sees every native event of the process and offers it to the product's event handlers,
// in registration order.
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
};

}  // namespace App
}  // namespace Tavrin
