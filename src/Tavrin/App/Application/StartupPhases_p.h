#pragma once

namespace Tavrin {
namespace App {

class Application;

// Ends the start-up profile of the application: at ApplicationStarted it closes OnStart and
// logs the phases so far; at the first shown top-level window (not the splash) it adds the
// time since ApplicationStarted as "first shown window", logs again and stops measuring.
// A window shown before ApplicationStarted counts as 0 ms and there is one line only.
void WatchStartupPhases(Application& application);

}  // namespace App
}  // namespace Tavrin
