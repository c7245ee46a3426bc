#include "Tavrin/App/Application/Application.h"

#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/ApplicationRestarter.h>
#include <Tavrin/App/Application/CrashTracker.h>
#include <Tavrin/App/Application/EventHandler.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/IGateway.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ILookAndFeelObserver.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/ISplash.h>
#include <Tavrin/App/Application/LoggingGuard_p.h>
#include <Tavrin/App/Application/NativeEventFilter_p.h>
#include <Tavrin/App/Application/PreferredBrowser.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/URLHandler.h>
#include <Tavrin/App/BuildInfo_p.h>
#include <Tavrin/Core/Sleep.h>
#include <Tavrin/Links/LinksManager.h>
#include <Tavrin/Util/AlertBox.h>
#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/ShellExecute.h>
#include <Tavrin/Util/SpontaneousDialog.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/VersionToString.h>

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>

#include <boost/optional.hpp>
#include <glog/logging.h>

#include <chrono>
#include <cstdlib>
#include <regex>

#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace ExternalStimulus {

IGateway::~IGateway() = default;

}  // namespace ExternalStimulus

namespace App {

ICustomizationManager::~ICustomizationManager() = default;
ILookAndFeelManager::~ILookAndFeelManager() = default;
ILookAndFeelObserver::~ILookAndFeelObserver() = default;
ISplash::~ISplash() = default;
void ISplash::ShowMessage(const QString&) {}

const char* const Application::INSTANCE_MUTEX_NAME = "{9AD44BF8-CA43-484F-8C3C-335F927B77EA}";
const char* const Application::INSTALLER_MUTEX_NAME = "{EE65A714-5EFA-43DE-B97B-439C0B1B2D5D}";

namespace {

const char kAutoUpdateKey[] = "autoUpdate";
const char kEmailDialogStimulus[] = "EMAIL_DIALOG";
const char kThankForInstallStimulus[] = "THANK_FOR_INSTALL";
const char kThankYouPage[] = "thankyou";
const char kInstallerMessageScript[] = "InstallerMessage.vbs";
const std::chrono::milliseconds kInstallerWait(500);
// Longer texts are no file name; this also keeps the backtracking match below shallow.
const std::size_t kMaxInstallerNameLength = 4096;
const int kAutoUpdateDelayMs = 5000;
// Links of these schemes open with the preferred browser.
const char* const kWebSchemes[] = {"http", "https"};

// Timers of an embedded web engine are held back while the user drags.
const char kWebEngineTimerClass[] = "WebCore::SharedTimerQt";

// Process-wide: written and read only on the GUI thread, by notify.
bool g_mouseButtonDown = false;
bool g_dragInProgress = false;

void LogMissing(const char* operation, const char* service)
{
    LOG(ERROR) << operation << ": no " << service << " is set";
}

// The installer's message script next to the executable, never one from the working
// directory; only a regular file that no one but its owner (the user or root) may change.
QString InstallerMessageScript()
{
    // Asked of the kernel: there may be no application object yet.
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (executable.isEmpty()) {
        return QString();
    }
    const QString path = QFileInfo(executable)
                             .absoluteDir()
                             .absoluteFilePath(QLatin1String(kInstallerMessageScript));
    struct stat info;
    if (lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return QString();
    }
    const bool trusted = S_ISREG(info.st_mode) && (info.st_uid == geteuid() || info.st_uid == 0) &&
                         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    if (!trusted) {
        LOG(ERROR) << "Not starting " << path.toStdString()
                   << ": not a regular file of this user or root that only its owner may change";
        return QString();
    }
    return path;
}

}  // namespace

struct Application::Impl
{
    std::unique_ptr<Util::AppMutexLocker> instanceMutex;
    // A Qt child of the application, deleted here before the application goes.
    std::unique_ptr<NativeEventFilter> nativeEventFilter;
    std::shared_ptr<ICustomizationManager> customizationManager;
    std::shared_ptr<ILookAndFeelManager> lookAndFeel;
    std::shared_ptr<ISettingsManager> settingsManager;
    std::shared_ptr<ISplash> splash;
    std::shared_ptr<ISettingsManager> productSettingsManager;
    std::shared_ptr<ISettingsManager> mailSettingsManager;
    mutable std::shared_ptr<ILinksManager> linksManager;  // made by the first GetLinksManager
    bool started = false;
    bool quitting = false;
    CrashTracker crashTracker;  // opens this run's session and collects the dead ones
    mutable boost::optional<LaunchType> launchType;
    std::shared_ptr<PreferredBrowser> preferredBrowser = std::make_shared<PreferredBrowser>();
    std::shared_ptr<ExternalStimulus::IGateway> gateway;

    explicit Impl(Application* application, const AppContext& context)
        : nativeEventFilter(new NativeEventFilter(application))
    {
        if (context.createInstanceMutex) {
            instanceMutex = std::make_unique<Util::AppMutexLocker>(
                std::vector<std::string>{INSTANCE_MUTEX_NAME});
            // Another instance may hold the mark already; this one runs all the same.
            instanceMutex->TryLockAppMutex();
        }
    }

    // Members go in reverse order of declaration, which is the release order: the gateway,
    // the preferred browser, the launch type, the crash tracker (its destructor ends the
    // session), the links manager, the stores, then the event filter and the instance mutex.
};

Application::Application(int& argc, char** argv) : Application(argc, argv, AppContext()) {}

Application::Application(int& argc, char** argv, const AppContext& context)
    : QApplication(argc, argv), m_impl(std::make_unique<Impl>(this, context))
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    installNativeEventFilter(m_impl->nativeEventFilter.get());
    auto* urlHandler = new URLHandler(this, m_impl->preferredBrowser);
    for (const char* scheme : kWebSchemes) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), urlHandler,
                                        "OpenURLWithPreferredBrowser");
    }
    connect(this, &QCoreApplication::aboutToQuit, this, &Application::OnAboutToQuit);
    try {
        AppTest::HandleGlobalTestOptions();
    } catch (...) {
        // No application comes of this, so nothing may keep pointing into it.
        for (const char* scheme : kWebSchemes) {
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
        }
        throw;
    }
}

Application::~Application()
{
    // QDesktopServices keeps a bare pointer to the handler, which goes with the application.
    for (const char* scheme : kWebSchemes) {
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    m_impl->productSettingsManager.reset();
    m_impl->splash.reset();
    m_impl->settingsManager.reset();
    m_impl->lookAndFeel.reset();
    m_impl->customizationManager.reset();
    m_impl.reset();
}

Application* Application::Instance()
{
    return qobject_cast<Application*>(QCoreApplication::instance());
}

void Application::Start()
{
    if (m_impl->started) {
        return;
    }
    m_impl->started = true;
    if (m_impl->splash) {
        m_impl->splash->Activate();
    }
    OnStart();
}

void Application::OnStart()
{
    m_impl->preferredBrowser->UpdateBrowserPath();
    AppTest::HandleTestOptions(GetAdditionalTestOptions(), this);
    ShowEmailDialogIfNeeded();
    OpenThankForInstall();
    RequestCheckAutoUpdate();
    emit ApplicationStarted();
}

bool Application::IsStarted() const
{
    return m_impl->started;
}

bool Application::TryToQuit()
{
    m_impl->quitting = TryToQuitImpl();
    return m_impl->quitting;
}

bool Application::IsQuitting() const
{
    return m_impl->quitting;
}

bool Application::TryToQuitImpl()
{
    QCoreApplication::quit();
    return true;
}

QList<QCommandLineOption> Application::GetAdditionalTestOptions() const
{
    return {};
}

void Application::OnAboutToQuit()
{
    m_impl->crashTracker.StopSession();
}

void Application::TryToRestart(Enums::WorkingMode mode, QString arguments)
{
    RestartApplication(mode, QPixmap(), arguments, [this] { ClearCrashes(); });
}

std::string Application::SessionId() const
{
    return m_impl->crashTracker.SessionId();
}

bool Application::HasUnreportedCrash() const
{
    return m_impl->crashTracker.HasUnreportedCrash();
}

std::deque<std::string> Application::GetCrashedSessions() const
{
    return m_impl->crashTracker.BadSessionsList();
}

void Application::ClearCrashes()
{
    m_impl->crashTracker.ClearHistory();
}

QString Application::GetApplicationTemporaryFilesDir() const
{
    return ProductTemporaryFilesDir(TemporaryFolderName());
}

void Application::ClearApplicationTemporaryFiles(int days) const
{
    ClearProductTemporaryFiles(TemporaryFolderName(), days);
}

QString Application::TemporaryFolderName() const
{
    if (!m_impl->customizationManager) {
        LogMissing("Temporary files", "customization manager");
        return QString();
    }
    return Util::Utf8ToQString(m_impl->customizationManager->GetTemporaryFolderName());
}

std::shared_ptr<ISettingsManager> Application::GetSettingsManager() const
{
    return m_impl->settingsManager;
}

void Application::SetSettingsManager(std::shared_ptr<ISettingsManager> manager)
{
    m_impl->settingsManager = std::move(manager);
}

std::shared_ptr<ISettingsManager> Application::GetProductSettingsManager() const
{
    return m_impl->productSettingsManager ? m_impl->productSettingsManager
                                          : m_impl->settingsManager;
}

void Application::SetProductSettingsManager(std::shared_ptr<ISettingsManager> manager)
{
    m_impl->productSettingsManager = std::move(manager);
}

std::shared_ptr<ISettingsManager> Application::GetMailSettingsManager() const
{
    return m_impl->mailSettingsManager ? m_impl->mailSettingsManager : GetProductSettingsManager();
}

void Application::SetMailSettingsManager(std::shared_ptr<ISettingsManager> manager)
{
    m_impl->mailSettingsManager = std::move(manager);
}

std::shared_ptr<ILookAndFeelManager> Application::GetLookAndFeel() const
{
    return m_impl->lookAndFeel;
}

void Application::SetLookAndFeel(std::shared_ptr<ILookAndFeelManager> manager)
{
    m_impl->lookAndFeel = std::move(manager);
}

std::shared_ptr<ISplash> Application::GetSplash() const
{
    return m_impl->splash;
}

void Application::SetSplash(std::shared_ptr<ISplash> splash)
{
    m_impl->splash = std::move(splash);
}

std::shared_ptr<ICustomizationManager> Application::GetCustomizationManager() const
{
    return m_impl->customizationManager;
}

void Application::SetCustomizationManager(std::shared_ptr<ICustomizationManager> manager)
{
    m_impl->customizationManager = std::move(manager);
    if (!m_impl->customizationManager) {
        LogMissing("SetCustomizationManager", "customization manager (null given)");
        return;
    }
    const ICustomizationManager& customization = *m_impl->customizationManager;
    setenv("GLOG_PRODUCT_NAME", customization.GetProductFolderName().c_str(), 1);
    Logging::EnsureInitialized();

    const QString version =
        Util::VersionToString(customization.GetVersion(), 0, QStringLiteral("."));
    QCoreApplication::setApplicationName(Util::Utf8ToQString(customization.GetApplicationName()));
    QCoreApplication::setApplicationVersion(version);
    QCoreApplication::setOrganizationName(
        Util::Utf8ToQString(customization.GetOrganizationName()));

    LOG(INFO) << "Product Version: " << version.toStdString();
    for (const char* line : BuildInfo::kLines) {
        LOG(INFO) << line;
    }
    if (FLAGS_v >= 1) {
        LOG(INFO) << "Verbose logging enabled. Level=" << FLAGS_v;
    }
    Util::AlertBox::SetApplicationIcon(
        Util::Utf8ToQString(customization.GetApplicationIconPath()));
}

std::shared_ptr<ExternalStimulus::IGateway> Application::GetExternalStimulusGateway() const
{
    return m_impl->gateway;
}

void Application::SetExternalStimulusGateway(
    const std::shared_ptr<ExternalStimulus::IGateway>& gateway)
{
    m_impl->gateway = gateway;
}

std::shared_ptr<ILinksManager> Application::GetLinksManager() const
{
    if (!m_impl->linksManager) {
        // The installer's store is made first: it needs the customization manager, which
        // must be set by now. A missing service throws before anything is stored.
        std::shared_ptr<ISettingsManager> installerSettings = GetInstallerSettings("");
        m_impl->linksManager = std::make_shared<LinksManager>(
            NotNull<std::shared_ptr<ICustomizationManager>>(m_impl->customizationManager),
            NotNull<std::shared_ptr<ILookAndFeelManager>>(m_impl->lookAndFeel),
            NotNull<std::shared_ptr<ISettingsManager>>(GetMailSettingsManager()),
            std::move(installerSettings));
    }
    return m_impl->linksManager;
}

QString Application::GetUrl(const URLKeys& key) const
{
    const std::shared_ptr<ILinksGenerator> generator = GetLinksManager();
    return generator->GetUrl(key);
}

std::shared_ptr<ISettingsManager> Application::GetInstallerSettings(
    const std::string& productName) const
{
    if (!m_impl->customizationManager) {
        LogMissing("GetInstallerSettings", "customization manager");
        return nullptr;
    }
    const ICustomizationManager& customization = *m_impl->customizationManager;
    const std::string product =
        productName.empty() ? customization.GetProductFolderName() : productName;
    const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\") +
                        Util::Utf8ToQString(customization.GetOrganizationName()) +
                        QLatin1Char('\\') + Util::Utf8ToQString(product);
    return std::make_shared<SettingsManager>(key, QSettings::NativeFormat);
}

Application::LaunchType Application::CheckFirstLaunch() const
{
    const std::shared_ptr<ISettingsManager> store = GetProductSettingsManager();
    if (!store) {
        LogMissing("CheckFirstLaunch", "settings manager");
        return FirstLaunch;
    }
    const std::string current =
        QCoreApplication::applicationVersion().replace(QLatin1Char('.'), QLatin1Char('-')).toStdString();
    const std::string storedVersion = store->GetString("Version", "");
    const std::string installTime = store->GetString("DateTime", "");
    const std::string seenInstallTime = store->GetString("InstallDateTime", "");

    if (storedVersion == current) {
        if (seenInstallTime != installTime) {
            store->SetString("InstallDateTime", installTime);
            return Reinstall;
        }
        return RegularLaunch;
    }
    store->SetString("Version", current);
    const bool seenBefore = !store->GetString("DateOfFirstStart", "").empty();
    store->SetString("IsRun", "1");
    store->SetString("DateOfFirstStart",
                     QDateTime::currentDateTime().toString(Qt::TextDate).toStdString());
    store->SetString("InstallDateTime", installTime);
    return seenBefore ? FirstLaunchAfterUpdate : FirstLaunch;
}

Application::LaunchType Application::GetLaunchType() const
{
    if (!m_impl->launchType) {
        m_impl->launchType = CheckFirstLaunch();
    }
    return *m_impl->launchType;
}

bool Application::IsFirstLauch() const
{
    const LaunchType type = GetLaunchType();
    return type == FirstLaunch || type == FirstLaunchAfterUpdate;
}

int Application::GetDaysPassed() const
{
    const std::shared_ptr<ISettingsManager> store = GetProductSettingsManager();
    if (!store) {
        LogMissing("GetDaysPassed", "settings manager");
        return 0;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const std::string text =
        store->GetString("DateOfFirstStart", now.toString(Qt::TextDate).toStdString());
    // An unparsable text gives an invalid date, for which daysTo answers 0.
    return static_cast<int>(
        QDateTime::fromString(QString::fromStdString(text), Qt::TextDate).daysTo(now));
}

bool Application::CheckRunnedInstaller()
{
    using LockResult = Util::AppMutexLocker::LockResult;
    Util::AppMutexLocker locker(std::vector<std::string>{INSTALLER_MUTEX_NAME});
    // Only a mutex that another process holds is a running installer; one that cannot be
    // made at all (logged by the locker) is none.
    LockResult result = locker.TryLock();
    const auto deadline = std::chrono::steady_clock::now() + kInstallerWait;
    while (result == LockResult::HeldElsewhere && std::chrono::steady_clock::now() <= deadline) {
        Core::SleepFor(1);
        result = locker.TryLock();
    }
    if (result != LockResult::HeldElsewhere) {
        return false;
    }
    // The installer tells the user itself; whether its script started changes nothing here.
    const QString script = InstallerMessageScript();
    if (!script.isEmpty()) {
        Util::ShellExecuteDefault(script);
    }
    return true;
}

void Application::OpenThankForInstall() const
{
    if (m_impl->gateway) {
        m_impl->gateway->AddStimulus(
            {kThankForInstallStimulus, [this] { OpenUrlThankForInstall(); }});
        return;
    }
    OpenUrlThankForInstall();
}

namespace {

// The installer's distribution id: the five characters after "Setup" in its file name
// (ProductSetupC1a2B.exe gives C1a2B); empty when the name has none.
std::string DistributionId(const std::string& installerName)
{
    if (installerName.size() > kMaxInstallerNameLength) {
        return std::string();
    }
    static const std::regex pattern(".*Setup([COYSFIUE][a-zA-Z0-9]{4}).*", std::regex::ECMAScript);
    std::smatch match;
    return std::regex_match(installerName, match, pattern) ? match[1].str() : std::string();
}

}  // namespace

void Application::OpenUrlThankForInstall() const
{
    const LaunchType type = GetLaunchType();
    if (type != FirstLaunch && type != FirstLaunchAfterUpdate && type != Reinstall) {
        return;
    }
    if (!m_impl->customizationManager) {
        LogMissing("OpenThankForInstall", "customization manager");
        return;
    }
    QString url;
    if (m_impl->customizationManager->GetPostInstallPage() == kThankYouPage) {
        url = GetUrl(type == FirstLaunch ? THANK_FOR_INSTALL_URL : THANK_FOR_REINSTALL_URL);
    }
    if (url.isEmpty()) {
        return;
    }
    const std::string id = DistributionId(GetInstallerSettings("")->GetString("InstallerName", ""));
    if (!id.empty()) {
        url += QStringLiteral("&did=") + Util::Utf8ToQString(id);
    }
    const std::shared_ptr<ILinksOpener> opener = GetLinksManager();
    opener->OpenUrl(url);
}

QString Application::GetPreferredBrowserUserAgent() const
{
    return m_impl->preferredBrowser->GetUserAgent();
}

QString Application::ApplicationName() const
{
    if (m_impl->customizationManager) {
        return Util::Utf8ToQString(m_impl->customizationManager->GetApplicationName());
    }
    return QCoreApplication::applicationName();
}

QString Application::GetProductNameAbout() const
{
    if (!m_impl->customizationManager) {
        LogMissing("GetProductNameAbout", "customization manager");
        return QString();
    }
    return Util::Utf8ToQString(m_impl->customizationManager->GetAboutProductName());
}

void Application::SetMainWindow(QMainWindow* window)
{
    Util::SpontaneousDialog::SetMainWindow(window);
}

QWidget* Application::GetMainWindow() const
{
    return Util::SpontaneousDialog::GetMainWindow();
}

void Application::RegisterEventHandler(std::shared_ptr<EventHandler> handler)
{
    m_impl->nativeEventFilter->AddHandler(std::move(handler));
}

void Application::UnregisterEventHandler(std::shared_ptr<EventHandler> handler)
{
    m_impl->nativeEventFilter->RemoveHandler(handler);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            g_mouseButtonDown = true;
            break;
        case QEvent::MouseMove:
            if (g_mouseButtonDown) {
                g_dragInProgress = true;
            }
            break;
        case QEvent::MouseButtonRelease:
            g_mouseButtonDown = false;
            g_dragInProgress = false;
            break;
        case QEvent::Timer:
            if (g_dragInProgress && receiver &&
                qstrcmp(receiver->metaObject()->className(), kWebEngineTimerClass) == 0) {
                return false;
            }
            break;
        case QEvent::ApplicationStateChange:
            if (!m_impl->started && QGuiApplication::applicationState() == Qt::ApplicationActive &&
                m_impl->splash) {
                m_impl->splash->Activate();
            }
            break;
        default:
            break;
    }
    return QApplication::notify(receiver, event);
}

void Application::ShowEmailDialogIfNeeded()
{
    if (m_impl->gateway) {
        m_impl->gateway->AddStimulus({kEmailDialogStimulus, [this] { ShowEmailDialog(); }});
        return;
    }
    ShowEmailDialog();
}

void Application::ShowEmailDialog()
{
    const LaunchType type = GetLaunchType();
    if (type != FirstLaunch && type != FirstLaunchAfterUpdate) {
        return;
    }
    const std::shared_ptr<ISettingsManager> mail = GetMailSettingsManager();
    if (!mail || !m_impl->customizationManager) {
        LogMissing("ShowEmailDialog", mail ? "customization manager" : "settings manager");
        return;
    }
    const bool registered = mail->GetString("IsRegUser", "") == "1";
    if (!m_impl->customizationManager->IsEmailDialogEnabled() || registered ||
        type != FirstLaunch) {
        return;
    }
    emit BeforeShowEmailDialog();
    emit AfterShowEmailDialog();
}

void Application::RequestCheckAutoUpdate() const
{
    const std::shared_ptr<ISettingsManager> store = GetProductSettingsManager();
    if (!store) {
        LogMissing("RequestCheckAutoUpdate", "settings manager");
    }
    if (store && !store->GetBool(kAutoUpdateKey, true)) {
        return;
    }
    QTimer::singleShot(kAutoUpdateDelayMs, this, &Application::AutoUpdateCheckRequested);
}

}  // namespace App
}  // namespace Tavrin
