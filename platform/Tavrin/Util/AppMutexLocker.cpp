#include "Tavrin/Util/AppMutexLocker.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <glog/logging.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace Util {

namespace {

// Longer encoded names are shortened (with a hash) to stay well below NAME_MAX.
constexpr std::size_t kMaxFileNameLength = 200;

bool IsSafeFileNameByte(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '.' || byte == '_' || byte == '-';
}

// Percent-encodes every byte outside [A-Za-z0-9._-], and a leading dot so that no name maps
// to "." or "..".
std::string EncodeFileName(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (IsSafeFileNameByte(byte) && !(i == 0 && byte == '.')) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    if (encoded.size() <= kMaxFileNameLength) {
        return encoded;
    }
    // '~' never appears in a plain encoding, so a shortened name cannot collide with one.
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray(name.data(), static_cast<int>(name.size())),
                                 QCryptographicHash::Sha256)
            .toHex();
    return encoded.substr(0, kMaxFileNameLength - 1 - static_cast<std::size_t>(hash.size())) + '~' +
           hash.toStdString();
}

// The directory must be ours and closed to others: anyone able to write there could hold
// our names, or plant a symlink.
bool EnsurePrivateDirectory(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid()) {
        return false;
    }
    if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) {
        return false;
    }
    return true;
}

std::string LockDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/') {
        const std::string path = std::string(runtime) + "/tavrin-mutex";
        if (EnsurePrivateDirectory(path)) {
            return path;
        }
    }
    const std::string fallback = "/tmp/tavrin-mutex-" + std::to_string(geteuid());
    if (EnsurePrivateDirectory(fallback)) {
        return fallback;
    }
    LOG(WARNING) << "No usable directory for application mutexes (tried " << fallback << ")";
    return std::string();
}

enum class LockResult
{
    Taken,
    Busy,
    Failed
};

// flock() belongs to the open file, so a second open of the same file in this process would
// see our own lock as busy: names this process holds are counted here instead.
class ProcessLockTable
{
public:
    // Never destroyed: lockers with static storage may release names during exit.
    static ProcessLockTable& Instance()
    {
        static auto* table = new ProcessLockTable;
        return *table;
    }

    LockResult Acquire(const std::string& name)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto held = m_locks.find(name);
        if (held != m_locks.end()) {
            ++held->second.holders;
            return LockResult::Taken;
        }
        int fd = -1;
        const LockResult result = LockFile(name, &fd);
        if (result == LockResult::Taken) {
            m_locks.emplace(name, Entry{fd, 1});
        }
        return result;
    }

    void Release(const std::string& name)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto held = m_locks.find(name);
        if (held == m_locks.end()) {
            return;
        }
        if (--held->second.holders == 0) {
            // Closing the last descriptor releases the lock. The file stays: removing it would
            // race with a process that has just opened it.
            close(held->second.fd);
            m_locks.erase(held);
        }
    }

private:
    struct Entry
    {
        int fd;
        int holders;
    };

    static LockResult LockFile(const std::string& name, int* fd)
    {
        const std::string directory = LockDirectory();
        if (directory.empty()) {
            return LockResult::Failed;
        }
        const std::string path = directory + '/' + EncodeFileName(name);
        // O_CLOEXEC: a program we start must not inherit, and so keep, the lock.
        *fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (*fd < 0) {
            LOG(WARNING) << "Cannot open the mutex file " << path << ": " << std::strerror(errno);
            return LockResult::Failed;
        }
        int rc;
        do {
            rc = flock(*fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            return LockResult::Taken;
        }
        const int error = errno;
        close(*fd);
        *fd = -1;
        if (error == EWOULDBLOCK) {
            return LockResult::Busy;
        }
        LOG(WARNING) << "Cannot lock the mutex file " << path << ": " << std::strerror(error);
        return LockResult::Failed;
    }

    std::mutex m_mutex;
    std::map<std::string, Entry> m_locks;
};

}  // namespace

AppMutexLocker::AppMutexLocker(std::vector<std::string> names) : m_names(std::move(names))
{
    // A name listed twice is one mutex; taking it twice would need two releases.
    std::sort(m_names.begin(), m_names.end());
    m_names.erase(std::unique(m_names.begin(), m_names.end()), m_names.end());
}

AppMutexLocker::~AppMutexLocker()
{
    Unlock();
}

bool AppMutexLocker::TryLockAppMutex()
{
    if (m_locked) {
        return true;
    }
    const bool hasEmptyName =
        std::any_of(m_names.begin(), m_names.end(), [](const std::string& n) { return n.empty(); });
    if (m_names.empty() || hasEmptyName) {
        LOG(WARNING) << "An application mutex needs at least one name, and no empty names";
        return false;
    }
    ProcessLockTable& table = ProcessLockTable::Instance();
    for (std::size_t taken = 0; taken < m_names.size(); ++taken) {
        if (table.Acquire(m_names[taken]) != LockResult::Taken) {
            for (std::size_t i = 0; i < taken; ++i) {
                table.Release(m_names[i]);
            }
            return false;
        }
    }
    m_locked = true;
    return true;
}

void AppMutexLocker::Unlock()
{
    if (!m_locked) {
        return;
    }
    for (const std::string& name : m_names) {
        ProcessLockTable::Instance().Release(name);
    }
    m_locked = false;
}

}  // namespace Util
}  // namespace Tavrin
