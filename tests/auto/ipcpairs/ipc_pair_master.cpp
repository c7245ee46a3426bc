// One master of a pair: launches the echoing slave, sends it `count` messages that name the
// pair and the message, and checks that each echo is its own message, whole.
//   ipc_pair_master <pair> <count>   prints "ok <pair>", or what went wrong, and exits with 1
#include "IpcClient.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::string pair = argc > 2 ? argv[1] : "";
    const int count = argc > 2 ? std::stoi(argv[2]) : 0;
    Client client;
    if (pair.empty() || !Tavrin::App::IPCManager::LaunchSlave(client, IPC_PEER, "echo", true)) {
        std::printf("no slave %s\n", pair.c_str());
        return 1;
    }
    std::string echo;
    for (int index = 0; index < count; ++index) {
        // Sizes from a few bytes to several kilobytes, so that reads split and join messages.
        const std::string message = "pair " + pair + " message " + std::to_string(index) + ' ' +
                                    std::string((index * 733) % 9000, pair.back());
        echo.assign(message.size() + 1, '\0');
        if (!client.channel->WriteMessage(message.data(), message.size()) ||
            client.channel->ReadMessage(&echo[0], echo.size()) != message.size() ||
            echo.compare(0, message.size(), message) != 0) {
            std::printf("pair %s message %d came back as \"%.40s\"\n", pair.c_str(), index,
                        echo.c_str());
            return 1;
        }
    }
    client.channel.reset();  // the slave sees its end and leaves
    std::printf(client.SlaveEnded() ? "ok %s\n" : "slave of %s did not end\n", pair.c_str());
    return 0;
}
