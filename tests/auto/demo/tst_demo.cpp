// The demo product end to end, as a separate process: its unattended runs, the start-up
// report, the screenshot, and the launch type and crashed sessions kept across runs.
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

// Sanitizer builds start slowly on a busy machine, yet a healthy run takes a few seconds.
const int kRunTimeoutMs = 60000;

struct Outcome
{
    int exitCode = -1;  // -1 when the program crashed or did not finish in time
    QMap<QString, QString> report;
    std::string errors;
};

// A home of its own for a series of runs: settings, logs and temporary files stay below it,
// and what one run records the next one sees. QT_QPA_PLATFORM is never set, so the demo has
// to choose the platform itself; `display` goes to DISPLAY (nothing listens there).
Outcome Start(const QString& home, const QStringList& arguments, const QString& display = "")
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LOCALAPPDATA",
                             "USERPROFILE", "TavrinLogPath", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        environment.remove(name);
    }
    QDir().mkpath(home + "/tmp");
    environment.remove("LANGUAGE");
    environment.insert("LC_ALL", "C");  // the interface language comes from the settings
    environment.insert("LANG", "C");
    environment.insert("HOME", home);
    environment.insert("TMPDIR", home + "/tmp");
    if (!display.isEmpty()) {
        environment.insert("DISPLAY", display);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(KESTREL_EXECUTABLE, arguments);
    Outcome run;
    if (process.waitForFinished(kRunTimeoutMs) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    for (const QString& line : QString(process.readAllStandardOutput()).split('\n')) {
        if (line.indexOf(": ") > 0) {
            run.report.insert(line.section(": ", 0, 0), line.section(": ", 1));
        }
    }
    run.errors = (process.readAllStandardError() + process.errorString()).toStdString();
    return run;
}

// A screenshot of the real window, not a blank or missing image.
void ExpectScreenshotOfTheWindow(const QString& path)
{
    const QImage image(path);
    EXPECT_TRUE(image.width() >= 400 && image.height() >= 300) << path.toStdString();
    QImage blank(image.size(), image.format());
    blank.fill(image.pixel(0, 0));
    EXPECT_NE(image, blank) << "the screenshot is blank";
}

// The mean grey level of an image, 0 (black) to 255 (white).
int Brightness(const QString& path)
{
    return qGray(
        QImage(path).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
}

}  // namespace

TEST(KestrelDemo, ShootsEveryThemeAndKeepsTheChosenThemeAndLanguage)
{
    const QString home = Tavrin::Test::NewTempDir("kestrel-themes");
    const QString shot = home + "/s/shot.png";
    const QStringList smoke = {"--offscreen-smoke", "--screenshot=" + shot};
    const Outcome light = Start(home, smoke);
    ASSERT_EQ(light.exitCode, 0) << light.errors;
    EXPECT_EQ(light.report.value("theme"), "light");
    EXPECT_EQ(light.report.value("locale"), "en_US");
    EXPECT_GT(Brightness(shot), Brightness(home + "/s/shot-dark.png") + 40);

    QSettings product(home + "/.config/Tavrin/Kestrel/Product.conf", QSettings::IniFormat);
    const auto choose = [&product](const char* theme, const char* locale) {
        product.setValue("Theme", theme);
        product.setValue("Locale", locale);
        product.sync();
    };
    choose("dark", "ru_RU");
    const Outcome dark = Start(home, smoke);
    ASSERT_EQ(dark.exitCode, 0) << dark.errors;
    EXPECT_EQ(dark.report.value("theme"), "dark");
    EXPECT_EQ(dark.report.value("locale"), "ru_RU");
    EXPECT_LT(Brightness(shot), Brightness(home + "/s/shot-light.png") - 40);

    choose("neon", "xx_XX");  // neither is installed
    const Outcome fallback = Start(home, smoke);
    ASSERT_EQ(fallback.exitCode, 0) << fallback.errors;
    EXPECT_EQ(fallback.report.value("theme"), "light");
    EXPECT_EQ(fallback.report.value("locale"), "en_US");
}

TEST(KestrelDemo, RunsUnattendedReportsSavesTheWindowAndKeepsItsHistoryAcrossRuns)
{
    const QString home = Tavrin::Test::NewTempDir("kestrel");
    const QString defaultShot = home + "/tmp/tavrin-kestrel.png";
    // A browser left open: the first start settles on it and remembers it.
    const QString browser = home + "/opt/chrome";
    ASSERT_TRUE(QDir().mkpath(home + "/opt") && QFile::copy(FAKE_BROWSER_PATH, browser));
    QProcess browserProcess;
    browserProcess.start(browser, QStringList());
    ASSERT_TRUE(browserProcess.waitForStarted(kRunTimeoutMs));
    const Outcome quick = Start(home, {"--quit-after-start"});
    ASSERT_EQ(quick.exitCode, 0) << quick.errors;
    EXPECT_EQ(quick.report.value("preferred browser"), browser);
    // The thank-you page of a first start is listed, not opened.
    EXPECT_EQ(quick.report.value("opened links"),
              "https://www.tavrin.example/en/thank-you/?product=kestrel&version=" KESTREL_VERSION);
    EXPECT_EQ(quick.report.value("product"), "Tavrin Kestrel");
    EXPECT_EQ(quick.report.value("launch type"), "FirstLaunch");
    EXPECT_EQ(quick.report.value("crashed sessions"), "(none)");
    EXPECT_FALSE(quick.report.contains("screenshot") || QFile::exists(defaultShot));
    const QString logs = quick.report.value("log directory");
    EXPECT_TRUE(logs.startsWith(home + '/') && QFileInfo(logs).isDir()) << logs.toStdString();

    // The smoke run must stay offscreen even where a display is announced.
    const QString shot = home + "/shots/nested/first.png";
    const Outcome smoke = Start(home, {"--offscreen-smoke", "--screenshot=" + shot}, ":97");
    ASSERT_EQ(smoke.exitCode, 0) << smoke.errors;
    EXPECT_EQ(smoke.report.value("launch type"), "RegularLaunch");
    EXPECT_EQ(smoke.report.value("opened links"), "(none)");
    EXPECT_EQ(smoke.report.value("screenshot"), shot);
    ExpectScreenshotOfTheWindow(shot);

    // A session that died behind the product's back is reported by the next start, which
    // with no arguments and no display (as scripts/demo runs it) is an offscreen smoke run.
    QProcess gone;
    gone.start(Tavrin::Test::HelperExecutable(), {"exit", "0"});
    ASSERT_TRUE(gone.waitForFinished(kRunTimeoutMs));
    const QString sessions =
        home + "/.local/share/tavrin-kestrel/Tavrin/clipcrafter 14.5.0/tavrin-kestrel.ini";
    ASSERT_TRUE(QFile::exists(sessions));
    QSettings(sessions, QSettings::IniFormat)
        .setValue(QString::number(gone.processId()), "261204-121949-117345");
    const Outcome plain = Start(home, {});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors;
    EXPECT_EQ(plain.report.value("crashed sessions"), "261204-121949-117345");
    EXPECT_EQ(plain.report.value("screenshot"), defaultShot);
    ExpectScreenshotOfTheWindow(defaultShot);
}

TEST(KestrelDemo, UnusableArgumentsAndAnUnwritableScreenshotEndWithAMessage)
{
    const QString home = Tavrin::Test::NewTempDir("kestrel");
    for (const QStringList& arguments :
         {QStringList{"--offscreen-smoke", "--screenshot="},
          QStringList{"--quit-after-start", "--screenshot=" + home + "/a.png"},
          QStringList{"--screenshot=" + home + "/a.png"}}) {
        const Outcome run = Start(home, arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_NE(run.errors.find("--screenshot"), std::string::npos) << run.errors;
        EXPECT_TRUE(run.report.isEmpty());
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(home + "/file", "not a directory"));
    const QString blocked = home + "/file/shot.png";
    const Outcome run = Start(home, {"--offscreen-smoke", "--screenshot=" + blocked});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find(blocked.toStdString()), std::string::npos) << run.errors;
    EXPECT_EQ(run.report.value("product"), "Tavrin Kestrel");  // the report came before
    EXPECT_FALSE(QFile::exists(blocked));
}
