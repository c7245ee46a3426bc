// The application object. A process holds one application object at a time, so every test
// builds its own and this file brings its own main.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/EventHandler.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/IGateway.h>
#include <Tavrin/App/Application/ISplash.h>
#include <Tavrin/App/Application/LoggingGuard_p.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QDateTime>
#include <QDir>
#include <QMouseEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTimerEvent>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <memory>

using Tavrin::App::Application;
using Tavrin::App::ISettingsManager;
using Tavrin::App::SettingsManager;

namespace WebCore {
// Named like the embedded web engine's shared timer, whose events notify holds back.
class SharedTimerQt : public QObject
{
    Q_OBJECT
public:
    int timerEvents = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++timerEvents; }
};
}  // namespace WebCore

namespace {

int g_argc = 1;
char g_arg0[] = "tst_application";
char* g_argv[] = {g_arg0, nullptr};

struct Customization : Tavrin::App::ICustomizationManager
{
    void ApplyLocale(const std::string&) override {}
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin"; }
    Tavrin::Core::Version GetVersion() const override { return version; }
    std::string GetTemporaryFolderName() const override { return "TavrinTest"; }
    std::string GetApplicationName() const override { return "Tavrin Test"; }
    std::string GetAboutProductName() const override { return "Tavrin Test About"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "test"; }
    std::string GetProductFolderName() const override { return "TestProduct"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return "thankyou"; }
    bool IsEmailDialogEnabled() const override { return emailDialogEnabled; }

    Tavrin::Core::Version version{14, 5, 0};
    bool emailDialogEnabled = true;
};

struct Splash : Tavrin::App::ISplash
{
    void Activate() override { ++activations; }
    int activations = 0;
};

struct Gateway : Tavrin::ExternalStimulus::IGateway
{
    void AddStimulus(const Tavrin::ExternalStimulus::Stimulus& stimulus) override
    {
        stimuli.push_back(stimulus);
    }
    std::vector<Tavrin::ExternalStimulus::Stimulus> stimuli;
};

struct CountingHandler : Tavrin::App::EventHandler
{
    bool HandleNativeEvent(const QByteArray&, void*, long*) override
    {
        ++calls;
        return false;
    }
    int calls = 0;
};

// A product's application: the launch type and the quit policy are its to decide.
class ProductApplication : public Application
{
public:
    explicit ProductApplication(bool createInstanceMutex = false)
        : Application(g_argc, g_argv, AppContext{createInstanceMutex})
    {
    }
    LaunchType CheckFirstLaunch() const override
    {
        ++launchChecks;
        return launchType ? *launchType : Application::CheckFirstLaunch();
    }
    void OnStart() override
    {
        ++starts;
        Application::OnStart();
    }

    boost::optional<LaunchType> launchType;
    bool allowQuit = true;
    int starts = 0;
    mutable int launchChecks = 0;

private:
    bool TryToQuitImpl() override
    {
        if (allowQuit) {
            QCoreApplication::quit();
        }
        return allowQuit;
    }
};

std::shared_ptr<ISettingsManager> NewStore(const char* name)
{
    return std::make_shared<SettingsManager>(
        Tavrin::Test::NewTempDir(QString::fromLatin1(name)) + QStringLiteral("/store.ini"),
        QSettings::IniFormat);
}

TEST(Application, StoresFallBackAndInstallerSettingsNeedTheCustomization)
{
    ProductApplication app;
    const auto general = NewStore("general");
    const auto product = NewStore("product");
    app.SetSettingsManager(general);
    EXPECT_EQ(app.GetProductSettingsManager(), general);
    EXPECT_EQ(app.GetMailSettingsManager(), general);
    app.SetProductSettingsManager(product);
    EXPECT_EQ(app.GetMailSettingsManager(), product);

    EXPECT_EQ(app.GetInstallerSettings(""), nullptr);
    EXPECT_TRUE(app.GetProductNameAbout().isEmpty());
    EXPECT_EQ(Application::Instance(), &app);

    app.SetCustomizationManager(std::make_shared<Customization>());
    auto installer = std::dynamic_pointer_cast<SettingsManager>(app.GetInstallerSettings(""));
    ASSERT_NE(installer, nullptr);
    EXPECT_EQ(installer->GetFileName(),
              Tavrin::Test::SandboxDir() + "/etc/xdg/Tavrin/TestProduct.conf");
    EXPECT_EQ(app.GetProductNameAbout(), QStringLiteral("Tavrin Test About"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("14.5.0"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Tavrin"));
}

TEST(Application, StartRunsOnceAndQuitFollowsTheProductsAnswer)
{
    ProductApplication app;
    app.SetSettingsManager(NewStore("start"));
    auto splash = std::make_shared<Splash>();
    app.SetSplash(splash);
    QSignalSpy started(&app, &Application::ApplicationStarted);
    app.Start();
    app.Start();
    EXPECT_EQ(app.starts, 1);
    EXPECT_EQ(splash->activations, 1);
    EXPECT_EQ(started.count(), 1);
    EXPECT_TRUE(app.IsStarted());

    app.allowQuit = false;
    EXPECT_FALSE(app.TryToQuit());
    EXPECT_FALSE(app.IsQuitting());
    app.allowQuit = true;
    EXPECT_TRUE(app.TryToQuit());
    EXPECT_TRUE(app.IsQuitting());
}

TEST(Application, WebEngineTimersWaitOnlyWhileDragging)
{
    ProductApplication app;
    WebCore::SharedTimerQt timer;
    QObject target;
    const auto mouse = [&](QEvent::Type type) {
        QMouseEvent event(type, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        app.notify(&target, &event);
    };
    const auto tick = [&] {
        QTimerEvent event(1);
        app.notify(&timer, &event);
    };

    mouse(QEvent::MouseButtonPress);
    tick();  // pressed, not moved: delivered
    mouse(QEvent::MouseMove);
    tick();  // dragging: held back
    tick();
    mouse(QEvent::MouseButtonRelease);
    tick();  // released: delivered
    mouse(QEvent::MouseMove);
    tick();  // moving without a button: delivered
    EXPECT_EQ(timer.timerEvents, 3);
}

TEST(Application, AutoUpdateRequestFollowsTheSetting)
{
    {
        ProductApplication app;
        const auto store = NewStore("update-off");
        store->SetBool("autoUpdate", false);
        app.SetSettingsManager(store);
        QSignalSpy requested(&app, &Application::AutoUpdateCheckRequested);
        app.Start();
        EXPECT_FALSE(requested.wait(5500));
    }
    ProductApplication app;
    app.SetSettingsManager(NewStore("update-default"));
    QSignalSpy requested(&app, &Application::AutoUpdateCheckRequested);
    app.Start();
    EXPECT_EQ(requested.count(), 0);
    EXPECT_TRUE(requested.wait(7000));
    EXPECT_EQ(requested.count(), 1);
}

struct EmailCase
{
    Application::LaunchType launchType;
    const char* isRegUser;
    bool enabled;
    bool withGateway;
    int expectedDialogs;
};

TEST(Application, EmailDialogOnlyOnAFirstLaunchOfAnUnregisteredUser)
{
    const EmailCase cases[] = {
        {Application::FirstLaunch, "", true, false, 1},
        {Application::FirstLaunch, "0", true, false, 1},
        {Application::FirstLaunchAfterUpdate, "", true, false, 0},
        {Application::RegularLaunch, "", true, false, 0},
        {Application::FirstLaunch, "1", true, false, 0},
        {Application::FirstLaunch, "", false, false, 0},
        {Application::FirstLaunch, "", true, true, 0},  // the gateway never runs it
    };
    for (const EmailCase& c : cases) {
        ProductApplication app;
        app.launchType = c.launchType;
        auto customization = std::make_shared<Customization>();
        customization->emailDialogEnabled = c.enabled;
        app.SetCustomizationManager(customization);
        const auto mail = NewStore("mail");
        mail->SetString("IsRegUser", c.isRegUser);
        app.SetMailSettingsManager(mail);
        app.SetSettingsManager(NewStore("general"));
        auto gateway = std::make_shared<Gateway>();
        if (c.withGateway) {
            app.SetExternalStimulusGateway(gateway);
        }
        QSignalSpy before(&app, &Application::BeforeShowEmailDialog);
        QSignalSpy after(&app, &Application::AfterShowEmailDialog);
        app.Start();
        EXPECT_EQ(before.count(), c.expectedDialogs) << c.launchType << c.isRegUser;
        EXPECT_EQ(after.count(), c.expectedDialogs);
        EXPECT_EQ(app.launchChecks, c.withGateway ? 0 : 1);  // decided when first needed
        if (c.withGateway) {
            ASSERT_EQ(gateway->stimuli.size(), 1u);
            EXPECT_EQ(gateway->stimuli[0].id, "EMAIL_DIALOG");
            gateway->stimuli[0].action();  // when the gateway runs it, the dialog comes
            EXPECT_EQ(before.count(), 1);
        }
    }
}

TEST(Application, LaunchTypeFollowsVersionAndInstallation)
{
    ProductApplication app;
    const auto store = NewStore("launch");
    app.SetSettingsManager(store);
    QCoreApplication::setApplicationVersion(QStringLiteral("14.5.0"));

    EXPECT_EQ(app.CheckFirstLaunch(), Application::FirstLaunch);
    EXPECT_EQ(store->GetString("Version", ""), "14-5-0");
    EXPECT_EQ(store->GetString("IsRun", ""), "1");
    EXPECT_FALSE(store->GetString("DateOfFirstStart", "").empty());
    EXPECT_EQ(app.CheckFirstLaunch(), Application::RegularLaunch);
    store->SetString("DateTime", "installed again");
    EXPECT_EQ(app.CheckFirstLaunch(), Application::Reinstall);
    EXPECT_EQ(store->GetString("InstallDateTime", ""), "installed again");
    store->SetString("Version", "14.5.0");  // the dotted form is not this version's record
    EXPECT_EQ(app.CheckFirstLaunch(), Application::FirstLaunchAfterUpdate);

    // The run's own type is decided once.
    EXPECT_EQ(app.GetLaunchType(), Application::RegularLaunch);
    EXPECT_FALSE(app.IsFirstLauch());
    store->SetString("DateOfFirstStart", "not a date");
    EXPECT_EQ(app.GetDaysPassed(), 0);
    store->SetString("DateOfFirstStart",
                     QDateTime::currentDateTime().addDays(-3).toString(Qt::TextDate).toStdString());
    EXPECT_EQ(app.GetDaysPassed(), 3);
}

TEST(Application, WithoutStoresItLogsAndAnswersDefaults)
{
    ProductApplication app;
    EXPECT_EQ(app.GetProductSettingsManager(), nullptr);
    EXPECT_EQ(app.CheckFirstLaunch(), Application::FirstLaunch);
    EXPECT_EQ(app.GetDaysPassed(), 0);
    app.Start();  // no splash, no stores, no customization: still starts
    EXPECT_TRUE(app.IsStarted());
}

TEST(Application, EventHandlersRegisteredTwiceAreCalledTwice)
{
    ProductApplication app;
    auto handler = std::make_shared<CountingHandler>();
    app.RegisterEventHandler(handler);
    app.RegisterEventHandler(handler);
    long result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", nullptr,
                                                            &result);
    EXPECT_EQ(handler->calls, 2);
    app.UnregisterEventHandler(handler);
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", nullptr,
                                                            &result);
    EXPECT_EQ(handler->calls, 3);
}

// Logging starts with the first customization manager of the process, in the sandbox's data
// directory; every customization manager writes the version lines again.
QString ReadInfoLog(const std::string& directory)
{
    google::FlushLogFiles(google::GLOG_INFO);
    const QDir dir(QString::fromStdString(directory));
    const QStringList files = dir.entryList({QStringLiteral("*.INFO.*")});
    QFile file(files.size() == 1 ? dir.filePath(files.first()) : QString());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(Application, CustomizationManagerBringsUpLoggingOnce)
{
    ProductApplication app;
    app.SetCustomizationManager(std::make_shared<Customization>());
    const std::string directory = Tavrin::App::Logging::GetLogDirectory();
    EXPECT_EQ(QString::fromStdString(directory),
              Tavrin::Test::SandboxDir() + "/home/.local/share/Tavrin/Logs/TestProduct/");
    const int buildLines = ReadInfoLog(directory).count(QStringLiteral("Build commit: "));
    EXPECT_GE(buildLines, 1);

    auto newer = std::make_shared<Customization>();
    newer->version = Tavrin::Core::Version(14, 6, 1);
    app.SetCustomizationManager(newer);
    EXPECT_EQ(directory, Tavrin::App::Logging::GetLogDirectory());
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("14.6.1"));
    const QString log = ReadInfoLog(directory);
    EXPECT_TRUE(log.contains(QStringLiteral("Product Version: 14.6.1")));
    EXPECT_EQ(log.count(QStringLiteral("Build commit: ")), buildLines + 1);
}

QString HelperHoldsInstanceMutex()
{
    QProcess helper;
    helper.start(Tavrin::Test::HelperExecutable(),
                 {QStringLiteral("hold-mutex"), QStringLiteral("0"),
                  QString::fromLatin1(Application::INSTANCE_MUTEX_NAME)});
    helper.waitForFinished(10000);
    return QString::fromLatin1(helper.readAllStandardOutput()).trimmed();
}

TEST(Application, InstanceMutexMarksTheRunningInstance)
{
    {
        ProductApplication app(false);
        EXPECT_EQ(HelperHoldsInstanceMutex(), QStringLiteral("locked"));
    }
    {
        ProductApplication app(true);
        EXPECT_EQ(HelperHoldsInstanceMutex(), QStringLiteral("busy"));
    }
    EXPECT_EQ(HelperHoldsInstanceMutex(), QStringLiteral("locked"));
}

}  // namespace

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    Tavrin::Test::PointSettingsAtSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}

#include "tst_application.moc"
