#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

#include <functional>
#include <map>

namespace Tavrin {
namespace App {

// The running processes whose lower-case executable file name `filter` accepts, as a map
// from that name to the executable's full path. Processes are visited in ascending pid order
// and a later process of the same name replaces an earlier one. A process that cannot be read
// (another user's, unless run as root; a kernel thread; one that exits meanwhile) has an
// empty path and so the name "", which the filter sees like any other. An accepted process is
// left out when it runs as another user, and, run as root, unless only root can change its
// executable (Util::OnlyRootMayChange). An empty filter throws std::bad_function_call as soon
// as a process is examined.
TAVRIN_APP_EXPORT std::map<QString, QString> GetCurrentProcessMap(
    std::function<bool(const QString&)> filter);

}  // namespace App
}  // namespace Tavrin
