#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>
#include <QStringList>

#include <string>

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
// `dir` must be a directory owned by the effective user (ERROR log line otherwise); its last
// component is never followed when it is a symlink, nor is anything below it. Its parents may
// be symlinks. Runs in the calling thread.
TAVRIN_APP_EXPORT void RemoveDir(const QString& dir, int days, bool removeSelf);

// A directory only the effective user can change: `components`, one below the other, under
// `base`. Each missing component is created with mode 0700; each one must be a real directory
// (not a symlink) owned by the effective user and writable neither by its group nor by others.
// `base` must be a directory owned by the effective user or root, writable by others only when
// sticky (like /tmp); it may be reached through symlinks. Components are opened one from the
// other, never following a symlink. Nothing is logged here.
struct PrivateDirectory
{
    enum Status
    {
        Ready,
        Unavailable,  // cannot be made: the base is missing, a permission or a system error
        Unsafe        // exists, but another user could change it, or it is a symlink
    };
    Status status = Unavailable;
    QString path;     // absolute, without a trailing separator; set whatever the status
    QString problem;  // what is wrong, unless Ready
};

// Components must be plain names (no separator, no "." or ".."); others make it Unavailable.
TAVRIN_APP_EXPORT PrivateDirectory MakePrivateDirectory(const QString& base,
                                                        const QStringList& components);

// Whether only root can change the program at `path` (raw bytes): the file, after symlinks,
// and every directory above it belong to root, and none is writable by group or others, but
// for sticky directories (like /tmp), where others cannot rename or remove root's entries.
// Root runs nothing that fails this. False for a path that cannot be examined.
TAVRIN_APP_EXPORT bool OnlyRootMayChange(const std::string& path);

}  // namespace Util
}  // namespace Tavrin
