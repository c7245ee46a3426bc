// The crash tracker, in this process against real session files and across real product
// processes (crash_product) that exit, abort, get killed or run side by side.
#include <Tavrin/App/Application/CrashTracker.h>

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Tavrin::App::CrashTracker;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

const int kWaitMs = 30000;
const QString kVersionFolder = "/Tavrin/clipcrafter 14.5.0/";

// The "key=value" lines of a session file.
QStringList Entries(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split('\n').filter("=");
}

QString DataDir(const QString& organization)
{
    return Tavrin::Test::SandboxDir() + "/home/.local/share/" + organization + "/";
}

// The pid of a process that has ended and been reaped.
QByteArray DeadPid()
{
    QProcess process;
    process.start(Tavrin::Test::HelperExecutable(), {"exit", "0"});
    process.waitForFinished(kWaitMs);
    return QByteArray::number(process.processId());
}

QStringList Crashed(const CrashTracker& tracker)
{
    QStringList sessions;
    for (const std::string& session : tracker.BadSessionsList()) {
        sessions << QString::fromStdString(session);
    }
    return sessions;
}

QString OwnEntry(const CrashTracker& tracker)
{
    return QString::number(QCoreApplication::applicationPid()) + "=" +
           QString::fromStdString(tracker.SessionId());
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

TEST(SessionId, DateAndTimeThenANumberThatOnlyTheMillisecondDecides)
{
    const QDateTime at(QDate(2026, 12, 4), QTime(12, 19, 49, 117));
    const QString id = QString::fromStdString(CrashTracker::MakeSessionId(at));
    EXPECT_THAT(id.toStdString(), ::testing::MatchesRegex("261204-121949-[1-9][0-9]{5}"));
    EXPECT_EQ(CrashTracker::MakeSessionId(at.addSecs(14)),
              "261204-122003-" + id.mid(14).toStdString());
    EXPECT_NE(CrashTracker::MakeSessionId(at.addMSecs(1)).substr(14), id.mid(14).toStdString());
}

TEST_F(CrashTrackerTest, RecordsItselfCollectsDeadSessionsOnceAndClearsOnRequest)
{
    EXPECT_EQ(file, DataDir("Tavrin Test") +
                        "RecordsItselfCollectsDeadSessionsOnceAndClearsOnRequest" + kVersionFolder +
                        "tst_crashtracker.ini");
    ASSERT_TRUE(
        Tavrin::Test::WriteFile(file, "[General]\n" + DeadPid() + "=190101-000000-123456\n"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    {
        CrashTracker tracker;
        const QDateTime started = QDateTime::fromString(
            "20" + QString::fromStdString(tracker.SessionId()).left(13), "yyyyMMdd-HHmmss");
        EXPECT_TRUE(before <= started && started <= QDateTime::currentDateTime());
        EXPECT_TRUE(tracker.HasUnreportedCrash());
        EXPECT_THAT(Crashed(tracker), ElementsAre("190101-000000-123456"));
        EXPECT_THAT(Entries(file), ElementsAre(OwnEntry(tracker)));
        tracker.StopSession();  // written at once
        EXPECT_THAT(Entries(file), IsEmpty());
    }
    CrashTracker next;
    EXPECT_FALSE(next.HasUnreportedCrash());
    EXPECT_THAT(Entries(file), ElementsAre(OwnEntry(next)));
    next.ClearHistory();
    QCoreApplication::processEvents();  // the settings flush
    EXPECT_THAT(Entries(file), IsEmpty());
}

TEST_F(CrashTrackerTest, GarbageIsReadAsFarAsPossibleAndRepairedByTheNextWrite)
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
        const QStringList crashed = Crashed(tracker);
        for (const char* value : {"words", "negative", "overflow", "beyond", "a, b", "grouped"}) {
            EXPECT_THAT(crashed, Contains(value));
        }
        EXPECT_THAT(crashed, Contains(QString::fromLatin1(huge)));
        EXPECT_THAT(Entries(file), ElementsAre(OwnEntry(tracker)));
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(file, noise + noise));
    CrashTracker tracker;
    EXPECT_THAT(Entries(file), ElementsAre(OwnEntry(tracker)));
}

TEST_F(CrashTrackerTest, UnwritableDataDirectoryLeavesTheTrackerWorkingInMemory)
{
    const QString share = DataDir("");
    ASSERT_TRUE(Tavrin::Test::WriteFile(share + "Regular File", "not a directory"));
    ASSERT_TRUE(QFile::link(share + "No Target", share + "Dangling"));
    for (const char* organization : {"Regular File", "Dangling"}) {
        QCoreApplication::setOrganizationName(organization);
        CrashTracker tracker;
        EXPECT_FALSE(tracker.SessionId().empty());
        EXPECT_FALSE(tracker.HasUnreportedCrash());
        tracker.StopSession();
        tracker.ClearHistory();
        EXPECT_FALSE(QFileInfo::exists(CrashTracker::SessionFilePath()));
    }
}

// A product process with a tracker, and its report; killed and reaped when it goes.
struct Product
{
    Product(const QString& application, const char* ending)
    {
        process.start(CRASH_PRODUCT_EXECUTABLE, {application, ending});
        pid = QString::number(process.processId());
    }
    ~Product() { Kill(); }

    // Reads the report; false when "ready" does not come in time.
    bool Ready()
    {
        const QDeadlineTimer deadline(kWaitMs);
        QString line;
        while (line != "ready" &&
               (process.canReadLine() || process.waitForReadyRead(deadline.remainingTime()))) {
            line = QString::fromUtf8(process.readLine()).trimmed();
            if (line.startsWith("session ")) {
                session = line.mid(8);
            } else if (line.startsWith("crashed ")) {
                crashed << line.mid(8);
            }
        }
        return line == "ready";
    }
    bool Finish() { return process.waitForFinished(kWaitMs); }
    void Kill()
    {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
    QString Entry() const { return pid + "=" + session; }

    QProcess process;
    QString pid;
    QString session;
    QStringList crashed;
};

QString ProductFile(const QString& application)
{
    return DataDir("Tavrin Test") + application + kVersionFolder + "crash_product.ini";
}

QStringList NextStartReports(const QString& application)
{
    Product next(application, "exit");
    EXPECT_TRUE(next.Ready() && next.Finish());
    EXPECT_EQ(next.process.exitCode(), 0);
    return next.crashed;
}

TEST(CrashTrackerProcesses, KilledAndAbortedRunsAreReportedOnceByTheNextStartNormalOnesNever)
{
    EXPECT_THAT(NextStartReports("lifecycle"), IsEmpty());
    EXPECT_THAT(Entries(ProductFile("lifecycle")), IsEmpty());
    EXPECT_THAT(NextStartReports("lifecycle"), IsEmpty());

    Product killed("lifecycle", "sleep");
    ASSERT_TRUE(killed.Ready());
    killed.Kill();
    Product aborted("lifecycle", "abort");
    ASSERT_TRUE(aborted.Ready() && aborted.Finish());
    EXPECT_EQ(aborted.process.exitStatus(), QProcess::CrashExit);
    EXPECT_THAT(aborted.crashed, ElementsAre(killed.session));
    EXPECT_THAT(NextStartReports("lifecycle"), ElementsAre(aborted.session));
    EXPECT_THAT(NextStartReports("lifecycle"), IsEmpty());
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
        EXPECT_THAT(products[i]->crashed, IsEmpty());  // live instances never report each other
        (i % 2 ? live << products[i]->Entry() : killed << products[i]->session);
    }
    EXPECT_EQ(Entries(ProductFile("eight")).size(), 8);
    for (std::size_t i = 0; i < products.size(); i += 2) {
        products[i]->Kill();
    }
    EXPECT_THAT(NextStartReports("eight"), UnorderedElementsAreArray(killed));
    EXPECT_THAT(NextStartReports("eight"), IsEmpty());
    EXPECT_THAT(Entries(ProductFile("eight")), UnorderedElementsAreArray(live));
}

TEST(CrashTrackerProcesses, PidNowUsedByAnotherProgramCountsAsDead)
{
    QProcess other;  // another executable, running
    other.start(Tavrin::Test::HelperExecutable(), {"sleep", "60000"});
    ASSERT_TRUE(other.waitForReadyRead(kWaitMs));
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        ProductFile("recycled"),
        "[General]\n" + QByteArray::number(other.processId()) + "=190101-000000-654321\n"));
    EXPECT_THAT(NextStartReports("recycled"), ElementsAre("190101-000000-654321"));
    EXPECT_THAT(Entries(ProductFile("recycled")), IsEmpty());
    other.kill();
    other.waitForFinished(kWaitMs);
}

}  // namespace
