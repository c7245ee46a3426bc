#include "Tavrin/App/Application/SlaveSwitches_p.h"

#include "Tavrin/App/Application/IPCManager.h"

namespace Tavrin {
namespace App {

SlaveSwitches ReadSlaveSwitches(const QStringList& arguments)
{
    SlaveSwitches switches;
    for (QString argument : arguments) {
        if (argument.contains(IPCManager::PIPE_ID_SWITCH)) {
            switches.pipeId = QString(argument).remove(IPCManager::PIPE_ID_SWITCH);
        }
        if (argument.contains(IPCManager::PROCESS_ID_SWITCH)) {
            switches.masterPid = argument.remove(IPCManager::PROCESS_ID_SWITCH).toInt(nullptr, 10);
        }
    }
    return switches;
}

}  // namespace App
}  // namespace Tavrin
