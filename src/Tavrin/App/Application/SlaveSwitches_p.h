#pragma once

#include <QString>
#include <QStringList>

namespace Tavrin {
namespace App {

// What a slave learns of its master from its command line.
struct SlaveSwitches
{
    QString pipeId;     // empty when the switch is missing
    int masterPid = 0;  // 0 when the switch is missing or not a decimal number
};

// Reads the pipe-id and process-id switches from a slave's arguments; a later switch of the
// same kind overrides an earlier one, and an argument may carry both.
SlaveSwitches ReadSlaveSwitches(const QStringList& arguments);

}  // namespace App
}  // namespace Tavrin
