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
// Each name is a lock file (0600) held with flock() in a directory private to the user (0700):
// $XDG_RUNTIME_DIR/tavrin-mutex, or without a usable runtime directory (su, cron, ssh without
// a login session) tavrin-mutex in the user's cache directory ($XDG_CACHE_HOME, else
// ~/.cache, else the home directory of the user's account). No other user can make either
// first. The lock goes away with the process however it ends, and is not inherited by
// programs it starts. Processes must agree on those variables to see each other's names.
//
// One locker object is not meant to be shared between threads; separate lockers may be used
// from any thread.
class TAVRIN_APP_EXPORT AppMutexLocker
{
public:
    enum class LockResult
    {
        Locked,         // this locker holds every name
        HeldElsewhere,  // another process holds one of them; this locker holds none
        Unavailable,    // no lock could be made (no usable directory, file or lock; logged
                        // once per process); nobody can hold the names then
        InvalidNames    // the list is empty or has an empty name
    };

    // Names are arbitrary non-empty byte strings (backslashes and slashes included).
    explicit AppMutexLocker(std::vector<std::string> names);
    ~AppMutexLocker();

    AppMutexLocker(const AppMutexLocker&) = delete;
    AppMutexLocker& operator=(const AppMutexLocker&) = delete;

    // Takes every name, or none; once Locked, this locker holds them all until Unlock() or
    // destruction, and answers Locked at once.
    LockResult TryLock();
    // True when no other process holds any of the names: TryLock() gave Locked, or
    // Unavailable (a broken lock directory must not look like a busy name to callers that
    // wait for one). False for HeldElsewhere and InvalidNames.
    bool TryLockAppMutex();
    void Unlock();
    bool IsLocked() const { return m_locked; }

private:
    std::vector<std::string> m_names;
    bool m_locked = false;
};

}  // namespace Util
}  // namespace Tavrin
