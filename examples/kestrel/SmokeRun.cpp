#include "SmokeRun.h"

#include "KestrelEditMenu.h"
#include "KestrelDialogShots.h"
#include "KestrelViewerLauncher.h"
#include "StartupReport.h"
#include "TouchPage.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ConfirmationAlertBox.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <list>
#include <memory>
#include <utility>

namespace Kestrel {

namespace {

// Generous, for sanitizer builds on a busy machine; a healthy start takes a fraction of it.
const int kStartDeadlineMs = 30000;

void PrintLine(FILE* stream, const QString& line)
{
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
    std::fflush(stream);
}

}  // namespace

SmokeRun::SmokeRun(Tavrin::App::Application& application, QWidget& window, LaunchOptions options)
    : QObject(&application),
      m_application(application),
      m_window(window),
      m_options(std::move(options)),
      m_dialogShots(new KestrelDialogShots(application, window, this))
{
    // Queued, so the run happens inside the event loop, after the window has been shown.
    connect(&application, &Tavrin::App::Application::ApplicationStarted, this, &SmokeRun::Run,
            Qt::QueuedConnection);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        Fail(tr("The application did not start within %1 s.").arg(kStartDeadlineMs / 1000), 3);
    });
    m_deadline.start(kStartDeadlineMs);
    // In place of the application's browser handler, which the application removes when it goes.
    for (const char* scheme : {"http", "https"}) {
        QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "RecordOpenedLink");
    }
}

void SmokeRun::RecordOpenedLink(const QUrl& url)
{
    m_openedLinks << url.toString();
}

void SmokeRun::Run()
{
    m_deadline.stop();
    for (const QString& line : StartupReport(m_application)) {
        PrintLine(stdout, line);
    }
    PrintLine(stdout, QStringLiteral("opened links: ") +
                          (m_openedLinks.isEmpty() ? QStringLiteral("(none)")
                                                   : m_openedLinks.join(QLatin1Char(' '))));
    // The synthetic finger takes a few hundred milliseconds: not in a quick start.
    if (m_options.WantsScreenshot()) {
        PrintLine(stdout, SyntheticTouchPanReport(m_window));
    }
    PrintLine(stdout, QStringLiteral("email card: ") + m_dialogShots->EmailCardOutcome());
    if (m_options.WantsScreenshot() && !SaveScreenshots()) {
        return;
    }
    QString failed;
    if (m_options.WantsScreenshot() &&
        !m_dialogShots->SaveScreenshots(m_options.ScreenshotPath(), &failed)) {
        Fail(tr("Cannot write the screenshot to %1.").arg(failed), 1);
        return;
    }
    if (m_options.WantsScreenshot() && m_viewer) {
        for (const QString& line : m_viewer->RunSmokeExchange(kStartDeadlineMs)) {
            PrintLine(stdout, line);
        }
    }
    if (!m_application.TryToQuit()) {
        Fail(tr("The application refused to quit."), 1);
    }
}

QString SmokeRun::ThemedPath(const QString& path, const std::string& theme)
{
    const QFileInfo file(path);
    const QString tag = QLatin1Char('-') + QString::fromStdString(theme);
    if (file.suffix().isEmpty()) {
        return path + tag;
    }
    return file.dir().filePath(file.completeBaseName() + tag + QLatin1Char('.') + file.suffix());
}

bool SmokeRun::SaveScreenshots()
{
    const QString path = m_options.ScreenshotPath();
    // Every screenshot goes beside the given one: without its directory, none can be saved.
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        Fail(tr("Cannot write the screenshot to %1.").arg(path), 1);
        return false;
    }
    const std::shared_ptr<Tavrin::App::ILookAndFeelManager> lookAndFeel =
        m_application.GetLookAndFeel();
    const std::string current = lookAndFeel ? lookAndFeel->GetCurrentTheme() : std::string();
    if (!current.empty()) {
        // A copy: the manager's list is only lent.
        const std::list<std::string> themes = lookAndFeel->GetThemes();
        bool saved = true;
        for (auto theme = themes.begin(); saved && theme != themes.end(); ++theme) {
            if (*theme != current) {
                lookAndFeel->SetTheme(*theme);
                saved =
                    SaveScreenshot(ThemedPath(path, *theme)) && SaveConfirmationScreenshot(*theme);
            }
        }
        lookAndFeel->SetTheme(current);
        if (!saved) {
            return false;
        }
    }
    // The current theme's comes last, so the last screenshot line names the given path.
    return SaveConfirmationScreenshot(current) && SaveScreenshot(path);
}

bool SmokeRun::SaveScreenshot(const QString& path)
{
    // The new style sheet asks for layouts through posted events; settle them first.
    QCoreApplication::sendPostedEvents();
    if (!m_window.grab().save(path, "PNG")) {
        Fail(tr("Cannot write the screenshot to %1.").arg(path), 1);
        return false;
    }
    PrintLine(stdout, QStringLiteral("screenshot: ") + path);
    return true;
}

bool SmokeRun::SaveConfirmationScreenshot(const std::string& theme)
{
    const QString path = ThemedPath(m_options.ScreenshotPath(), "confirmation");
    const QString themedPath = theme.empty() ? path : ThemedPath(path, theme);
    // Shown, never run: nothing is answered or remembered.
    const std::unique_ptr<QWidget> box(
        KestrelEditMenu::NewResetLayoutBox(m_application.GetProductSettingsManager(), &m_window));
    box->show();
    QCoreApplication::sendPostedEvents();
    if (!box->grab().save(themedPath, "PNG")) {
        Fail(tr("Cannot write the screenshot to %1.").arg(themedPath), 1);
        return false;
    }
    PrintLine(stdout, QStringLiteral("confirmation screenshot: ") + themedPath);
    return true;
}

void SmokeRun::Fail(const QString& message, int status)
{
    PrintLine(stderr, message);
    QCoreApplication::exit(status);
}

}  // namespace Kestrel
