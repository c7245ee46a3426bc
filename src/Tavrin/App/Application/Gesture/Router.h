#pragma once

#include <Tavrin/App/Application/Gesture/Producer.h>

#include <QByteArray>
#include <QObject>

namespace Tavrin {
namespace App {

// The producer of the application: picks the consumer from the widget tree and is the entry
// point of native messages.
class TAVRIN_APP_EXPORT Gesture::Router : public QObject, public Gesture::Producer
{
    Q_OBJECT

public:
    explicit Router(QObject* parent);

    // The first consumer child of the widget under the touch point, or of the nearest of its
    // ancestors that has one; null when there is none.
    Consumer* Route(const Gesture& gesture) override;

    // `message` is a window-system MSG (the caller checks the event type). True when the
    // message is consumed; `*result` then holds the window-procedure result.
    bool nativeEvent(const QByteArray& eventType, void* message, long* result);
};

}  // namespace App
}  // namespace Tavrin
