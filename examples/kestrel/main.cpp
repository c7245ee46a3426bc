// The demo product "Tavrin Kestrel": starts the way every product on the library does.
//   tavrin-kestrel                       the product, on the display; without one it runs
//                                        offscreen, as with --offscreen-smoke
//   tavrin-kestrel --offscreen-smoke [--screenshot=PATH]
//                                        starts offscreen, prints a start-up report, saves a
//                                        screenshot of the main window in every theme and
//                                        quits
//   tavrin-kestrel --quit-after-start    prints the report and quits as soon as it started
// Exit status: 0 after a normal quit, 1 when the screenshot or the quit failed, 2 for an
// unusable command line, 3 when the application did not start in time.
#include "KestrelApplication.h"
#include "KestrelCustomization.h"
#include "KestrelEditMenu.h"
#include "KestrelDialogs.h"
#include "KestrelHelpLinks.h"
#include "KestrelLookAndFeel.h"
#include "KestrelThemeFollower.h"
#include "KestrelMainWindow.h"
#include "KestrelSplash.h"
#include "KestrelWindowMenu.h"
#include "KestrelViewerLauncher.h"
#include "LaunchOptions.h"
#include "SmokeRun.h"
#include "TouchPage.h"
#include "StartupReport.h"

#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/App/Application/StartupEnvironment.h>
#include <Tavrin/Util/QtLogHandler.h>
#include <Tavrin/Util/VersionToString.h>

#include <QIcon>

#include <cstdio>
#include <memory>

namespace {

using Kestrel::KestrelApplication;
using Tavrin::App::SettingsManager;

const char kOrganization[] = "Tavrin";

// Identity and the three settings stores, before anything asks for them.
void InjectServices(KestrelApplication& application, const QPixmap& icon)
{
    application.SetCustomizationManager(std::make_shared<Kestrel::KestrelCustomization>());
    application.setWindowIcon(QIcon(icon));

    application.SetSettingsManager(std::make_shared<SettingsManager>("Kestrel", kOrganization));
    application.SetProductSettingsManager(
        std::make_shared<SettingsManager>("Kestrel/Product", kOrganization));
    application.SetMailSettingsManager(
        std::make_shared<SettingsManager>("Kestrel/Mail", kOrganization));
}

// The offscreen platform warns at every window shown that it cannot pass size hints on; with
// no screen nobody could act on that, and the warning would open a log file at every start.
void QuietOffscreenPlatform()
{
    Tavrin::Util::QtLogHandler::GetInstance().AddFilter([](const QString& message) {
        return !message.contains(QLatin1String("does not support propagateSizeHints"));
    });
}

// The splash, painted in the interface language.
std::shared_ptr<Kestrel::KestrelSplash> InjectSplash(KestrelApplication& application,
                                                     const QPixmap& icon)
{
    const QString version =
        Tavrin::Util::VersionToString(application.GetCustomizationManager()->GetVersion(), 0, ".");
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
    const QPixmap icon = Kestrel::KestrelCustomization::LoadIcon();
    InjectServices(application, icon);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QuietOffscreenPlatform();
    }
    // Before the splash and the window, so that they are built translated and styled.
    Kestrel::KestrelLookAndFeel lookAndFeel(application);
    const std::shared_ptr<Kestrel::KestrelSplash> splash = InjectSplash(application, icon);

    Kestrel::KestrelMainWindow window(QCoreApplication::applicationVersion());
    lookAndFeel.AttachMenus(window.LanguageMenu(), window.ThemeMenu());
    Kestrel::AddTouchPage(window);
    const Kestrel::KestrelThemeFollower themeFollower(application);  // other copies' picks
    new Kestrel::KestrelHelpLinks(application, window.HelpMenu());  // a child of the menu
    new Kestrel::KestrelEditMenu(application, window);  // children of the window
    new Kestrel::KestrelWindowMenu(window, window.HelpMenu());
    new Kestrel::KestrelDialogs(application, window, window.HelpMenu());  // likewise
    auto* viewer = new Kestrel::KestrelViewerLauncher(application, window, window.FileMenu());
    QObject::connect(&window, &Kestrel::KestrelMainWindow::QuitRequested, &application,
                     &KestrelApplication::TryToQuit);
    QObject::connect(
        &window, &Kestrel::KestrelMainWindow::RestartRequested, &application,
        [&application] { application.TryToRestart(Tavrin::Enums::Interactive, QString()); });
    window.ShowPreviousSessionCrashed(static_cast<int>(application.GetCrashedSessions().size()));
    application.SetMainWindow(&window);
    splash->FinishWhenShown(&window);

    if (options.IsUnattended()) {
        auto* smoke = new Kestrel::SmokeRun(application, window, options);  // the application's
        smoke->SetViewerLauncher(viewer);
    }
    application.Start();
    const QString urlDump = Kestrel::UrlDumpReportLine();
    if (!options.IsUnattended() && !urlDump.isEmpty()) {
        std::printf("%s\n", urlDump.toUtf8().constData());  // the report says it otherwise
    }
    window.show();
    return application.exec();
}
