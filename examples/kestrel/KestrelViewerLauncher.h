#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace Tavrin {
namespace App {
class Application;
}
}  // namespace Tavrin

namespace Kestrel {

class ViewerSession;

// File > Open Viewer: starts the companion program tavrin-kestrel-viewer as a slave of this
// product. When the viewer closes it says so, and the reply names the main window, so that
// the viewer can hand the focus back to it. The conversation is looked after on the GUI thread,
// without ever blocking it.
class KestrelViewerLauncher : public QObject
{
    Q_OBJECT

public:
    static const char PROGRAM[];  // the viewer, beside this program

    KestrelViewerLauncher(Tavrin::App::Application& application, QWidget& window, QMenu* fileMenu);
    ~KestrelViewerLauncher() override;

    // Starts the viewer with its smoke option (it closes as soon as it is up) and waits, at most
    // `timeoutMs`, for its close message. The lines tell the exchange, for the smoke report.
    QStringList RunSmokeExchange(int timeoutMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Launch();
    void LookAfterSessions();
    std::unique_ptr<ViewerSession> Start(const QStringList& extraArguments);

    Tavrin::App::Application& m_application;
    QWidget& m_window;
    QAction* m_openAction = nullptr;
    QTimer m_poll;
    std::vector<std::unique_ptr<ViewerSession>> m_sessions;
};

}  // namespace Kestrel
