#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

namespace Tavrin {
namespace Util {

// True when the process `pid` exists, has not exited (a zombie waiting to be reaped counts as
// exited) and runs the program file `executable`. Paths are compared after resolving symlinks.
// A process keeps counting as running its executable when that file has since been deleted
// or replaced by another file at the same path, as an update does.
// False for pid 0, for a process we may not inspect (another user's), and for an empty path.
TAVRIN_APP_EXPORT bool IsProcessRunning(unsigned long pid, const QString& executable);

// True when the process `pid` exists, has not exited and runs a program file whose base name
// (its file name up to the first dot) is `baseName`, from whatever directory: a copy of a
// program elsewhere counts, and so does a program file deleted or replaced since it started.
// False for pid 0, for a process we may not inspect (another user's), and for an empty name.
TAVRIN_APP_EXPORT bool IsProcessRunningProgram(unsigned long pid, const QString& baseName);

}  // namespace Util
}  // namespace Tavrin
