#pragma once

#include <Tavrin/App/Application/WorkingMode.h>
#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

#include <functional>

class QPixmap;

namespace Tavrin {
namespace App {

// The product's directory for temporary files, private to the effective user:
// QDir::tempPath(), the product's temporary folder name with "-<uid>" appended to its first
// component, and "temp", with native separators and a trailing one (/tmp/Prod-1000/temp/).
// Creates what is missing with mode 0700. A directory that cannot be created is not reported,
// the path comes back all the same. Every component from the uid's one down must be a real
// directory owned by the effective user and writable by nobody else: when not, empty, with an
// ERROR log line (another user may have made it first to see or choose what is kept there).
// A folder name that is empty, absolute or has a "." or ".." component would not stay a folder
// of its own below the system's temporary directory: empty, with an ERROR log line.
TAVRIN_APP_EXPORT QString ProductTemporaryFilesDir(const QString& temporaryFolderName);

// Removes the expired files from the product's temporary directory (creating it if missing;
// nothing when it is refused):
// every file, symlink or other non-directory at any depth last modified more than
// `days` x 24 hours ago (every one when `days` <= 0), and the subdirectories that end up empty
// through that or are empty and expired themselves. The directory itself always stays.
// Runs in the calling thread; see Util::RemoveDir.
TAVRIN_APP_EXPORT void ClearProductTemporaryFiles(const QString& temporaryFolderName, int days);

// Restarts the running product. In Interactive mode the user is asked first (an alert box
// showing `icon` unless it is null); anything but Ok leaves everything as it was. Then
// `clearCrashHistory` runs (the application passes its ClearCrashes, so this session does not
// count as a crash), the application is asked to quit (Application::TryToQuit; when it refuses,
// nothing more happens) and `executable` (this program when empty) is started detached with
// `arguments`, split like a command line: spaces separate, double quotes group, and three
// double quotes in a row stand for one. No shell is involved.
// Does nothing, with an ERROR log line, without a Tavrin Application object.
TAVRIN_APP_EXPORT void RestartApplication(Enums::WorkingMode mode, const QPixmap& icon,
                                          const QString& arguments,
                                          const std::function<void()>& clearCrashHistory = {},
                                          const QString& executable = QString());

}  // namespace App
}  // namespace Tavrin
