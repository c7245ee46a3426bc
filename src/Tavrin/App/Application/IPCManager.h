#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace App {

class IIPCClient;

// Starts a slave program joined to this one (the master) by a two-way message channel, and
// joins a slave to its master. Which end does what on the channel is up to the clients.
class TAVRIN_APP_EXPORT IPCManager
{
public:
    // The slave's pipe names ("%1" is the pipe id) and its two command-line switches.
    static const QString SLAVE_INPUT_PIPE_TEMPLATE;
    static const QString SLAVE_OUTPUT_PIPE_TEMPLATE;
    static const QString PIPE_ID_SWITCH;
    static const QString PROCESS_ID_SWITCH;

    // Master side. Makes a fresh pair of pipes, gives the client the channel, then starts
    // `slavePath` (relative to the application's directory when it exists there, else an
    // absolute path) in its own directory with `arguments` split at blanks, followed by
    // "/MasterPipeId=<id>" and "/ProcessId=<our pid>", and gives the client the slave's pidfd.
    // No shell is involved. False when no executable was named (no pipes are made), the pipes
    // could not be made (the client gets nothing) or the slave did not start (the client has
    // the channel but no process handle).
    static bool LaunchSlave(IIPCClient& client, const QString& slavePath, const QString& arguments,
                            bool channelFlag);

    // Slave side. Reads both switches from the application's arguments, opens the master's
    // pipes and gives the client the channel and a pidfd of the master (0 when the master
    // could not be opened). False, with nothing given, when a switch is missing, the process id
    // is not a number or the pipes cannot be opened.
    static bool SetUpSlaveClient(IIPCClient& client, bool channelFlag);
};

}  // namespace App
}  // namespace Tavrin
