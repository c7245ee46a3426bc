#include "KestrelSplash.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

namespace Kestrel {

KestrelSplash::KestrelSplash(const QString& version, const QPixmap& icon)
    : QSplashScreen(PaintCard(version, icon))
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

QPixmap KestrelSplash::PaintCard(const QString& version, const QPixmap& icon)
{
    QPixmap card(420, 240);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, card.height());
    background.setColorAt(0, QColor(0x5A, 0x2A, 0x12));
    background.setColorAt(1, QColor(0x1E, 0x12, 0x0C));
    painter.fillRect(card.rect(), background);
    painter.drawPixmap(QRect(32, 40, 64, 64), icon);

    // Only the application font, enlarged by the painter for the title: every other font
    // or size would be looked up in the font configuration first, which costs more start-up
    // time than all the rest of the splash.
    const qreal titleScale = 2.2;
    painter.save();
    painter.translate(112, 40);
    painter.scale(titleScale, titleScale);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, 290 / titleScale, 40 / titleScale),
                     Qt::AlignLeft | Qt::AlignVCenter, tr("Tavrin Kestrel"));
    painter.restore();
    painter.setPen(QColor(0xF0, 0xC8, 0xA8));
    painter.drawText(QRect(112, 84, 290, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     tr("Version %1").arg(version));
    return card;
}

}  // namespace Kestrel
