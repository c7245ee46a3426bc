// Qt fills in file and line of a message only with this defined (release builds leave it out).
#define QT_MESSAGELOGCONTEXT

#include "TestSupport.h"

#include <Tavrin/Util/QtLogHandler.h>

#include <QFile>
#include <QLoggingCategory>
#include <QProcess>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using Tavrin::Util::QtLogHandler;

Q_LOGGING_CATEGORY(lcTavrinTest, "tavrin.test")

namespace {

// glog may be initialised once per process; all tests share this log directory.
QString LogDirectory()
{
    static const QString directory = [] {
        const QString dir = Tavrin::Test::NewTempDir("glog");
        FLAGS_log_dir = QFile::encodeName(dir).toStdString();
        google::InitGoogleLogging("tst_utillog");
        return dir;
    }();
    return directory;
}

// The lines of the program's INFO log (which has every severity) that contain `marker`.
QStringList LogLines(const QString& marker, const QString& directory = LogDirectory(),
                     const QString& program = "tst_utillog")
{
    google::FlushLogFiles(google::GLOG_INFO);
    QFile log(directory + '/' + program + ".INFO");
    log.open(QIODevice::ReadOnly);
    return QString::fromUtf8(log.readAll()).split('\n').filter(marker);
}

QString NewMarker()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("marker-%1-").arg(counter++);
}

class QtLogHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LogDirectory();
        QtLogHandler::GetInstance().Install();
    }
    void TearDown() override
    {
        QtLogHandler::GetInstance().ClearFilters();
        QtLogHandler::GetInstance().Uninstall();
    }
    const QString marker = NewMarker();
    const QByteArray text = marker.toUtf8();
};

QStringList g_captured;

void CapturingHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_captured << message;
}

}  // namespace

TEST_F(QtLogHandlerTest, MessagesLandInGlogWithSeverityLocationAndCategory)
{
    qDebug("%s debug", text.constData());
    const int debugLine = __LINE__ - 1;
    qInfo("%s info", text.constData());
    qWarning("%s warning", text.constData());
    qCritical("%s critical", text.constData());
    qCWarning(lcTavrinTest, "%s categorised", text.constData());
    QMessageLogger(nullptr, 0, nullptr).info("%s without context", text.constData());

    const QStringList lines = LogLines(marker);
    ASSERT_EQ(lines.size(), 6) << lines.join('\n').toStdString();
    const char severities[] = "IIWEWI";
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].at(0), QLatin1Char(severities[i])) << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[0].contains(QStringLiteral("tst_utillog.cpp:%1] ").arg(debugLine)));
    EXPECT_TRUE(lines[3].endsWith(marker + " critical"));
    EXPECT_TRUE(lines[4].contains("[tavrin.test] " + marker));
    EXPECT_TRUE(lines[5].endsWith(marker + " without context"));
}

TEST_F(QtLogHandlerTest, FiltersDropMessagesAndAThrowingFilterLetsThemThrough)
{
    QtLogHandler& handler = QtLogHandler::GetInstance();
    handler.AddFilter([](const QString& message) { return !message.startsWith("libpng warning"); });
    handler.AddFilter([](const QString& message) -> bool {
        if (message.contains("throw")) {
            throw std::runtime_error("broken filter");
        }
        return !message.contains("noise");
    });
    qWarning("libpng warning: iCCP: known incorrect sRGB profile %s", text.constData());
    qWarning("%s noise", text.constData());
    qWarning("%s throw", text.constData());
    EXPECT_EQ(LogLines(marker).size(), 1);

    handler.ClearFilters();
    qWarning("libpng warning: iCCP: known incorrect sRGB profile %s", text.constData());
    EXPECT_EQ(LogLines(marker).size(), 2);
}

TEST_F(QtLogHandlerTest, MessagesFromManyThreadsWhileFiltersChangeAreAllLogged)
{
    std::atomic<bool> done{false};
    std::thread filterChanger([&done] {
        while (!done) {
            QtLogHandler::GetInstance().AddFilter([](const QString& m) { return !m.isEmpty(); });
            QtLogHandler::GetInstance().ClearFilters();
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < 6; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 100; ++i) {
                qWarning("%s thread %d message %d", text.constData(), t, i);
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    done = true;
    filterChanger.join();
    EXPECT_EQ(LogLines(marker).size(), 600);
}

TEST(QtLogHandler, UninstallPutsBackThePreviousHandler)
{
    LogDirectory();
    const QtMessageHandler original = qInstallMessageHandler(&CapturingHandler);
    QtLogHandler& handler = QtLogHandler::GetInstance();
    handler.Install();
    handler.Install();  // a second Install must not chain us to ourselves
    const QString marker = NewMarker();
    qWarning("%s installed", qPrintable(marker));
    handler.Uninstall();
    qWarning("%s uninstalled", qPrintable(marker));
    qInstallMessageHandler(original);

    EXPECT_FALSE(handler.IsInstalled());
    EXPECT_EQ(LogLines(marker).size(), 1);
    EXPECT_EQ(g_captured, QStringList{marker + " uninstalled"});
}

TEST(QtLogHandler, FatalMessageIsLoggedBeforeTheProcessAborts)
{
    const QString directory = Tavrin::Test::NewTempDir("fatal");
    const QString marker = NewMarker() + "fatal";
    QProcess helper;
    helper.start(Tavrin::Test::HelperExecutable(), {"qt-fatal", directory, marker});
    ASSERT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    const QStringList lines = LogLines(marker, directory, "tavrin_test_helper");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith('E'));
}
