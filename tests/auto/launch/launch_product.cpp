// A product for the launch tests: launch_product <store.ini> <version> [--stay=<ms>] [options]
// starts on that store and version, prints "launch <type> days <days> crashed <sessions>" (or
// "refused <description>" and exits with 3 when the application is refused), keeps its event
// loop running for --stay ms and quits normally. Other options are the library's.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/SettingsManager.h>
#include <Tavrin/Core/Exception.h>

#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

struct Customization : Tavrin::App::ICustomizationManager
{
    explicit Customization(const QString& version) : parts(version.split('.')) {}
    void ApplyLocale(const std::string&) override {}
    void ApplyCustomization(QWidget*) override {}
    std::string GetOrganizationName() const override { return "Tavrin Test"; }
    Tavrin::Core::Version GetVersion() const override
    {
        return {parts.value(0).toUInt(), parts.value(1).toUInt(), parts.value(2).toUInt()};
    }
    std::string GetTemporaryFolderName() const override { return "LaunchProduct"; }
    std::string GetApplicationName() const override { return "Launch Product"; }
    std::string GetAboutProductName() const override { return "Launch Product"; }
    std::string GetApplicationIconPath() const override { return ""; }
    std::string GetModuleName() const override { return "launch"; }
    std::string GetProductFolderName() const override { return "LaunchProduct"; }
    std::string GetSupportEmail() const override { return ""; }
    std::string GetCustomAboutCaption() const override { return ""; }
    std::string GetPostInstallPage() const override { return ""; }
    bool IsEmailDialogEnabled() const override { return false; }

    const QStringList parts;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        return 64;
    }
    try {
        Tavrin::App::Application app(argc, argv, Tavrin::App::Application::AppContext{false});
        const QStringList arguments = QCoreApplication::arguments();
        app.SetCustomizationManager(std::make_shared<Customization>(arguments[2]));
        app.SetSettingsManager(
            std::make_shared<Tavrin::App::SettingsManager>(arguments[1], QSettings::IniFormat));
        app.Start();
        std::printf("launch %d days %d crashed %d\n", static_cast<int>(app.GetLaunchType()),
                    app.GetDaysPassed(), static_cast<int>(app.GetCrashedSessions().size()));
        std::fflush(stdout);
        const int stayMs = arguments.filter("--stay=").value(0).section('=', 1).toInt();
        QTimer::singleShot(stayMs, &app, [&app] { app.TryToQuit(); });
        return app.exec();
    } catch (const Tavrin::Exception& error) {
        std::printf("refused %s\n", Tavrin::GetDescription(error).c_str());
        return 3;
    }
}
