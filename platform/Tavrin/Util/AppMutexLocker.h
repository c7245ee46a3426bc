#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <string>
#include <vector>

namespace Tavrin {
namespace Util {

// Named mutexes shared by every process of the current user, e.g. to let only one instance of
// an installer run. A name is held by at most one process at a time; within that process any
// number of lockers may hold it together (like a named mutex, the process owns it).
//
// Each name is a lock file in a per-user directory ($XDG_RUNTIME_DIR/tavrin-mutex/, or
// /tmp/tavrin-mutex-<uid>/ without a usable runtime directory) held with flock(). The lock
// goes away with the process however it ends, and is not inherited by programs it starts.
// Processes must agree on XDG_RUNTIME_DIR to see each other's names.
//
// One locker object is not meant to be shared between threads; separate lockers may be used
// from any thread.
class TAVRIN_APP_EXPORT AppMutexLocker
{
public:
    // Names are arbitrary non-empty byte strings (backslashes and slashes included).
    explicit AppMutexLocker(std::vector<std::string> names);
    ~AppMutexLocker();

    AppMutexLocker(const AppMutexLocker&) = delete;
    AppMutexLocker& operator=(const AppMutexLocker&) = delete;

    // Takes every name, or none: true when no other process holds any of them, and this
    // locker then holds them all until Unlock() or destruction. Returns true at once when
    // already locked. False, holding nothing, when the list is empty, a name is empty, or the
    // lock directory cannot be used (logged).
    bool TryLockAppMutex();
    void Unlock();
    bool IsLocked() const { return m_locked; }

private:
    std::vector<std::string> m_names;
    bool m_locked = false;
};

}  // namespace Util
}  // namespace Tavrin
