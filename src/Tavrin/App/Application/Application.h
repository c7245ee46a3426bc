#pragma once

#include <Tavrin/App/Application/WorkingMode.h>
#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Links/URLKeys.h>

#include <QApplication>
#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <deque>
#include <memory>
#include <string>

class QMainWindow;

namespace Tavrin {
namespace ExternalStimulus {
class IGateway;
}

namespace App {

class EventHandler;
class ICustomizationManager;
class ILinksManager;
class ILookAndFeelManager;
class ISettingsManager;
class ISplash;

// The process's application object. A product constructs exactly one, injects its services,
// registers its main window, calls Start and runs the event loop. The rest of the library
// reaches it through Application::Instance().
class TAVRIN_APP_EXPORT Application : public QApplication
{
    Q_OBJECT

public:
    struct AppContext
    {
        // Hold the instance mutex while the application lives, so installers can tell that
        // an instance runs.
        bool createInstanceMutex = true;
    };

    enum LaunchType
    {
        FirstLaunch = 1,
        Reinstall = 2,
        FirstLaunchAfterUpdate = 3,
        RegularLaunch = 4,
    };

    // Temporary files older than this many days are cleared.
    static const int DAYS_TO_FILE_EXPIRE = 10;
    // Name of the named mutex that marks a running instance.
    static const char* const INSTANCE_MUTEX_NAME;
    // Name of the named mutex that a running installer holds.
    static const char* const INSTALLER_MUTEX_NAME;

    Application(int& argc, char** argv);
    Application(int& argc, char** argv, const AppContext& context);
    ~Application() override;

    // The running application, or null when the Qt application object is not ours.
    static Application* Instance();

    // Decides the launch type from the product store and records what the next run compares
    // against. Writes on every call; GetLaunchType calls it once per run.
    virtual LaunchType CheckFirstLaunch() const;
    virtual void Start();
    virtual void OnStart();

    // Restarts the product, asking first in the interactive mode.
    virtual void TryToRestart(Enums::WorkingMode mode, QString arguments);

    bool IsStarted() const;
    // Asks TryToQuitImpl; remembers and returns its answer.
    bool TryToQuit();
    bool IsQuitting() const;

    std::shared_ptr<ISettingsManager> GetSettingsManager() const;
    void SetSettingsManager(std::shared_ptr<ISettingsManager> manager);
    // The product store, or the general store when none was set.
    std::shared_ptr<ISettingsManager> GetProductSettingsManager() const;
    void SetProductSettingsManager(std::shared_ptr<ISettingsManager> manager);
    // The mail store, or the product store (and so the general store) when none was set.
    std::shared_ptr<ISettingsManager> GetMailSettingsManager() const;
    void SetMailSettingsManager(std::shared_ptr<ISettingsManager> manager);
    std::shared_ptr<ILookAndFeelManager> GetLookAndFeel() const;
    void SetLookAndFeel(std::shared_ptr<ILookAndFeelManager> manager);
    std::shared_ptr<ISplash> GetSplash() const;
    void SetSplash(std::shared_ptr<ISplash> splash);
    std::shared_ptr<ICustomizationManager> GetCustomizationManager() const;
    // Also starts logging (once per process) and sets the Qt application name, version and
    // organization from the manager.
    void SetCustomizationManager(std::shared_ptr<ICustomizationManager> manager);
    std::shared_ptr<ExternalStimulus::IGateway> GetExternalStimulusGateway() const;
    void SetExternalStimulusGateway(const std::shared_ptr<ExternalStimulus::IGateway>& gateway);
    // Made on the first call from the customization manager, the look and feel, the mail
    // store and the installer's store. Throws std::logic_error while the look and feel or
    // the mail store is missing; nothing is kept then and the next call tries again.
    std::shared_ptr<ILinksManager> GetLinksManager() const;

    // A new store on the installer's key "HKEY_LOCAL_MACHINE\SOFTWARE\<organization>\<product>"
    // (the product folder name when productName is empty). Null, with an ERROR log line,
    // without a customization manager.
    std::shared_ptr<ISettingsManager> GetInstallerSettings(const std::string& productName) const;

    // The launch type of this run, decided on the first call.
    LaunchType GetLaunchType() const;
    // A first launch of the product or of this version.
    bool IsFirstLauch() const;
    // Days since the first start of the current version.
    int GetDaysPassed() const;
    // Waits up to about half a second for a running installer (one holding the installer
    // mutex) to finish. True when it is still running; the installer's message script
    // "InstallerMessage.vbs" next to the executable has then been opened, if it is a regular
    // file of the user or root that nobody else may change. A mutex that cannot be made
    // counts as no installer. Needs no application object.
    static bool CheckRunnedInstaller();
    // Opens the post-install page after an installation or an update, through the gateway
    // when one is set.
    void OpenThankForInstall() const;

    // This run's crash session, and the sessions of earlier runs that died, found at start.
    std::string SessionId() const;
    bool HasUnreportedCrash() const;
    std::deque<std::string> GetCrashedSessions() const;
    // Forgets the crashed sessions and every recorded session, this one's included.
    void ClearCrashes();

    // The product's directory for temporary files, private to the user (see
    // ProductTemporaryFilesDir), created when missing; empty when another user could change it.
    QString GetApplicationTemporaryFilesDir() const;
    // Removes its files older than `days` days.
    void ClearApplicationTemporaryFiles(int days) const;

    // The user agent of the browser that links open with.
    QString GetPreferredBrowserUserAgent() const;

    // The customization manager's application name, else Qt's.
    QString ApplicationName() const;
    // The customization manager's about-box product name; empty without one.
    QString GetProductNameAbout() const;

    // The parent of dialogs that come up on their own.
    void SetMainWindow(QMainWindow* window);
    QWidget* GetMainWindow() const;

    // Handlers see every native event the gesture router does not consume, in registration
    // order; a handler registered twice is called twice.
    void RegisterEventHandler(std::shared_ptr<EventHandler> handler);
    // Removes the first registration of that handler.
    void UnregisterEventHandler(std::shared_ptr<EventHandler> handler);

    bool notify(QObject* receiver, QEvent* event) override;

signals:
    void AutoUpdateCheckRequested();
    void ApplicationStarted();
    void BeforeShowEmailDialog();
    void AfterShowEmailDialog();

protected slots:
    void OnAboutToQuit();

protected:
    // Offers the e-mail subscription dialog through the gateway, or at once without one.
    void ShowEmailDialogIfNeeded();

private:
    // Quits the event loop and agrees; a product overrides it to ask or refuse.
    virtual bool TryToQuitImpl();
    // The product's own command-line options for the diagnostics.
    virtual QList<QCommandLineOption> GetAdditionalTestOptions() const;

public:
    // The links manager's URL for the key in the current locale; empty when the product has
    // none. Declared last so products overriding it keep the slot layout.
    virtual QString GetUrl(const URLKeys& key) const;

private:
    void ShowEmailDialog();
    void RequestCheckAutoUpdate() const;
    void OpenUrlThankForInstall() const;
    QString TemporaryFolderName() const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace App
}  // namespace Tavrin
