// The demo product "Tavrin Kestrel": starts the way every product on the library does.
//   tavrin-kestrel                       the product, on the display; without one it runs
//                                        offscreen, as with --offscreen-smoke
//   tavrin-kestrel --offscreen-smoke [--screenshot=PATH]
//                                        starts offscreen, prints a start-up report, saves a
//                                        screenshot of the main window and quits
//   tavrin-kestrel --quit-after-start    prints the report and quits as soon as it started
// Exit status: 0 after a normal quit, 1 when the screenshot or the quit failed, 2 for an
// unusable command line, 3 when the application did not start in time.
#include "KestrelApplication.h"
#include "KestrelCustomization.h"
#include "KestrelMainWindow.h"
#include "KestrelSplash.h"
#include "LaunchOptions.h"
#include "SmokeRun.h"

#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/StartupEnvironment.h>
#include <Tavrin/Util/VersionToString.h>

#include <QIcon>

#include <cstdio>
#include <memory>

namespace {

using Kestrel::KestrelApplication;
using Tavrin::App::SettingsManager;

const char kOrganization[] = "Tavrin";

// Identity, the three settings stores and the splash, before anything asks for them.
std::shared_ptr<Kestrel::KestrelSplash> InjectServices(KestrelApplication& application)
{
    auto customization = std::make_shared<Kestrel::KestrelCustomization>();
    const QString version = Tavrin::Util::VersionToString(customization->GetVersion(), 0, ".");
    application.SetCustomizationManager(customization);
    const QPixmap icon = Kestrel::KestrelCustomization::LoadIcon();
    application.setWindowIcon(QIcon(icon));

    application.SetSettingsManager(std::make_shared<SettingsManager>("Kestrel", kOrganization));
    application.SetProductSettingsManager(
        std::make_shared<SettingsManager>("Kestrel/Product", kOrganization));
    application.SetMailSettingsManager(
        std::make_shared<SettingsManager>("Kestrel/Mail", kOrganization));

    auto splash = std::make_shared<Kestrel::KestrelSplash>(version, icon);
    application.SetSplash(splash);
    return splash;
}

}  // namespace

int main(int argc, char** argv)
{
    Kestrel::LaunchOptions options = Kestrel::LaunchOptions::Parse(argc, argv);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", options.error.toLocal8Bit().constData());
        return 2;
    }
    // Qt reads these only while its application object is created.
    Tavrin::App::HighDpiFix();
    Tavrin::App::UseDesktopOpenGL();
    Kestrel::UseOffscreenPlatformIfNeeded(options);

    KestrelApplication application(argc, argv);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        options.offscreenSmoke = true;  // nobody could see the window, let alone close it
    }
    const std::shared_ptr<Kestrel::KestrelSplash> splash = InjectServices(application);

    Kestrel::KestrelMainWindow window(QCoreApplication::applicationVersion());
    QObject::connect(&window, &Kestrel::KestrelMainWindow::QuitRequested, &application,
                     &KestrelApplication::TryToQuit);
    QObject::connect(&window, &Kestrel::KestrelMainWindow::RestartRequested, &application,
                     [&application] {
                         application.TryToRestart(Tavrin::Enums::Interactive, QString());
                     });
    window.ShowPreviousSessionCrashed(static_cast<int>(application.GetCrashedSessions().size()));
    application.SetMainWindow(&window);
    splash->FinishWhenShown(&window);

    if (options.IsUnattended()) {
        new Kestrel::SmokeRun(application, window, options);  // owned by the application
    }
    application.Start();
    window.show();
    return application.exec();
}
