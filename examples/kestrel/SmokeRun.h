#pragma once

#include "LaunchOptions.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <string>

namespace Tavrin {
namespace App {
class Application;
}
}  // namespace Tavrin

namespace Kestrel {

class KestrelDialogShots;
class KestrelViewerLauncher;

// An unattended run: once the application has started and its event loop runs, prints the
// start-up report on stdout, saves the screenshots when asked to and quits through the
// application's quit policy. There is one screenshot per theme: the given path shows the
// current theme, "<name>-<theme>.<suffix>" beside it each other theme; the current theme is
// back in place before the run quits. Beside each goes a shot of the product's confirmation box in
// that theme, "<name>-confirmation-<theme>.<suffix>". It opens no web page: the links the product opens (the
// thank-you page of a first start, say) are listed in the report instead. Problems go to stderr and end the run with a non-zero status:
// 1 when the screenshot or the quit fails, 3 when the start does not come in time.
class SmokeRun : public QObject
{
    Q_OBJECT

public:
    // "shot.png" and "dark" give "shot-dark.png"; a path without a suffix gets "-dark".
    static QString ThemedPath(const QString& path, const std::string& theme);

    // Create it before Application::Start, which announces the start.
    SmokeRun(Tavrin::App::Application& application, QWidget& window, LaunchOptions options);
    // The full run (with screenshots) also starts the viewer and reports its exchange.
    void SetViewerLauncher(KestrelViewerLauncher* launcher) { m_viewer = launcher; }

private slots:
    void RecordOpenedLink(const QUrl& url);

private:
    void Run();
    bool SaveScreenshots();
    bool SaveScreenshot(const QString& path);
    // The confirmation box of the product in the theme shown: "<name>-confirmation-<theme>".
    bool SaveConfirmationScreenshot(const std::string& theme);
    void Fail(const QString& message, int status);

    Tavrin::App::Application& m_application;
    QWidget& m_window;
    const LaunchOptions m_options;
    QTimer m_deadline;
    QStringList m_openedLinks;
    KestrelDialogShots* m_dialogShots;
    KestrelViewerLauncher* m_viewer = nullptr;
};

}  // namespace Kestrel
