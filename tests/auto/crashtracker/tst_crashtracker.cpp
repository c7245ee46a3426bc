// The crash tracker, in this process against real session files and across real product
// processes (crash_product) that exit, abort, get killed or run side by side.
#include <Tavrin/App/Application/CrashTracker.h>
#include <Tavrin/Core/ScopedFunctionCall.h>

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

// Bad data directories leave the tracker working in memory. A damaged file is read as far as it
// goes: every entry that is not a live instance's is a crashed session, collected once, and the
// first write leaves only well-formed entries.
TEST(CrashTracker, CollectsEveryDeadEntryOnceRecordsItselfClearsOnRequestAndSurvivesBadFiles)
{
    QCoreApplication::setApplicationName("damaged");
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

    QCoreApplication::setOrganizationName("Tavrin Test");
    const QString file = CrashTracker::SessionFilePath();
    const QString ownPid = QString::number(QCoreApplication::applicationPid()) + "=";
    const QByteArray huge(1 << 20, 'h'), noise = QByteArray::fromHex("00ff0a3d5b5d225ce2800d3b23");
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        file, noise.repeated(300) + "\n[General]\nnot-a-pid=words\n-5=negative\n" +
                  "99999999999999999999999=overflow\n4294967296=beyond\n4194304=" + huge +
                  "\nlist=a, b\n=nameless\n[Group]\n7=grouped\n"));
    {
        CrashTracker tracker;
        const std::deque<std::string> crashed = tracker.BadSessionsList();
        for (const std::string& value :
             std::vector<std::string>{"words", "negative", "overflow", "beyond", "a, b", "grouped",
                                      huge.toStdString()}) {
            EXPECT_NE(std::find(crashed.begin(), crashed.end(), value), crashed.end())
                << value.substr(0, 20);
        }
        EXPECT_EQ(Entries(file), QStringList(ownPid + tracker.SessionId().c_str()));
        tracker.StopSession();  // written at once
        EXPECT_EQ(Entries(file), QStringList());
    }
    CrashTracker next;
    EXPECT_FALSE(next.HasUnreportedCrash());
    EXPECT_EQ(Entries(file), QStringList(ownPid + next.SessionId().c_str()));
    next.ClearHistory();
    QCoreApplication::processEvents();  // the settings flush
    EXPECT_EQ(Entries(file), QStringList());
}

// A product process with a tracker, and its report; killed and reaped when it goes.
struct Product
{
    explicit Product(const QStringList& arguments)
    {
        process.start(CRASH_PRODUCT_EXECUTABLE, arguments);
    }
    ~Product()
    {
        process.kill();
        process.waitForFinished(kWaitMs);
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
    Product run({application, "exit"});
    EXPECT_TRUE(run.Ready() && run.process.waitForFinished(kWaitMs) && run.process.exitCode() == 0);
    return run.crashed;
}

// A normal end leaves nothing and is never reported; killed and aborted runs are reported once,
// by the next start, and live instances (or a pid now used by another program) never.
TEST(CrashTrackerProcesses, OfEightInstancesExactlyTheKilledOnesAndAnAbortedOneAreReportedOnce)
{
    QProcess other;  // another executable, running until the test ends
    const Tavrin::Core::ScopedFunctionCall stopOther(nullptr, [&other] {
        other.kill();
        other.waitForFinished(kWaitMs);
    });
    other.start(Tavrin::Test::HelperExecutable(), {"sleep", "60000"});
    ASSERT_TRUE(other.waitForReadyRead(kWaitMs));
    ASSERT_TRUE(Tavrin::Test::WriteFile(
        ProductFile("eight"),
        "[General]\n" + QByteArray::number(other.processId()) + "=190101-000000-654321\n"));
    EXPECT_EQ(NextStartReports("eight"), QStringList{"190101-000000-654321"});
    EXPECT_EQ(Entries(ProductFile("eight")), QStringList());

    std::vector<std::unique_ptr<Product>> products;
    for (int i = 0; i < 8; ++i) {
        products.push_back(std::make_unique<Product>(QStringList{"eight", "sleep"}));
    }
    QStringList killed, live;
    for (std::size_t i = 0; i < products.size(); ++i) {
        ASSERT_TRUE(products[i]->Ready());
        EXPECT_EQ(products[i]->crashed, QStringList());
        (i % 2 ? live << products[i]->Entry() : killed << products[i]->session);
    }
    for (std::size_t i = 0; i < products.size(); i += 2) {
        products[i]->process.kill();
        products[i]->process.waitForFinished(kWaitMs);
    }
    killed.sort();
    live.sort();
    Product aborted({"eight", "abort"});
    ASSERT_TRUE(aborted.Ready() && aborted.process.waitForFinished(kWaitMs));
    EXPECT_EQ(aborted.process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(aborted.crashed, killed);
    EXPECT_EQ(NextStartReports("eight"), QStringList{aborted.session});
    EXPECT_EQ(NextStartReports("eight"), QStringList());
    EXPECT_EQ(Entries(ProductFile("eight")), live);
}

}  // namespace
