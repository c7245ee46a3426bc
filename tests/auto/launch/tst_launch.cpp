// The launch type across real runs of launch_product, the installer hand-off, the post-install
// page and the diagnostic options. The options come from the command line, so every in-process
// test builds its own application; hence this file's own main.
#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/IGateway.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Links/URLKeys.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/ShellExecute.h>
#include <Tavrin/Util/SslUsage.h>

#include "LogCapture.h"
#include "TestCustomization.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

using Tavrin::App::Application;
using Tavrin::App::SettingsManager;
namespace Support = Tavrin::Test;

namespace {

const int kWaitMs = 30000;
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
    for (const char* locale : {"de_DE", "en_US", "fr_FR", "ru_RU", "zh_TW"}) {
        QDir().mkpath(g_root + "/resources/locales/" + locale);
    }
    Support::WriteFile(g_root + "/resources/links.json", kLinkTable);
    qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(g_root + "/resources"));
}

// The dump lines of the link table for the locales.
QStringList ExpectedDump(const QStringList& locales, const QString& scheme = "https")
{
    const QString site = scheme + "://kestrel.example/";
    QStringList lines;
    for (const QString& locale : locales) {
        const QString faq = locale == "de_DE" ? "de/hilfe" : locale + "/faq";
        lines << locale + ";FAQ_URL_menu;" + site + faq + ";"
              << locale + ";HOMEPAGE_URL;" + site + locale.left(2) + "/;"
              << locale + ";THANK_FOR_INSTALL_URL;" + site + "thanks?m=test;"
              << locale + ";THANK_FOR_REINSTALL_URL;" + site + "again?m=test;";
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
    explicit Arguments(const QStringList& options)
    {
        for (const QString& option : QStringList{"tst_launch"} + options) {
            storage.push_back(option.toLocal8Bit());
            pointers.push_back(storage.back().data());
        }
        pointers.push_back(nullptr);
        argc = static_cast<int>(storage.size());
    }
    std::deque<QByteArray> storage;  // keeps its elements in place as it grows
    std::vector<char*> pointers;
    int argc;
};

struct Customization : Support::Customization
{
    Customization() { postInstallPage = "thankyou"; }
};

struct Gateway : Tavrin::ExternalStimulus::IGateway
{
    void AddStimulus(const Tavrin::ExternalStimulus::Stimulus& s) override { stimuli.push_back(s); }
    std::vector<Tavrin::ExternalStimulus::Stimulus> stimuli;
};

// An application on the shared root and its own store, in French until something changes it.
// The argv base comes first so that it outlives the application.
class Product : private Arguments, public Application
{
public:
    explicit Product(const QStringList& options = {})
        : Arguments(options), Application(argc, pointers.data(), AppContext{false})
    {
        SetCustomizationManager(customization);
        SetSettingsManager(std::make_shared<SettingsManager>(
            Support::NewTempDir(QStringLiteral("store")) + "/store.ini", QSettings::IniFormat));
        lookAndFeel->SetLocale("fr_FR");
        SetLookAndFeel(lookAndFeel);
    }
    LaunchType CheckFirstLaunch() const override { return launchType; }
    QList<QCommandLineOption> GetAdditionalTestOptions() const override { return productOptions; }

    LaunchType launchType = RegularLaunch;
    QList<QCommandLineOption> productOptions;
    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<Tavrin::App::LookAndFeelManager> lookAndFeel =
        std::make_shared<Tavrin::App::LookAndFeelManager>(
            g_root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
};

// Receives what QDesktopServices hands to the file and web schemes.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    UrlRecorder() { Handle(this); }
    ~UrlRecorder() override { Handle(nullptr); }
    QStringList urls;

public slots:
    void record(const QUrl& url) { urls << url.toString(); }

private:
    static void Handle(QObject* receiver)  // a null receiver unregisters
    {
        for (const char* scheme : {"file", "http", "https"}) {
            QDesktopServices::setUrlHandler(scheme, receiver, "record");
        }
    }
};

// Presses Ok in every alert box that comes up, noting "<icon>|<title>|<text>".
struct BoxAnswerer : QTimer
{
    BoxAnswerer()
    {
        connect(this, &QTimer::timeout, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<Tavrin::Util::AlertBox*>(widget);
                if (box && box->isVisible()) {
                    boxes << QString::number(box->icon()) + "|" + box->windowTitle() + "|" +
                                 box->text();
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        start(20);
    }
    QStringList boxes;
};

// Successive runs of one product: the setting written before each run (as the installer or a
// stale store leaves it), the version and options, then "<exit code, -1: crashed>: <report>".
TEST(LaunchType, FollowsVersionInstallerAndCrashesAcrossRunsOfTheProduct)
{
    const QString store = Support::NewTempDir(QStringLiteral("runs")) + "/product.ini";
    const QString threeDaysAgo = QDateTime::currentDateTime().addDays(-3).toString(Qt::TextDate);
    const struct
    {
        QString setting;  // key=value
        QString arguments;
        const char* result;
    } runs[] = {
        {"", "14.5.0", "0: launch 1 days 0 crashed 0"},
        {"", "14.5.0", "0: launch 4 days 0 crashed 0"},
        {"DateTime=2026-03-01 12:00", "14.5.0", "0: launch 2 days 0 crashed 0"},
        {"DateOfFirstStart=not a date", "14.5.0", "0: launch 4 days 0 crashed 0"},
        {"DateOfFirstStart=" + threeDaysAgo, "14.5.0 --crash-after=50 --stay=20000",
         "-1: launch 4 days 3 crashed 0"},
        {"", "14.5.0", "0: launch 4 days 3 crashed 1"},
        {"", "14.5.0 --ssl-enable --ssl-disable", "3: refused Invalid options combination."},
        {"", "14.6.0 --no-such-option=1 -z positional", "0: launch 3 days 0"},
    };
    for (const auto& run : runs) {
        const QStringList setting = run.setting.split('=');
        if (setting.size() == 2) {
            SettingsManager(store, QSettings::IniFormat)
                .SetString(setting[0].toStdString(), setting[1].toStdString());
        }
        QProcess product;
        product.start(LAUNCH_PRODUCT_EXECUTABLE, QStringList{store} + run.arguments.split(' '));
        product.waitForFinished(kWaitMs);
        const QString result =
            QString::number(product.exitStatus() == QProcess::CrashExit ? -1 : product.exitCode()) +
            ": " + QString::fromUtf8(product.readAllStandardOutput()).trimmed();
        EXPECT_TRUE(result.startsWith(run.result)) << result.toStdString();
    }
    EXPECT_EQ(SettingsManager(store, QSettings::IniFormat).GetString("InstallDateTime", ""),
              "2026-03-01 12:00");
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
    UrlRecorder desktop;
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
    installer.reset();                    // kills the holder
    installer = HoldInstallerMutex(100);  // released within the wait (or before it began)
    EXPECT_FALSE(Application::CheckRunnedInstaller());
    EXPECT_EQ(desktop.urls,
              QStringList{QUrl::fromLocalFile(dir + "/InstallerMessage.vbs").toString()});

    // Programs start by themselves, in the working directory; missing files open nothing.
    Support::WriteFile(dir + "/run.sh", "#!/bin/sh\npwd -P > started\n");
    QFile::setPermissions(dir + "/run.sh", QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(Tavrin::Util::ShellExecuteDefault(""));
    EXPECT_FALSE(Tavrin::Util::ShellExecuteDefault("missing.vbs"));
    EXPECT_TRUE(Tavrin::Util::ShellExecuteDefault("run.sh"));
    const QStringList started{QFileInfo(dir).canonicalFilePath()};
    EXPECT_TRUE(QTest::qWaitFor([&] { return Lines(dir + "/started") == started; }, kWaitMs));
    EXPECT_EQ(desktop.urls.size(), 1);
    QDir::setCurrent(saved);
}

TEST(ThankYouPage, OpensAfterInstallationsWithTheInstallersDistributionId)
{
    using App = Application;
    const struct
    {
        App::LaunchType launchType;
        const char* page;
        QString installerName;
        const char* opened;  // below https://kestrel.example/; nullptr: nothing
        bool throughGateway = false;
    } cases[] = {
        {App::FirstLaunch, "thankyou", "ProductSetupC1a2B.exe", "thanks?m=test&did=C1a2B"},
        {App::FirstLaunchAfterUpdate, "thankyou", "ProductSetupA1a2B.exe", "again?m=test"},
        {App::Reinstall, "thankyou", "ProductSetupC1a2.exe", "again?m=test"},
        {App::Reinstall, "thankyou", "a-SetupE9z9Z-SetupQ1111.exe", "again?m=test&did=E9z9Z"},
        {App::FirstLaunch, "thankyou", "", "thanks?m=test"},
        {App::FirstLaunch, "thankyou", "SetupC1a2B" + QString(5000, 'x') + ".exe", "thanks?m=test"},
        {App::RegularLaunch, "thankyou", "ProductSetupC1a2B.exe", nullptr},
        {App::FirstLaunch, "welcome", "ProductSetupC1a2B.exe", nullptr},
        {App::FirstLaunch, "thankyou", "XSetupU0000.exe", "thanks?m=test&did=U0000", true},
    };
    for (const auto& c : cases) {
        Product product;
        product.launchType = c.launchType;
        product.customization->postInstallPage = c.page;
        product.GetInstallerSettings("")->SetString("InstallerName", c.installerName.toStdString());
        auto gateway = std::make_shared<Gateway>();
        if (c.throughGateway) {
            product.SetExternalStimulusGateway(gateway);
        }
        UrlRecorder browser;
        product.OpenThankForInstall();
        if (c.throughGateway) {
            ASSERT_EQ(gateway->stimuli.size(), 1u);
            EXPECT_EQ(gateway->stimuli[0].id, "THANK_FOR_INSTALL");
            EXPECT_TRUE(browser.urls.isEmpty());  // until the gateway runs it
            gateway->stimuli[0].action();
        }
        EXPECT_EQ(browser.urls, c.opened
                                    ? QStringList{"https://kestrel.example/" + QString(c.opened)}
                                    : QStringList{})
            << c.installerName.left(40).toStdString();
    }
}

TEST(TestOptions, BothSslOptionsRefuseTheApplicationAndLeaveNothingBehind)
{
    Tavrin::Util::SetDefaultSslUsage(true);
    try {
        Product refused({"--ssl-enable", "--ssl-disable"});
        ADD_FAILURE() << "the application was built";
    } catch (const Tavrin::Exception& error) {
        EXPECT_EQ(Tavrin::GetDescription(error), "Invalid options combination.");
    }
    EXPECT_EQ(Application::Instance(), nullptr);
    EXPECT_FALSE(QDesktopServices::openUrl(QUrl("https://kestrel.example/")));  // no handler left
    EXPECT_TRUE(Tavrin::Util::GetDefaultSslUsage());
}

// Also the ssl options (over either default) and unknown options, which are ignored.
TEST(TestOptions, DumpListsEveryLinkOfTheTestLocalesThenRestoresTheLanguage)
{
    const struct
    {
        bool sslBefore;
        QString options;
        QStringList locales;  // of the dump, in order
        const char* scheme;
    } cases[] = {
        {true, "--test-dump-urls", {"de_DE", "en_US", "ru_RU", "fr_FR", "zh_TW"}, "https"},
        {false,
         "--test-dump-urls --test-custom-locales=zh_TW,xx_YY,en_US",
         {"en_US", "zh_TW"},
         "http"},
        {true,
         "--no-such-option -q positional --test-dump-urls --ssl-disable"
         " --test-custom-locales=,,ru_RU,de_DE,",
         {"de_DE", "ru_RU"},
         "http"},
        {false, "--ssl-enable --test-dump-urls --test-custom-locales=en_US", {"en_US"}, "https"},
        {true, "--test-open-urls --test-custom-locales=xx_YY", {}, "https"},
    };
    for (const auto& c : cases) {
        Tavrin::Util::SetDefaultSslUsage(c.sslBefore);
        Product product(c.options.split(' '));
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        EXPECT_TRUE(dump.endsWith("/Tavrin/Tavrin Test/test-url-dump.csv")) << dump.toStdString();
        Support::WriteFile(dump, "stale\nlines\n");
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        product.Start();

        EXPECT_EQ(Lines(dump), ExpectedDump(c.locales, c.scheme)) << c.options.toStdString();
        EXPECT_EQ(
            log.Count(
                "WARNING: Cannot find url INTELMEDIA_ENCODING_MORE_URL_settingsfor module test"),
            c.locales.size());
        EXPECT_EQ(product.lookAndFeel->GetCurrentLocale(), "fr_FR");
        QStringList applied;
        for (const std::string& locale : product.customization->appliedLocales) {
            applied << QString::fromStdString(locale);
        }
        EXPECT_EQ(applied, c.locales + QStringList{"fr_FR"});
    }
    Tavrin::Util::SetDefaultSslUsage(true);
}

// The help or an unwritable dump asks first; then the log takes over from the browser (or
// drops the URLs when it cannot write) and --test-open-urls opens the links after the delay
// (ten seconds, "abc" being no number): the one slow case.
TEST(TestOptions, HelpAndAnUnwritableDumpAskFirstThenTheUrlsGoToTheLog)
{
    const QString dir = Support::NewTempDir(QStringLiteral("options"));
    const QString help =
        "--test-help Show help for test options\n--test-dump-urls Write URLs to dump file\n"
        "--test-open-urls Open URLs in browser\n--test-log-urls Log opened URLs to file\n"
        "--test-custom-locales Set locales: en_US,ru_RU\n--test-custom-delay Set open delay in ms\n"
        "--crash-after Set crash after timeout in ms\n--ssl-disable Use http when possible\n"
        "--ssl-enable Use https when possible\n--product-mode The product's own\n";
    const QStringList opened{"https://kestrel.example/a?b=1", "http://kestrel.example/c"};
    const QStringList delayed =  // the links of the en_US dump lines
        ExpectedDump({"en_US"}).replaceInStrings(QRegularExpression("^en_US;\\w+;|;$"), "");
    const struct
    {
        QStringList options;  // the last one says where the log goes
        QStringList logged;
    } cases[] = {
        {{"--test-help", "--test-log-urls=" + dir + "/urls.log"}, opened},
        {{"--test-dump-urls", "--test-log-urls=" + dir + "/missing/urls.log"}, {"(missing)"}},
        {{"--test-open-urls", "--test-custom-delay=abc", "--test-custom-locales=en_US",
          "--test-log-urls=" + dir + "/open.log"},
         opened + delayed},
    };
    for (const auto& c : cases) {
        Product product(c.options);
        product.productOptions = {{"product-mode", "The product's own"}};
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        const bool dumpBlocked = c.options[0] == "--test-dump-urls";
        QFile::remove(dump);
        if (dumpBlocked) {
            QDir().mkpath(dump);
        }
        BoxAnswerer answerer;
        product.Start();
        QDir().rmdir(dump);
        const QString warning = "2|Config test error|Can't open file to dump: " + dump;
        EXPECT_EQ(answerer.boxes, dumpBlocked                     ? QStringList{warning}
                                  : c.options[0] == "--test-help" ? QStringList{"1||" + help}
                                                                  : QStringList{});

        for (const QString& url : opened) {
            EXPECT_TRUE(QDesktopServices::openUrl(QUrl(url)));
        }
        const QString log = c.options.last().section('=', 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Lines(log).size() >= c.logged.size(); }, kWaitMs));
        EXPECT_EQ(Lines(log), c.logged);
    }
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
