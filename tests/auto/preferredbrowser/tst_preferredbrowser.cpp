// The preferred browser, the process map and the URL handler against a fake browser copied
// under browser names. Cases that only hold while no real browser runs are skipped otherwise.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/PreferredBrowser.h>
#include <Tavrin/App/Application/ProcessMap.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/URLHandler.h>

#include "TestCustomization.h"
#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using namespace Tavrin::App;
using namespace Tavrin::Test;

int g_argc = 1;
char* g_argv[] = {const_cast<char*>("tst_preferredbrowser"), nullptr};
const int kWaitMs = 30000;

// The parts of the user agents that tell them apart.
const char kYandex[] = "Chrome/30.0.1599.12785 YaBrowser/13.12.1599.12785 Safari/537.36";
const char kChrome[] = "(KHTML, like Gecko) Chrome/41.0.2228.0 Safari/537.36";
const char kFirefox[] = "(Windows NT 6.1; WOW64; rv:40.0) Gecko/20100101 Firefox/40.1";

// A fake browser left running, stopped with the test.
struct Process : QProcess
{
    ~Process() override { close(); }  // kills it and waits for its end
};

// An application with a product store and five interface languages. A fake browser given
// arguments notes them in m_opened.
struct Browser : ::testing::Test
{
    Browser()
    {
        WriteFile(m_opened, "");
        qputenv("FAKE_BROWSER_LOG", QFile::encodeName(m_opened));
        m_app.SetCustomizationManager(std::make_shared<Customization>());
        m_app.SetProductSettingsManager(m_product);
        const QString root = NewTempDir("approot");
        for (const char* locale : {"en_US", "de_DE", "ru_RU", "nl_NL", "pt_PT"})
            QDir().mkpath(root + "/resources/locales/" + locale);
        m_lookAndFeel.reset(new LookAndFeelManager(root.toStdString(), "title.txt", {}, {}));
        m_app.SetLookAndFeel(m_lookAndFeel);
    }
    ~Browser() override { qunsetenv("FAKE_BROWSER_LOG"); }

    static QString Canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

    // A copy of the fake browser named `name`, in a new directory unless one is given.
    static QString Install(const QString& name, const QString& directory = NewTempDir("bin"))
    {
        EXPECT_TRUE(QFile::copy(QStringLiteral(FAKE_BROWSER_PATH), directory + "/" + name));
        return Canonical(directory + "/" + name);
    }

    // Starts the fake browser under `name`, to stay running; returns its path.
    QString Run(const QString& name)
    {
        QProcess& process = *m_processes.emplace_back(std::make_unique<Process>());
        process.start(Install(name), QStringList());
        EXPECT_TRUE(process.waitForStarted(kWaitMs)) << name.toStdString();
        return process.program();
    }

    // The browser the installer was run from.
    void SetInstaller(const char* b) { m_app.GetInstallerSettings("")->SetString("Browser", b); }

    Application m_app{g_argc, g_argv, Application::AppContext{false}};
    std::shared_ptr<SettingsManager> m_product = std::make_shared<SettingsManager>(
        NewTempDir("product") + "/product.ini", QSettings::IniFormat);
    std::shared_ptr<LookAndFeelManager> m_lookAndFeel;
    std::vector<std::unique_ptr<Process>> m_processes;
    const QString m_opened = NewTempDir("log") + "/opened";
};

TEST_F(Browser, DetectionPrefersTheInstallersBrowserThenTheLocalesMostPopularRunningOne)
{
    // A browser this test did not start (the installer's browser is still unset).
    const bool otherBrowserRuns = !PreferredBrowser().FindBrowserPath().isEmpty();
    // installer, locale, running, index of the expected one (-1: none), holds only without
    // another browser running
    const std::tuple<const char*, const char*, std::vector<QString>, int, bool> cases[] = {
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
    for (const auto& [installer, locale, running, expected, onlyOurs] : cases) {
        if (onlyOurs && otherBrowserRuns)
            continue;
        SetInstaller(installer);
        m_lookAndFeel->SetLocale(locale);
        QStringList paths;
        for (const QString& name : running)
            paths << Run(name);
        EXPECT_EQ(PreferredBrowser().FindBrowserPath(), paths.value(expected))
            << installer << " " << locale;
        m_processes.clear();
    }
}

TEST_F(Browser, InstalledBrowserIsFoundWhereItsInstallerOrPackagePutsIt)
{
    if (!PreferredBrowser().FindBrowserPath().isEmpty())
        GTEST_SKIP() << "another browser runs";
    const QString x86 = NewTempDir("pf86"), programs = NewTempDir("pf");
    const QString local = NewTempDir("local"), bin = NewTempDir("path");
    const QString yandex = local + "/Yandex/YandexBrowser/Application/browser.exe";
    for (const QString& file : {x86 + "/Opera/launcher.exe", programs + "/Opera/launcher.exe",
                                yandex, bin + "/yandex_browser"})  // the last not executable
        ASSERT_TRUE(WriteFile(file, "x"));
    const QString linuxYandex = Install("yandex-browser-stable", bin);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":" + path);

    // installer; "programfiles(x86)", "programfiles", "localappdata"; expected
    const std::tuple<const char*, QString, QString, QString, QString> cases[] = {
        {"opera.exe", x86, programs, {}, Canonical(x86 + "/Opera/launcher.exe")},
        {"opera.exe", local, programs, {}, Canonical(programs + "/Opera/launcher.exe")},
        {"browser.exe", {}, {}, local, Canonical(yandex)},
        {"browser.exe", {}, programs, {}, linuxYandex},
        {"iexplore.exe", x86, programs, local, {}},
        {"browser.exe", {}, {}, {}, linuxYandex},  // the last: leaves the variables empty
    };
    for (const auto& [installer, x86Dir, programsDir, localDir, expected] : cases) {
        qputenv("programfiles(x86)", QFile::encodeName(x86Dir));
        qputenv("programfiles", QFile::encodeName(programsDir));
        qputenv("localappdata", QFile::encodeName(localDir));
        SetInstaller(installer);
        EXPECT_EQ(Canonical(PreferredBrowser().FindBrowserPath()), expected) << installer;
    }
    qputenv("PATH", path);
}

TEST_F(Browser, RemembersItsChoiceWithItsUserAgentAndDetectsAgainWhenTheFileIsGone)
{
    SetInstaller("browser.exe");
    const QString running = Run("yandex-browser");  // detected once the remembered file is gone

    // A remembered file that exists is taken as it is, whatever it is; its name picks the agent.
    const std::pair<const char*, const char*> cases[] = {
        {"chrome.exe", kChrome}, {"chromium", kChrome},     {"Chrome.exe", kYandex},
        {"unknown", kYandex},    {"firefox-esr", kFirefox},
    };
    PreferredBrowser browser;
    for (const auto& [name, agent] : cases) {
        const QString path = NewTempDir("remembered") + "/" + name;
        ASSERT_TRUE(WriteFile(path, "x"));
        m_product->SetString("PreferredBrowser", path.toStdString());
        browser.UpdateBrowserPath();
        EXPECT_EQ(browser.GetBrowserPath(), path);
        EXPECT_TRUE(browser.GetUserAgent().endsWith(agent)) << name;
    }
    ASSERT_TRUE(QFile::remove(browser.GetBrowserPath()));
    EXPECT_EQ(browser.GetBrowserPath(), running);
    EXPECT_EQ(m_product->GetString("PreferredBrowser", ""), running.toStdString());

    // Finding nothing is remembered too, so the next start looks again; the agent is the default.
    SetInstaller("microsoftedge.exe");
    ASSERT_TRUE(QFile::remove(running));
    EXPECT_EQ(browser.GetBrowserPath(), QString());
    EXPECT_EQ(m_product->GetString("PreferredBrowser", "<unset>"), "");
    EXPECT_TRUE(browser.GetUserAgent().endsWith(kYandex));
}

TEST_F(Browser, WebLinksOpenInTheRememberedBrowserWithTheUrlAsItsOneArgument)
{
    m_product->SetString("PreferredBrowser", Install("firefox-esr").toStdString());
    // Invalid URLs have no text for the browser: it would be started with "" (seen as "--").
    auto* handler = m_app.findChild<URLHandler*>();
    ASSERT_NE(handler, nullptr);
    for (const char* invalid : {"https://-evil.example/", "https://exa mple.com/", "-x"})
        handler->OpenURLWithPreferredBrowser(QUrl(invalid));
    QStringList expected, lines;
    for (const QUrl& url : {QUrl("https://t.example/x?a=1"), QUrl("http://t.example/b c")}) {
        EXPECT_TRUE(QDesktopServices::openUrl(url));
        expected << url.toString() << "--";
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return (lines = ReadLines(m_opened)) == expected; }, kWaitMs))
            << lines.join(' ').toStdString();
    }
    EXPECT_TRUE(m_app.GetPreferredBrowserUserAgent().endsWith(kFirefox));
}

// A remembered browser that another user could change, through the file or a directory above
// it, is never started by root; the link goes to the system's opener instead.
TEST_F(Browser, RootStartsNoBrowserThatAnotherUserCouldChange)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root refuses such browsers";
    // The directory's mode, the file's mode and owner, and whether the browser starts.
    const std::tuple<int, int, uid_t, bool> cases[] = {
        {0777, 0755, 0, false}, {0755, 0775, 0, false}, {0755, 0755, 65534, false},
        {01777, 0755, 0, true}, {0755, 0755, 0, true},
    };
    QStringList expected;
    for (const auto& [dirMode, fileMode, owner, starts] : cases) {
        const QString browser = Install("firefox");
        ASSERT_EQ(chmod(QFile::encodeName(browser), fileMode) |
                      chown(QFile::encodeName(browser), owner, owner) |
                      chmod(QFile::encodeName(QFileInfo(browser).path()), dirMode),
                  0);
        m_product->SetString("PreferredBrowser", browser.toStdString());
        m_app.findChild<URLHandler*>()->OpenURLWithPreferredBrowser(QUrl("https://t.example/"));
        if (starts)
            expected += QStringList{"https://t.example/", "--"};
        // Waits for a start that counts; one that should not have happened came first.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return ReadLines(m_opened) == expected; }, starts ? kWaitMs : 0))
            << std::oct << dirMode << " " << fileMode << " " << owner;
        QFile::remove(browser);  // the remembered path is read again once its file is gone
    }
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
    for (const auto& [name, path] : map)
        EXPECT_EQ(name, QFileInfo(path).fileName().toLower());
    EXPECT_THROW(GetCurrentProcessMap(nullptr), std::bad_function_call);

    // Scans go on while short-lived processes start and end (given an argument, they note it
    // and exit).
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(QProcess::startDetached(opera, {QStringLiteral("url")}));
        EXPECT_EQ(GetCurrentProcessMap([](const QString&) { return true; }).count(selfName), 1u);
    }
}

}  // namespace
