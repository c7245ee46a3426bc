// Behaviour across processes and threads: IsProcessRunning, the application mutex and the Qt
// log handler. Qt fills in file and line of a message only with this defined:
#define QT_MESSAGELOGCONTEXT

#include "TestSupport.h"

#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/Process.h>
#include <Tavrin/Util/QtLogHandler.h>

#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Tavrin::Util;
using Tavrin::Test::HelperExecutable;

Q_LOGGING_CATEGORY(lcTavrinTest, "tavrin.test")

namespace {

// The helper program (or a copy of it) as another process; killed and reaped at the end.
struct Helper
{
    explicit Helper(const QStringList& arguments, const QString& program = HelperExecutable())
    {
        process.start(program, arguments);
        process.waitForReadyRead(30000);
        answer = QString::fromUtf8(process.readLine()).trimmed();
        pid = static_cast<unsigned long>(process.processId());
    }
    ~Helper() { Kill(); }
    void Kill()
    {
        process.kill();
        process.waitForFinished(30000);
    }
    QProcess process;
    QString answer;  // "ready", "locked" or "busy"; empty when none came in time
    unsigned long pid = 0;
};

QString OtherProcessGets(const QStringList& names)
{
    return Helper(QStringList{"hold-mutex", "0"} + names).answer;
}

// The lines of a program's glog INFO log (which has every severity) that contain `marker`, as
// "<severity letter> <file>:<line>] <message>".
QStringList LogLines(const QString& marker, const QString& program = "tst_utilprocess",
                     const QString& directory = QString::fromStdString(FLAGS_log_dir))
{
    google::FlushLogFiles(google::GLOG_INFO);
    QFile log(directory + '/' + program + ".INFO");
    log.open(QIODevice::ReadOnly);
    return QString::fromUtf8(log.readAll())
        .split('\n')
        .filter(marker)
        .replaceInStrings(QRegularExpression("^(.)\\S+ \\S+ +\\S+ "), "\\1 ");
}

class QtLogHandlerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!google::IsGoogleLoggingInitialized()) {  // glog allows that once per process
            FLAGS_log_dir = QFile::encodeName(Tavrin::Test::NewTempDir("glog")).toStdString();
            google::InitGoogleLogging("tst_utilprocess");
        }
    }
    void SetUp() override { handler.Install(); }
    void TearDown() override { handler.Uninstall(); }
    QtLogHandler& handler = QtLogHandler::GetInstance();
    const QString marker = ::testing::UnitTest::GetInstance()->current_test_info()->name();
};

}  // namespace

TEST(IsProcessRunning, ProcessMatchesItsOwnExecutableFileEvenAfterAnUpdateReplacedIt)
{
    const QString dir = Tavrin::Test::NewTempDir("exe");
    ASSERT_TRUE(QFile::copy(HelperExecutable(), dir + "/copy"));
    ASSERT_TRUE(QFile::link(dir + "/copy", dir + "/link"));
    Helper helper({"sleep", "60000"}, dir + "/copy");
    ASSERT_EQ(helper.answer, "ready");
    EXPECT_TRUE(IsProcessRunning(helper.pid, dir + "/link"));
    EXPECT_FALSE(IsProcessRunning(helper.pid, HelperExecutable()));  // same bytes, other file
    // 0 is no process; cut down to 32 bits, 2^32 + its pid would be the helper.
    for (unsigned long pid : {0ul, (1ul << 32) + helper.pid, ~0ul}) {
        EXPECT_FALSE(IsProcessRunning(pid, dir + "/copy")) << pid;
    }
    ASSERT_TRUE(QFile::remove(dir + "/copy"));
    EXPECT_TRUE(IsProcessRunning(helper.pid, dir + "/copy"));
    ASSERT_TRUE(Tavrin::Test::WriteFile(dir + "/copy", "#!/bin/sh\n"));
    EXPECT_TRUE(IsProcessRunning(helper.pid, dir + "/copy"));
    helper.Kill();
    EXPECT_FALSE(IsProcessRunning(helper.pid, dir + "/copy"));
}

TEST(AppMutexLocker, LockIsAllOrNothingAndANameHeldElsewhereFreesWhenThatProcessIsKilled)
{
    Helper holder({"hold-mutex", "60000", "second"});
    ASSERT_EQ(holder.answer, "locked");
    AppMutexLocker both({"first", "second"});
    EXPECT_FALSE(both.TryLockAppMutex());
    EXPECT_EQ(OtherProcessGets({"first"}), "locked");  // the free name was let go again
    holder.Kill();  // SIGKILL: the lock must go without any clean-up
    EXPECT_TRUE(both.TryLockAppMutex());
}

TEST(AppMutexLocker, NameStaysBusyUntilTheLastLockerHereLetsGoAndChildrenDoNotInheritIt)
{
    auto twice = std::make_unique<AppMutexLocker>(std::vector<std::string>{"shared", "shared"});
    AppMutexLocker other({"shared"});
    ASSERT_TRUE(twice->TryLockAppMutex() && twice->TryLockAppMutex() && other.TryLockAppMutex());
    Helper child({"sleep", "60000"});  // started while the name is held here
    ASSERT_EQ(child.answer, "ready");
    twice.reset();
    EXPECT_EQ(OtherProcessGets({"shared"}), "busy");
    other.Unlock();
    EXPECT_EQ(OtherProcessGets({"shared"}), "locked");
}

TEST(AppMutexLocker, ThreadsLockingTheSameNamesAllSucceed)
{
    std::atomic<int> locked{0};
    const auto lockRepeatedly = [&locked] {
        for (int round = 0; round < 300; ++round) {
            AppMutexLocker locker({"threads", "threads-" + std::to_string(round % 3)});
            locked += locker.TryLockAppMutex() ? 1 : 0;
        }
    };
    std::thread a(lockRepeatedly), b(lockRepeatedly), c(lockRepeatedly);
    a.join(), b.join(), c.join();
    EXPECT_EQ(locked, 3 * 300);
    EXPECT_EQ(OtherProcessGets({"threads", "threads-1"}), "locked");
}

TEST(AppMutexLocker, AnyNonEmptyNameIsAMutexOfItsOwn)
{
    const std::vector<std::string> names = {"Global\\{9AD4}", "a/b", "..", std::string(600, 'n')};
    AppMutexLocker locker(names);
    ASSERT_TRUE(locker.TryLockAppMutex());
    for (const std::string& name : names) {
        EXPECT_EQ(OtherProcessGets({QString::fromStdString(name)}), "busy") << name;
    }
    // Names an encoding could confuse with the held ones are still free.
    EXPECT_EQ(OtherProcessGets({"a%2Fb", "a_b", "%2E%2E", QString(601, 'n')}), "locked");
    EXPECT_FALSE(AppMutexLocker(std::vector<std::string>{}).TryLockAppMutex());
    EXPECT_FALSE(AppMutexLocker({"fine", ""}).TryLockAppMutex());
}

TEST_F(QtLogHandlerTest, MessagesLandInGlogWithSeverityLocationAndCategory)
{
    const int line = __LINE__ + 1;
    qDebug("%s debug", qPrintable(marker));
    qCritical("%s critical", qPrintable(marker));
    qCWarning(lcTavrinTest, "%s categorised", qPrintable(marker));
    QMessageLogger(nullptr, 0, nullptr).info("%s without context", qPrintable(marker));
    const QString at = QStringLiteral("tst_utilprocess.cpp:%1] ");
    EXPECT_EQ(LogLines(marker),
              QStringList({"I " + at.arg(line) + marker + " debug",
                           "E " + at.arg(line + 1) + marker + " critical",
                           "W " + at.arg(line + 2) + "[tavrin.test] " + marker + " categorised",
                           "I qt:0] " + marker + " without context"}));
}

TEST_F(QtLogHandlerTest, FiltersDropMessagesButAThrowingFilterLetsThemThrough)
{
    handler.AddFilter([](const QString& message) {  // throws like a broken filter would
        return message.contains("throw") ? throw 1 : !message.contains("noise");
    });
    qWarning("%s noise", qPrintable(marker));
    qWarning("%s throw", qPrintable(marker));
    handler.ClearFilters();
    qWarning("%s noise after clearing", qPrintable(marker));
    EXPECT_EQ(LogLines(marker).replaceInStrings(QRegularExpression(".*\\] "), ""),
              QStringList({marker + " throw", marker + " noise after clearing"}));
}

TEST_F(QtLogHandlerTest, MessagesFromManyThreadsAddingFiltersAreAllLogged)
{
    const auto logRepeatedly = [this] {
        for (int i = 0; i < 500; ++i) {
            handler.AddFilter([](const QString& message) { return !message.isEmpty(); });
            qWarning("%s %d", qPrintable(marker), i);
        }
    };
    std::thread a(logRepeatedly), b(logRepeatedly), c(logRepeatedly);
    a.join(), b.join(), c.join();
    handler.ClearFilters();
    EXPECT_EQ(LogLines(marker).size(), 3 * 500);
}

TEST_F(QtLogHandlerTest, FatalMessageIsLoggedBeforeTheProcessAborts)
{
    const QString directory = Tavrin::Test::NewTempDir("fatal");
    QProcess helper;
    helper.start(HelperExecutable(), {"qt-fatal", directory, marker});
    ASSERT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
    const QStringList lines = LogLines(marker, "tavrin_test_helper", directory);
    EXPECT_TRUE(lines.size() == 1 && lines[0].startsWith("E ")) << lines.join('\n').toStdString();
}
