// The demo product end to end, as a separate process: its unattended runs, the start-up
// report, the screenshots, and the choices and launch type kept across runs.
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QSettings>

#include <gmock/gmock.h>

using namespace testing;

namespace {

// Sanitizer builds start slowly on a busy machine, yet a healthy run takes a few seconds.
const int kRunTimeoutMs = 60000;

struct Outcome
{
    int exitCode = -1;                   // -1 when the program crashed or did not finish in time
    QMultiMap<QString, QString> report;  // "dialog screenshot" comes once per picture
    std::string errors;
};

// A home of its own for a series of runs: settings, logs and temporary files stay below it,
// and what one run records the next one sees. QT_QPA_PLATFORM is never set, so the demo has
// to choose the platform itself; `display` goes to DISPLAY (nothing listens there; empty is
// none). The interface language comes from the settings, not the locale.
Outcome Start(const QString& home, const QStringList& arguments, const QString& display = "")
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "LOCALAPPDATA", "USERPROFILE", "TavrinLogPath",
          "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "LANGUAGE"})
        environment.remove(name);
    QDir().mkpath(home + "/tmp");
    const QStringList settings{"LC_ALL=C", "LANG=C", "HOME=" + home, "TMPDIR=" + home + "/tmp",
                               "DISPLAY=" + display};
    for (const QString& setting : settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(KESTREL_EXECUTABLE, arguments);
    Outcome run;
    if (process.waitForFinished(kRunTimeoutMs) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    for (const QString& line : QString(process.readAllStandardOutput()).split('\n')) {
        if (line.indexOf(": ") > 0)
            run.report.insert(line.section(": ", 0, 0), line.section(": ", 1));
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

// The fourteen dialog pictures printed: the about box in three languages, the e-mail card in
// three states and an informer box, in each theme. Each language, card state and informer
// theme shows; the cards may look alike in themes.
void ExpectDialogScreenshots(const QStringList& shots)
{
    EXPECT_EQ(shots.size(), 14);
    QSet<QByteArray> distinct;
    for (const QString& path : shots) {
        const QImage image(path);
        EXPECT_FALSE(image.isNull()) << path.toStdString();
        distinct.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_GE(distinct.size(), 8);
}

// The mean grey level of an image, 0 (black) to 255 (white).
int Brightness(const QString& path)
{
    return qGray(
        QImage(path).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
}

// The report's values of `keys`, joined with "|".
QString Values(const Outcome& run, const QStringList& keys)
{
    QStringList values;
    for (const QString& key : keys)
        values << run.report.value(key);
    return values.join('|');
}

}  // namespace

// One home across runs: a first start, offscreen smoke runs over the chosen theme and
// language, then a start without arguments.
TEST(KestrelDemo, RunsUnattendedShootsEveryThemeAndKeepsChoicesAndHistoryAcrossRuns)
{
    const QString home = Tavrin::Test::NewTempDir("kestrel");
    const QString defaultShot = home + "/tmp/tavrin-kestrel.png";
    // A browser left open: the first start settles on it and remembers it.
    const QString browser = home + "/opt/chrome";
    ASSERT_TRUE(QDir().mkpath(home + "/opt") && QFile::copy(FAKE_BROWSER_PATH, browser));
    QProcess browserProcess;
    browserProcess.start(browser, QStringList());
    ASSERT_TRUE(browserProcess.waitForStarted(kRunTimeoutMs));
    const Outcome quick = Start(home, {"--quit-after-start", "--startup-profile"});
    ASSERT_EQ(quick.exitCode, 0) << quick.errors;
    browserProcess.kill();  // remembered now; not left running behind the test
    browserProcess.waitForFinished(kRunTimeoutMs);
    // The phases, in the report and (asked for) on their own line; times vary, names not.
    const QString phases = Values(quick, {"start-up phases", "Start-up phases"});
    for (const char* phase : {"crash session ", "logging ", "look and feel ", "stores ",
                              "launch type ", "splash ", "OnStart ", "since process start"})
        EXPECT_EQ(phases.count(phase), 2) << phase << " in " << phases.toStdString();
    // The thank-you page of a first start is listed, not opened; the e-mail card is offered,
    // and answered by the run.
    EXPECT_EQ(
        Values(quick, {"product", "launch type", "preferred browser", "opened links", "email card",
                       "crashed sessions"}),
        "Tavrin Kestrel|FirstLaunch|" + browser +
            "|https://www.tavrin.example/en/thank-you/?product=kestrel&version=" KESTREL_VERSION
            "|skipped|(none)");
    EXPECT_FALSE(quick.report.contains("screenshot") || QFile::exists(defaultShot));
    const QString logs = quick.report.value("log directory");
    EXPECT_TRUE(logs.startsWith(home + '/') && QFileInfo(logs).isDir()) << logs.toStdString();

    // Smoke runs stay offscreen even where a display is announced, and shoot every theme. The
    // theme and language chosen (neither of the last pair is installed: the defaults), then
    // the ones reported.
    const QString shot = home + "/shots/nested/first";
    QSettings product(home + "/.config/Tavrin/Kestrel/Product.conf", QSettings::IniFormat);
    const char* runs[][3] = {{"dark", "ru_RU", "dark|ru_RU"}, {"neon", "xx_XX", "light|en_US"}};
    for (const auto& [theme, locale, shown] : runs) {
        product.setValue("Theme", theme);
        product.setValue("Locale", locale);
        product.sync();
        const Outcome smoke =
            Start(home, {"--offscreen-smoke", "--screenshot=" + shot + ".png"}, ":97");
        ASSERT_EQ(smoke.exitCode, 0) << smoke.errors;
        const QString current = smoke.report.value("theme");
        // The confirmation box is shot in every theme, the current one's named last.
        EXPECT_EQ(Values(smoke, {"theme", "locale", "launch type", "opened links", "email card",
                                 "screenshot", "confirmation screenshot"}),
                  QString(shown) + "|RegularLaunch|(none)|(not shown)|" + shot + ".png|" + shot +
                      "-confirmation-" + current + ".png");
        // The Touch page's list follows a synthetic finger through the touch source; the
        // companion viewer was started as a slave, closed, and was told the main window.
        const QString exchanges =
            Values(smoke, {"touch pan over the list", "viewer said", "viewer answered"});
        EXPECT_TRUE(QRegExp("finger ([1-9][0-9]*) px up, scroll position 0 -> \\1"
                            "\\|applicationClosed\\|yes=[1-9][0-9]*")
                        .exactMatch(exchanges))
            << exchanges.toStdString();
        ExpectDialogScreenshots(smoke.report.values("dialog screenshot"));
        EXPECT_GT(Brightness(shot + "-confirmation-light.png") -
                      Brightness(shot + "-confirmation-dark.png"),
                  40);
        const bool light = current == "light";
        const int other = Brightness(shot + (light ? "-dark.png" : "-light.png"));
        EXPECT_GT(light ? Brightness(shot + ".png") - other : other - Brightness(shot + ".png"),
                  40);
    }
    ExpectScreenshotOfTheWindow(shot + ".png");

    // With no arguments and no display (as scripts/demo runs it) a start is an offscreen smoke
    // run too. Clean runs leave no crashed session behind (a crashed one being reported by the
    // next start is the launch test's).
    const Outcome plain = Start(home, {});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors;
    EXPECT_EQ(Values(plain, {"crashed sessions", "screenshot"}), "(none)|" + defaultShot);
    ExpectScreenshotOfTheWindow(defaultShot);
}

// Unusable arguments end with exit code 2 and no report; an unwritable screenshot with 1,
// after the report.
TEST(KestrelDemo, UnusableArgumentsAndAnUnwritableScreenshotEndWithAMessage)
{
    const QString home = Tavrin::Test::NewTempDir("kestrel");
    ASSERT_TRUE(Tavrin::Test::WriteFile(home + "/file", "not a directory"));
    const QString blocked = home + "/file/shot.png";
    const std::pair<QStringList, int> cases[] = {
        {{"--offscreen-smoke", "--screenshot="}, 2},
        {{"--quit-after-start", "--screenshot=" + home + "/a.png"}, 2},
        {{"--screenshot=" + home + "/a.png"}, 2},
        {{"--offscreen-smoke", "--screenshot=" + blocked}, 1},
    };
    for (const auto& [arguments, exitCode] : cases) {
        const Outcome run = Start(home, arguments);
        EXPECT_EQ(run.exitCode, exitCode) << arguments.join(' ').toStdString();
        EXPECT_THAT(run.errors, HasSubstr(exitCode == 2 ? "--screenshot" : blocked.toStdString()));
        EXPECT_EQ(run.report.isEmpty() ? "(no report)" : run.report.value("product"),
                  exitCode == 2 ? "(no report)" : "Tavrin Kestrel");
    }
    EXPECT_FALSE(QFile::exists(blocked));
}
