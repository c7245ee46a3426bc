#pragma once

#include <string>

namespace Tavrin {
namespace Core {
namespace IpcDirectory {

// The directory that holds this user's channel objects: "$XDG_RUNTIME_DIR/tavrin-ipc", else
// "/tmp/tavrin-ipc-<uid>". Created 0700 when missing; one that is a symlink, is not ours or is
// open to others is refused (IOException), since whoever can write there could stand in for
// our peer.
std::string Path();

// The object's file name for a pipe name: its last component ("\\.\pipe\TavrinIPCInput17"
// gives "TavrinIPCInput17"). Throws IOException for a name that cannot be a file name here.
std::string ObjectName(const std::string& pipeName);

// Holds the name of one object for this process: a lock file "<object>.lock", flock'ed while
// the object lives, tells other processes that its owner is alive. When the owner dies the
// kernel drops the lock, and the next master removes what it left.
class NameLock
{
public:
    // Takes the name, first removing objects left by owners that died. Throws IOException when
    // a live owner holds it or the lock cannot be made.
    NameLock(const std::string& directory, const std::string& object);
    ~NameLock();
    NameLock(const NameLock&) = delete;
    NameLock& operator=(const NameLock&) = delete;

private:
    std::string m_lockPath;
    int m_fd = -1;
};

// True when the object or its lock exists and a live owner holds the lock.
bool IsHeld(const std::string& directory, const std::string& object);

// Removes every object (and its lock) whose owner died. Returns how many were removed.
int SweepStale(const std::string& directory);

}  // namespace IpcDirectory
}  // namespace Core
}  // namespace Tavrin
