#include "KestrelSplash.h"

#include "KestrelArt.h"

#include <QEvent>

namespace Kestrel {

KestrelSplash::KestrelSplash(const QString& version, const QPixmap& icon)
    : QSplashScreen(PaintSplashCard(version, icon))
{
}

void KestrelSplash::Activate()
{
    show();  // a splash screen stays on top by itself
}

void KestrelSplash::ShowMessage(const QString& message)
{
    showMessage(message, Qt::AlignBottom | Qt::AlignLeft, Qt::white);
}

void KestrelSplash::FinishWhenShown(QWidget* window)
{
    if (m_window) {
        m_window->removeEventFilter(this);
    }
    m_window = window;
    if (m_window) {
        m_window->installEventFilter(this);
    }
}

bool KestrelSplash::eventFilter(QObject* watched, QEvent* event)
{
    // QSplashScreen::finish would block until the window is exposed; closing on the show
    // event never waits.
    if (watched == m_window && event->type() == QEvent::Show) {
        m_window->removeEventFilter(this);
        m_window = nullptr;
        close();
    }
    return QSplashScreen::eventFilter(watched, event);
}

}  // namespace Kestrel
