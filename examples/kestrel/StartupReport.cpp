#include "StartupReport.h"

#include <Tavrin/App/Application/ILookAndFeelManager.h>

#include <QCoreApplication>

#include <string>

namespace Kestrel {

using Tavrin::App::Application;

namespace {

QString NameOrNone(const std::string& name)
{
    return name.empty() ? QStringLiteral("(none)") : QString::fromStdString(name);
}

}  // namespace

QStringList StartupReport(const Application& application)
{
    const QString logDirectory = qEnvironmentVariable("TavrinLogPath");
    QStringList crashed;
    for (const std::string& session : application.GetCrashedSessions()) {
        crashed << QString::fromStdString(session);
    }
    const std::shared_ptr<Tavrin::App::ILookAndFeelManager> lookAndFeel =
        application.GetLookAndFeel();
    return {
        QStringLiteral("product: ") + application.ApplicationName(),
        QStringLiteral("version: ") + QCoreApplication::applicationVersion(),
        QStringLiteral("log directory: ") +
            (logDirectory.isEmpty() ? QStringLiteral("(none)") : logDirectory),
        QStringLiteral("launch type: ") + LaunchTypeName(application.GetLaunchType()),
        QStringLiteral("days since first start: ") + QString::number(application.GetDaysPassed()),
        QStringLiteral("session: ") + QString::fromStdString(application.SessionId()),
        QStringLiteral("crashed sessions: ") +
            (crashed.isEmpty() ? QStringLiteral("(none)") : crashed.join(QStringLiteral(", "))),
        QStringLiteral("theme: ") +
            NameOrNone(lookAndFeel ? lookAndFeel->GetCurrentTheme() : std::string()),
        QStringLiteral("locale: ") +
            NameOrNone(lookAndFeel ? lookAndFeel->GetCurrentLocale() : std::string()),
    };
}

QString LaunchTypeName(Application::LaunchType type)
{
    switch (type) {
        case Application::FirstLaunch:
            return QStringLiteral("FirstLaunch");
        case Application::Reinstall:
            return QStringLiteral("Reinstall");
        case Application::FirstLaunchAfterUpdate:
            return QStringLiteral("FirstLaunchAfterUpdate");
        case Application::RegularLaunch:
            return QStringLiteral("RegularLaunch");
    }
    return QStringLiteral("Unknown(%1)").arg(static_cast<int>(type));
}

}  // namespace Kestrel
