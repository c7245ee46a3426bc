// The master/slave channel with real processes on both ends: the pipes and their private
// directory, the launch of a slave and its set-up, and the focus hand-back.
#include "LogCapture.h"
#include "TestSupport.h"

#include <Tavrin/App/Application/IPCFocusTransfererSlave.h>
#include <Tavrin/App/Application/IPCManager.h>
#include <Tavrin/Core/CommunicationChannel.h>
#include <Tavrin/Core/DataPipe.h>
#include <Tavrin/Core/Exception.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstring>
#include <memory>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Tavrin::App::IPCManager;
using Tavrin::Core::IDataChannel;

const int kProcessTimeoutMs = 30000;  // generous for sanitizer builds on a busy machine

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

    // Waits (bounded) until the slave process has ended.
    bool SlaveEnded() const
    {
        pollfd ended{static_cast<int>(handle), POLLIN, 0};
        return handle > 0 && poll(&ended, 1, kProcessTimeoutMs) == 1;
    }

    boost::intrusive_ptr<IDataChannel> channel;
    long long handle = -1;
};

QString ChannelDirectory()
{
    return qEnvironmentVariable("XDG_RUNTIME_DIR") + "/tavrin-ipc";
}

QStringList ChannelObjects()
{
    return QDir(ChannelDirectory())
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

std::string Send(IDataChannel& channel, const std::string& text)
{
    EXPECT_TRUE(channel.WriteMessage(text.data(), text.size()));
    std::string reply(channel.NextMessageSize(), '\0');
    reply.resize(channel.ReadMessage(&reply[0], reply.size()));
    return reply;
}

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + size) & 0xFF);
    }
    return bytes;
}

// A master end made by hand, so that a test can put raw bytes on the pipe.
struct HandMadeMaster
{
    explicit HandMadeMaster(const QString& id)
        : input(Tavrin::Core::DataInputPipe::Create(
              IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString(), true)),
          output(Tavrin::Core::DataOutputPipe::Create(
              IPCManager::SLAVE_INPUT_PIPE_TEMPLATE.arg(id).toStdString(), true)),
          channel(Tavrin::Core::CommunicationChannel::Create(input, output, true)),
          arguments{IPCManager::PIPE_ID_SWITCH + id,
                    IPCManager::PROCESS_ID_SWITCH + QString::number(getpid())}
    {
    }
    boost::intrusive_ptr<Tavrin::Core::IByteDataInputEx> input;
    boost::intrusive_ptr<Tavrin::Core::IByteDataOutputEx> output;
    boost::intrusive_ptr<IDataChannel> channel;
    QStringList arguments;
};

struct PeerRun
{
    QString out;
    QString err;
    int exitCode = -1;
};

PeerRun RunPeer(const QStringList& arguments, const std::function<void(QProcess&)>& during = {})
{
    QProcess peer;
    peer.start(IPC_PEER, arguments);
    EXPECT_TRUE(peer.waitForStarted(kProcessTimeoutMs));
    if (during) {
        during(peer);
    }
    PeerRun run;
    if (peer.waitForFinished(kProcessTimeoutMs) && peer.exitStatus() == QProcess::NormalExit) {
        run.exitCode = peer.exitCode();
    } else {
        peer.kill();
        peer.waitForFinished(kProcessTimeoutMs);
    }
    run.out = QString::fromUtf8(peer.readAllStandardOutput()).trimmed();
    run.err = QString::fromUtf8(peer.readAllStandardError());
    return run;
}

// ---- messages --------------------------------------------------------------------------

TEST(Channel, MessagesOfEverySizeGoBothWaysWholeAndInOrder)
{
    Client client;
    ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true));
    ASSERT_TRUE(client.channel);
    ASSERT_GT(client.handle, 0);
    EXPECT_FALSE(client.channel->HasMessage(std::chrono::milliseconds(0)));  // nothing said yet
    for (std::size_t size : {1u, 17u, 4096u, 65537u, 1024u * 1024u}) {
        const std::string message = Pattern(size);
        EXPECT_EQ(Send(*client.channel, message), message) << size << " bytes";
    }
    // Back to back: three messages in one go come back as three, in order.
    for (const char* text : {"one", "two", "three"}) {
        ASSERT_TRUE(client.channel->WriteMessage(text, std::strlen(text)));
    }
    EXPECT_TRUE(client.channel->HasMessage(Tavrin::Core::kPipeWaitLimit));
    for (const char* text : {"one", "two", "three"}) {
        std::string reply(client.channel->NextMessageSize(), '\0');
        client.channel->ReadMessage(&reply[0], reply.size());
        EXPECT_EQ(reply, text);
    }
    // A reader with a smaller buffer gets the start; the rest of that message is dropped.
    ASSERT_TRUE(client.channel->WriteMessage("abcdef", 6));
    ASSERT_TRUE(client.channel->WriteMessage("next", 4));
    char start[3] = {};
    EXPECT_EQ(client.channel->ReadMessage(start, 3), 3u);
    EXPECT_EQ(std::string(start, 3), "abc");
    EXPECT_EQ(Send(*client.channel, "x").size(), 4u);  // "next", then "x" waits behind it

    // Nothing empty or oversized goes out.
    EXPECT_FALSE(client.channel->WriteMessage("", 0));
    EXPECT_FALSE(client.channel->WriteMessage("x", Tavrin::Core::kMaxChannelMessageSize + 1));

    client.channel.reset();  // the echo sees its peer close and ends
    EXPECT_TRUE(client.SlaveEnded());
}

TEST(Channel, APeerThatDiesMidMessageOrAnnouncesTooMuchBreaksTheChannel)
{
    struct Case
    {
        const char* command;
        const char* warning;
    } cases[] = {{"half", "a message was cut short"},
                 {"huge-header", "a message announced 1099511627776 bytes"}};
    int id = 900;
    for (const Case& c : cases) {
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        HandMadeMaster master(QString::number(id++));
        QProcess peer;
        peer.start(IPC_PEER, QStringList{c.command} + master.arguments);
        EXPECT_EQ(master.channel->NextMessageSize() == 0 ? 0u : 1000u,
                  c.command == std::string("half") ? 1000u : 0u)
            << c.command;
        char buffer[16];
        EXPECT_EQ(master.channel->ReadMessage(buffer, sizeof buffer), 0u) << c.command;
        EXPECT_TRUE(master.channel->IsClosed()) << c.command;
        EXPECT_EQ(master.channel->NextMessageSize(), 0u) << c.command;
        EXPECT_EQ(log.Count(c.warning), 1) << c.command;
        peer.kill();
        peer.waitForFinished(kProcessTimeoutMs);
    }
}

TEST(Channel, ASlaveCannotOpenPipesThatAreMissing)
{
    EXPECT_THROW(Tavrin::Core::DataInputPipe::Create("\\\\.\\pipe\\TavrinIPCInput4242", false),
                 Tavrin::Core::IOException);
    EXPECT_THROW(Tavrin::Core::DataOutputPipe::Create("TavrinIPCOutput4242", false),
                 Tavrin::Core::IOException);
    for (const char* bad : {"", "\\\\.\\pipe\\", "..", "a b", "x.lock"}) {
        EXPECT_THROW(Tavrin::Core::DataInputPipe::Create(bad, true), Tavrin::Core::IOException)
            << bad;
    }
    // A second master for a name in use is refused, and the first keeps it.
    auto first = Tavrin::Core::DataInputPipe::Create("TavrinIPCInputTaken", true);
    EXPECT_THROW(Tavrin::Core::DataInputPipe::Create("TavrinIPCInputTaken", true),
                 Tavrin::Core::IOException);
    EXPECT_TRUE(Tavrin::Core::DataPipeExists("TavrinIPCInputTaken"));
}

// ---- the private directory -------------------------------------------------------------

TEST(Channel, ObjectsArePrivateToTheUser)
{
    Client client;
    ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true));
    struct stat info;
    ASSERT_EQ(lstat(QFile::encodeName(ChannelDirectory()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
    const QStringList objects = ChannelObjects();
    EXPECT_EQ(objects.size(), 4) << objects.join(' ').toStdString();  // two sockets, two locks
    for (const QString& name : objects) {
        ASSERT_EQ(lstat(QFile::encodeName(ChannelDirectory() + '/' + name).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << name.toStdString();
        EXPECT_EQ(info.st_uid, geteuid());
    }
    client.channel.reset();
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

TEST(Channel, AnUnsafeDirectoryIsRefused)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString runtime = Tavrin::Test::NewTempDir("runtime");
    chmod(QFile::encodeName(runtime).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
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
    };
    for (const Case& c : cases) {
        unlink(directory);
        rmdir(directory);
        if (!c.spoil()) {
            std::cout << "[  SKIPPED ] cannot make the case: " << c.name << std::endl;
            continue;
        }
        try {
            Tavrin::Core::DataInputPipe::Create("TavrinIPCInput1", true);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Tavrin::Core::IOException& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos)
                << c.name << ": " << error.what();
        }
        EXPECT_FALSE(Tavrin::Core::DataPipeExists("TavrinIPCInput1")) << c.name;
        Client client;
        EXPECT_FALSE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true)) << c.name;
        EXPECT_FALSE(client.channel) << c.name;
    }
    EXPECT_TRUE(QDir(elsewhere).isEmpty());  // nothing was made through the symlink
    unlink(directory);
    rmdir(directory);
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(Channel, AFullRuntimeDirectoryGivesAClearFailure)
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const QString runtime = Tavrin::Test::NewTempDir("full");
    const QByteArray path = QFile::encodeName(runtime);
    if (mount("tmpfs", path, "tmpfs", 0, "size=64k,nr_inodes=16,mode=0700") != 0) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    qputenv("XDG_RUNTIME_DIR", path);
    mkdir(path + "/tavrin-ipc", 0700);
    for (int i = 0; i < 64; ++i) {
        QFile(runtime + "/tavrin-ipc/filler" + QString::number(i)).open(QIODevice::WriteOnly);
    }
    try {
        Tavrin::Core::DataInputPipe::Create("TavrinIPCInput1", true);
        ADD_FAILURE() << "made a pipe on a full file system";
    } catch (const Tavrin::Core::IOException& error) {
        EXPECT_NE(std::string(error.what()).find("No space left"), std::string::npos)
            << error.what();
    }
    qputenv("XDG_RUNTIME_DIR", saved);
    umount(path);
}

TEST(Channel, AKilledMastersObjectsAreRemovedByTheNextMaster)
{
    QProcess master;
    master.start(IPC_PEER, {"master-hold"});
    ASSERT_TRUE(master.waitForReadyRead(kProcessTimeoutMs));
    ASSERT_EQ(master.readLine().trimmed(), "ready");
    EXPECT_TRUE(Tavrin::Core::DataPipeExists("TavrinIPCInputKilled"));
    kill(static_cast<pid_t>(master.processId()), SIGKILL);
    master.waitForFinished(kProcessTimeoutMs);

    EXPECT_EQ(ChannelObjects().size(), 4);                               // left behind
    EXPECT_FALSE(Tavrin::Core::DataPipeExists("TavrinIPCInputKilled"));  // but nobody's
    EXPECT_THROW(Tavrin::Core::DataInputPipe::Create("TavrinIPCInputKilled", false),
                 Tavrin::Core::IOException);
    {
        auto next = Tavrin::Core::DataInputPipe::Create("TavrinIPCInputNext", true);
        EXPECT_EQ(ChannelObjects(), QStringList({"TavrinIPCInputNext", "TavrinIPCInputNext.lock"}));
    }
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

// ---- launching -------------------------------------------------------------------------

TEST(Launch, TheSlaveRunsInItsDirectoryWithBothSwitchesLast)
{
    const QString bin = Tavrin::Test::NewTempDir("bin");
    ASSERT_TRUE(QFile::copy(IPC_PEER, bin + "/ipc_peer"));
    const QString appDir = QCoreApplication::applicationDirPath();
    struct Case
    {
        QString slavePath;
        QString arguments;
        QString directory;
        QStringList before;  // the arguments before the switches
    } cases[] = {
        {"ipc_peer", "report %1", appDir, {"report", "%1"}},
        {bin + "/ipc_peer", " report  %1 a  b ", bin, {"report", "%1", "a", "b"}},
    };
    for (const Case& c : cases) {
        const QString file = Tavrin::Test::NewTempDir("report") + "/args";
        Client client;
        ASSERT_TRUE(IPCManager::LaunchSlave(client, c.slavePath, c.arguments.arg(file), true));
        ASSERT_TRUE(client.SlaveEnded()) << c.slavePath.toStdString();
        QStringList lines = Tavrin::Test::ReadLines(file);
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.takeFirst(), c.directory);
        lines.removeFirst();  // the program
        ASSERT_EQ(lines.size(), c.before.size() + 2) << lines.join('|').toStdString();
        EXPECT_EQ(lines.mid(0, c.before.size()).join('|'), c.before.join('|').arg(file));
        EXPECT_TRUE(lines.at(c.before.size()).startsWith("/MasterPipeId="));
        EXPECT_EQ(lines.last(), "/ProcessId=" + QString::number(getpid()));
    }
}

TEST(Launch, WhatIsNotAnExecutableStartsNothing)
{
    struct Case
    {
        QString slavePath;
        bool channel;  // the pipes are made before the start fails
    } cases[] = {
        {"", false},
        {QCoreApplication::applicationDirPath(), false},
        {"no-such-program-here", false},  // relative and not under the application
        {"/nonexistent/program", true},
    };
    for (const Case& c : cases) {
        Client client;
        EXPECT_FALSE(IPCManager::LaunchSlave(client, c.slavePath, "", true))
            << c.slavePath.toStdString();
        EXPECT_EQ(bool(client.channel), c.channel) << c.slavePath.toStdString();
        EXPECT_EQ(client.handle, -1) << c.slavePath.toStdString();
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
        const QString line = QString::fromUtf8(master->readLine()).trimmed();
        ASSERT_TRUE(line.startsWith("id=")) << line.toStdString();
        const QString id = line.mid(3);
        bool number = false;
        id.toInt(&number);
        EXPECT_TRUE(number) << line.toStdString();
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 8);
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
        char id[32];
        EXPECT_GT(client.channel->ReadMessage(id, sizeof id), 0u);
        client.channel.reset();
        ASSERT_TRUE(client.SlaveEnded());
    }
    EXPECT_TRUE(ChannelObjects().isEmpty()) << ChannelObjects().join(' ').toStdString();
    EXPECT_EQ(QDir("/proc/self/fd").count(), descriptors);
}

// ---- the slave's set-up ----------------------------------------------------------------

TEST(SlaveSetUp, TheCommandLineDecidesWhetherTheSlaveJoins)
{
    const QString pid = QString::number(getpid());
    struct Case
    {
        QStringList arguments;
        QString result;
    } cases[] = {
        {{"/MasterPipeId=4711", "/ProcessId=" + pid}, "result=1 channel=1 handle=1"},
        {{"/MasterPipeId=4711"}, "result=0 channel=0 handle=0"},
        {{"/ProcessId=" + pid}, "result=0 channel=0 handle=0"},
        {{"/MasterPipeId=", "/ProcessId=" + pid}, "result=0 channel=0 handle=0"},
        {{"/MasterPipeId=4711", "/ProcessId=12ab"}, "result=0 channel=0 handle=0"},
        {{"/MasterPipeId=4711", "/ProcessId=0"}, "result=0 channel=0 handle=0"},
        {{"/MasterPipeId=5", "/ProcessId=" + pid}, "result=0 channel=0 handle=0"},      // no pipes
        {{"x/MasterPipeId=4711", "/ProcessId=" + pid}, "result=0 channel=0 handle=0"},  // "x4711"
        // The last of each switch wins; a master that cannot be opened gives no handle.
        {{"/MasterPipeId=1", "/ProcessId=1", "/MasterPipeId=4711", "/ProcessId=2147483646"},
         "result=1 channel=1 handle=0"},
    };
    for (const Case& c : cases) {
        HandMadeMaster fresh("4711");  // every joining slave takes the pipes' one place
        EXPECT_EQ(RunPeer(QStringList{"setup"} + c.arguments).out, c.result)
            << c.arguments.join(' ').toStdString();
    }
}

// ---- the focus hand-back ---------------------------------------------------------------

// Answers the slave's close message with `reply`; returns what the slave said and its stderr.
PeerRun FocusExchange(const QString& id, const QByteArray& reply, bool twice, QString* said)
{
    HandMadeMaster master(id);
    return RunPeer(QStringList{"focus", twice ? "twice" : "once"} + master.arguments,
                   [&](QProcess&) {
                       std::string message(master.channel->NextMessageSize(), '\0');
                       master.channel->ReadMessage(&message[0], message.size());
                       *said = QString::fromStdString(message);
                       if (!reply.isEmpty()) {
                           master.channel->WriteMessage(reply.constData(), reply.size());
                       }
                       // A second close message would come now.
                       if (twice && master.channel->NextMessageSize() > 0) {
                           *said += "+again";
                       }
                       master.channel.reset();
                   });
}

TEST(FocusTransferer, RepliesDecideWhichWindowTheSlaveSwitchesTo)
{
    struct Case
    {
        QByteArray reply;      // empty: the master closes without a word
        const char* switched;  // the window the slave switched to, or null for none
    } cases[] = {
        {"yes=4242", "4242"},
        {"no", nullptr},
        {"yes", nullptr},
        {"yes=abc", "0"},
        {"yes=12345678901234567890", "0"},
        {"", nullptr},
        {"YES=5", nullptr},
    };
    int id = 100;
    for (const Case& c : cases) {
        QString said;
        const PeerRun run = FocusExchange(QString::number(id++), c.reply, false, &said);
        EXPECT_EQ(said, "applicationClosed") << c.reply.toStdString();
        EXPECT_EQ(run.out, "done") << c.reply.toStdString() << run.err.toStdString();
        const bool switched = run.err.contains("Switching to window");
        EXPECT_EQ(switched, c.switched != nullptr) << c.reply.toStdString();
        if (c.switched) {
            EXPECT_TRUE(run.err.contains(QString("Switching to window %1 ").arg(c.switched)))
                << run.err.toStdString();
        }
    }
}

TEST(FocusTransferer, OnlyTheFirstCallSpeaks)
{
    QString said;
    FocusExchange("300", "no", true, &said);
    EXPECT_EQ(said, "applicationClosed");
}

TEST(FocusTransferer, AMasterThatEndedHearsNothing)
{
    const QString file = Tavrin::Test::NewTempDir("holder") + "/result";
    const PeerRun master = RunPeer({"master-then-exit", file});
    EXPECT_EQ(master.exitCode, 0) << master.err.toStdString();
    // The forked copy of the master writes once the slave has closed its end.
    QStringList lines;
    for (int i = 0; i < 300 && (lines = Tavrin::Test::ReadLines(file)).value(0) == "(missing)";
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(lines.value(0), "messages=0 closed=1");
}

TEST(FocusTransferer, AStandaloneSlaveGetsTheObjectAndSendsNothing)
{
    auto& slave = Tavrin::App::IPCFocusTransfererSlave::Instance();
    EXPECT_EQ(&slave, &Tavrin::App::IPCFocusTransfererSlave::Instance());
    EXPECT_EQ(slave.qt_metacast("IIPCClient"), static_cast<Tavrin::App::IIPCClient*>(&slave));
    EXPECT_EQ(slave.qt_metacast("IFocusTransferer"),
              static_cast<Tavrin::App::IFocusTransferer*>(&slave));
    EXPECT_EQ(slave.qt_metacast("IRefCountable"), static_cast<Tavrin::IRefCountable*>(&slave));
    EXPECT_EQ(slave.qt_metacast("ISomethingElse"), nullptr);
    // Counting up and down to zero leaves the object in place.
    {
        boost::intrusive_ptr<Tavrin::IRefCountable> reference(&slave);
        EXPECT_EQ(slave.GetRefCount(), 1u);
    }
    EXPECT_EQ(slave.GetRefCount(), 0u);
    slave.GiveFocusToParent();  // no channel: nothing happens, and nothing waits
    EXPECT_EQ(&slave, &Tavrin::App::IPCFocusTransfererSlave::Instance());
}

// ---- under a real X server -------------------------------------------------------------

class XServer
{
public:
    XServer()
    {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        m_server.setProgram("Xvfb");
        m_server.setArguments({"-displayfd", QString::number(fds[1]), "-nolisten", "tcp", "-screen",
                               "0", "640x480x24"});
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.setStandardErrorFile(QProcess::nullDevice());
        m_server.start();
        close(fds[1]);
        char number[16] = {};
        pollfd ready{fds[0], POLLIN, 0};
        if (m_server.waitForStarted(5000) && poll(&ready, 1, 10000) == 1 &&
            read(fds[0], number, sizeof number - 1) > 0) {
            display = ":" + QString::fromLatin1(number).trimmed();
        }
        close(fds[0]);
    }
    ~XServer()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    QString display;  // empty when the server did not come up

private:
    QProcess m_server;
};

xcb_window_t Focused(xcb_connection_t* connection)
{
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
    return reply ? reply->focus : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

// Starts the focus slave on the display; it takes the focus, then says it closes.
bool LaunchFocusSlave(Client& client, const QString& display, QString* slaveWindowFile)
{
    const QByteArray savedDisplay = qgetenv("DISPLAY");
    const QByteArray savedPlatform = qgetenv("QT_QPA_PLATFORM");
    qputenv("DISPLAY", display.toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    *slaveWindowFile = Tavrin::Test::NewTempDir("x11") + "/window";
    const bool launched =
        IPCManager::LaunchSlave(client, "ipc_peer", "focus-x11 " + *slaveWindowFile, true);
    qputenv("DISPLAY", savedDisplay);
    qputenv("QT_QPA_PLATFORM", savedPlatform);
    return launched;
}

std::string ReadMessage(IDataChannel& channel)
{
    std::string message(channel.NextMessageSize(), '\0');
    message.resize(channel.ReadMessage(&message[0], message.size()));
    return message;
}

struct Display
{
    explicit Display(const QString& name)
        : connection(xcb_connect(name.toLatin1().constData(), nullptr))
    {
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    }
    ~Display() { xcb_disconnect(connection); }

    xcb_window_t NewWindow()
    {
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection, window);
        xcb_flush(connection);
        return window;
    }

    xcb_connection_t* connection;
    const xcb_screen_t* screen = nullptr;
};

TEST(FocusTransferer, TheMastersWindowIsActiveAfterTheSlaveCloses)
{
    XServer server;
    if (server.display.isEmpty()) {
        GTEST_SKIP() << "Xvfb did not start";
    }
    Display display(server.display);
    ASSERT_FALSE(xcb_connection_has_error(display.connection));
    const xcb_window_t window = display.NewWindow();

    Client client;
    QString slaveWindowFile;
    ASSERT_TRUE(LaunchFocusSlave(client, server.display, &slaveWindowFile));
    EXPECT_EQ(ReadMessage(*client.channel), "applicationClosed");
    const QString slaveWindow = Tavrin::Test::ReadLines(slaveWindowFile).value(0);
    EXPECT_EQ(QString::number(Focused(display.connection)), slaveWindow);  // the slave had it

    const std::string reply = "yes=" + std::to_string(window);
    ASSERT_TRUE(client.channel->WriteMessage(reply.data(), reply.size()));
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_EQ(Focused(display.connection), window);
}

}  // namespace
