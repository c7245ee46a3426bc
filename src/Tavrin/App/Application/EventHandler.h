#pragma once

#include <Tavrin/App/TavrinAppExport.h>

class QByteArray;

namespace Tavrin {
namespace App {

// A hook for native events that the gesture router did not consume. On this platform the
// event type is "xcb_generic_event_t" and the message an xcb event.
class TAVRIN_APP_EXPORT EventHandler
{
public:
    virtual ~EventHandler();
    // The result is the handler's own; the application does not use it.
    virtual bool HandleNativeEvent(const QByteArray& eventType, void* message, long* result) = 0;
};

}  // namespace App
}  // namespace Tavrin
