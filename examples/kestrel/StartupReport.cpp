#include "StartupReport.h"

#include <Tavrin/App/Application/AppTest.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/StartupProfile.h>

#include <QCoreApplication>
#include <QFile>

#include <string>

namespace Kestrel {

using Tavrin::App::Application;

namespace {

QString NameOrNone(const std::string& name)
{
    return name.empty() ? QStringLiteral("(none)") : QString::fromStdString(name);
}

// The browser this run settled on at start, as the library remembers it for the next run.
QString PreferredBrowser(const Application& application)
{
    const std::shared_ptr<Tavrin::App::ISettingsManager> store =
        application.GetProductSettingsManager();
    const std::string path = store ? store->GetString("PreferredBrowser", std::string()) : "";
    return path.empty() ? QStringLiteral("(none: links open with the system's default)")
                        : QString::fromStdString(path);
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
    QStringList report = {
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
        QStringLiteral("preferred browser: ") + PreferredBrowser(application),
        QStringLiteral("start-up phases: ") +
            (Tavrin::App::StartupProfile::IsSwitchedOff()
                 ? QStringLiteral("(not measured)")
                 : QString::fromStdString(Tavrin::App::StartupProfile::Instance().Describe())),
    };
    const QString urlDump = UrlDumpReportLine();
    if (!urlDump.isEmpty()) {
        report << urlDump;
    }
    return report;
}

QString UrlDumpReportLine()
{
    const QStringList arguments = QCoreApplication::arguments();
    if (!arguments.contains(QStringLiteral("--test-dump-urls")) &&
        !arguments.contains(QStringLiteral("--test-open-urls"))) {
        return QString();
    }
    const QString path = Tavrin::App::AppTest::GetUrlDumpFilePath();
    return QStringLiteral("url dump: ") +
           (QFile::exists(path) ? path : QStringLiteral("(not written) ") + path);
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
