#include "SmokeRun.h"

#include "StartupReport.h"

#include <Tavrin/App/Application/Application.h>

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

#include <cstdio>
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
      m_options(std::move(options))
{
    // Queued, so the run happens inside the event loop, after the window has been shown.
    connect(&application, &Tavrin::App::Application::ApplicationStarted, this, &SmokeRun::Run,
            Qt::QueuedConnection);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        Fail(tr("The application did not start within %1 s.").arg(kStartDeadlineMs / 1000), 3);
    });
    m_deadline.start(kStartDeadlineMs);
}

void SmokeRun::Run()
{
    m_deadline.stop();
    for (const QString& line : StartupReport(m_application)) {
        PrintLine(stdout, line);
    }
    if (m_options.WantsScreenshot() && !SaveScreenshot()) {
        return;
    }
    if (!m_application.TryToQuit()) {
        Fail(tr("The application refused to quit."), 1);
    }
}

bool SmokeRun::SaveScreenshot()
{
    const QString path = m_options.ScreenshotPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!m_window.grab().save(path, "PNG")) {
        Fail(tr("Cannot write the screenshot to %1.").arg(path), 1);
        return false;
    }
    PrintLine(stdout, QStringLiteral("screenshot: ") + path);
    return true;
}

void SmokeRun::Fail(const QString& message, int status)
{
    PrintLine(stderr, message);
    QCoreApplication::exit(status);
}

}  // namespace Kestrel
