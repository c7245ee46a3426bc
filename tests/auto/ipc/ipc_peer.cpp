// The other process of the channel tests. Usage: ipc_peer <command>, followed by the switches
// a master adds.
//   setup           prints "result=<0|1> channel=<0|1> handle=<0|1>" of a set-up
//   echo            sends every message back until the master closes
//   tell            sends its working directory and its arguments, a line each, then echoes
//   focus           gives the focus to its master twice (the second time must do nothing),
//                   then prints "done"
//   focus-x11       shows a window on the X display and takes the focus, then does "focus"
//   master-tell-id  as a master, starts "ipc_peer tell", prints "id=<its pipe id>" and keeps
//                   the channel until its stdin closes
#include "IpcClient.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/Util/WindowSwitch.h>

#include <QApplication>
#include <QDir>
#include <QWidget>

#include <glog/logging.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Tavrin::App::IPCManager;

void Say(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

int AsSlave(const std::string& command)
{
    Client client;
    const bool joined = IPCManager::SetUpSlaveClient(client, false);
    if (command == "setup") {
        Say("result=" + std::to_string(joined) + " channel=" +
            std::to_string(bool(client.channel)) + " handle=" + std::to_string(client.handle > 0));
        return 0;
    }
    if (!joined) {
        return 1;
    }
    if (command == "tell") {
        const QByteArray told =
            (QStringList(QDir::currentPath()) + QCoreApplication::arguments()).join('\n').toUtf8();
        client.channel->WriteMessage(told.constData(), told.size());
    } else if (command != "echo") {
        Say("unknown command");
        return 2;
    }
    std::vector<char> buffer;
    while (!client.channel->IsClosed()) {
        buffer.resize(client.channel->NextMessageSize());
        if (!buffer.empty() &&
            !client.channel->WriteMessage(
                buffer.data(), client.channel->ReadMessage(buffer.data(), buffer.size()))) {
            return 1;
        }
    }
    return 0;
}

int Focus()
{
    auto& slave = Tavrin::App::IPCFocusTransfererSlave::Instance();
    slave.GiveFocusToParent();
    slave.GiveFocusToParent();
    Say("done");
    return 0;
}

int FocusX11()
{
    QWidget window;
    window.show();
    QApplication::processEvents();
    Tavrin::Util::SwitchToThisWindow(static_cast<long long>(window.winId()), false);
    return Focus();
}

int MasterTellId()
{
    Client client;
    if (!IPCManager::LaunchSlave(client, QCoreApplication::applicationFilePath(), "tell", true)) {
        Say("id=failed");
        return 1;
    }
    // The slave's last two arguments are its pipe id and process id switches.
    const QStringList told = QString::fromStdString(Receive(*client.channel)).split('\n');
    Say("id=" + told.value(told.size() - 2).mid(IPCManager::PIPE_ID_SWITCH.size()).toStdString());
    std::getchar();  // the channel lives until stdin closes
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    FLAGS_logtostderr = true;
    google::InitGoogleLogging(argv[0]);
    const std::string command = argc > 1 ? argv[1] : "";
    // Only the window needs a GUI application; the rest starts much faster without one.
    const std::unique_ptr<QCoreApplication> application(
        command == "focus-x11" ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    if (command == "focus" || command == "focus-x11") {
        return command == "focus" ? Focus() : FocusX11();
    }
    return command == "master-tell-id" ? MasterTellId() : AsSlave(command);
}
