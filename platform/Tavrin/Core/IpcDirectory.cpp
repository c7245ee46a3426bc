#include "Tavrin/Core/IpcDirectory_p.h"

#include "Tavrin/Core/Exception.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace Core {
namespace IpcDirectory {

namespace {

const char kLockSuffix[] = ".lock";
const char kPendingPrefix[] = ".pending-";
// Unix socket paths are short (108 bytes with the terminating zero): a runtime directory
// deeper than this leaves too little room for the object names, so the /tmp one is used.
constexpr std::size_t kMaxDirectoryLength = 60;
constexpr std::size_t kMaxObjectNameLength = 40;

[[noreturn]] void Fail(const std::string& what, int error)
{
    TAVRIN_THROW(IOException, what + ": " + std::strerror(error));
}

std::string FromEnvironmentOrTmp()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::string path = std::string(runtime) + "/tavrin-ipc";
        if (path.size() <= kMaxDirectoryLength) {
            return path;
        }
    }
    return "/tmp/tavrin-ipc-" + std::to_string(geteuid());
}

void EnsurePrivate(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        Fail("Cannot create the channel directory " + path, errno);
    }
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) {
        Fail("Cannot inspect the channel directory " + path, errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        TAVRIN_THROW(IOException, "The channel directory " + path + " is not a directory");
    }
    if (info.st_uid != geteuid()) {
        TAVRIN_THROW(IOException, "The channel directory " + path + " belongs to another user");
    }
    if ((info.st_mode & 077) != 0) {
        TAVRIN_THROW(IOException, "The channel directory " + path + " is open to other users");
    }
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() > suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int LockOrBusy(int fd)
{
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Whether the path still names the file open as fd: another process may have removed a
// stale lock and a new owner created a fresh one between our open and our flock.
bool StillNames(const std::string& path, int fd)
{
    struct stat opened;
    struct stat named;
    return fstat(fd, &opened) == 0 && lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

enum class Owner
{
    None,  // no lock file
    Alive,
    Dead
};

// With `removeIfDead`, a dead owner's object and lock are removed while its lock is ours.
Owner CheckOwner(const std::string& directory, const std::string& object, bool removeIfDead)
{
    const std::string lockPath = directory + '/' + object + kLockSuffix;
    const int fd = open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? Owner::None : Owner::Alive;
    }
    Owner owner = Owner::Alive;
    if (LockOrBusy(fd) == 0) {
        owner = Owner::Dead;
        if (removeIfDead && StillNames(lockPath, fd)) {
            unlink((directory + '/' + object).c_str());
            unlink(lockPath.c_str());
        }
    }
    close(fd);
    return owner;
}

// A pending lock whose maker died before it got its name. Its maker locks it only after
// creating it, so the maker's process, named in the file name, has to be gone as well.
void RemoveIfAbandoned(const std::string& directory, const std::string& name)
{
    const long maker = std::strtol(name.c_str() + sizeof kPendingPrefix - 1, nullptr, 10);
    if (maker <= 0 || kill(static_cast<pid_t>(maker), 0) == 0 || errno == EPERM) {
        return;
    }
    const std::string path = directory + '/' + name;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return;
    }
    if (LockOrBusy(fd) == 0 && StillNames(path, fd)) {
        unlink(path.c_str());
    }
    close(fd);
}

}  // namespace

std::string Path()
{
    const std::string path = FromEnvironmentOrTmp();
    EnsurePrivate(path);
    return path;
}

std::string ObjectName(const std::string& pipeName)
{
    const std::size_t separator = pipeName.find_last_of("\\/");
    const std::string name =
        separator == std::string::npos ? pipeName : pipeName.substr(separator + 1);
    bool valid = !name.empty() && name.size() <= kMaxObjectNameLength && name[0] != '.' &&
                 !EndsWith(name, kLockSuffix);
    for (const char c : name) {
        valid = valid && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.');
    }
    if (!valid) {
        TAVRIN_THROW(IOException, "Not a usable pipe name: \"" + pipeName + "\"");
    }
    return name;
}

NameLock::NameLock(const std::string& directory, const std::string& object)
    : m_lockPath(directory + '/' + object + kLockSuffix)
{
    // The lock is made and locked under a private name first, then linked into place, so that
    // nobody ever sees the lock file unlocked.
    static std::atomic<unsigned> counter{0};
    const std::string pending = directory + '/' + kPendingPrefix + std::to_string(getpid()) + '-' +
                                std::to_string(counter++);
    m_fd = open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        Fail("Cannot create a lock in " + directory, errno);
    }
    const bool locked = LockOrBusy(m_fd) == 0;
    int linkError = 0;
    for (int attempt = 0; locked && attempt < 3; ++attempt) {
        if (link(pending.c_str(), m_lockPath.c_str()) == 0) {
            linkError = 0;
            break;
        }
        linkError = errno;
        if (linkError != EEXIST || CheckOwner(directory, object, true) == Owner::Alive) {
            break;
        }
    }
    const int lockError = locked ? 0 : errno;
    unlink(pending.c_str());
    if (!locked || linkError != 0) {
        close(m_fd);
        if (linkError == EEXIST) {
            TAVRIN_THROW(IOException, "The pipe " + object + " is in use by another process");
        }
        Fail("Cannot take the pipe name " + object, locked ? linkError : lockError);
    }
    // The name is ours now: an object still there was left behind by a dead owner.
    unlink((directory + '/' + object).c_str());
}

NameLock::~NameLock()
{
    unlink(m_lockPath.c_str());
    close(m_fd);
}

bool IsHeld(const std::string& directory, const std::string& object)
{
    return CheckOwner(directory, object, false) == Owner::Alive;
}

int SweepStale(const std::string& directory)
{
    DIR* listing = opendir(directory.c_str());
    if (!listing) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.rfind(kPendingPrefix, 0) == 0) {
            RemoveIfAbandoned(directory, name);
        } else if (EndsWith(name, kLockSuffix)) {
            const std::string object = name.substr(0, name.size() - (sizeof kLockSuffix - 1));
            removed += CheckOwner(directory, object, true) == Owner::Dead ? 1 : 0;
        } else if (name != "." && name != ".." &&
                   CheckOwner(directory, name, false) == Owner::None) {
            // An object without a lock lost its owner while it was being removed.
            struct stat info;
            const std::string path = directory + '/' + name;
            if (lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) &&
                unlink(path.c_str()) == 0) {
                ++removed;
            }
        }
    }
    closedir(listing);
    return removed;
}

}  // namespace IpcDirectory
}  // namespace Core
}  // namespace Tavrin
