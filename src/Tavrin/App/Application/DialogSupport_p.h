#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QPoint>
#include <QString>
#include <QStringList>

// Shared by the stock dialogs: web links go to the system's URL handling, e-mail addresses
// to the clipboard; style sheets come from the library's resources.
namespace Tavrin {
namespace App {
namespace Dialogs {

// The prefix that makes a link an e-mail link, wherever it stands in the link.
extern const char kMailtoPrefix[];

// `link` without any "mailto:" in it.
QString WithoutMailto(QString link);

// Opens a link that does not contain "mailto:" with QDesktopServices::openUrl (tolerant
// parsing); false for an e-mail link or when nothing could open it.
bool OpenWebLink(const QString& link);

// Puts `text` on the clipboard (not the selection).
void CopyToClipboard(const QString& text);

// Shows `text` as a tooltip at the global position, without a parent widget.
void ShowTooltip(const QPoint& globalPosition, const QString& text);

// The style sheets at `paths` (resource or file paths), joined in that order. A sheet that
// cannot be read adds nothing and is not reported: the dialog is then plain, not broken.
TAVRIN_APP_EXPORT QString ReadStyleSheets(const QStringList& paths);

}  // namespace Dialogs
}  // namespace App
}  // namespace Tavrin
