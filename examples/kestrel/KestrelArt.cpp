#include "KestrelArt.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>

// Resources of a static library are registered by hand; outside any namespace, as Qt wants.
static void RegisterKestrelResources()
{
    Q_INIT_RESOURCE(kestrel);
}

namespace Kestrel {

QPixmap LoadProductIcon()
{
    static const bool registered = (RegisterKestrelResources(), true);
    Q_UNUSED(registered)
    QImageReader reader(QStringLiteral(":/kestrel/kestrel.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QPixmap PaintSplashCard(const QString& version, const QPixmap& icon)
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
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QCoreApplication::translate("Kestrel::KestrelSplash", "Tavrin Kestrel"));
    painter.restore();
    painter.setPen(QColor(0xF0, 0xC8, 0xA8));
    painter.drawText(
        QRect(112, 84, 290, 24), Qt::AlignLeft | Qt::AlignVCenter,
        QCoreApplication::translate("Kestrel::KestrelSplash", "Version %1").arg(version));
    return card;
}

}  // namespace Kestrel
