#include "Tavrin/Util/AppMutexLocker.h"

#include <Tavrin/Util/FileSystem.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QStringList>

#include <glog/logging.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <pwd.h>
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

// Warnings about the lock directory and files come once per process: a product takes its
// mutexes again and again, and one line says all there is to say.
void WarnOnce(const std::string& text)
{
    static std::atomic<bool> warned{false};
    if (!warned.exchange(true)) {
        LOG(WARNING) << text << "; named mutexes are not exclusive in this process";
    }
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

std::string AccountHome()
{
    passwd account{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(geteuid(), &account, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || *found->pw_dir != '/') {
        return std::string();
    }
    return found->pw_dir;
}

// Bases in order of preference. Every one is a directory of the user's own: no other user
// can make our directory first (as anyone could in /tmp).
std::vector<std::string> LockDirectoryBases()
{
    std::vector<std::string> bases;
    const auto add = [&bases](const std::string& base) {
        if (!base.empty() && std::find(bases.begin(), bases.end(), base) == bases.end()) {
            bases.push_back(base);
        }
    };
    add(Environment("XDG_RUNTIME_DIR"));
    add(Environment("XDG_CACHE_HOME"));
    const std::string home = Environment("HOME");
    add(home.empty() ? home : home + "/.cache");
    const std::string account = AccountHome();
    add(account.empty() ? account : account + "/.cache");
    return bases;
}

std::string LockDirectory()
{
    std::string problems;
    for (const std::string& base : LockDirectoryBases()) {
        // A cache directory may not exist yet; it is made private like the XDG ones.
        mkdir(base.c_str(), 0700);
        const PrivateDirectory directory = MakePrivateDirectory(
            QFile::decodeName(base.c_str()), QStringList{QStringLiteral("tavrin-mutex")});
        if (directory.status == PrivateDirectory::Ready) {
            return QFile::encodeName(directory.path).toStdString();
        }
        problems += (problems.empty() ? "" : "; ") + directory.problem.toStdString();
    }
    WarnOnce("No usable directory for application mutexes (" +
             (problems.empty() ? std::string("no runtime, cache or home directory") : problems) +
             ")");
    return std::string();
}

using LockResult = AppMutexLocker::LockResult;

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
            return LockResult::Locked;
        }
        int fd = -1;
        const LockResult result = LockFile(name, &fd);
        if (result == LockResult::Locked) {
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
            return LockResult::Unavailable;
        }
        const std::string path = directory + '/' + EncodeFileName(name);
        // O_CLOEXEC: a program we start must not inherit, and so keep, the lock.
        *fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (*fd < 0) {
            WarnOnce("Cannot open the mutex file " + path + ": " + std::strerror(errno));
            return LockResult::Unavailable;
        }
        int rc;
        do {
            rc = flock(*fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            return LockResult::Locked;
        }
        const int error = errno;
        close(*fd);
        *fd = -1;
        if (error == EWOULDBLOCK) {
            return LockResult::HeldElsewhere;
        }
        WarnOnce("Cannot lock the mutex file " + path + ": " + std::strerror(error));
        return LockResult::Unavailable;
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

AppMutexLocker::LockResult AppMutexLocker::TryLock()
{
    if (m_locked) {
        return LockResult::Locked;
    }
    const bool hasEmptyName =
        std::any_of(m_names.begin(), m_names.end(), [](const std::string& n) { return n.empty(); });
    if (m_names.empty() || hasEmptyName) {
        LOG(WARNING) << "An application mutex needs at least one name, and no empty names";
        return LockResult::InvalidNames;
    }
    ProcessLockTable& table = ProcessLockTable::Instance();
    for (std::size_t taken = 0; taken < m_names.size(); ++taken) {
        const LockResult result = table.Acquire(m_names[taken]);
        if (result != LockResult::Locked) {
            for (std::size_t i = 0; i < taken; ++i) {
                table.Release(m_names[i]);
            }
            return result;
        }
    }
    m_locked = true;
    return LockResult::Locked;
}

bool AppMutexLocker::TryLockAppMutex()
{
    const LockResult result = TryLock();
    return result == LockResult::Locked || result == LockResult::Unavailable;
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
