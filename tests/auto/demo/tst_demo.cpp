// The demo product end to end, as a separate process: its unattended runs, the start-up
// report, the screenshot and the launch type kept across runs in its own settings.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

// Sanitizer builds start slowly on a busy machine, yet a healthy run takes a few seconds.
const int kRunTimeoutMs = 60000;

struct Outcome
{
    int exitCode = -1;  // -1 when the program crashed or did not finish in time
    QMap<QString, QString> report;
    QString errors;
};

// A home of its own for a series of runs: settings, logs and temporary files stay below it,
// and what one run records the next one sees.
class KestrelHome
{
public:
    KestrelHome() : root(Tavrin::Test::NewTempDir("kestrel")) {}

    // `display` is put in DISPLAY (nothing listens there); QT_QPA_PLATFORM is never set, so
    // the demo has to choose the platform itself.
    Outcome Start(const QStringList& arguments, const QString& display = QString()) const
    {
        QProcess process;
        process.setProcessEnvironment(Environment(display));
        process.start(QStringLiteral(KESTREL_EXECUTABLE), arguments);
        Outcome run;
        if (!process.waitForFinished(kRunTimeoutMs)) {
            process.kill();
            process.waitForFinished(kRunTimeoutMs);
        } else if (process.exitStatus() == QProcess::NormalExit) {
            run.exitCode = process.exitCode();
        }
        for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
            const int colon = line.indexOf(QLatin1String(": "));
            if (colon > 0) {
                run.report.insert(line.left(colon), line.mid(colon + 2));
            }
        }
        run.errors = QString::fromUtf8(process.readAllStandardError());
        if (process.error() == QProcess::FailedToStart) {
            run.errors = process.errorString();
        }
        return run;
    }

    const QString root;

private:
    QProcessEnvironment Environment(const QString& display) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LOCALAPPDATA",
                                 "USERPROFILE", "TavrinLogPath"}) {
            environment.remove(QString::fromLatin1(name));
        }
        const QStringList directories = {"HOME=/home",
                                         "XDG_CONFIG_HOME=/home/.config",
                                         "XDG_DATA_HOME=/home/.local/share",
                                         "XDG_CACHE_HOME=/home/.cache",
                                         "XDG_STATE_HOME=/home/.local/state",
                                         "XDG_RUNTIME_DIR=/run",
                                         "TMPDIR=/tmp"};
        for (const QString& entry : directories) {
            const QString path = root + entry.section('=', 1);
            QDir().mkpath(path);
            environment.insert(entry.section('=', 0, 0), path);
        }
        QFile::setPermissions(root + "/run",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!display.isEmpty()) {
            environment.insert(QStringLiteral("DISPLAY"), display);
        }
        return environment;
    }
};

// A screenshot of the real window, not a blank or missing image.
void ExpectScreenshotOfTheWindow(const QString& path)
{
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_GE(image.width(), 400);
    EXPECT_GE(image.height(), 300);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GE(colours.size(), 4) << "the screenshot is nearly blank";
}

}  // namespace

TEST(KestrelDemo, SmokeRunReportsAndSavesTheWindowAndTheNextRunIsARegularLaunch)
{
    const KestrelHome home;
    const QString shot = home.root + "/shots/nested/first.png";
    // The smoke run must stay offscreen even where a display is announced.
    const Outcome first = home.Start({"--offscreen-smoke", "--screenshot=" + shot}, ":97");
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    EXPECT_EQ(first.report.value("product"), "Tavrin Kestrel");
    EXPECT_EQ(first.report.value("version"), KESTREL_VERSION);
    const QString logs = first.report.value("log directory");
    EXPECT_TRUE(logs.startsWith(home.root + '/')) << logs.toStdString();
    EXPECT_TRUE(QFileInfo(logs).isDir()) << logs.toStdString();
    EXPECT_EQ(first.report.value("launch type"), "FirstLaunch");
    EXPECT_EQ(first.report.value("days since first start"), "0");
    EXPECT_EQ(first.report.value("screenshot"), shot);
    ExpectScreenshotOfTheWindow(shot);

    EXPECT_EQ(first.report.value("crashed sessions"), "(none)");

    // A session that died behind the product's back is reported by the next start.
    QProcess gone;
    gone.start(Tavrin::Test::HelperExecutable(), {"exit", "0"});
    ASSERT_TRUE(gone.waitForFinished(kRunTimeoutMs));
    const QString sessions = home.root +
        "/home/.local/share/tavrin-kestrel/Tavrin/clipcrafter 14.5.0/tavrin-kestrel.ini";
    ASSERT_TRUE(QFile::exists(sessions));
    QSettings(sessions, QSettings::IniFormat)
        .setValue(QString::number(gone.processId()), "261204-121949-117345");

    const Outcome second = home.Start({"--offscreen-smoke"});
    ASSERT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_EQ(second.report.value("crashed sessions"), "261204-121949-117345");
    EXPECT_EQ(second.report.value("launch type"), "RegularLaunch");
    EXPECT_EQ(second.report.value("days since first start"), "0");
    EXPECT_EQ(second.report.value("screenshot"), home.root + "/tmp/tavrin-kestrel.png");
    ExpectScreenshotOfTheWindow(home.root + "/tmp/tavrin-kestrel.png");
}

TEST(KestrelDemo, WithoutADisplayItRunsUnattendedOffscreenInsteadOfWaitingForever)
{
    const KestrelHome home;
    const QString shot = home.root + "/tmp/tavrin-kestrel.png";
    const Outcome quick = home.Start({"--quit-after-start"});
    ASSERT_EQ(quick.exitCode, 0) << quick.errors.toStdString();
    EXPECT_EQ(quick.report.value("product"), "Tavrin Kestrel");
    EXPECT_EQ(quick.report.value("launch type"), "FirstLaunch");
    EXPECT_FALSE(quick.report.contains("screenshot"));
    EXPECT_FALSE(QFile::exists(shot));

    // No arguments at all, as scripts/demo runs it on a machine without a display.
    const Outcome plain = home.Start({});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors.toStdString();
    EXPECT_EQ(plain.report.value("launch type"), "RegularLaunch");
    EXPECT_EQ(plain.report.value("screenshot"), shot);
    ExpectScreenshotOfTheWindow(shot);
}

TEST(KestrelDemo, UnusableArgumentsAndAnUnwritableScreenshotEndWithAMessage)
{
    const KestrelHome home;
    for (const QStringList& arguments :
         {QStringList{"--offscreen-smoke", "--screenshot="},
          QStringList{"--offscreen-smoke", "--screenshot"},
          QStringList{"--quit-after-start", "--screenshot=" + home.root + "/a.png"},
          QStringList{"--screenshot=" + home.root + "/a.png"}}) {
        const Outcome run = home.Start(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errors.contains("--screenshot")) << run.errors.toStdString();
        EXPECT_TRUE(run.report.isEmpty());
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(home.root + "/file", "not a directory"));
    const QString blocked = home.root + "/file/shot.png";
    const Outcome run = home.Start({"--offscreen-smoke", "--screenshot=" + blocked});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(blocked)) << run.errors.toStdString();
    EXPECT_EQ(run.report.value("product"), "Tavrin Kestrel");  // the report came before
    EXPECT_FALSE(QFile::exists(blocked));
}
