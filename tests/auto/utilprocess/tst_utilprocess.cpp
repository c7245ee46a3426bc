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

#include <thread>

using namespace Tavrin::Util;
using namespace Tavrin::Test;

Q_LOGGING_CATEGORY(lcTavrinTest, "tavrin.test")

namespace {

// The helper program (or a copy of it) as another process, killed and reaped at the end.
struct Helper
{
    explicit Helper(const QStringList& arguments, const QString& program = HelperExecutable())
    {
        process.start(program, arguments);
        process.waitForReadyRead(30000);
        answer = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~Helper() { Kill(); }
    void Kill() { process.kill(), process.waitForFinished(30000); }
    QProcess process;
    QString answer;  // "ready", "locked" or "busy"; empty when none came in time
};

QString OtherProcessGets(const QStringList& names)
{
    return Helper(QStringList{"hold-mutex", "0"} + names).answer;
}

// The lines of this program's glog INFO log (which has every severity) that contain `marker`, as
// "<severity letter> <file>:<line>] <message>".
QStringList LogLines(const QString& marker)
{
    google::FlushLogFiles(google::GLOG_INFO);
    return ReadLines(QString::fromStdString(FLAGS_log_dir) + "/tst_utilprocess.INFO")
        .filter(marker)
        .replaceInStrings(QRegularExpression("^(.)\\S+ \\S+ +\\S+ "), "\\1 ");
}

}  // namespace

TEST(IsProcessRunning, ProcessMatchesItsOwnExecutableFileEvenAfterAnUpdateReplacedIt)
{
    const QString dir = NewTempDir("exe");
    ASSERT_TRUE(QFile::copy(HelperExecutable(), dir + "/copy") &&
                QFile::link(dir + "/copy", dir + "/link"));
    Helper helper({"sleep", "60000"}, dir + "/copy");
    ASSERT_EQ(helper.answer, "ready");
    const unsigned long pid = helper.process.processId();
    EXPECT_TRUE(IsProcessRunning(pid, dir + "/link"));
    EXPECT_FALSE(IsProcessRunning(pid, HelperExecutable()));  // same bytes, other file
    // 0 is no process; cut down to 32 bits, 2^32 + its pid would be the helper.
    for (unsigned long other : {0ul, (1ul << 32) + pid, ~0ul})
        EXPECT_FALSE(IsProcessRunning(other, dir + "/copy")) << other;
    ASSERT_TRUE(QFile::remove(dir + "/copy"));
    EXPECT_TRUE(IsProcessRunning(pid, dir + "/copy"));
    ASSERT_TRUE(WriteFile(dir + "/copy", "#!/bin/sh\n"));
    EXPECT_TRUE(IsProcessRunning(pid, dir + "/copy"));
    helper.Kill();
    EXPECT_FALSE(IsProcessRunning(pid, dir + "/copy"));
}

// All or nothing; any non-empty name is a mutex of its own, held until the last locker here lets
// go, not inherited by children, and gone with a killed holder.
TEST(AppMutexLocker, LockIsAllOrNothingPerNameAndGoesWithTheLastLockerOrAKilledHolder)
{
    const QStringList names{"Global\\{9AD4}", "a/b", "..", QString(600, 'n')};
    Helper holder({"hold-mutex", "60000", "a/b"});
    ASSERT_EQ(holder.answer, "locked");
    AppMutexLocker all({"Global\\{9AD4}", "a/b", "..", std::string(600, 'n')});
    EXPECT_FALSE(all.TryLockAppMutex());
    EXPECT_EQ(OtherProcessGets({names[0], names[2], names[3]}),
              "locked");  // the free names were let go again
    holder.Kill();        // SIGKILL: the lock must go without any clean-up
    auto twice = std::make_unique<AppMutexLocker>(std::vector<std::string>{"..", ".."});
    ASSERT_TRUE(all.TryLockAppMutex() && twice->TryLockAppMutex() && twice->TryLockAppMutex());
    Helper child({"sleep", "60000"});
    ASSERT_EQ(child.answer, "ready");
    twice.reset();
    for (const QString& name : names) {
        EXPECT_EQ(OtherProcessGets({name}), "busy") << name.toStdString();
    }
    // Names an encoding could confuse with the held ones are still free.
    EXPECT_EQ(OtherProcessGets({"a%2Fb", "a_b", "%2E%2E", QString(601, 'n')}), "locked");
    all.Unlock();
    EXPECT_EQ(OtherProcessGets(names), "locked");
    EXPECT_FALSE(AppMutexLocker(std::vector<std::string>{}).TryLockAppMutex());
    EXPECT_FALSE(AppMutexLocker({"fine", ""}).TryLockAppMutex());
}

// Messages reach glog with severity, location and category past filters (a throwing one lets
// them through), from many threads adding filters, and before qFatal aborts.
TEST(QtLogHandler, LogsToGlogPastFiltersFromManyThreadsAndBeforeAFatalAbort)
{
    if (!google::IsGoogleLoggingInitialized()) {  // glog allows that once per process
        FLAGS_log_dir = QFile::encodeName(NewTempDir("glog")).toStdString();
        google::InitGoogleLogging("tst_utilprocess");
    }
    QtLogHandler& handler = QtLogHandler::GetInstance();
    handler.Install();
    handler.AddFilter([](const QString& message) {
        return message.contains("throw") ? throw 1 : !message.contains("noise");
    });
    const int line = __LINE__ + 1;
    qDebug("marker debug");
    qCritical("marker critical");
    qCWarning(lcTavrinTest, "marker categorised");
    QMessageLogger(nullptr, 0, nullptr).info("marker without context");
    qWarning("marker noise");
    qWarning("marker throw");
    handler.ClearFilters();
    qWarning("marker noise after clearing");
    const QString at = QStringLiteral("tst_utilprocess.cpp:%1] ");
    EXPECT_EQ(
        LogLines("marker"),
        QStringList({"I " + at.arg(line) + "marker debug",
                     "E " + at.arg(line + 1) + "marker critical",
                     "W " + at.arg(line + 2) + "[tavrin.test] marker categorised",
                     "I qt:0] marker without context", "W " + at.arg(line + 5) + "marker throw",
                     "W " + at.arg(line + 7) + "marker noise after clearing"}));

    // The mutex and the handler from many threads: every lock succeeds, every message is logged.
    const auto work = [&handler] {
        for (int round = 0; round < 300; ++round) {
            AppMutexLocker locker({"threads", "threads-" + std::to_string(round % 3)});
            handler.AddFilter([](const QString& message) { return !message.isEmpty(); });
            qWarning(locker.TryLockAppMutex() ? "threaded" : "not locked");
        }
    };
    std::thread a(work), b(work), c(work);
    a.join(), b.join(), c.join();
    handler.Uninstall();
    EXPECT_EQ(LogLines("threaded").size(), 3 * 300);
    EXPECT_EQ(OtherProcessGets({"threads", "threads-1"}), "locked");

    // A fatal message is logged, and flushed, before the process aborts.
    handler.Install();
    GTEST_FLAG_SET(death_test_style, "fast");  // the child writes to this process's log files
    EXPECT_DEATH(qFatal("fatal marker"), "fatal marker");
    handler.Uninstall();
    EXPECT_EQ(LogLines("fatal marker").replaceInStrings(QRegularExpression(" .*"), ""),
              QStringList{"E"});
}
