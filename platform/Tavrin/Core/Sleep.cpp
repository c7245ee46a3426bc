#include "Tavrin/Core/Sleep.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace Tavrin {
namespace Core {

void SleepFor(unsigned long milliseconds)
{
    // The duration's count is signed; a huge unsigned value must not wrap to "no wait".
    using Duration = std::chrono::milliseconds;
    const auto limit = static_cast<unsigned long>(Duration::max().count());
    std::this_thread::sleep_for(
        Duration(static_cast<Duration::rep>(std::min(milliseconds, limit))));
}

}  // namespace Core
}  // namespace Tavrin
