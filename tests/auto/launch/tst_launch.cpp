// The launch type across real runs of a product (launch_product), the installer hand-off, the
// post-install page and the diagnostic command-line options. A process holds one application
// at a time and the options are read from its command line, so every in-process test builds
// its own application with the arguments it needs, and this file brings its own main.
#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/IGateway.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/ShellExecute.h>
#include <Tavrin/Util/SslUsage.h>

#include "TestSupport.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Tavrin::App::Application;
using Tavrin::App::SettingsManager;
namespace Support = Tavrin::Test;

namespace {

const int kWaitMs = 30000;
const char* const kAvailableLocales[] = {"de_DE", "en_US", "fr_FR", "ru_RU", "zh_TW"};
// The product's links; every other key has none.
const char kLinkTable[] = R"({
    "FAQ_URL_menu": {"default": "{scheme}://kestrel.example/{locale}/faq",
                     "de_DE": "{scheme}://kestrel.example/de/hilfe"},
    "HOMEPAGE_URL": "{scheme}://kestrel.example/{lang}/",
    "THANK_FOR_INSTALL_URL": "{scheme}://kestrel.example/thanks?m={module}",
    "THANK_FOR_REINSTALL_URL": "{scheme}://kestrel.example/again?m={module}"
})";

// The application root of every product in this process: its languages and link table.
QString g_root;

void LayOutProductRoot()
{
    g_root = Support::NewTempDir(QStringLiteral("root"));
    for (const char* locale : kAvailableLocales) {
        QDir().mkpath(g_root + "/resources/locales/" + locale);
    }
    Support::WriteFile(g_root + "/resources/links.json", kLinkTable);
    qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(g_root + "/resources"));
}

// The dump lines of the link table for the locales, as the product's links make them.
QStringList ExpectedDump(const QStringList& locales)
{
    QStringList lines;
    for (const QString& locale : locales) {
        const QString faq = locale == "de_DE" ? "https://kestrel.example/de/hilfe"
                                              : "https://kestrel.example/" + locale + "/faq";
        lines << locale + ";FAQ_URL_menu;" + faq + ";"
              << locale + ";HOMEPAGE_URL;https://kestrel.example/" + locale.left(2) + "/;"
              << locale + ";THANK_FOR_INSTALL_URL;https://kestrel.example/thanks?m=test;"
              << locale + ";THANK_FOR_REINSTALL_URL;https://kestrel.example/again?m=test;";
    }
    return lines;
}

QStringList Lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {QStringLiteral("(missing)")};
    }
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// An argv that outlives the application, which keeps pointers into it.
struct Arguments
{
    explicit Arguments(const QStringList& options) : storage{"tst_launch"}
    {
        for (const QString& option : options) {
            storage.push_back(option.toLocal8Bit());
        }
        for (QByteArray& argument : storage) {
            pointers.push_back(argument.data());
        }
        pointers.push_back(nullptr);
        argc = static_cast<int>(storage.size());
    }
    std::vector<QByteArray> storage;
    std::vector<char*> pointers;
    int argc;
};

struct Customization : Tavrin::App::ICustomizationManager
{
    void ApplyLocale(const std::string& locale) override { appliedLocales.push_back(locale); }
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin"; }
    Tavrin::Core::Version GetVersion() const override { return {14, 5, 0}; }
    std::string GetTemporaryFolderName() const override { return "TavrinTest"; }
    std::string GetApplicationName() const override { return "Tavrin Test"; }
    std::string GetAboutProductName() const override { return "Tavrin Test"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "test"; }
    std::string GetProductFolderName() const override { return "TestProduct"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return postInstallPage; }
    bool IsEmailDialogEnabled() const override { return false; }

    std::string postInstallPage = "thankyou";
    std::vector<std::string> appliedLocales;
};

struct Gateway : Tavrin::ExternalStimulus::IGateway
{
    void AddStimulus(const Tavrin::ExternalStimulus::Stimulus& s) override { stimuli.push_back(s); }
    std::vector<Tavrin::ExternalStimulus::Stimulus> stimuli;
};

class ProductApplication : public Application
{
public:
    explicit ProductApplication(Arguments& arguments)
        : Application(arguments.argc, arguments.pointers.data(), AppContext{false})
    {
    }
    LaunchType CheckFirstLaunch() const override { return launchType; }

    LaunchType launchType = RegularLaunch;
    QList<QCommandLineOption> productOptions;

private:
    QList<QCommandLineOption> GetAdditionalTestOptions() const override { return productOptions; }
};

// A product on the shared root, in French until something changes the language.
struct Product
{
    explicit Product(const QStringList& options = {}) : arguments(options), app(arguments)
    {
        app.SetCustomizationManager(customization);
        app.SetSettingsManager(std::make_shared<SettingsManager>(
            Support::NewTempDir(QStringLiteral("store")) + "/store.ini", QSettings::IniFormat));
        lookAndFeel->SetLocale("fr_FR");
        app.SetLookAndFeel(lookAndFeel);
    }
    Arguments arguments;
    ProductApplication app;
    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<Tavrin::App::LookAndFeelManager> lookAndFeel =
        std::make_shared<Tavrin::App::LookAndFeelManager>(
            g_root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
};

// Receives what QDesktopServices hands to the schemes it is registered for.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(const QStringList& schemes) : m_schemes(schemes)
    {
        for (const QString& scheme : m_schemes) {
            QDesktopServices::setUrlHandler(scheme, this, "record");
        }
    }
    ~UrlRecorder() override
    {
        for (const QString& scheme : m_schemes) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
    }
    QStringList urls;

public slots:
    void record(const QUrl& url) { urls << url.toString(); }

private:
    const QStringList m_schemes;
};

// Presses Ok in every alert box that comes up, noting "<icon>|<title>|<text>".
struct BoxAnswerer
{
    BoxAnswerer()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<Tavrin::Util::AlertBox*>(widget);
                if (box && box->isVisible()) {
                    boxes << QString::number(box->icon()) + "|" + box->windowTitle() + "|" +
                                 box->text();
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        timer.start(20);
    }
    QTimer timer;
    QStringList boxes;
};

// Counts the WARNING lines that read exactly `line` while it lives.
struct WarningCounter : google::LogSink
{
    explicit WarningCounter(std::string line) : line(std::move(line)) { google::AddLogSink(this); }
    ~WarningCounter() override { google::RemoveLogSink(this); }
    using google::LogSink::send;
    void send(google::LogSeverity severity, const char*, const char*, int,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        count += severity == google::GLOG_WARNING && line == std::string(message, length);
    }
    const std::string line;
    int count = 0;
};

// Runs launch_product once: its exit code (-1 for a crash) and its report line.
std::pair<int, QString> RunProduct(const QString& store, const char* version,
                                   const QStringList& options)
{
    QProcess process;
    process.start(LAUNCH_PRODUCT_EXECUTABLE, QStringList{store, version} + options);
    process.waitForFinished(kWaitMs);
    return {process.exitStatus() == QProcess::CrashExit ? -1 : process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

// Successive runs of one product: what "the installer" (or a test) wrote before each run and
// how the run went.
TEST(LaunchType, FollowsVersionInstallerAndCrashesAcrossRunsOfTheProduct)
{
    const QString store = Support::NewTempDir(QStringLiteral("runs")) + "/product.ini";
    const std::string threeDaysAgo =
        QDateTime::currentDateTime().addDays(-3).toString(Qt::TextDate).toStdString();
    const struct
    {
        const char* key;
        std::string value;
        const char* version;
        QStringList options;
        int exitCode;
        const char* report;
    } runs[] = {
        {nullptr, "", "14.5.0", {}, 0, "launch 1 days 0 crashed 0"},
        {nullptr, "", "14.5.0", {}, 0, "launch 4 days 0 crashed 0"},
        {"DateTime", "2026-03-01 12:00", "14.5.0", {}, 0, "launch 2 days 0 crashed 0"},
        {"DateOfFirstStart", "not a date", "14.5.0", {}, 0, "launch 4 days 0 crashed 0"},
        {"DateOfFirstStart",
         threeDaysAgo,
         "14.5.0",
         {"--crash-after=50", "--stay=20000"},
         -1,
         "launch 4 days 3 crashed 0"},
        {nullptr, "", "14.5.0", {}, 0, "launch 4 days 3 crashed 1"},
        {nullptr,
         "",
         "14.5.0",
         {"--ssl-enable", "--ssl-disable"},
         3,
         "refused Invalid options combination."},
        {nullptr, "", "14.6.0", {"--no-such-option=1", "-z", "positional"}, 0, "launch 3 days 0"},
    };
    for (const auto& run : runs) {
        if (run.key) {
            SettingsManager(store, QSettings::IniFormat).SetString(run.key, run.value);
        }
        const auto result = RunProduct(store, run.version, run.options);
        EXPECT_EQ(result.first, run.exitCode) << run.report;
        EXPECT_TRUE(result.second.startsWith(run.report)) << result.second.toStdString();
    }
    EXPECT_EQ(SettingsManager(store, QSettings::IniFormat).GetString("InstallDateTime", ""),
              "2026-03-01 12:00");
}

bool WaitForFile(const QString& path)
{
    return QTest::qWaitFor([&] { return QFile::exists(path); }, kWaitMs);
}

// Waits until the helper holds the installer mutex for `ms`.
std::unique_ptr<QProcess> HoldInstallerMutex(int ms)
{
    auto helper = std::make_unique<QProcess>();
    helper->start(Support::HelperExecutable(),
                  {"hold-mutex", QString::number(ms), Application::INSTALLER_MUTEX_NAME});
    helper->waitForReadyRead(kWaitMs);
    EXPECT_EQ(helper->readLine().trimmed(), "locked");
    return helper;
}

TEST(Installer, WaitsForAHeldMutexThenOpensTheMessageScriptWithItsDefaultAction)
{
    Product product;
    UrlRecorder desktop({"file"});
    const QString saved = QDir::currentPath();
    const QString dir = Support::NewTempDir(QStringLiteral("installer"));
    ASSERT_TRUE(QDir::setCurrent(dir));
    Support::WriteFile(dir + "/InstallerMessage.vbs", "MsgBox \"Setup is running\"");

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_LT(clock.elapsed(), 400);  // free: no wait at all
    std::unique_ptr<QProcess> installer = HoldInstallerMutex(kWaitMs);
    clock.restart();
    EXPECT_TRUE(Application::CheckRunnedInstaller());
    EXPECT_GE(clock.elapsed(), 400);
    installer->kill();
    installer->waitForFinished(kWaitMs);
    installer = HoldInstallerMutex(100);  // released within the wait (or before it began)
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    installer->waitForFinished(kWaitMs);
    EXPECT_EQ(desktop.urls,
              QStringList{QUrl::fromLocalFile(dir + "/InstallerMessage.vbs").toString()});

    // Programs start by themselves, in the working directory; missing files open nothing.
    Support::WriteFile(dir + "/run.sh", "#!/bin/sh\npwd -P > started\n");
    QFile::setPermissions(dir + "/run.sh", QFile::ReadOwner | QFile::ExeOwner);
    desktop.urls.clear();
    for (const QString& file : {QString(), QStringLiteral("missing.vbs")}) {
        EXPECT_FALSE(Tavrin::Util::ShellExecuteDefault(file));
    }
    EXPECT_TRUE(Tavrin::Util::ShellExecuteDefault("run.sh"));
    ASSERT_TRUE(WaitForFile(dir + "/started"));
    EXPECT_EQ(Lines(dir + "/started"), QStringList{QFileInfo(dir).canonicalFilePath()});
    EXPECT_EQ(desktop.urls, QStringList{});
    QDir::setCurrent(saved);
}

TEST(ThankYouPage, OpensAfterInstallationsWithTheInstallersDistributionId)
{
    const QString longName = "ProductSetupC1a2B" + QString(5000, 'x') + ".exe";
    const struct
    {
        Application::LaunchType launchType;
        std::string page;
        QString installerName;
        const char* opened;  // nullptr: nothing
        bool throughGateway = false;
    } cases[] = {
        {Application::FirstLaunch, "thankyou", "ProductSetupC1a2B.exe",
         "https://kestrel.example/thanks?m=test&did=C1a2B"},
        {Application::FirstLaunchAfterUpdate, "thankyou", "ProductSetupA1a2B.exe",
         "https://kestrel.example/again?m=test"},
        {Application::Reinstall, "thankyou", "ProductSetupC1a2.exe",
         "https://kestrel.example/again?m=test"},
        {Application::Reinstall, "thankyou", "a-SetupE9z9Z-SetupQ1111.exe",
         "https://kestrel.example/again?m=test&did=E9z9Z"},
        {Application::FirstLaunch, "thankyou", "", "https://kestrel.example/thanks?m=test"},
        {Application::FirstLaunch, "thankyou", longName, "https://kestrel.example/thanks?m=test"},
        {Application::RegularLaunch, "thankyou", "ProductSetupC1a2B.exe", nullptr},
        {Application::FirstLaunch, "welcome", "ProductSetupC1a2B.exe", nullptr},
        {Application::FirstLaunch, "thankyou", "XSetupU0000.exe",
         "https://kestrel.example/thanks?m=test&did=U0000", true},
    };
    for (const auto& c : cases) {
        Product product;
        product.app.launchType = c.launchType;
        product.customization->postInstallPage = c.page;
        product.app.GetInstallerSettings("")->SetString("InstallerName",
                                                        c.installerName.toStdString());
        auto gateway = std::make_shared<Gateway>();
        if (c.throughGateway) {
            product.app.SetExternalStimulusGateway(gateway);
        }
        UrlRecorder browser({"http", "https"});
        product.app.OpenThankForInstall();
        if (c.throughGateway) {
            ASSERT_EQ(gateway->stimuli.size(), 1u);
            EXPECT_EQ(gateway->stimuli[0].id, "THANK_FOR_INSTALL");
            EXPECT_TRUE(browser.urls.isEmpty());  // until the gateway runs it
            gateway->stimuli[0].action();
        }
        EXPECT_EQ(browser.urls, c.opened ? QStringList{c.opened} : QStringList{})
            << c.installerName.left(40).toStdString();
    }
}

TEST(TestOptions, SslOptionsChooseTheSchemeAndBothTogetherRefuseTheApplication)
{
    const struct
    {
        bool before;
        QStringList options;
        const char* homepage;  // nullptr: the application is refused
    } cases[] = {
        {true, {}, "https://kestrel.example/fr/"},
        {false, {}, "http://kestrel.example/fr/"},
        {true, {"--ssl-disable"}, "http://kestrel.example/fr/"},
        {false, {"--ssl-enable"}, "https://kestrel.example/fr/"},
        {true, {"--ssl-enable", "--ssl-disable"}, nullptr},
    };
    for (const auto& c : cases) {
        Tavrin::Util::SetDefaultSslUsage(c.before);
        if (c.homepage) {
            Product product(c.options);
            EXPECT_EQ(product.app.GetUrl(Tavrin::HOMEPAGE_URL), c.homepage);
            continue;
        }
        Arguments arguments(c.options);
        try {
            Application refused(arguments.argc, arguments.pointers.data());
            ADD_FAILURE() << "the application was built";
        } catch (const Tavrin::Exception& error) {
            EXPECT_EQ(Tavrin::GetDescription(error), "Invalid options combination.");
        }
        EXPECT_EQ(Application::Instance(), nullptr);
        // Nothing of the refused application is left to handle links.
        EXPECT_FALSE(QDesktopServices::openUrl(QUrl("https://kestrel.example/")));
        EXPECT_TRUE(Tavrin::Util::GetDefaultSslUsage());
    }
    Tavrin::Util::SetDefaultSslUsage(true);
}

TEST(TestOptions, DumpListsEveryLinkOfTheTestLocalesThenRestoresTheLanguage)
{
    const struct
    {
        QStringList options;
        QStringList locales;  // of the dump, in order
    } cases[] = {
        {{"--test-dump-urls"}, {"de_DE", "en_US", "ru_RU", "fr_FR", "zh_TW"}},
        {{"--test-dump-urls", "--test-custom-locales=zh_TW,xx_YY,en_US"}, {"en_US", "zh_TW"}},
        {{"--no-such-option", "-q", "positional", "--test-dump-urls",
          "--test-custom-locales=,,ru_RU,de_DE,"},
         {"de_DE", "ru_RU"}},
        {{"--test-open-urls", "--test-custom-locales=xx_YY"}, {}},
    };
    for (const auto& c : cases) {
        Product product(c.options);
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        EXPECT_TRUE(dump.endsWith("/Tavrin/Tavrin Test/test-url-dump.csv")) << dump.toStdString();
        Support::WriteFile(dump, "stale\nlines\n");
        WarningCounter missing(
            "Cannot find url INTELMEDIA_ENCODING_MORE_URL_settingsfor module test");
        product.app.Start();

        EXPECT_EQ(Lines(dump), c.locales.isEmpty() ? QStringList{} : ExpectedDump(c.locales));
        EXPECT_EQ(missing.count, c.locales.size());
        EXPECT_EQ(product.lookAndFeel->GetCurrentLocale(), "fr_FR");
        std::vector<std::string> applied;
        for (const QString& locale : c.locales) {
            applied.push_back(locale.toStdString());
        }
        applied.push_back("fr_FR");
        EXPECT_EQ(product.customization->appliedLocales, applied);
    }
}

TEST(TestOptions, HelpAndAnUnwritableDumpAskFirstThenTheOtherOptionsGoOn)
{
    const QString dir = Support::NewTempDir(QStringLiteral("options"));
    const QString help =
        "--test-help Show help for test options\n"
        "--test-dump-urls Write URLs to dump file\n"
        "--test-open-urls Open URLs in browser\n"
        "--test-log-urls Log opened URLs to file\n"
        "--test-custom-locales Set locales: en_US,ru_RU\n"
        "--test-custom-delay Set open delay in ms\n"
        "--crash-after Set crash after timeout in ms\n"
        "--ssl-disable Use http when possible\n"
        "--ssl-enable Use https when possible\n"
        "--product-mode The product's own\n";
    const struct
    {
        QStringList options;
        bool dumpBlocked;
        QString log;  // where --test-log-urls writes
        bool logged;
    } cases[] = {
        {{"--test-help", "--test-log-urls=" + dir + "/urls.log"}, false, dir + "/urls.log", true},
        {{"--test-dump-urls", "--test-log-urls=" + dir + "/missing/urls.log"},
         true,
         dir + "/missing/urls.log",
         false},
    };
    for (const auto& c : cases) {
        Product product(c.options);
        product.app.productOptions = {{"product-mode", "The product's own"}};
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        QFile::remove(dump);
        if (c.dumpBlocked) {
            QDir().mkpath(dump);
        }
        BoxAnswerer answerer;
        product.app.Start();
        EXPECT_EQ(
            answerer.boxes,
            QStringList{c.dumpBlocked ? QString::number(QMessageBox::Warning) +
                                            "|Config test error|Can't open file to dump: " + dump
                                      : QString::number(QMessageBox::Information) + "||" + help});
        QDir().rmdir(dump);

        // The log takes over from the browser, or drops the URLs when it cannot write.
        EXPECT_TRUE(QDesktopServices::openUrl(QUrl("https://kestrel.example/a?b=1")));
        EXPECT_TRUE(QDesktopServices::openUrl(QUrl("http://kestrel.example/c")));
        EXPECT_EQ(Lines(c.log), c.logged ? QStringList({"https://kestrel.example/a?b=1",
                                                        "http://kestrel.example/c"})
                                         : QStringList{"(missing)"});
    }
}

// The one slow test: links open ten seconds after the start.
TEST(TestOptions, OpenUrlsOpensEveryDumpedLinkAfterTheStart)
{
    const QString log = Support::NewTempDir(QStringLiteral("open")) + "/urls.log";
    Product product({"--test-open-urls", "--test-custom-delay=abc", "--test-custom-locales=en_US",
                     "--test-log-urls=" + log});
    product.app.Start();
    EXPECT_EQ(Lines(log), QStringList{});  // nothing at once
    QStringList expected;
    for (const QString& line : ExpectedDump({"en_US"})) {
        expected << line.section(';', 2, 2);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lines(log).size() >= expected.size(); }, kWaitMs));
    EXPECT_EQ(Lines(log), expected);
}

}  // namespace

int main(int argc, char** argv)
{
    Support::EnterSandbox();
    Support::PointSettingsAtSandbox();
    LayOutProductRoot();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Support::LeaveSandbox();
    return result;
}

#include "tst_launch.moc"
