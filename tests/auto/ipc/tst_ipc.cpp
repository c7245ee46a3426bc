// The master/slave channel with real processes on both ends: the pipes and their private
// directory, the launch of a slave and its set-up, and the focus hand-back.
#include "IpcClient.h"
#include "LogCapture.h"
#include "TestSupport.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/Exception.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstring>
#include <memory>
#include <thread>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

using Tavrin::App::IPCManager;
using Tavrin::Core::DataInputPipe;
using Tavrin::Core::IDataChannel;
using Tavrin::Core::IOException;

const int kProcessTimeoutMs = 30000;  // generous for sanitizer builds on a busy machine

QString ChannelDirectory()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + "/tavrin-ipc";
}

QStringList ChannelObjects()
{
    return QDir(ChannelDirectory())
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

std::string Receive(IDataChannel& channel)
{
    std::string message(channel.NextMessageSize(), '\0');
    message.resize(channel.ReadMessage(&message[0], message.size()));
    return message;
}

std::string Send(IDataChannel& channel, const std::string& text)
{
    EXPECT_TRUE(channel.WriteMessage(text.data(), text.size()));
    return Receive(channel);
}

// The message of `what` that making a master pipe throws; empty when it is made.
std::string PipeFailure(const char* what)
{
    try {
        DataInputPipe::Create("TavrinIPCInput1", true);
    } catch (const IOException& error) {
        EXPECT_NE(std::string(error.what()).find(what), std::string::npos) << error.what();
        return error.what();
    }
    return std::string();
}

// Sets an environment variable while it lives.
struct ScopedEnv
{
    ScopedEnv(const char* name, const QByteArray& value) : name(name) { qputenv(name, value); }
    ~ScopedEnv() { qputenv(name, saved); }
    const char* name;
    const QByteArray saved = qgetenv(name);
};

// A master end made by hand, so that a test can put raw bytes on the pipe.
struct HandMadeMaster
{
    explicit HandMadeMaster(const QString& id)
        : channel(Tavrin::Core::CommunicationChannel::Create(
              DataInputPipe::Create(IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString(),
                                    true),
              Tavrin::Core::DataOutputPipe::Create(
                  IPCManager::SLAVE_INPUT_PIPE_TEMPLATE.arg(id).toStdString(), true),
              true)),
          arguments{IPCManager::PIPE_ID_SWITCH + id,
                    IPCManager::PROCESS_ID_SWITCH + QString::number(getpid())}
    {
    }
    boost::intrusive_ptr<IDataChannel> channel;
    QStringList arguments;
};

// Runs the peer to its end (killed after the bound); `during` runs while it lives.
QProcess* RunPeer(QProcess& peer, const QStringList& arguments,
                  const std::function<void()>& during = {})
{
    peer.start(IPC_PEER, arguments);
    EXPECT_TRUE(peer.waitForStarted(kProcessTimeoutMs));
    if (during) {
        during();
    }
    if (!peer.waitForFinished(kProcessTimeoutMs)) {
        peer.kill();
        peer.waitForFinished(kProcessTimeoutMs);
    }
    return &peer;
}

QString Output(QProcess* peer)
{
    return QString::fromUtf8(peer->readAllStandardOutput()).trimmed();
}

// ---- messages --------------------------------------------------------------------------

TEST(Channel, MessagesOfEverySizeGoBothWaysWholeAndInOrderThroughPrivateObjects)
{
    Client client;
    ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true));
    const QStringList objects = ChannelObjects();
    EXPECT_EQ(objects.size(), 4) << objects.join(' ').toStdString();  // two sockets, two locks
    for (const QString& name : QStringList{""} + objects) {  // the directory, then each object
        struct stat info;
        const QString path = name.isEmpty() ? ChannelDirectory() : ChannelDirectory() + '/' + name;
        ASSERT_EQ(lstat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, name.isEmpty() ? 0700u : 0600u) << name.toStdString();
        EXPECT_EQ(info.st_uid, geteuid());
    }
    EXPECT_FALSE(client.channel->HasMessage(std::chrono::milliseconds(0)));  // nothing said yet
    for (std::size_t size : {1u, 17u, 4096u, 65537u, 1024u * 1024u}) {
        std::string message(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            message[i] = static_cast<char>((i * 131 + size) & 0xFF);
        }
        EXPECT_EQ(Send(*client.channel, message), message) << size << " bytes";
    }
    // Back to back: three messages in one go come back as three, in order.
    for (const char* text : {"one", "two", "three"}) {
        ASSERT_TRUE(client.channel->WriteMessage(text, std::strlen(text)));
    }
    EXPECT_TRUE(client.channel->HasMessage(Tavrin::Core::kPipeWaitLimit));
    for (const char* text : {"one", "two", "three"}) {
        EXPECT_EQ(Receive(*client.channel), text);
    }
    // A reader with a smaller buffer gets the start; the rest of that message is dropped.
    ASSERT_TRUE(client.channel->WriteMessage("abcdef", 6));
    ASSERT_TRUE(client.channel->WriteMessage("next", 4));
    char start[3] = {};
    EXPECT_EQ(client.channel->ReadMessage(start, 3), 3u);
    EXPECT_EQ(std::string(start, 3), "abc");
    EXPECT_EQ(Send(*client.channel, "x"), "next");  // then "x" waits behind it

    // Nothing empty or oversized goes out.
    EXPECT_FALSE(client.channel->WriteMessage("", 0));
    EXPECT_FALSE(client.channel->WriteMessage("x", Tavrin::Core::kMaxChannelMessageSize + 1));

    client.channel.reset();  // the echo sees its peer close and ends
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

TEST(Channel, APeerThatDiesMidMessageOrAnnouncesTooMuchBreaksTheChannel)
{
    struct Case
    {
        const char* command;
        std::size_t announced;
        const char* warning;
    } cases[] = {{"half", 1000, "a message was cut short"},
                 {"huge-header", 0, "a message announced 1099511627776 bytes"}};
    int id = 900;
    for (const Case& c : cases) {
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        HandMadeMaster master(QString::number(id++));
        QProcess peer;
        peer.start(IPC_PEER, QStringList{c.command} + master.arguments);
        EXPECT_EQ(master.channel->NextMessageSize(), c.announced) << c.command;
        char buffer[16];
        EXPECT_EQ(master.channel->ReadMessage(buffer, sizeof buffer), 0u) << c.command;
        EXPECT_TRUE(master.channel->IsClosed()) << c.command;
        EXPECT_EQ(log.Count(c.warning), 1) << c.command;
        peer.kill();
        peer.waitForFinished(kProcessTimeoutMs);
    }
}

TEST(Channel, MissingBadlyNamedAndTakenPipesAreRefused)
{
    EXPECT_THROW(DataInputPipe::Create("\\\\.\\pipe\\TavrinIPCInput4242", false), IOException);
    EXPECT_THROW(Tavrin::Core::DataOutputPipe::Create("TavrinIPCOutput4242", false), IOException);
    for (const char* bad : {"", "\\\\.\\pipe\\", "..", "a b", "x.lock"}) {
        EXPECT_THROW(DataInputPipe::Create(bad, true), IOException) << bad;
    }
    // A second master for a name in use is refused, and the first keeps it.
    auto first = DataInputPipe::Create("TavrinIPCInputTaken", true);
    EXPECT_THROW(DataInputPipe::Create("TavrinIPCInputTaken", true), IOException);
    EXPECT_TRUE(Tavrin::Core::DataPipeExists("TavrinIPCInputTaken"));
}

// ---- the private directory -------------------------------------------------------------

TEST(Channel, AnUnsafeOrFullDirectoryIsRefusedClearly)
{
    const QString runtime = Tavrin::Test::NewTempDir("runtime");
    chmod(QFile::encodeName(runtime).constData(), 0700);
    const ScopedEnv scoped("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QByteArray directory = QFile::encodeName(runtime + "/tavrin-ipc");
    const QString elsewhere = Tavrin::Test::NewTempDir("elsewhere");
    struct Case
    {
        const char* name;
        std::function<bool()> spoil;
        const char* message;
    } cases[] = {
        {"symlink",
         [&] { return symlink(QFile::encodeName(elsewhere).constData(), directory) == 0; },
         "is not a directory"},
        {"open to others",
         [&] { return mkdir(directory, 0700) == 0 && chmod(directory, 0755) == 0; },
         "is open to other users"},
        {"another user's",
         [&] { return mkdir(directory, 0700) == 0 && chown(directory, 65534, 65534) == 0; },
         "belongs to another user"},
        {"full",
         [&] {
             if (mkdir(directory, 0700) != 0 ||
                 mount("tmpfs", directory, "tmpfs", 0, "size=64k,nr_inodes=16,mode=0700") != 0) {
                 return false;
             }
             for (int i = 0; i < 64; ++i) {
                 QFile(directory + "/filler" + QString::number(i)).open(QIODevice::WriteOnly);
             }
             return true;
         },
         "No space left"},
    };
    const auto clear = [&] {
        umount(directory);
        unlink(directory);
        rmdir(directory);
    };
    for (const Case& c : cases) {
        clear();
        if (!c.spoil()) {
            std::cout << "[  SKIPPED ] cannot make the case: " << c.name << std::endl;
            continue;
        }
        EXPECT_NE(PipeFailure(c.message), "") << c.name;
        EXPECT_FALSE(Tavrin::Core::DataPipeExists("TavrinIPCInput1")) << c.name;
        Client client;
        EXPECT_FALSE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true)) << c.name;
    }
    EXPECT_TRUE(QDir(elsewhere).isEmpty());  // nothing was made through the symlink
    clear();
}

TEST(Channel, AKilledMastersObjectsAreRemovedByTheNextMaster)
{
    QProcess master;
    master.start(IPC_PEER, {"master-tell-id"});
    ASSERT_TRUE(master.waitForReadyRead(kProcessTimeoutMs));
    const QString id = QString::fromUtf8(master.readLine()).trimmed().mid(3);
    const std::string name = IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString();
    EXPECT_TRUE(Tavrin::Core::DataPipeExists(name));
    kill(static_cast<pid_t>(master.processId()), SIGKILL);
    master.waitForFinished(kProcessTimeoutMs);

    EXPECT_EQ(ChannelObjects().size(), 4);             // left behind
    EXPECT_FALSE(Tavrin::Core::DataPipeExists(name));  // but nobody's
    EXPECT_THROW(DataInputPipe::Create(name, false), IOException);
    {
        auto next = DataInputPipe::Create("TavrinIPCInputNext", true);
        EXPECT_EQ(ChannelObjects(), QStringList({"TavrinIPCInputNext", "TavrinIPCInputNext.lock"}));
    }
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

// ---- launching -------------------------------------------------------------------------

TEST(Launch, TheSlaveRunsInItsDirectoryWithBothSwitchesLast)
{
    const QString bin = Tavrin::Test::NewTempDir("bin");
    ASSERT_TRUE(QFile::copy(IPC_PEER, bin + "/ipc_peer"));
    struct Case
    {
        QString slavePath;
        QString arguments;
        QString directory;
        QStringList before;  // the arguments before the switches
    } cases[] = {
        {"ipc_peer", "report %1", QCoreApplication::applicationDirPath(), {"report", "%1"}},
        {bin + "/ipc_peer", " report  %1 a  b ", bin, {"report", "%1", "a", "b"}},
    };
    for (const Case& c : cases) {
        const QString file = Tavrin::Test::NewTempDir("report") + "/args";
        Client client;
        ASSERT_TRUE(IPCManager::LaunchSlave(client, c.slavePath, c.arguments.arg(file), true));
        ASSERT_TRUE(client.SlaveEnded()) << c.slavePath.toStdString();
        const QStringList lines = Tavrin::Test::ReadLines(file);
        // Its directory, the program, the arguments, then both switches.
        EXPECT_EQ(lines.mid(2).join('|'), c.before.join('|').arg(file) + "|/MasterPipeId=" +
                                              lines.value(lines.size() - 2).mid(14) +
                                              "|/ProcessId=" + QString::number(getpid()));
        EXPECT_EQ(lines.value(0), c.directory);
        EXPECT_TRUE(lines.value(lines.size() - 2).startsWith("/MasterPipeId="));
    }
}

TEST(Launch, WhatIsNotAnExecutableStartsNothing)
{
    for (const QString& slavePath : {QString(), QCoreApplication::applicationDirPath(),
                                     QString("no-such-program-here"),  // nor under the application
                                     QString("/nonexistent/program")}) {
        Client client;
        EXPECT_FALSE(IPCManager::LaunchSlave(client, slavePath, "", true))
            << slavePath.toStdString();
        EXPECT_EQ(client.handle, -1) << slavePath.toStdString();
    }
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

TEST(Launch, EightMastersAtOnceGetDistinctIds)
{
    std::vector<std::unique_ptr<QProcess>> masters;
    for (int i = 0; i < 8; ++i) {
        masters.push_back(std::make_unique<QProcess>());
        masters.back()->start(IPC_PEER, {"master-tell-id"});
    }
    // Each holds its channel until all have answered, so no id is free for another.
    QSet<QString> ids;
    for (auto& master : masters) {
        ASSERT_TRUE(master->waitForReadyRead(kProcessTimeoutMs));
        ids.insert(QString::fromUtf8(master->readLine()).trimmed());
    }
    EXPECT_EQ(ids.size(), 8) << ids.values().join(' ').toStdString();
    for (auto& master : masters) {
        master->closeWriteChannel();
        EXPECT_TRUE(master->waitForFinished(kProcessTimeoutMs));
    }
}

TEST(Launch, FiftyLaunchesLeaveNothingBehind)
{
    const int descriptors = QDir("/proc/self/fd").count();
    for (int i = 0; i < 50; ++i) {
        Client client;
        ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "tell-id", true));
        EXPECT_FALSE(Receive(*client.channel).empty());
        client.channel.reset();
        ASSERT_TRUE(client.SlaveEnded());
    }
    EXPECT_TRUE(ChannelObjects().isEmpty()) << ChannelObjects().join(' ').toStdString();
    EXPECT_EQ(QDir("/proc/self/fd").count(), descriptors);
}

// ---- the slave's set-up ----------------------------------------------------------------

TEST(SlaveSetUp, TheCommandLineDecidesWhetherTheSlaveJoins)
{
    const QString pid = "/ProcessId=" + QString::number(getpid());
    const QString none = "result=0 channel=0 handle=0";
    const std::pair<QStringList, QString> cases[] = {
        {{"/MasterPipeId=4711", pid}, "result=1 channel=1 handle=1"},
        {{"/MasterPipeId=4711"}, none},
        {{pid}, none},
        {{"/MasterPipeId=", pid}, none},
        {{"/MasterPipeId=4711", "/ProcessId=12ab"}, none},
        {{"/MasterPipeId=4711", "/ProcessId=0"}, none},
        {{"/MasterPipeId=5", pid}, none},      // no pipes
        {{"x/MasterPipeId=4711", pid}, none},  // "x4711"
        // The last of each switch wins; a master that cannot be opened gives no handle.
        {{"/MasterPipeId=1", "/ProcessId=1", "/MasterPipeId=4711", "/ProcessId=2147483646"},
         "result=1 channel=1 handle=0"},
    };
    for (const auto& c : cases) {
        HandMadeMaster fresh("4711");  // every joining slave takes the pipes' one place
        QProcess peer;
        EXPECT_EQ(Output(RunPeer(peer, QStringList{"setup"} + c.first)), c.second)
            << c.first.join(' ').toStdString();
    }
}

// ---- the focus hand-back ---------------------------------------------------------------

// The slave's close message is answered with `reply` (nothing when empty); it switches to the
// window the reply names, if any, and says nothing more when asked a second time.
TEST(FocusTransferer, RepliesDecideWhichWindowTheSlaveSwitchesTo)
{
    struct Case
    {
        QByteArray reply;
        const char* switched;  // the window the slave switched to, or null for none
        bool twice = false;
    } cases[] = {
        {"yes=4242", "4242"},
        {"no", nullptr},
        {"yes", nullptr},
        {"yes=abc", "0"},
        {"yes=12345678901234567890", "0"},
        {"", nullptr},
        {"YES=5", nullptr},
        {"no", nullptr, true},
    };
    int id = 100;
    for (const Case& c : cases) {
        HandMadeMaster master(QString::number(id++));
        std::string said;
        QProcess peer;
        RunPeer(peer, QStringList{"focus", c.twice ? "twice" : "once"} + master.arguments, [&] {
            said = Receive(*master.channel);
            if (!c.reply.isEmpty()) {
                master.channel->WriteMessage(c.reply.constData(), c.reply.size());
            }
            if (c.twice && master.channel->NextMessageSize() > 0) {  // a second close message
                said += "+again";
            }
            master.channel.reset();
        });
        const QString err = QString::fromUtf8(peer.readAllStandardError());
        EXPECT_EQ(said, "applicationClosed") << c.reply.toStdString();
        EXPECT_EQ(Output(&peer), "done") << c.reply.toStdString() << err.toStdString();
        EXPECT_EQ(err.contains("Switching to window"), c.switched != nullptr)
            << c.reply.toStdString();
        if (c.switched) {
            EXPECT_TRUE(err.contains(QString("Switching to window %1 ").arg(c.switched)))
                << err.toStdString();
        }
    }
}

TEST(FocusTransferer, AMasterThatEndedHearsNothing)
{
    const QString file = Tavrin::Test::NewTempDir("holder") + "/result";
    QProcess master;
    RunPeer(master, {"master-then-exit", file});
    EXPECT_EQ(master.exitCode(), 0) << master.readAllStandardError().toStdString();
    // The forked copy of the master writes once the slave has closed its end; the file may be
    // seen created but not yet written.
    QStringList lines;
    const auto written = [&] {
        lines = Tavrin::Test::ReadLines(file);
        return !lines.value(0).isEmpty() && lines.value(0) != "(missing)";
    };
    for (int i = 0; i < 300 && !written(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(lines.value(0), "messages=0 closed=1");
}

// Counting up and down to zero leaves the object in place; with no channel nothing waits.
TEST(FocusTransferer, AStandaloneSlaveSurvivesItsReferencesAndSendsNothing)
{
    auto& slave = Tavrin::App::IPCFocusTransfererSlave::Instance();
    {
        boost::intrusive_ptr<Tavrin::IRefCountable> reference(&slave);
        EXPECT_EQ(slave.GetRefCount(), 1u);
    }
    EXPECT_EQ(slave.GetRefCount(), 0u);
    slave.GiveFocusToParent();
    EXPECT_EQ(&slave, &Tavrin::App::IPCFocusTransfererSlave::Instance());
}

// ---- under a real X server -------------------------------------------------------------

xcb_window_t Focused(xcb_connection_t* connection)
{
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
    return reply ? reply->focus : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

TEST(FocusTransferer, TheMastersWindowIsActiveAfterTheSlaveCloses)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    QProcess server;
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start("Xvfb", {"-displayfd", QString::number(fds[1]), "-nolisten", "tcp", "-screen", "0",
                          "640x480x24"});
    close(fds[1]);
    char number[16] = {};
    pollfd ready{fds[0], POLLIN, 0};
    const bool up = server.waitForStarted(5000) && poll(&ready, 1, 10000) == 1 &&
                    read(fds[0], number, sizeof number - 1) > 0;
    close(fds[0]);
    const QByteArray display = ":" + QByteArray(number).trimmed();
    const std::shared_ptr<xcb_connection_t> connection(
        up ? xcb_connect(display.constData(), nullptr) : nullptr, [&](xcb_connection_t* c) {
            if (c) {
                xcb_disconnect(c);
            }
            server.kill();
            server.waitForFinished(5000);
        });
    if (!up) {
        GTEST_SKIP() << "Xvfb did not start";
    }
    ASSERT_FALSE(xcb_connection_has_error(connection.get()));
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const xcb_window_t window = xcb_generate_id(connection.get());
    xcb_create_window(connection.get(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 200,
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection.get(), window);
    xcb_flush(connection.get());

    // The slave shows its window on that display and takes the focus, then says it closes.
    const QString slaveWindowFile = Tavrin::Test::NewTempDir("x11") + "/window";
    Client client;
    {
        const ScopedEnv onDisplay("DISPLAY", display), onX("QT_QPA_PLATFORM", "xcb");
        ASSERT_TRUE(
            IPCManager::LaunchSlave(client, "ipc_peer", "focus-x11 " + slaveWindowFile, true));
    }
    EXPECT_EQ(Receive(*client.channel), "applicationClosed");
    EXPECT_EQ(QString::number(Focused(connection.get())),
              Tavrin::Test::ReadLines(slaveWindowFile).value(0));  // the slave had it

    const std::string reply = "yes=" + std::to_string(window);
    ASSERT_TRUE(client.channel->WriteMessage(reply.data(), reply.size()));
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_EQ(Focused(connection.get()), window);
}

}  // namespace
