// The crash tracker, in this process against real session files and across real product
// processes (crash_product) that end, get killed, run side by side or from copies, beside
// damaged files and held locks. Aborted runs and many killed at once: tst_crashtracker_stress.
#include <Tavrin/App/Application/CrashTracker.h>

#include "CrashProducts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>

namespace {

using Tavrin::App::CrashTracker;
using namespace CrashTest;

const char* const kUnreadable = CrashTracker::UNREADABLE_SESSION_ID;

// An entry under this very process id is an earlier run's; a second tracker of this process takes
// the entry over. The file stays the one the tracker was constructed with, whatever names the
// application takes later. (Bad data directories: the application's test below.)
TEST(CrashTracker, ReportsAnEarlierRunUnderItsOwnPidRecordsItselfAndClearsOnRequest)
{
    QCoreApplication::setApplicationName("damaged");
    QCoreApplication::setOrganizationName("Tavrin Test");
    const QString file = ProductFile("damaged", "tst_crashtracker");
    const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, "[General]\n" + ownPid + "=190101-000000-333333\n"));
    {
        CrashTracker tracker;
        EXPECT_EQ(tracker.BadSessionsList(), std::deque<std::string>{"190101-000000-333333"});
        const QString own = ownPid + "=" + tracker.SessionId().c_str();
        EXPECT_EQ(Entries(file), QStringList(own));
        // A second tracker of this process takes the process's entry over, and reports nothing.
        auto second = std::make_unique<CrashTracker>();
        EXPECT_FALSE(second->HasUnreportedCrash());
        second.reset();
        QCoreApplication::setApplicationName("renamed");
        EXPECT_EQ(tracker.SessionFilePath(), file);
        tracker.StopSession();  // written at once
        EXPECT_EQ(Entries(file), QStringList());
    }
    QCoreApplication::setApplicationName("damaged");
    CrashTracker next;
    EXPECT_FALSE(next.HasUnreportedCrash());
    EXPECT_EQ(Entries(file), QStringList(ownPid + "=" + next.SessionId().c_str()));
    next.ClearHistory();  // written at once too
    EXPECT_EQ(Entries(file), QStringList());
}

// An instance killed inside Qt's own settings write leaves an empty "<file>.lock" that Qt
// takes as live for 30 s. It must hold up nobody, and instances starting together must still
// collect a dead session exactly once. (On an idle machine all five are up within half a
// second; the bound leaves room for a loaded one and still tells a 30 s wait apart.)
TEST(CrashTrackerProcesses, FiveStartsBesideAStaleQtLockFileAreQuickAndReportTheDeadSessionOnce)
{
    const QString file = ProductFile("five");
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, "[General]\n4194304=190101-000000-555555\n") &&
                Tavrin::Test::WriteFile(file + ".lock", ""));
    const QDeadlineTimer bound(10000);
    std::vector<std::unique_ptr<Product>> five;
    for (int i = 0; i < 5; ++i) {
        five.push_back(std::make_unique<Product>(QStringList{"five"}));
    }
    QStringList reports, live;
    for (const auto& product : five) {
        ASSERT_TRUE(product->Ready(static_cast<int>(bound.remainingTime()))) << "not up in time";
        reports += product->crashed;
        live << product->Entry();
    }
    live.sort();
    EXPECT_EQ(reports, QStringList{"190101-000000-555555"});
    EXPECT_EQ(Entries(file), live);
    EXPECT_FALSE(QFileInfo::exists(file + ".lock"));  // for builds that still look at it
    for (const auto& product : five)
        EXPECT_TRUE(product->End() && product->process.exitCode() == 0);
    EXPECT_EQ(Entries(file), QStringList());
}

// While another process keeps the file's lock far longer than an update takes, a start goes
// ahead without touching the file: what it would collect stays for a later start, which
// reports it once.
TEST(CrashTrackerProcesses, AStartThatCannotGetTheFileLeavesTheDeadSessionsForTheNextOne)
{
    const QString file = ProductFile("held");
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, "[General]\n4194304=190101-000000-444444\n"));
    Product holder({"hold-mutex", "60000", "Tavrin crash sessions " + file},
                   Tavrin::Test::HelperExecutable());
    ASSERT_TRUE(holder.process.waitForReadyRead(kWaitMs));
    ASSERT_EQ(holder.process.readLine().trimmed(), "locked");

    EXPECT_EQ(NextStartReports("held"), QStringList());
    EXPECT_EQ(Entries(file), QStringList{"4194304=190101-000000-444444"});
    holder.Kill();
    EXPECT_EQ(NextStartReports("held"), QStringList{"190101-000000-444444"});
    EXPECT_EQ(NextStartReports("held"), QStringList());
}

// Liveness goes by the program's base name, as the file name does: copies of the program in
// other directories are live instances, and stay so when their file is deleted under them;
// another program on a recorded pid is not. A damaged file is read as far as it goes: every
// entry that is not a live instance's is a crashed session, collected once (with a placeholder
// id when its value is none); a live instance whose entry got damaged keeps an entry, and the
// first write leaves only well-formed entries.
TEST(CrashTrackerProcesses, CopiesElsewhereAndDeletedProgramFilesCountAsRunningOthersDoNot)
{
    const QString dir = Tavrin::Test::NewTempDir("copies");
    for (const char* copy : {"/kept/crash_product", "/deleted/crash_product"}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(dir + copy).path()) &&
                    QFile::copy(CRASH_PRODUCT_EXECUTABLE, dir + copy));
    }
    Product kept({"copies"}, dir + "/kept/crash_product");
    Product deleted({"copies"}, dir + "/deleted/crash_product");
    Product other({"sleep", "60000"}, Tavrin::Test::HelperExecutable());
    ASSERT_TRUE(kept.Ready() && deleted.Ready() && other.process.waitForReadyRead(kWaitMs));
    ASSERT_TRUE(QFile::remove(dir + "/deleted/crash_product"));
    const QString file = ProductFile("copies");
    const QByteArray keptPid = QByteArray::number(kept.process.processId());
    const QByteArray otherPid = QByteArray::number(other.process.processId());
    const QByteArray huge(1 << 20, 'h'), noise = QByteArray::fromHex("00ff0a3d5b5d225ce2800d3b23");
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        file, noise.repeated(300) + "\n[General]\nnot-a-pid=words\n-5=negative\n" +
                  "99999999999999999999999=overflow\n[broken\n4294967296=beyond\n4194304=" + huge +
                  "\nlist=a, b\n=nameless\n4194305=@Invalid()\n\x01\x02 garbage\n" +
                  "4194306=\"quoted-id\"\n4194307=@ByteArray(bytes-id)\n4194308=\xff\xfe\n" +
                  keptPid + "=@Invalid()\n" + deleted.Entry().toUtf8() + "\n" + otherPid +
                  "=190101-000000-654321\n;comment\n]=[\n4194309=190101-000000-666666\n\n" +
                  "4194310=@Variant(\\0\\0)\n[Group]\n7=grouped\n"));
    Product next({"copies"});
    ASSERT_TRUE(next.Ready());
    // "]=[" is a key without a process, and "[" no session id.
    EXPECT_EQ(next.crashed,
              QStringList({kUnreadable, kUnreadable, kUnreadable, kUnreadable, kUnreadable,
                           kUnreadable, "190101-000000-654321", "190101-000000-666666", "beyond",
                           "bytes-id", "grouped", "negative", "overflow", "quoted-id", "words"}));
    QStringList live{keptPid + "=" + kUnreadable, deleted.Entry(), next.Entry()};
    live.sort();
    EXPECT_EQ(Entries(file), live);
    EXPECT_TRUE(IsWellFormed(file));
    kept.Kill();
    EXPECT_TRUE(next.End());
    EXPECT_EQ(NextStartReports("copies"), QStringList{kUnreadable});
}

// The application object records its session before the product names itself, so the file
// lies under the executable's own name; warnings from before logging starts reach the log.
TEST(CrashTrackerProcesses, ApplicationUsesTheFileOfItsExecutableNameAndLogsEarlyWarnings)
{
    const QString root = Tavrin::Test::NewTempDir("application");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", root + "/data");
    environment.insert("LOCALAPPDATA", root + "/local");
    const QString file = root + "/data/crash_product/Tavrin/clipcrafter 14.5.0/crash_product.ini";
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, "[General]\n4194304=190101-000000-777777\n"));
    const auto run = [&] {
        Product product({"-", "application"}, CRASH_PRODUCT_EXECUTABLE, environment);
        const bool ready = product.Ready();
        EXPECT_TRUE(product.process.waitForFinished(kWaitMs) && product.process.exitCode() == 0);
        return ready ? product.crashed : QStringList{"(not ready)"};
    };
    EXPECT_EQ(run(), QStringList{"190101-000000-777777"});
    EXPECT_EQ(Entries(file), QStringList());

    ASSERT_TRUE(Tavrin::Test::WriteFile(root + "/blocked", "a file, not a directory"));
    environment.insert("XDG_DATA_HOME", root + "/blocked");
    EXPECT_EQ(run(), QStringList());
    const QStringList warnings =
        Tavrin::Test::ReadLines(root + "/local/Tavrin/Logs/TestProduct/crash_product.WARNING")
            .filter("Before logging started");
    ASSERT_EQ(warnings.size(), 1) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings[0].endsWith(
        "] Before logging started: Crash sessions cannot be recorded in " + root +
        "/blocked/crash_product/Tavrin/clipcrafter 14.5.0/crash_product.ini"))
        << warnings[0].toStdString();
}

}  // namespace
