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
#include <QRegularExpression>
#include <QSet>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using Tavrin::App::IPCManager;
using Tavrin::Core::DataInputPipe;
using Tavrin::Core::DataOutputPipe;
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

// Sets an environment variable while it lives.
struct ScopedEnv
{
    ScopedEnv(const char* name, const QByteArray& value) : name(name) { qputenv(name, value); }
    ~ScopedEnv() { qputenv(name, saved); }
    const char* name;
    const QByteArray saved = qgetenv(name);
};

// A master end made by hand, so that a test chooses the switches a slave gets and can put
// raw bytes on the pipe.
struct HandMadeMaster
{
    explicit HandMadeMaster(const QString& id, pid_t master = getpid())
        : channel(Tavrin::Core::CommunicationChannel::Create(
              DataInputPipe::Create(OutputOfSlave(id), true),
              DataOutputPipe::Create(IPCManager::SLAVE_INPUT_PIPE_TEMPLATE.arg(id).toStdString(),
                                     true),
              true)),
          arguments{IPCManager::PIPE_ID_SWITCH + id,
                    IPCManager::PROCESS_ID_SWITCH + QString::number(master)}
    {
    }
    static std::string OutputOfSlave(const QString& id)
    {
        return IPCManager::SLAVE_OUTPUT_PIPE_TEMPLATE.arg(id).toStdString();
    }
    boost::intrusive_ptr<IDataChannel> channel;
    QStringList arguments;
};

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
        EXPECT_TRUE(client.channel->WriteMessage(message.data(), size));
        EXPECT_EQ(Receive(*client.channel), message) << size << " bytes";
    }
    // Back to back, the first longer than the reader's buffer: it gets the start, the rest of
    // that message is dropped, and the next comes whole.
    ASSERT_TRUE(client.channel->WriteMessage("abcdef", 6));
    ASSERT_TRUE(client.channel->WriteMessage("next", 4));
    EXPECT_TRUE(client.channel->HasMessage(Tavrin::Core::kPipeWaitLimit));
    char start[3] = {};
    EXPECT_EQ(client.channel->ReadMessage(start, 3), 3u);
    EXPECT_EQ(std::string(start, 3), "abc");
    EXPECT_EQ(Receive(*client.channel), "next");

    // Nothing empty or oversized goes out.
    EXPECT_FALSE(client.channel->WriteMessage("", 0));
    EXPECT_FALSE(client.channel->WriteMessage("x", Tavrin::Core::kMaxChannelMessageSize + 1));

    client.channel.reset();  // the echo sees its peer close and ends
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

// Raw bytes from a slave end: a message cut short by its peer's end, and a length header far
// beyond what a channel carries (from a peer still there).
TEST(Channel, AMessageCutShortOrAnnouncingTooMuchBreaksTheChannel)
{
    const struct
    {
        std::string bytes;
        std::size_t announced;
        const char* warning;
    } cases[] = {
        {std::string("\xE8\x03\0\0\0\0\0\0", 8) + "0123456789", 1000, "a message was cut short"},
        {std::string("\0\0\0\0\0\1\0\0", 8), 0, "a message announced 1099511627776 bytes"}};
    int id = 900;
    for (const auto& c : cases) {
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        HandMadeMaster master(QString::number(id));
        auto slave =
            DataOutputPipe::Create(HandMadeMaster::OutputOfSlave(QString::number(id++)), false);
        ASSERT_TRUE(slave->Write(c.bytes.data(), c.bytes.size()));
        if (c.announced > 0) {
            slave.reset();  // the peer is gone in the middle of its message
        }
        EXPECT_EQ(master.channel->NextMessageSize(), c.announced) << c.warning;
        char buffer[16];
        EXPECT_EQ(master.channel->ReadMessage(buffer, sizeof buffer), 0u) << c.warning;
        EXPECT_TRUE(master.channel->IsClosed()) << c.warning;
        EXPECT_EQ(log.Count(c.warning), 1);
    }
}

// A missing pipe is refused as well (a slave of no master does not join), and a name in use
// (eight masters at once rely on that for distinct ids).
TEST(Channel, BadlyNamedPipesAreRefused)
{
    for (const char* bad : {"", "\\\\.\\pipe\\", "..", "a b", "x.lock"}) {
        EXPECT_THROW(DataInputPipe::Create(bad, true), IOException) << bad;
    }
}

// ---- the private directory -------------------------------------------------------------

TEST(Channel, AnUnsafeOrFullDirectoryIsRefusedClearly)
{
    const QString runtime = Tavrin::Test::NewTempDir("runtime");
    chmod(QFile::encodeName(runtime).constData(), 0700);
    const ScopedEnv scoped("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    const QByteArray directory = QFile::encodeName(runtime + "/tavrin-ipc");
    const QString elsewhere = Tavrin::Test::NewTempDir("elsewhere");
    const struct
    {
        const char* message;
        std::function<bool()> spoil;
    } cases[] = {
        {"is not a directory",
         [&] { return symlink(QFile::encodeName(elsewhere).constData(), directory) == 0; }},
        {"is open to other users",
         [&] { return mkdir(directory, 0700) == 0 && chmod(directory, 0755) == 0; }},
        {"belongs to another user",
         [&] { return mkdir(directory, 0700) == 0 && chown(directory, 65534, 65534) == 0; }},
        {"No space left",
         [&] {  // a file system with no inode left beside the directory's own
             return mkdir(directory, 0700) == 0 &&
                    mount("tmpfs", directory, "tmpfs", 0, "nr_inodes=1,mode=0700") == 0;
         }},
    };
    const auto clear = [&] {
        umount(directory);
        unlink(directory);
        rmdir(directory);
    };
    for (const auto& c : cases) {
        clear();
        if (!c.spoil()) {
            std::cout << "[  SKIPPED ] cannot make the case: " << c.message << std::endl;
            continue;
        }
        EXPECT_THAT([] { DataInputPipe::Create("TavrinIPCInput1", true); },
                    testing::ThrowsMessage<IOException>(testing::HasSubstr(c.message)));
        EXPECT_FALSE(Tavrin::Core::DataPipeExists("TavrinIPCInput1")) << c.message;
        Client client;
        EXPECT_FALSE(IPCManager::LaunchSlave(client, "ipc_peer", "echo", true)) << c.message;
    }
    EXPECT_TRUE(QDir(elsewhere).isEmpty());  // nothing was made through the symlink
    clear();
}

// ---- launching -------------------------------------------------------------------------

// The slave runs in its program's directory with its arguments split at blanks, then both
// switches; what is not an executable starts nothing.
TEST(Launch, OnlyAnExecutableStartsInItsDirectoryWithBothSwitchesLast)
{
    const QString bin = Tavrin::Test::NewTempDir("bin");
    ASSERT_TRUE(QFile::copy(IPC_PEER, bin + "/ipc_peer"));
    const QString applicationDir = QCoreApplication::applicationDirPath();
    const QString pid = "|/ProcessId=" + QString::number(getpid());
    const struct
    {
        QString slavePath, arguments, directory, told;  // told: after the directory and program
    } cases[] = {
        {"ipc_peer", "tell", applicationDir, "tell"},
        {bin + "/ipc_peer", " tell  a  b ", bin, "tell|a|b"},
        {"", "tell", {}, {}},
        {applicationDir, "tell", {}, {}},
        {"no-such-program-here", "tell", {}, {}},  // nor under the application
        {"/nonexistent/program", "tell", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slavePath.toStdString());
        Client client;
        ASSERT_EQ(IPCManager::LaunchSlave(client, c.slavePath, c.arguments, true),
                  !c.directory.isEmpty());
        if (c.directory.isEmpty()) {
            EXPECT_EQ(client.handle, -1);
            continue;
        }
        const QStringList told = QString::fromStdString(Receive(*client.channel)).split('\n');
        EXPECT_EQ(told.value(0), c.directory);
        EXPECT_TRUE(told.value(told.size() - 2).startsWith("/MasterPipeId="));
        EXPECT_EQ(told.mid(2).join('|'), c.told + '|' + told.value(told.size() - 2) + pid);
    }
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

// Each master holds its channel until all have answered, so no id is free for another. One
// killed with SIGKILL leaves its objects behind, nobody's now, and the next master removes them.
TEST(Launch, EightMastersGetDistinctIdsAndAKilledOnesObjectsGoWithTheNext)
{
    std::vector<std::unique_ptr<QProcess>> masters;
    for (int i = 0; i < 8; ++i) {
        masters.push_back(std::make_unique<QProcess>());
        masters.back()->start(IPC_PEER, {"master-tell-id"});
    }
    QStringList ids;
    for (auto& master : masters) {
        ASSERT_TRUE(master->waitForReadyRead(kProcessTimeoutMs));
        ids << QString::fromUtf8(master->readLine()).trimmed().mid(3);
    }
    EXPECT_EQ(QSet<QString>(ids.begin(), ids.end()).size(), 8) << ids.join(' ').toStdString();

    const std::string killed = HandMadeMaster::OutputOfSlave(ids[0]);
    EXPECT_TRUE(Tavrin::Core::DataPipeExists(killed));
    kill(static_cast<pid_t>(masters[0]->processId()), SIGKILL);
    masters[0]->waitForFinished(kProcessTimeoutMs);
    EXPECT_EQ(ChannelObjects().size(), 8 * 4);           // two sockets and two locks each
    EXPECT_FALSE(Tavrin::Core::DataPipeExists(killed));  // but nobody's
    EXPECT_THROW(DataInputPipe::Create(killed, false), IOException);
    {
        auto next = DataInputPipe::Create("TavrinIPCInputNext", true);
        EXPECT_EQ(ChannelObjects().size(), 7 * 4 + 2);
        EXPECT_FALSE(ChannelObjects().contains("TavrinIPCOutput" + ids[0]));
    }
    for (std::size_t i = 1; i < masters.size(); ++i) {
        masters[i]->closeWriteChannel();
        EXPECT_TRUE(masters[i]->waitForFinished(kProcessTimeoutMs));
    }
    EXPECT_TRUE(ChannelObjects().isEmpty());
}

TEST(Launch, FiftyLaunchesLeaveNothingBehind)
{
    const int descriptors = QDir("/proc/self/fd").count();
    for (int i = 0; i < 50; ++i) {
        Client client;
        ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "tell", true));
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
        {{"/MasterPipeId=", pid}, none},
        {{"/MasterPipeId=4711", "/ProcessId=12ab"}, none},
        {{"/MasterPipeId=5", pid}, none},      // no pipes
        {{"x/MasterPipeId=4711", pid}, none},  // "x4711"
        // The last of each switch wins; a master that cannot be opened gives no handle.
        {{"/MasterPipeId=1", "/ProcessId=1", "/MasterPipeId=4711", "/ProcessId=2147483646"},
         "result=1 channel=1 handle=0"},
    };
    for (const auto& c : cases) {
        HandMadeMaster fresh("4711");  // every joining slave takes the pipes' one place
        QProcess peer;
        peer.start(IPC_PEER, QStringList{"setup"} + c.first);
        peer.waitForFinished(kProcessTimeoutMs);
        EXPECT_EQ(QString::fromUtf8(peer.readAllStandardOutput()).trimmed(), c.second)
            << c.first.join(' ').toStdString();
    }
}

// ---- the focus hand-back ---------------------------------------------------------------

// The slave's close message is answered with `reply` (the master closes when it is empty); it
// switches to the window the reply names, if any, and says nothing when asked a second time.
// The slave of a master that has ended says nothing at all.
TEST(FocusTransferer, RepliesDecideWhichWindowTheSlaveSwitchesTo)
{
    const pid_t ended = fork();  // a master that has ended: its process is there, as a zombie
    if (ended == 0) {
        _exit(0);
    }
    const struct
    {
        QByteArray reply;
        const char* switched;  // the window the slave switched to, empty for none
        pid_t master;
    } cases[] = {
        {"yes=4242", "4242", getpid()},
        {"no", "", getpid()},
        {"yes", "", getpid()},
        {"yes=abc", "0", getpid()},
        {"yes=12345678901234567890", "0", getpid()},
        {"", "", getpid()},
        {"", "", ended},
    };
    int id = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.toStdString() + (c.master == ended ? " (master ended)" : ""));
        HandMadeMaster master(QString::number(id++), c.master);
        std::string said, again;
        QProcess peer;
        peer.start(IPC_PEER, QStringList{"focus"} + master.arguments);
        said = Receive(*master.channel);
        if (!c.reply.isEmpty()) {
            master.channel->WriteMessage(c.reply.constData(), c.reply.size());
            again = Receive(*master.channel);
        }
        master.channel.reset();
        peer.waitForFinished(kProcessTimeoutMs);
        const QString err = QString::fromUtf8(peer.readAllStandardError());
        EXPECT_EQ(said, c.master == ended ? "" : "applicationClosed");
        EXPECT_EQ(again, "");
        EXPECT_EQ(peer.readAllStandardOutput().trimmed(), "done") << err.toStdString();
        EXPECT_EQ(QRegularExpression("Switching to window (\\S+) ").match(err).captured(1),
                  c.switched)
            << err.toStdString();
    }
    waitpid(ended, nullptr, 0);
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
    QProcess server;  // an X server of the test's own, on the display it chose
    server.setStandardErrorFile(QProcess::nullDevice());
    server.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
    if (!server.waitForReadyRead(10000)) {
        GTEST_SKIP() << "Xvfb did not start";
    }
    const QByteArray display = ":" + server.readAllStandardOutput().trimmed();
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display.constData(), nullptr), &xcb_disconnect);
    ASSERT_FALSE(xcb_connection_has_error(connection.get()));
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const xcb_window_t window = xcb_generate_id(connection.get());
    xcb_create_window(connection.get(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 300, 200,
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(connection.get(), window);
    xcb_flush(connection.get());

    // The slave shows its window on that display and takes the focus, then says it closes.
    Client client;
    {
        const ScopedEnv onDisplay("DISPLAY", display), onX("QT_QPA_PLATFORM", "xcb");
        ASSERT_TRUE(IPCManager::LaunchSlave(client, "ipc_peer", "focus-x11", true));
    }
    EXPECT_EQ(Receive(*client.channel), "applicationClosed");
    EXPECT_NE(Focused(connection.get()), window);  // the slave has it

    const std::string reply = "yes=" + std::to_string(window);
    ASSERT_TRUE(client.channel->WriteMessage(reply.data(), reply.size()));
    EXPECT_TRUE(client.SlaveEnded());
    EXPECT_EQ(Focused(connection.get()), window);
    server.kill();
    server.waitForFinished(kProcessTimeoutMs);
}

}  // namespace
