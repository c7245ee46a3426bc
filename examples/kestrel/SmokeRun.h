#pragma once

#include "LaunchOptions.h"

#include <QObject>
#include <QTimer>

namespace Tavrin {
namespace App {
class Application;
}
}  // namespace Tavrin

namespace Kestrel {

// An unattended run: once the application has started and its event loop runs, prints the
// start-up report on stdout, saves the screenshot when asked to and quits through the
// application's quit policy. Problems go to stderr and end the run with a non-zero status:
// 1 when the screenshot or the quit fails, 3 when the start does not come in time.
class SmokeRun : public QObject
{
    Q_OBJECT

public:
    // Create it before Application::Start, which announces the start.
    SmokeRun(Tavrin::App::Application& application, QWidget& window, LaunchOptions options);

private:
    void Run();
    bool SaveScreenshot();
    void Fail(const QString& message, int status);

    Tavrin::App::Application& m_application;
    QWidget& m_window;
    const LaunchOptions m_options;
    QTimer m_deadline;
};

}  // namespace Kestrel
