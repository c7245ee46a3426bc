// The launch type across real runs of launch_product, the installer hand-off, the post-install
// page and the test options, which come from argv: every test builds its own application.
#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Core/Exception.h>
#include <Tavrin/Core/ScopedFunctionCall.h>
#include <Tavrin/Util/ShellExecute.h>
#include <Tavrin/Util/SslUsage.h>

#include "LogCapture.h"
#include "TestCustomization.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using Tavrin::App::Application;
using Tavrin::App::SettingsManager;
namespace Support = Tavrin::Test;
using Support::Customization;
using Support::ReadLines;

namespace {

const int kWaitMs = 30000;
// The product's links; every other key has none.
const char kLinkTable[] = R"({
    "FAQ_URL_menu": {"default": "{scheme}://kestrel.example/{locale}/faq",
                     "de_DE": "{scheme}://kestrel.example/de/hilfe"},
    "THANK_FOR_INSTALL_URL": "{scheme}://kestrel.example/thanks?m={module}",
    "THANK_FOR_REINSTALL_URL": "{scheme}://kestrel.example/again?m={module}"
})";

QString g_root;  // of every product in this process: its languages and link table

// The dump lines of the link table for the locales.
QStringList ExpectedDump(const QStringList& locales, const QString& scheme = "https")
{
    const QString site = scheme + "://kestrel.example/";
    QStringList lines;
    for (const QString& locale : locales) {
        const QString faq = locale == "de_DE" ? "de/hilfe" : locale + "/faq";
        lines << locale + ";FAQ_URL_menu;" + site + faq + ";"
              << locale + ";THANK_FOR_INSTALL_URL;" + site + "thanks?m=test;"
              << locale + ";THANK_FOR_REINSTALL_URL;" + site + "again?m=test;";
    }
    return lines;
}

// An argv that outlives the application, which keeps pointers into it.
struct Arguments
{
    explicit Arguments(const QString& options)
        : storage(("tst_launch " + options).trimmed().toLocal8Bit().split(' '))
    {
        for (QByteArray& argument : storage)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
    }
    QByteArrayList storage;
    std::vector<char*> pointers;
    int argc = storage.size();
};

// An application on the shared root and its own store, in French until something changes it.
// The argv base comes first so that it outlives the application. Options are space-separated.
class Product : private Arguments, public Application
{
public:
    explicit Product(const QString& options = {})
        : Arguments(options), Application(argc, pointers.data(), AppContext{false})
    {
        SetCustomizationManager(customization);
        SetSettingsManager(std::make_shared<SettingsManager>(
            Support::NewTempDir(QStringLiteral("store")) + "/store.ini", QSettings::IniFormat));
        lookAndFeel->SetLocale("fr_FR");
        SetLookAndFeel(lookAndFeel);
    }
    LaunchType CheckFirstLaunch() const override { return launchType; }
    // The product's own test option, which the help lists last.
    QList<QCommandLineOption> GetAdditionalTestOptions() const override { return {{"own", "Own"}}; }

    LaunchType launchType = RegularLaunch;
    std::shared_ptr<Customization> customization = std::make_shared<Customization>();
    std::shared_ptr<Tavrin::App::LookAndFeelManager> lookAndFeel =
        std::make_shared<Tavrin::App::LookAndFeelManager>(
            g_root.toStdString(), "title.json", std::list<std::string>{}, std::list<std::string>{});
};

// Receives what QDesktopServices hands to the file and web schemes while it lives: Qt drops
// the handlers of a destroyed receiver.
class UrlRecorder : public QObject
{
    Q_OBJECT
public:
    UrlRecorder()
    {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, this, "record");
    }
    Q_INVOKABLE void record(const QUrl& url) { urls << url.toString(); }
    QStringList urls;
};

// Successive runs of one product: the setting written before each run (as the installer or a
// stale store leaves it), the version and options, then "<exit code, -1: crashed>: <report>".
TEST(LaunchType, FollowsVersionInstallerAndCrashesAcrossRunsOfTheProduct)
{
    const QString store = Support::NewTempDir(QStringLiteral("runs")) + "/product.ini";
    const QString runs[][4] = {
        // key, value, arguments, result
        {"", "", "14.5.0", "0: launch 1 days 0 crashed 0"},
        {"", "", "14.5.0", "0: launch 4 days 0 crashed 0"},
        {"DateTime", "2026-03-01 12:00", "14.5.0", "0: launch 2 days 0 crashed 0"},
        {"DateOfFirstStart", "not a date", "14.5.0", "0: launch 4 days 0 crashed 0"},
        {"DateOfFirstStart", QDateTime::currentDateTime().addDays(-3).toString(Qt::TextDate),
         "14.5.0 --crash-after=50 --stay=20000", "-1: launch 4 days 3 crashed 0"},
        {"", "", "14.5.0", "0: launch 4 days 3 crashed 1"},
        {"", "", "14.6.0 --no-such-option=1 -z positional", "0: launch 3 days 0"},
    };
    for (const auto& [key, value, arguments, expected] : runs) {
        if (!key.isEmpty())
            SettingsManager(store, QSettings::IniFormat)
                .SetString(key.toStdString(), value.toStdString());
        QProcess product;
        product.start(LAUNCH_PRODUCT_EXECUTABLE, QStringList{store} + arguments.split(' '));
        product.waitForFinished(kWaitMs);
        const QString result =
            QString::number(product.exitStatus() == QProcess::CrashExit ? -1 : product.exitCode()) +
            ": " + QString::fromUtf8(product.readAllStandardOutput()).trimmed();
        EXPECT_TRUE(result.startsWith(expected)) << result.toStdString();
    }
    EXPECT_EQ(SettingsManager(store, QSettings::IniFormat).GetString("InstallDateTime", ""),
              "2026-03-01 12:00");
}

TEST(Installer, WaitsForAHeldMutexThenOpensTheMessageScriptNextToTheExecutable)
{
    Product product;
    UrlRecorder desktop;
    const QString saved = QDir::currentPath(), dir = Support::NewTempDir("installer");
    ASSERT_TRUE(QDir::setCurrent(dir));
    // The working directory may be anyone's: a script there is never opened.
    Support::WriteFile(dir + "/InstallerMessage.vbs", "MsgBox \"Not the installer's\"");
    const QString script = QCoreApplication::applicationDirPath() + "/InstallerMessage.vbs";
    const Tavrin::Core::ScopedFunctionCall removeScript([] {}, [&] { QFile::remove(script); });
    const QString scriptUrl = QUrl::fromLocalFile(script).toString();

    // A script of the given mode, given to another user (root only can), or a symlink to one in
    // the working directory.
    const auto placeScript = [&](int mode, bool foreign, bool link) {
        QFile::remove(script);
        if (link)
            return QFile::link(dir + "/InstallerMessage.vbs", script);
        return Support::WriteFile(script, "MsgBox \"Setup is running\"") &&
               chmod(QFile::encodeName(script), mode) == 0 &&
               (!foreign || chown(QFile::encodeName(script), 65534, 65534) == 0);
    };
    // The script's mode, whether it is another user's (root only can give it away) or a symlink,
    // how long the installer holds its mutex (0: no installer), and whether the script is opened:
    // only when the installer is still running after the wait, and only a regular file that
    // nobody but its owner, the user or root, may change.
    const std::tuple<int, bool, bool, int, bool> cases[] = {
        {0644, false, false, 0, false},       {0644, false, false, 100, false},
        {0644, false, false, kWaitMs, true},  {0600, false, false, kWaitMs, true},
        {0664, false, false, kWaitMs, false}, {0646, false, false, kWaitMs, false},
        {0644, true, false, kWaitMs, false},  {0644, false, true, kWaitMs, false},
    };
    for (const auto& [mode, foreign, link, holdMs, opened] : cases) {
        if (foreign && geteuid() != 0)
            continue;
        ASSERT_TRUE(placeScript(mode, foreign, link));
        QProcess installer;
        if (holdMs) {
            installer.start(Support::HelperExecutable(), {"hold-mutex", QString::number(holdMs),
                                                          Application::INSTALLER_MUTEX_NAME});
            installer.waitForReadyRead(kWaitMs);
            EXPECT_EQ(installer.readLine().trimmed(), "locked");
        }
        desktop.urls.clear();
        const QDeadlineTimer noWait(400);  // when free
        EXPECT_EQ(Application::CheckRunnedInstaller(), holdMs == kWaitMs);
        EXPECT_TRUE(holdMs || !noWait.hasExpired());
        EXPECT_EQ(desktop.urls, opened ? QStringList{scriptUrl} : QStringList())
            << std::oct << mode << " another user's " << foreign << " symlink " << link << std::dec
            << " held " << holdMs;
        installer.kill();
        installer.waitForFinished(kWaitMs);
    }

    // Programs start by themselves, in the working directory; missing files open nothing.
    Support::WriteFile(dir + "/run.sh", "#!/bin/sh\npwd -P > started\n");
    QFile::setPermissions(dir + "/run.sh", QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(Tavrin::Util::ShellExecuteDefault(""));
    EXPECT_FALSE(Tavrin::Util::ShellExecuteDefault("missing.vbs"));
    EXPECT_TRUE(Tavrin::Util::ShellExecuteDefault("run.sh"));
    const QStringList started{QFileInfo(dir).canonicalFilePath()};
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadLines(dir + "/started") == started; }, kWaitMs));
    QDir::setCurrent(saved);
}

TEST(ThankYouPage, OpensAfterInstallationsWithTheInstallersDistributionId)
{
    using App = Application;
    // Launch type, post-install page ("": the thank-you page), installer name, the page opened
    // below https://kestrel.example/ (nullptr: none) and whether the gateway runs it.
    const std::tuple<App::LaunchType, const char*, QString, const char*, bool> cases[] = {
        {App::FirstLaunch, "", "ProductSetupC1a2B.exe", "thanks?m=test&did=C1a2B", false},
        {App::FirstLaunchAfterUpdate, "", "ProductSetupA1a2B.exe", "again?m=test", false},
        {App::Reinstall, "", "ProductSetupC1a2.exe", "again?m=test", false},
        {App::Reinstall, "", "a-SetupE9z9Z-SetupQ1111.exe", "again?m=test&did=E9z9Z", false},
        {App::FirstLaunch, "", "", "thanks?m=test", false},
        {App::FirstLaunch, "", "SetupC1a2B" + QString(5000, 'x') + ".exe", "thanks?m=test", false},
        {App::RegularLaunch, "", "ProductSetupC1a2B.exe", nullptr, false},
        {App::FirstLaunch, "welcome", "ProductSetupC1a2B.exe", nullptr, false},
        {App::FirstLaunch, "", "XSetupU0000.exe", "thanks?m=test&did=U0000", true},
    };
    for (const auto& [launchType, page, installerName, opened, throughGateway] : cases) {
        Product product;
        product.launchType = launchType;
        product.customization->postInstallPage = *page ? page : "thankyou";
        product.GetInstallerSettings("")->SetString("InstallerName", installerName.toStdString());
        auto gateway = std::make_shared<Support::Gateway>();
        product.SetExternalStimulusGateway(throughGateway ? gateway : nullptr);
        UrlRecorder browser;
        product.OpenThankForInstall();
        EXPECT_EQ(gateway->stimuli.size(), size_t(throughGateway));
        for (const auto& stimulus : gateway->stimuli) {  // one, opening the page when run
            EXPECT_EQ(stimulus.id, "THANK_FOR_INSTALL");
            stimulus.action();
        }
        EXPECT_EQ(browser.urls, opened ? QStringList{"https://kestrel.example/" + QString(opened)}
                                       : QStringList{})
            << installerName.left(40).toStdString();
    }
}

// Also the ssl options (over either default; both together refuse the application, which leaves
// nothing behind) and unknown options, which are ignored.
TEST(TestOptions, DumpListsEveryLinkOfTheTestLocalesThenRestoresTheLanguage)
{
    Tavrin::Util::SetDefaultSslUsage(true);
    EXPECT_THROW(Product refused("--ssl-enable --ssl-disable"), Tavrin::Exception);
    EXPECT_EQ(Application::Instance(), nullptr);
    EXPECT_FALSE(QDesktopServices::openUrl(QUrl("https://kestrel.example/")));  // no handler left
    EXPECT_TRUE(Tavrin::Util::GetDefaultSslUsage());
    // The ssl default before, the dump's scheme and locales (in order), the options.
    const std::tuple<bool, QString, QString, QString> cases[] = {
        {true, "https", "de_DE,en_US,ru_RU,fr_FR,zh_TW", "--test-dump-urls"},
        {false, "http", "en_US,zh_TW", "--test-dump-urls --test-custom-locales=zh_TW,xx_YY,en_US"},
        {true, "http", "de_DE,ru_RU",
         "--no-such-option -q positional --test-dump-urls --ssl-disable"
         " --test-custom-locales=,,ru_RU,de_DE,"},
        {false, "https", "en_US", "--ssl-enable --test-dump-urls --test-custom-locales=en_US"},
        {true, "https", "", "--test-open-urls --test-custom-locales=xx_YY"},
    };
    for (const auto& [sslBefore, scheme, localeList, options] : cases) {
        const QStringList locales = localeList.split(',', Qt::SkipEmptyParts);
        Tavrin::Util::SetDefaultSslUsage(sslBefore);
        Product product(options);
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        EXPECT_TRUE(dump.endsWith("/Tavrin/Tavrin Test/test-url-dump.csv")) << dump.toStdString();
        Support::WriteFile(dump, "stale\nlines\n");
        Support::LogCapture log(google::GLOG_WARNING);
        product.Start();

        EXPECT_EQ(ReadLines(dump), ExpectedDump(locales, scheme)) << options.toStdString();
        EXPECT_EQ(log.Count("WARNING: Cannot find url INTELMEDIA_ENCODING_MORE_URL_settingsfor"),
                  locales.size());
        EXPECT_EQ(product.lookAndFeel->GetCurrentLocale(), "fr_FR");
        EXPECT_EQ(product.customization->appliedLocales, locales + QStringList{"fr_FR"});
    }
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
        "--ssl-enable Use https when possible\n--startup-profile Print the start-up phases\n"
        "--own Own\n";
    const QStringList opened{"https://kestrel.example/a?b=1", "http://kestrel.example/c"};
    const QStringList delayed =  // the links of the en_US dump lines
        ExpectedDump({"en_US"}).replaceInStrings(QRegularExpression("^en_US;\\w+;|;$"), "");
    const QString blocked = "2|Config test error|Can't open file to dump: ";  // then the path
    // The options (the last one says where the log goes), the box that asks, what is logged.
    const std::tuple<QString, QString, QStringList> cases[] = {
        {"--test-help --test-log-urls=" + dir + "/urls.log", "1||" + help, opened},
        {"--test-dump-urls --test-log-urls=" + dir + "/missing/urls.log", blocked, {"(missing)"}},
        {"--test-open-urls --test-custom-delay=abc --test-custom-locales=en_US --test-log-urls=" +
             dir + "/open.log",
         "", opened + delayed},
    };
    for (const auto& [options, box, logged] : cases) {
        Product product(options);
        const QString dump = Tavrin::App::AppTest::GetUrlDumpFilePath();
        QFile::remove(dump);
        if (box == blocked)
            QDir().mkpath(dump);
        Support::AlertBoxAnswerer answerer;
        product.Start();
        QDir().rmdir(dump);
        EXPECT_EQ(answerer.boxes.join('\n'), box == blocked ? box + dump : box);
        for (const QString& url : opened)
            EXPECT_TRUE(QDesktopServices::openUrl(QUrl(url)));
        const QString log = options.section('=', -1);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return ReadLines(log).size() >= logged.size(); }, kWaitMs));
        EXPECT_EQ(ReadLines(log), logged);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Support::EnterSandbox();
    Support::PointSettingsAtSandbox();
    g_root = Support::NewTempDir(QStringLiteral("root"));
    for (const char* locale : {"de_DE", "en_US", "fr_FR", "ru_RU", "zh_TW"})
        QDir().mkpath(g_root + "/resources/locales/" + locale);
    Support::WriteFile(g_root + "/resources/links.json", kLinkTable);
    qputenv("TAVRIN_RESOURCES_DIR", QFile::encodeName(g_root + "/resources"));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Support::LeaveSandbox();
    return result;
}

#include "tst_launch.moc"
