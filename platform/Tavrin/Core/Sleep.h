#pragma once

#include <Tavrin/App/TavrinAppExport.h>

namespace Tavrin {
namespace Core {

// Blocks the calling thread for at least the given time.
TAVRIN_APP_EXPORT void SleepFor(unsigned long milliseconds);

}  // namespace Core
}  // namespace Tavrin
