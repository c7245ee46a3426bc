#include "Tavrin/App/Application/DialogSupport_p.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QToolTip>
#include <QUrl>

namespace Tavrin {
namespace App {
namespace Dialogs {

const char kMailtoPrefix[] = "mailto:";

QString WithoutMailto(QString link)
{
    return link.remove(QLatin1String(kMailtoPrefix), Qt::CaseSensitive);
}

bool OpenWebLink(const QString& link)
{
    if (link.contains(QLatin1String(kMailtoPrefix), Qt::CaseSensitive)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode));
}

void CopyToClipboard(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(text, QClipboard::Clipboard);
    }
}

void ShowTooltip(const QPoint& globalPosition, const QString& text)
{
    QToolTip::showText(globalPosition, text, nullptr);
}

QString ReadStyleSheets(const QStringList& paths)
{
    QByteArray sheet;
    for (const QString& path : paths) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            sheet += file.readAll();
        }
    }
    return QString::fromUtf8(sheet);
}

}  // namespace Dialogs
}  // namespace App
}  // namespace Tavrin
