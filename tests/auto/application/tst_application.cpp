// The application object, the product's temporary files and the restart. A process holds one
// application object at a time, so every test builds its own. The restarted "product" is the
// helper program, which writes down the arguments it got.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ApplicationRestarter.h>
#include <Tavrin/App/Application/EmailDialog.h>
#include <Tavrin/App/Application/EventHandler.h>
#include <Tavrin/App/Application/ISplash.h>
#include <Tavrin/App/Application/LoggingGuard_p.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestCustomization.h"
#include "TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QMainWindow>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <functional>

using Tavrin::App::Application;
using Tavrin::App::SettingsManager;
using namespace Tavrin::Test;

namespace WebCore {
// Named like the embedded web engine's shared timer, whose events notify holds back.
class SharedTimerQt : public QObject
{
    Q_OBJECT
public:
    int timerEvents = 0;
    void timerEvent(QTimerEvent*) override { ++timerEvents; }
};
}  // namespace WebCore

namespace {

const int kWaitMs = 30000;
int g_argc = 1;
char* g_argv[] = {const_cast<char*>("tst_application"), nullptr};

struct Splash : Tavrin::App::ISplash
{
    void Activate() override { ++activations; }
    int activations = 0;
};

// A product's application: the launch type and the quit policy are its to decide.
class ProductApplication : public Application
{
public:
    ProductApplication(bool mutex = false) : Application(g_argc, g_argv, AppContext{mutex}) {}
    LaunchType CheckFirstLaunch() const override
    {
        return launchType ? *launchType : Application::CheckFirstLaunch();
    }
    boost::optional<LaunchType> launchType;
    bool allowQuit = true;
    std::function<void()> onQuitAsked = [] {};

private:
    bool TryToQuitImpl() override
    {
        onQuitAsked();
        return allowQuit ? (quit(), true) : false;
    }
};

std::shared_ptr<SettingsManager> NewStore(const char* name)
{
    return std::make_shared<SettingsManager>(NewTempDir(name) + "/store.ini", QSettings::IniFormat);
}

// An update check is requested a while after the start, unless the user switched it off.
TEST(Application, StartRunsOnceAndAsksForAnUpdateCheckLaterUnlessSwitchedOff)
{
    for (bool switchedOff : {false, true}) {
        ProductApplication app;
        auto splash = std::make_shared<Splash>();
        app.SetSplash(splash);
        if (switchedOff) {
            app.SetSettingsManager(NewStore("update"));
            app.GetSettingsManager()->SetBool("autoUpdate", false);
        }
        QSignalSpy started(&app, &Application::ApplicationStarted);
        QSignalSpy update(&app, &Application::AutoUpdateCheckRequested);
        app.Start();
        app.Start();
        EXPECT_EQ(std::make_tuple(splash->activations, started.count(), update.count()),
                  std::make_tuple(1, 1, 0));
        EXPECT_EQ(update.wait(7000), !switchedOff);
    }
}

// The real card, run modally between the two signals; the test closes it like a user.
TEST(Application, EmailDialogOnlyOnAFirstLaunchOfAnUnregisteredUserWhenTheGatewayRunsIt)
{
    // Launch type, IsRegUser, the dialog enabled, a gateway, the card shown.
    const std::tuple<Application::LaunchType, const char*, bool, bool, bool> cases[] = {
        {Application::FirstLaunch, "0", true, false, true},
        {Application::FirstLaunch, "2", true, false, true},
        {Application::FirstLaunchAfterUpdate, "", true, false, false},
        {Application::RegularLaunch, "", true, false, false},
        {Application::FirstLaunch, "1", true, false, false},
        {Application::FirstLaunch, "", false, false, false},
        {Application::FirstLaunch, "", true, true, false},  // until the gateway runs it
    };
    for (const auto& [launchType, isRegUser, enabled, withGateway, shown] : cases) {
        ProductApplication app;
        app.launchType = launchType;
        auto customization = std::make_shared<Customization>();
        customization->emailDialogEnabled = enabled;
        app.SetCustomizationManager(customization);
        // The mail store falls back to the product store, and that to the general one.
        app.SetSettingsManager(NewStore("general"));
        app.GetSettingsManager()->SetString("IsRegUser", isRegUser);
        auto gateway = std::make_shared<Gateway>();
        app.SetExternalStimulusGateway(withGateway ? gateway : nullptr);
        QMainWindow window;
        app.SetMainWindow(&window);
        // Signals and cards in the order they came: "before", "card", "after".
        QStringList order;
        QObject::connect(&app, &Application::BeforeShowEmailDialog, [&] { order << "before"; });
        QObject::connect(&app, &Application::AfterShowEmailDialog, [&] { order << "after"; });
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            auto* card = qobject_cast<Tavrin::App::EmailDialog*>(QApplication::activeModalWidget());
            if (card && card->isVisible()) {
                order << (card->parentWidget() == &window ? "card" : "card without parent");
                card->findChild<QPushButton*>("disagreeButton")->click();
            }
        });
        closer.start(5);
        app.Start();
        EXPECT_EQ(order.join(' '), shown ? "before card after" : "") << launchType << isRegUser;
        EXPECT_EQ(app.GetMailSettingsManager()->GetString("IsRegUser", ""),
                  shown ? "2" : isRegUser);
        if (withGateway) {
            ASSERT_EQ(gateway->stimuli.size(), 2u);  // then the post-install page's
            EXPECT_EQ(gateway->stimuli[0].id, "EMAIL_DIALOG");
            gateway->stimuli[0].action();
            EXPECT_EQ(order.join(' '), "before card after");
        }
        EXPECT_EQ(window.findChild<Tavrin::App::EmailDialog*>(), nullptr);  // deleted after
    }
}

// Web engine timers wait only while dragging; event handlers registered twice run twice.
TEST(Application, NotifyHoldsBackEngineTimersWhileDraggingAndNativeEventsReachTheHandlers)
{
    ProductApplication app;
    WebCore::SharedTimerQt timer;
    QObject target;
    // A timer tick after each mouse event: delivered after the press, held back while dragging,
    // delivered after the release and on a move with no button held.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseMove,
                              QEvent::MouseButtonRelease, QEvent::MouseMove}) {
        QMouseEvent event(type, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        app.notify(&target, &event);
        QTimerEvent tick(1);
        app.notify(&timer, &tick);
    }
    EXPECT_EQ(timer.timerEvents, 3);

    struct CountingHandler : Tavrin::App::EventHandler  // counts, and never takes the event
    {
        bool HandleNativeEvent(const QByteArray&, void*, long*) override { return !++calls; }
        int calls = 0;
    };
    auto handler = std::make_shared<CountingHandler>();
    app.RegisterEventHandler(handler);
    app.RegisterEventHandler(handler);
    for (int expected : {2, 3}) {  // registered twice, then once
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", nullptr,
                                                                nullptr);
        EXPECT_EQ(handler->calls, expected);
        app.UnregisterEventHandler(handler);
    }
}

// Without a store every launch is a first one; the version is recorded in its own form and the
// run's type is decided once. (Successive runs of a product are the launch test's.)
TEST(Application, LaunchTypeIsDecidedOnceAndRecordsTheVersion)
{
    ProductApplication app;
    EXPECT_EQ(app.CheckFirstLaunch(), Application::FirstLaunch);  // no store to compare with
    const auto store = NewStore("launch");
    app.SetSettingsManager(store);
    QCoreApplication::setApplicationVersion("14.5.0");
    EXPECT_EQ(app.GetLaunchType(), Application::FirstLaunch);
    EXPECT_EQ(store->GetString("Version", ""), "14-5-0");
    store->SetString("Version", "14.4.0");
    EXPECT_EQ(app.GetLaunchType(), Application::FirstLaunch);
}

// The customization manager names the product: the version, the log directory (logging starts
// with the first manager of the process) and the installer's store, which needs one.
TEST(Application, CustomizationManagerNamesTheVersionTheLogsAndTheInstallerStore)
{
    ProductApplication app;
    EXPECT_EQ(app.GetInstallerSettings(""), nullptr);
    auto customization = std::make_shared<Customization>();
    customization->version = Tavrin::Core::Version(14, 6, 1);
    app.SetCustomizationManager(customization);
    EXPECT_EQ(QCoreApplication::applicationVersion(), "14.6.1");
    auto installer = std::dynamic_pointer_cast<SettingsManager>(app.GetInstallerSettings(""));
    ASSERT_NE(installer, nullptr);
    EXPECT_EQ(installer->GetFileName(), SandboxDir() + "/etc/xdg/Tavrin/TestProduct.conf");

    const QString directory = QString::fromStdString(Tavrin::App::Logging::GetLogDirectory());
    EXPECT_EQ(directory, SandboxDir() + "/home/.local/share/Tavrin/Logs/TestProduct/");
    google::FlushLogFiles(google::GLOG_INFO);
    const QString log = directory + QDir(directory).entryList({"*.INFO.*"}).value(0);
    const QString text = ReadLines(log).join('\n');
    EXPECT_TRUE(text.contains("Product Version: 14.6.1") && text.contains("Build commit: "));
}

// Another process tries the instance mutex: "locked" when free, "busy" while an application
// that created it lives.
TEST(Application, InstanceMutexMarksTheRunningInstance)
{
    const auto helperTries = [] {
        QProcess helper;
        helper.start(HelperExecutable(), {"hold-mutex", "0", Application::INSTANCE_MUTEX_NAME});
        helper.waitForFinished(kWaitMs);
        return QString::fromLatin1(helper.readAllStandardOutput()).trimmed();
    };
    for (bool createInstanceMutex : {false, true}) {
        ProductApplication app(createInstanceMutex);
        EXPECT_EQ(helperTries(), createInstanceMutex ? "busy" : "locked");
    }
    EXPECT_EQ(helperTries(), "locked");  // released with the application
}

TEST(TemporaryFiles, DirectoryBelowTheSystemOneAndNamesThatWouldLeaveItRefused)
{
    using Tavrin::App::ProductTemporaryFilesDir;
    const QString own = "/Prod-" + QString::number(geteuid());
    EXPECT_EQ(ProductTemporaryFilesDir("Prod"), QDir::tempPath() + own + "/temp/");
    EXPECT_EQ(QFileInfo(QDir::tempPath() + own + "/temp").permissions() & 0x7777, 0x7700);
    for (const char* name : {"", "/etc", ".", "..", "a/../..", "./a"})
        EXPECT_EQ(ProductTemporaryFilesDir(name), QString()) << name;

    // A system temporary directory that is a file: the path all the same, and no complaint.
    const QByteArray saved = qgetenv("TMPDIR");
    const QString blocker = NewTempDir("blocked") + "/file";
    ASSERT_TRUE(WriteFile(blocker, "a file"));
    qputenv("TMPDIR", QFile::encodeName(blocker));
    const QString uncreatable = ProductTemporaryFilesDir("Prod");
    Tavrin::App::ClearProductTemporaryFiles("Prod", 0);
    qputenv("TMPDIR", saved);
    EXPECT_EQ(uncreatable, blocker + own + "/temp/");
    EXPECT_TRUE(QFileInfo(blocker).isFile());
}

// The restarted product is the helper, which writes its pid and then its arguments to a file.
// Whoever calls the restart, the crash history is cleared before the application is asked to
// quit, and stays cleared when it refuses.
TEST(Restart, AsksOnlyInInteractiveModeThenClearsTheHistoryQuitsAndStartsWithTheArguments)
{
    QString sessionFile;
    {
        ProductApplication first;  // the session file of this executable's application object
        sessionFile = QStandardPaths::writableLocation(QStandardPaths::DataLocation) +
                      "/Tavrin/clipcrafter 14.5.0/tst_application.ini";
    }
    ASSERT_TRUE(WriteFile(sessionFile, "[General]\n4194304=190101-000000-888888\n"));
    ProductApplication app;
    const QString ownEntry = QString::number(QCoreApplication::applicationPid()) + "=";
    const auto history = [&] {
        const bool recorded = !ReadLines(sessionFile).filter(ownEntry).isEmpty();
        return QString(app.HasUnreportedCrash() || recorded ? "kept" : "cleared");
    };
    ASSERT_EQ(history(), "kept");
    const QString dir = NewTempDir("with space");
    AlertBoxAnswerer box;  // notes the questions, and the state of the history at the quit
    box.answer = QMessageBox::Cancel;
    app.onQuitAsked = [&] { box.boxes << history(); };
    using namespace Tavrin::Enums;
    const auto restart = [&](WorkingMode mode, const QString& file, const QString& arguments) {
        Tavrin::App::RestartApplication(
            mode, QPixmap(), "write-args \"" + dir + file + "\" " + arguments, HelperExecutable());
    };
    restart(Interactive, "/cancelled", "");
    EXPECT_EQ(history(), "kept");
    app.allowQuit = false;  // a refused quit: history cleared, nothing started
    restart(static_cast<WorkingMode>(2), "/refused", "");
    EXPECT_FALSE(app.IsQuitting());
    EXPECT_EQ(history(), "cleared");

    app.allowQuit = true;
    box.answer = QMessageBox::Ok;
    QTimer::singleShot(0, &app, [&] {
        restart(Interactive, "/args", " \"two words\"  plain \"\"\"quoted\"\"\" --x=1");
    });
    QTimer::singleShot(kWaitMs, &app, [&] { app.exit(1); });
    EXPECT_EQ(app.exec(), 0);  // the restart ended the event loop
    const QString asked =
        "1|Attention|<b>This will restart the application.</b><br>Do you want to continue?";
    EXPECT_EQ(box.boxes, QStringList({asked, "cleared", asked, "cleared"}));

    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(dir + "/args"); }, kWaitMs));
    const QStringList lines = ReadLines(dir + "/args");
    EXPECT_NE(lines.value(0), QString::number(QCoreApplication::applicationPid()));
    EXPECT_EQ(lines.mid(1), QStringList({"two words", "plain", "\"quoted\"", "--x=1"}));
    // Asked for earlier, a cancelled or refused restart would have written by now.
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"args"});
}

}  // namespace

#include "tst_application.moc"
