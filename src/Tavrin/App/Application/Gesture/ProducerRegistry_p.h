#pragma once

#include <Tavrin/App/Application/Gesture/Gesture.h>

namespace Tavrin {
namespace App {

// Producers keep their current consumer as a plain pointer between steps; a consumer that is
// destroyed tells every living producer to drop it, so no step reaches a dead consumer.
using ConsumerSlot = Gesture::Consumer*;

void RegisterConsumerSlot(ConsumerSlot* slot);
void UnregisterConsumerSlot(ConsumerSlot* slot);
void ForgetDestroyedConsumer(const Gesture::Consumer* consumer);

}  // namespace App
}  // namespace Tavrin
