#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace Util {

// Opens a file with its default action, as the desktop shell would on a double click.
// A relative name resolves against the working directory. An executable regular file is
// started detached, directly (never through a shell), inheriting the working directory; any
// other existing file (a document, a directory) goes to the desktop's default opener:
// QDesktopServices while a QGuiApplication exists, else xdg-open. Returns whether something
// was started; false for an empty name or a file that does not exist. Nothing is waited for.
TAVRIN_APP_EXPORT bool ShellExecuteDefault(const QString& file);

}  // namespace Util
}  // namespace Tavrin
