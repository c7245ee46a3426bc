// The crash tracker, in this process against real session files and across real product
// processes (crash_product) that exit, abort, get killed or run side by side.
#include <Tavrin/App/Application/CrashTracker.h>

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>

namespace {

using Tavrin::App::CrashTracker;

const int kWaitMs = 30000;

// The "key=value" lines of a session file, sorted.
QStringList Entries(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList entries = QString(file.readAll()).split('\n').filter("=");
    entries.sort();
    return entries;
}

// The pid of a process that has ended and been reaped.
QByteArray DeadPid()
{
    QProcess process;
    process.start(Tavrin::Test::HelperExecutable(), {"exit", "0"});
    process.waitForFinished(kWaitMs);
    return QByteArray::number(process.processId());
}

QStringList OwnEntry(const CrashTracker& tracker)
{
    return {QString::number(QCoreApplication::applicationPid()) + "=" +
            QString::fromStdString(tracker.SessionId())};
}

// Every test gets its own session file through its own application name.
QString OwnSessionFile()
{
    QCoreApplication::setOrganizationName("Tavrin Test");
    QCoreApplication::setApplicationName(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    return CrashTracker::SessionFilePath();
}

class CrashTrackerTest : public ::testing::Test
{
protected:
    const QString file = OwnSessionFile();
};

// A damaged file is read as far as it goes: every entry that is not a live instance's is a
// crashed session, collected once, and the first write leaves only well-formed entries.
TEST_F(CrashTrackerTest, CollectsEveryDeadEntryOnceRecordsItselfAndClearsOnRequest)
{
    const QByteArray huge(1 << 20, 'h');
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>((i * 7919) & 0xff);
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        file, QByteArray(1, '\0') + "\xff\n[General]\nnot-a-pid=words\n-5=negative\n" +
                  "99999999999999999999999=overflow\n4294967296=beyond\n" + DeadPid() + "=" + huge +
                  "\nlist=a, b\n=nameless\n[Group]\n7=grouped\n" + noise));
    {
        CrashTracker tracker;
        const std::deque<std::string> crashed = tracker.BadSessionsList();
        for (const std::string& value :
             std::vector<std::string>{"words", "negative", "overflow", "beyond", "a, b", "grouped",
                                      huge.toStdString()}) {
            EXPECT_NE(std::find(crashed.begin(), crashed.end(), value), crashed.end())
                << value.substr(0, 20);
        }
        EXPECT_EQ(Entries(file), OwnEntry(tracker));
        tracker.StopSession();  // written at once
        EXPECT_EQ(Entries(file), QStringList());
    }
    {
        CrashTracker next;
        EXPECT_FALSE(next.HasUnreportedCrash());
        EXPECT_EQ(Entries(file), OwnEntry(next));
        next.ClearHistory();
        QCoreApplication::processEvents();  // the settings flush
        EXPECT_EQ(Entries(file), QStringList());
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, noise + noise));
    CrashTracker last;
    EXPECT_EQ(Entries(file), OwnEntry(last));
}

TEST_F(CrashTrackerTest, UnwritableDataDirectoryLeavesTheTrackerWorkingInMemory)
{
    const QString share = Tavrin::Test::SandboxDir() + "/home/.local/share/";
    ASSERT_TRUE(Tavrin::Test::WriteFile(share + "Regular File", "not a directory"));
    ASSERT_TRUE(QFile::link(share + "No Target", share + "Dangling"));
    for (const char* organization : {"Regular File", "Dangling"}) {
        QCoreApplication::setOrganizationName(organization);
        CrashTracker tracker;
        EXPECT_FALSE(tracker.SessionId().empty() || tracker.HasUnreportedCrash());
        tracker.StopSession();
        tracker.ClearHistory();
        EXPECT_FALSE(QFileInfo::exists(CrashTracker::SessionFilePath()));
    }
}

// A product process with a tracker, and its report; killed and reaped when it goes (by QProcess).
struct Product
{
    Product(const QString& application, const char* ending)
    {
        process.start(CRASH_PRODUCT_EXECUTABLE, {application, ending});
    }
    // Reads the report; false when it does not come in time.
    bool Ready()
    {
        const QDeadlineTimer deadline(kWaitMs);
        while (!process.canReadLine() && process.waitForReadyRead(deadline.remainingTime())) {
        }
        const QStringList words = QString(process.readLine()).trimmed().split(' ');
        session = words.value(1);
        crashed = words.mid(2);
        crashed.sort();
        return words.value(0) == "ready";
    }
    QString Entry() const { return QString::number(process.processId()) + "=" + session; }

    QProcess process;
    QString session;
    QStringList crashed;
};

QString ProductFile(const QString& application)
{
    return Tavrin::Test::SandboxDir() + "/home/.local/share/Tavrin Test/" + application +
           "/Tavrin/clipcrafter 14.5.0/crash_product.ini";
}

// The crashed sessions that a product started now reports, sorted.
QStringList NextStartReports(const QString& application)
{
    Product next(application, "exit");
    EXPECT_TRUE(next.Ready() && next.process.waitForFinished(kWaitMs));
    EXPECT_EQ(next.process.exitCode(), 0);
    return next.crashed;
}

TEST(CrashTrackerProcesses, KilledAndAbortedRunsAreReportedOnceByTheNextStartNormalOnesNever)
{
    EXPECT_EQ(NextStartReports("lifecycle"), QStringList());
    EXPECT_EQ(Entries(ProductFile("lifecycle")), QStringList());  // a normal end leaves nothing

    Product killed("lifecycle", "sleep");
    ASSERT_TRUE(killed.Ready());
    killed.process.kill();
    killed.process.waitForFinished(kWaitMs);
    Product aborted("lifecycle", "abort");
    ASSERT_TRUE(aborted.Ready() && aborted.process.waitForFinished(kWaitMs));
    EXPECT_EQ(aborted.process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(aborted.crashed, QStringList{killed.session});
    EXPECT_EQ(NextStartReports("lifecycle"), QStringList{aborted.session});
    EXPECT_EQ(NextStartReports("lifecycle"), QStringList());
}

TEST(CrashTrackerProcesses, OfEightInstancesStartedTogetherExactlyTheFourKilledAreReported)
{
    std::vector<std::unique_ptr<Product>> products;
    for (int i = 0; i < 8; ++i) {
        products.push_back(std::make_unique<Product>("eight", "sleep"));
    }
    QStringList killed, live;
    for (std::size_t i = 0; i < products.size(); ++i) {
        ASSERT_TRUE(products[i]->Ready());
        EXPECT_EQ(products[i]->crashed, QStringList());  // live instances never report each other
        (i % 2 ? live << products[i]->Entry() : killed << products[i]->session);
    }
    EXPECT_EQ(Entries(ProductFile("eight")).size(), 8);
    for (std::size_t i = 0; i < products.size(); i += 2) {
        products[i]->process.kill();
        products[i]->process.waitForFinished(kWaitMs);
    }
    killed.sort();
    live.sort();
    EXPECT_EQ(NextStartReports("eight"), killed);
    EXPECT_EQ(NextStartReports("eight"), QStringList());
    EXPECT_EQ(Entries(ProductFile("eight")), live);
}

TEST(CrashTrackerProcesses, PidNowUsedByAnotherProgramCountsAsDead)
{
    QProcess other;  // another executable, running until QProcess kills it
    other.start(Tavrin::Test::HelperExecutable(), {"sleep", "60000"});
    ASSERT_TRUE(other.waitForReadyRead(kWaitMs));
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        ProductFile("recycled"),
        "[General]\n" + QByteArray::number(other.processId()) + "=190101-000000-654321\n"));
    EXPECT_EQ(NextStartReports("recycled"), QStringList{"190101-000000-654321"});
    EXPECT_EQ(Entries(ProductFile("recycled")), QStringList());
}

}  // namespace
