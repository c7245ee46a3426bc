// The other process of the channel tests. Usage: ipc_peer <command> [<argument>...], followed
// by the switches a master adds.
//   echo                      sends every message back until the master closes
//   tell-id                   sends its pipe id switch to the master, then exits
//   setup                     prints "result=<0|1> channel=<0|1> handle=<0|1>" of a set-up
//   report <file>             writes its working directory and its arguments, a line each
//   half                      sends the header of a 1000-byte message and 10 bytes, then dies
//   huge-header               sends a header announcing 2^40 bytes, then waits to be closed
//   focus [twice]             gives the focus to its master (twice when asked), prints "done"
//   focus-x11 <file>          shows a window on the X display, takes the focus, writes the
//                             window id to <file>, gives the focus to its master
//   await-master-end          waits (at most 10 s) until the master has ended, then gives the
//                             focus to it; prints "done"
//   master-then-exit <file>   as a master, starts "ipc_peer await-master-end"; a forked copy
//                             keeps the channel and writes how many messages came to <file>
//                             while this process exits at once
//   master-tell-id            as a master, starts "ipc_peer tell-id", prints "id=<id>" and
//                             keeps the channel until its stdin closes
//   master-hold               as a master, makes a pipe pair, prints "ready" and sleeps
#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/App/Application/IPCManager.h>
#include <Tavrin/Core/CommunicationChannel.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Util/WindowSwitch.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <glog/logging.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Tavrin::App::IPCManager;
using Tavrin::Core::IDataChannel;

struct Client : Tavrin::App::IIPCClient
{
    ~Client() override
    {
        if (handle > 0) {
            close(static_cast<int>(handle));
        }
    }
    void SetCommunicationChannel(boost::intrusive_ptr<IDataChannel> c) override { channel = c; }
    void SetAppHandler(long long h) override { handle = h; }
    void ChannelClosed() override { channel.reset(); }
    boost::intrusive_ptr<IDataChannel> channel;
    long long handle = -1;
};

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

int Echo()
{
    Client client;
    if (!IPCManager::SetUpSlaveClient(client, false)) {
        return 1;
    }
    std::vector<char> buffer;
    while (!client.channel->IsClosed()) {
        const std::size_t size = client.channel->NextMessageSize();
        if (size == 0) {
            continue;
        }
        buffer.resize(size);
        const std::size_t read = client.channel->ReadMessage(buffer.data(), size);
        if (read != size || !client.channel->WriteMessage(buffer.data(), read)) {
            return 1;
        }
    }
    return 0;
}

int TellId()
{
    Client client;
    if (!IPCManager::SetUpSlaveClient(client, false)) {
        return 1;
    }
    const std::string id = Switch(IPCManager::PIPE_ID_SWITCH);
    client.channel->WriteMessage(id.data(), id.size());
    client.channel->NextMessageSize();  // until the master has read it and closed
    return 0;
}

int Setup()
{
    Client client;
    const bool result = IPCManager::SetUpSlaveClient(client, false);
    Say("result=" + std::to_string(result) + " channel=" + std::to_string(bool(client.channel)) +
        " handle=" + std::to_string(client.handle > 0));
    return 0;
}

int Report(const char* file)
{
    QFile out(QString::fromLocal8Bit(file));
    if (!out.open(QIODevice::WriteOnly)) {
        return 1;
    }
    out.write(QDir::currentPath().toUtf8());
    for (const QString& argument : QCoreApplication::arguments()) {
        out.write("\n" + argument.toUtf8());
    }
    return 0;
}

// Raw bytes on the slave's output pipe, bypassing the channel's framing.
boost::intrusive_ptr<Tavrin::Core::IByteDataOutputEx> RawOutput()
{
    const QString id = QString::fromStdString(Switch(IPCManager::PIPE_ID_SWITCH));
    return Tavrin::Core::DataOutputPipe::Create(
        IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString(), false);
}

int Half()
{
    auto output = RawOutput();
    char bytes[18] = {};
    bytes[0] = static_cast<char>(1000 & 0xFF);
    bytes[1] = static_cast<char>(1000 >> 8);
    output->Write(bytes, sizeof bytes);
    _exit(0);
}

int HugeHeader()
{
    auto output = RawOutput();
    char header[8] = {0, 0, 0, 0, 0, 1, 0, 0};  // 2^40
    output->Write(header, sizeof header);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    return 0;
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
    window.setWindowTitle(QStringLiteral("slave"));
    window.resize(200, 100);
    window.show();
    QApplication::processEvents();
    const auto id = static_cast<long long>(window.winId());
    Tavrin::Util::SwitchToThisWindow(id, false);
    QFile out(QString::fromLocal8Bit(file));
    if (!out.open(QIODevice::WriteOnly)) {
        return 1;
    }
    out.write(QByteArray::number(id));
    out.close();
    return Focus(false);
}

int AwaitMasterEnd()
{
    auto& slave = Tavrin::App::IPCFocusTransfererSlave::Instance();
    const pid_t master = std::stoi(Switch(IPCManager::PROCESS_ID_SWITCH));
    for (int i = 0; i < 1000 && kill(master, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    slave.GiveFocusToParent();
    Say("done");
    return 0;
}

std::string OwnPath()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

int MasterThenExit(const char* file)
{
    Client client;
    if (!IPCManager::LaunchSlave(client, QString::fromStdString(OwnPath()),
                                 QStringLiteral("await-master-end"), true)) {
        return 1;
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
        if (FILE* out = std::fopen(file, "w")) {
            std::fprintf(out, "messages=%d closed=%d\n", messages, client.channel->IsClosed());
            std::fclose(out);
        }
        _exit(0);
    }
    _exit(0);
}

int MasterTellId()
{
    Client client;
    if (!IPCManager::LaunchSlave(client, QString::fromStdString(OwnPath()),
                                 QStringLiteral("tell-id"), true)) {
        Say("id=failed");
        return 1;
    }
    char id[64] = {};
    client.channel->ReadMessage(id, sizeof id - 1);
    Say(std::string("id=") + id);
    std::getchar();  // the channel lives until stdin closes
    return 0;
}

int MasterHold()
{
    auto input = Tavrin::Core::DataInputPipe::Create("TavrinIPCOutputKilled", true);
    auto output = Tavrin::Core::DataOutputPipe::Create("TavrinIPCInputKilled", true);
    Say("ready");
    std::this_thread::sleep_for(std::chrono::seconds(30));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    FLAGS_logtostderr = true;
    google::InitGoogleLogging(argv[0]);
    const std::string command = argc > 1 ? argv[1] : "";
    const char* argument = argc > 2 ? argv[2] : "";
    // Only the window needs a GUI application; the rest starts much faster without one.
    std::unique_ptr<QCoreApplication> application;
    if (command == "focus-x11") {
        application = std::make_unique<QApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        if (command == "echo")
            return Echo();
        if (command == "tell-id")
            return TellId();
        if (command == "setup")
            return Setup();
        if (command == "report")
            return Report(argument);
        if (command == "half")
            return Half();
        if (command == "huge-header")
            return HugeHeader();
        if (command == "focus")
            return Focus(std::strcmp(argument, "twice") == 0);
        if (command == "focus-x11")
            return FocusX11(argument);
        if (command == "await-master-end")
            return AwaitMasterEnd();
        if (command == "master-then-exit")
            return MasterThenExit(argument);
        if (command == "master-tell-id")
            return MasterTellId();
        if (command == "master-hold")
            return MasterHold();
    } catch (const Tavrin::Core::IOException& error) {
        Say(std::string("error=") + error.what());
        return 3;
    }
    Say("unknown command");
    return 2;
}
