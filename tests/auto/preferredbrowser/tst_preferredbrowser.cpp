// The preferred browser, the process map and the URL handler against real processes (a fake
// browser copied under browser names), real settings files and the real look-and-feel manager.
// The fakes bear the names that win ties with a real browser on a developer's machine; cases
// that only hold without one are skipped there.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/PreferredBrowser.h>
#include <Tavrin/App/Application/ProcessMap.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestCustomization.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using Tavrin::App::Application;
using Tavrin::App::GetCurrentProcessMap;
using Tavrin::App::PreferredBrowser;
using Tavrin::Test::NewTempDir;
using Tavrin::Test::WriteFile;

int g_argc = 1;
char g_arg0[] = "tst_preferredbrowser";
char* g_argv[] = {g_arg0, nullptr};
const int kWaitMs = 30000;

// The parts of the user agents that tell them apart.
const char kYandexAgent[] = "Chrome/30.0.1599.12785 YaBrowser/13.12.1599.12785 Safari/537.36";
const char kChromeAgent[] = "(KHTML, like Gecko) Chrome/41.0.2228.0 Safari/537.36";
const char kFirefoxAgent[] = "(Windows NT 6.1; WOW64; rv:40.0) Gecko/20100101 Firefox/40.1";

struct Customization : Tavrin::Test::Customization
{
    Customization()
    {
        temporaryFolder = productFolder = "BrowserTest";
        applicationName = aboutName = "Browser Test";
    }
};

QString Canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

// A null value unsets the variable.
void SetEnvironment(const char* name, const QString& value)
{
    value.isNull() ? qunsetenv(name) : qputenv(name, QFile::encodeName(value));
}

class Browser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app = std::make_unique<Application>(g_argc, g_argv, Application::AppContext{false});
        m_app->SetCustomizationManager(std::make_shared<Customization>());
        m_product = std::make_shared<Tavrin::App::SettingsManager>(
            NewTempDir("product") + "/product.ini", QSettings::IniFormat);
        m_app->SetProductSettingsManager(m_product);
        const QString root = NewTempDir("approot");
        for (const char* locale : {"en_US", "de_DE", "ru_RU", "nl_NL", "pt_PT"}) {
            QDir().mkpath(root + "/resources/locales/" + locale);
        }
        m_lookAndFeel = std::make_shared<Tavrin::App::LookAndFeelManager>(
            root.toStdString(), "title.txt", std::list<std::string>{}, std::list<std::string>{});
        m_app->SetLookAndFeel(m_lookAndFeel);
        SetInstallerBrowser("");
    }

    void TearDown() override
    {
        StopAll();
        SetEnvironment("PATH", m_path);
        for (const char* name :
             {"programfiles(x86)", "programfiles", "localappdata", "FAKE_BROWSER_LOG"}) {
            qunsetenv(name);
        }
        m_app.reset();
    }

    // A copy of the fake browser named `name`, in a new directory unless one is given.
    static QString Install(const QString& name, const QString& directory = QString())
    {
        const QString path = (directory.isEmpty() ? NewTempDir("bin") : directory) + "/" + name;
        EXPECT_TRUE(QFile::copy(QStringLiteral(FAKE_BROWSER_PATH), path)) << path.toStdString();
        return Canonical(path);
    }

    // Starts the fake browser under `name`, to stay running; returns its path.
    QString Run(const QString& name)
    {
        const QString path = Install(name);
        m_processes.push_back(std::make_unique<QProcess>());
        m_processes.back()->start(path, QStringList());
        EXPECT_TRUE(m_processes.back()->waitForStarted(kWaitMs)) << path.toStdString();
        return path;
    }

    void StopAll()
    {
        for (const auto& process : m_processes) {
            process->kill();
            process->waitForFinished(kWaitMs);
        }
        m_processes.clear();
    }

    void SetInstallerBrowser(const std::string& name)
    {
        m_app->GetInstallerSettings("")->SetString("Browser", name);
    }

    QString Remembered() const
    {
        return QString::fromStdString(m_product->GetString("PreferredBrowser", "<unset>"));
    }

    // A browser this test did not start (the installer's browser is still unset).
    bool OtherBrowserRuns() { return !PreferredBrowser().FindBrowserPath().isEmpty(); }

    const QString m_path = qEnvironmentVariable("PATH");
    std::unique_ptr<Application> m_app;
    std::shared_ptr<Tavrin::App::SettingsManager> m_product;
    std::shared_ptr<Tavrin::App::LookAndFeelManager> m_lookAndFeel;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(Browser, DetectionPrefersTheInstallersBrowserThenTheLocalesMostPopularRunningOne)
{
    const bool otherBrowserRuns = OtherBrowserRuns();
    const struct
    {
        const char* installer;
        const char* locale;
        std::vector<QString> running;
        int expected;   // index into running; -1: no browser
        bool onlyOurs;  // holds only while no other browser runs
    } cases[] = {
        {"", "de_DE", {"chrome", "firefox"}, 1, false},
        {"", "en_US", {"chrome", "firefox"}, 0, false},
        {"", "pt_PT", {"firefox", "yandex-browser"}, 0, true},  // no row: the default table
        {"", "ru_RU", {"firefox", "yandex-browser"}, 1, true},
        // Running under a Linux name of the installer's browser, of a lower priority.
        {"browser.exe", "en_US", {"chrome", "yandex-browser"}, 1, false},
        {"opera.exe", "de_DE", {"firefox", "Opera"}, 1, false},
        {"microsoftedge.exe", "en_US", {"chrome", "firefox"}, -1, false},
        {"", "nl_NL", {"firefox", "microsoft-edge"}, -1, true},  // Edge first, so nothing
        {"", "en_US", {}, -1, true},
    };
    for (const auto& c : cases) {
        if (c.onlyOurs && otherBrowserRuns) {
            continue;
        }
        SetInstallerBrowser(c.installer);
        m_lookAndFeel->SetLocale(c.locale);
        std::vector<QString> paths;
        for (const QString& name : c.running) {
            paths.push_back(Run(name));
        }
        EXPECT_EQ(PreferredBrowser().FindBrowserPath(),
                  c.expected < 0 ? QString() : paths[c.expected])
            << c.installer << " " << c.locale;
        StopAll();
    }
}

TEST_F(Browser, InstalledBrowserIsFoundWhereItsInstallerOrPackagePutsIt)
{
    if (OtherBrowserRuns()) {
        GTEST_SKIP() << "another browser runs";
    }
    const QString x86 = NewTempDir("pf86"), programs = NewTempDir("pf");
    const QString local = NewTempDir("local"), bin = NewTempDir("path");
    const QString yandex = local + "/Yandex/YandexBrowser/Application/browser.exe";
    for (const QString& file : {x86 + "/Opera/launcher.exe", programs + "/Opera/launcher.exe",
                                yandex, bin + "/yandex_browser"}) {  // the last not executable
        ASSERT_TRUE(WriteFile(file, "x"));
    }
    const QString linuxYandex = Install("yandex-browser-stable", bin);
    SetEnvironment("PATH", bin + ":" + m_path);

    const struct
    {
        const char* installer;
        QString x86, programs, local, expected;
    } cases[] = {
        {"opera.exe", x86, programs, {}, Canonical(x86 + "/Opera/launcher.exe")},
        {"opera.exe", local, programs, {}, Canonical(programs + "/Opera/launcher.exe")},
        {"browser.exe", {}, {}, local, Canonical(yandex)},
        {"browser.exe", {}, programs, {}, linuxYandex},
        {"iexplore.exe", x86, programs, local, {}},
    };
    for (const auto& c : cases) {
        SetEnvironment("programfiles(x86)", c.x86);
        SetEnvironment("programfiles", c.programs);
        SetEnvironment("localappdata", c.local);
        SetInstallerBrowser(c.installer);
        EXPECT_EQ(Canonical(PreferredBrowser().FindBrowserPath()), c.expected) << c.installer;
    }
}

TEST_F(Browser, RemembersItsChoiceWithItsUserAgentAndDetectsAgainWhenTheFileIsGone)
{
    SetInstallerBrowser("browser.exe");
    const QString running = Run("yandex-browser");  // detected once the remembered file is gone

    // A remembered file that exists is taken as it is, whatever it is; its name picks the agent.
    const QString dir = NewTempDir("remembered");
    const std::pair<const char*, const char*> cases[] = {
        {"chrome.exe", kChromeAgent}, {"chromium", kChromeAgent},     {"Chrome.exe", kYandexAgent},
        {"unknown", kYandexAgent},    {"firefox-esr", kFirefoxAgent},
    };
    PreferredBrowser browser;
    for (const auto& c : cases) {
        const QString path = dir + "/" + c.first;
        ASSERT_TRUE(WriteFile(path, "x"));
        m_product->SetString("PreferredBrowser", path.toStdString());
        browser.UpdateBrowserPath();
        EXPECT_EQ(browser.GetBrowserPath(), path);
        EXPECT_TRUE(browser.GetUserAgent().endsWith(c.second)) << c.first;
    }
    ASSERT_TRUE(QFile::remove(browser.GetBrowserPath()));
    EXPECT_EQ(browser.GetBrowserPath(), running);
    EXPECT_EQ(Remembered(), running);

    // Finding nothing is remembered too, so the next start looks again; the agent is the default.
    SetInstallerBrowser("microsoftedge.exe");
    ASSERT_TRUE(QFile::remove(running));
    EXPECT_EQ(browser.GetBrowserPath(), QString());
    EXPECT_EQ(Remembered(), QString());
    EXPECT_TRUE(browser.GetUserAgent().endsWith(kYandexAgent));
}

TEST_F(Browser, WebLinksOpenInTheRememberedBrowserWithTheUrlAsItsOneArgument)
{
    m_product->SetString("PreferredBrowser", Install("firefox-esr").toStdString());
    const QString log = NewTempDir("log") + "/opened";
    qputenv("FAKE_BROWSER_LOG", QFile::encodeName(log));

    QStringList expected, lines;
    for (const QUrl& url :
         {QUrl("https://tavrin.example/x?a=1"), QUrl("http://tavrin.example/b c")}) {
        EXPECT_TRUE(QDesktopServices::openUrl(url));
        expected << url.toString() << "--";
        for (QDeadlineTimer deadline(kWaitMs); lines != expected && !deadline.hasExpired();) {
            QTest::qWait(20);
            QFile file(log);
            if (file.open(QIODevice::ReadOnly)) {
                lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
            }
        }
        EXPECT_EQ(lines, expected);
    }
    EXPECT_TRUE(m_app->GetPreferredBrowserUserAgent().endsWith(kFirefoxAgent));
}

TEST_F(Browser, ProcessMapNamesEveryExecutableOnceByItsLastProcessAndCopesWithExits)
{
    const QString earlier = Run("chromium"), later = Run("chromium"), opera = Run("Opera");
    const auto map = GetCurrentProcessMap([](const QString& name) { return name != "opera"; });
    const QString self = Canonical(QCoreApplication::applicationFilePath());
    const QString selfName = QFileInfo(self).fileName().toLower();
    EXPECT_EQ(map.at(selfName), self);
    const bool inOrder = m_processes[0]->processId() < m_processes[1]->processId();
    EXPECT_EQ(map.at("chromium"), inOrder ? later : earlier);
    EXPECT_EQ(map.count("opera"), 0u);  // the filter sees the lower-case name
    for (const auto& entry : map) {
        EXPECT_EQ(entry.first, QFileInfo(entry.second).fileName().toLower());
    }
    EXPECT_THROW(GetCurrentProcessMap(nullptr), std::bad_function_call);

    // Scans go on while short-lived processes start and end (without a log they exit at once).
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(QProcess::startDetached(opera, {QStringLiteral("url")}));
        EXPECT_EQ(GetCurrentProcessMap([](const QString&) { return true; }).count(selfName), 1u);
    }
}

}  // namespace
