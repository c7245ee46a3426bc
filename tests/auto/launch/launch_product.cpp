// A product for the launch tests: launch_product <store.ini> <version> [--stay=<ms>] [options]
// starts on that store and version, prints "launch <type> days <days> crashed <sessions>",
// keeps its event loop running for --stay ms and quits normally. Other options are the
// library's.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/SettingsManager.h>

#include "TestCustomization.h"

#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 64;
    Tavrin::App::Application app(argc, argv, Tavrin::App::Application::AppContext{false});
    const QStringList arguments = QCoreApplication::arguments();
    const QStringList version = arguments[2].split('.');  // major.minor.build
    auto customization = std::make_shared<Tavrin::Test::Customization>();
    customization->version = {version.value(0).toUInt(), version.value(1).toUInt(),
                              version.value(2).toUInt()};
    app.SetCustomizationManager(customization);
    app.SetSettingsManager(
        std::make_shared<Tavrin::App::SettingsManager>(arguments[1], QSettings::IniFormat));
    app.Start();
    std::printf("launch %d days %d crashed %d\n", static_cast<int>(app.GetLaunchType()),
                app.GetDaysPassed(), static_cast<int>(app.GetCrashedSessions().size()));
    std::fflush(stdout);
    const int stayMs = arguments.filter("--stay=").value(0).section('=', 1).toInt();
    QTimer::singleShot(stayMs, &app, [&app] { app.TryToQuit(); });
    return app.exec();
}
