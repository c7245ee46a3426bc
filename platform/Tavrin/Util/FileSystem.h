#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace Util {

// Clears out old files below `dir`, e.g. a cache or log directory:
// - every file, symlink or other non-directory entry, at any depth, last modified more than
//   `days` × 24 hours ago is removed; with `days` <= 0 every one is removed, whatever its age;
// - symlinks are removed like files, by their own time, and never followed;
// - a subdirectory is removed when it is empty after the sweep and either the sweep emptied
//   it or it is itself older than the limit (so a freshly created empty directory stays);
// - with `removeSelf`, `dir` itself is removed too when it ends up empty;
// - entries that cannot be read or removed are left alone and the sweep goes on; other file
//   systems mounted below `dir` are not entered; directories nested deeper than 256 levels are
//   left alone; a missing `dir`, or one that is not a directory, is left as it is; so is "/".
// `dir` itself may be reached through a symlink. Runs in the calling thread.
TAVRIN_APP_EXPORT void RemoveDir(const QString& dir, int days, bool removeSelf);

}  // namespace Util
}  // namespace Tavrin
