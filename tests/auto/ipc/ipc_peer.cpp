// The other process of the channel tests. Usage: ipc_peer <command> [<argument>], followed by
// the switches a master adds.
//   echo                    sends every message back until the master closes
//   tell-id                 sends its pipe id switch to the master, waits for it to close
//   setup                   prints "result=<0|1> channel=<0|1> handle=<0|1>" of a set-up
//   report <file>           writes its working directory and its arguments, a line each
//   half                    sends the header of a 1000-byte message and 10 bytes, then dies
//   huge-header             sends a header announcing 2^40 bytes, then waits to be killed
//   focus [twice]           gives the focus to its master (twice when asked), prints "done"
//   focus-x11 <file>        shows a window on the X display, takes the focus, writes the
//                           window id to <file>, then does "focus"
//   await-master-end        waits (at most 10 s) until the master has ended, then "focus"
//   master-then-exit <file> as a master, starts "ipc_peer await-master-end"; a forked copy
//                           keeps the channel and writes how many messages came to <file>
//                           while this process exits at once
//   master-tell-id          as a master, starts "ipc_peer tell-id", prints "id=<id>" and
//                           keeps the channel until its stdin closes
#include "IpcClient.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Util/WindowSwitch.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>

#include <glog/logging.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

namespace {

using Tavrin::App::IPCManager;

void Say(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

std::string Switch(const QString& name)
{
    for (const QString& argument : QCoreApplication::arguments()) {
        if (argument.startsWith(name)) {
            return argument.mid(name.size()).toStdString();
        }
    }
    return std::string();
}

void WriteTo(const char* file, const QByteArray& text)
{
    QFile out(QString::fromLocal8Bit(file));
    if (out.open(QIODevice::WriteOnly)) {
        out.write(text);
    }
}

int AsSlave(const std::string& command)
{
    Client client;
    if (!IPCManager::SetUpSlaveClient(client, false)) {
        return 1;
    }
    if (command == "tell-id") {
        const std::string id = Switch(IPCManager::PIPE_ID_SWITCH);
        client.channel->WriteMessage(id.data(), id.size());
        client.channel->NextMessageSize();  // until the master has read it and closed
        return 0;
    }
    std::vector<char> buffer;
    while (!client.channel->IsClosed()) {  // echo
        buffer.resize(client.channel->NextMessageSize());
        if (!buffer.empty() &&
            !client.channel->WriteMessage(
                buffer.data(), client.channel->ReadMessage(buffer.data(), buffer.size()))) {
            return 1;
        }
    }
    return 0;
}

// Raw bytes on the slave's output pipe, bypassing the channel's framing.
void WriteRaw(const char* bytes, std::size_t size)
{
    const QString id = QString::fromStdString(Switch(IPCManager::PIPE_ID_SWITCH));
    Tavrin::Core::DataOutputPipe::Create(
        IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString(), false)
        ->Write(bytes, size);
}

int Focus(bool twice)
{
    auto& slave = Tavrin::App::IPCFocusTransfererSlave::Instance();
    slave.GiveFocusToParent();
    if (twice) {
        slave.GiveFocusToParent();
    }
    Say("done");
    return 0;
}

int FocusX11(const char* file)
{
    QWidget window;
    window.resize(200, 100);
    window.show();
    QApplication::processEvents();
    const auto id = static_cast<long long>(window.winId());
    Tavrin::Util::SwitchToThisWindow(id, false);
    WriteTo(file, QByteArray::number(id));
    return Focus(false);
}

int AwaitMasterEnd()
{
    Tavrin::App::IPCFocusTransfererSlave::Instance();  // joins while the master lives
    const pid_t master = std::stoi(Switch(IPCManager::PROCESS_ID_SWITCH));
    for (int i = 0; i < 1000 && kill(master, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Focus(false);
}

int AsMaster(const std::string& command, const char* file)
{
    Client client;
    const bool tellId = command == "master-tell-id";
    if (!IPCManager::LaunchSlave(client, QCoreApplication::applicationFilePath(),
                                 tellId ? "tell-id" : "await-master-end", true)) {
        Say("id=failed");
        return 1;
    }
    if (tellId) {
        char id[64] = {};
        client.channel->ReadMessage(id, sizeof id - 1);
        Say(std::string("id=") + id);
        std::getchar();  // the channel lives until stdin closes
        return 0;
    }
    if (fork() == 0) {
        // The copy keeps the master's end open, so anything the slave sends would arrive.
        int messages = 0;
        for (int waits = 0; waits < 4 && !client.channel->IsClosed(); ++waits) {
            if (client.channel->NextMessageSize() > 0) {
                ++messages;
                client.channel->ReadMessage(nullptr, 0);
            }
        }
        WriteTo(file, "messages=" + QByteArray::number(messages) +
                          " closed=" + QByteArray::number(client.channel->IsClosed()));
    }
    _exit(0);
}

int Run(const std::string& command, const char* argument)
{
    if (command == "echo" || command == "tell-id") {
        return AsSlave(command);
    }
    if (command == "setup") {
        Client client;
        const bool result = IPCManager::SetUpSlaveClient(client, false);
        Say("result=" + std::to_string(result) + " channel=" +
            std::to_string(bool(client.channel)) + " handle=" + std::to_string(client.handle > 0));
        return 0;
    }
    if (command == "report") {
        WriteTo(
            argument,
            (QStringList(QDir::currentPath()) + QCoreApplication::arguments()).join('\n').toUtf8());
        return 0;
    }
    if (command == "half") {
        const char bytes[18] = {static_cast<char>(1000 & 0xFF), static_cast<char>(1000 >> 8)};
        WriteRaw(bytes, sizeof bytes);
        _exit(0);
    }
    if (command == "huge-header") {
        WriteRaw("\0\0\0\0\0\1\0\0", 8);  // 2^40
        std::this_thread::sleep_for(std::chrono::seconds(5));
        return 0;
    }
    if (command == "focus" || command == "focus-x11") {
        return command == "focus" ? Focus(std::string(argument) == "twice") : FocusX11(argument);
    }
    if (command == "await-master-end") {
        return AwaitMasterEnd();
    }
    if (command == "master-then-exit" || command == "master-tell-id") {
        return AsMaster(command, argument);
    }
    Say("unknown command");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    FLAGS_logtostderr = true;
    google::InitGoogleLogging(argv[0]);
    const std::string command = argc > 1 ? argv[1] : "";
    // Only the window needs a GUI application; the rest starts much faster without one.
    std::unique_ptr<QCoreApplication> application;
    if (command == "focus-x11") {
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        return Run(command, argc > 2 ? argv[2] : "");
    } catch (const Tavrin::Core::IOException& error) {
        Say(std::string("error=") + error.what());
        return 3;
    }
}
