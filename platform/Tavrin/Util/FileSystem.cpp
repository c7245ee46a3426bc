#include "Tavrin/Util/FileSystem.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <glog/logging.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace Util {

namespace {

// Each level keeps one descriptor open; this keeps a pathological tree from exhausting them.
constexpr int kMaxDepth = 256;

constexpr int kOpenDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct Entry
{
    std::string name;
    unsigned char type;
};

class Sweeper
{
public:
    Sweeper(int days, dev_t device) : m_removeAll(days <= 0), m_device(device)
    {
        const std::int64_t age = static_cast<std::int64_t>(days) * 24 * 60 * 60;
        m_cutoff = static_cast<std::int64_t>(std::time(nullptr)) - age;
    }

    // Sweeps the open directory `fd` (taking ownership); true when it is empty afterwards.
    bool Sweep(int fd, int depth)
    {
        std::vector<Entry> entries;
        const bool listed = ReadEntries(fd, &entries);
        bool empty = listed;
        for (const Entry& entry : entries) {
            if (!SweepEntry(fd, entry, depth)) {
                empty = false;
            }
        }
        close(fd);
        return empty;
    }

private:
    // Lists the directory before changing it: what readdir() returns for a directory that is
    // modified meanwhile is unspecified.
    static bool ReadEntries(int fd, std::vector<Entry>* entries)
    {
        const int streamFd = dup(fd);
        DIR* stream = streamFd >= 0 ? fdopendir(streamFd) : nullptr;
        if (!stream) {
            if (streamFd >= 0) {
                close(streamFd);
            }
            return false;
        }
        errno = 0;
        while (const dirent* item = readdir(stream)) {
            if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
                entries->push_back(Entry{item->d_name, item->d_type});
            }
        }
        const bool complete = errno == 0;
        closedir(stream);
        return complete;
    }

    // True when the entry is gone afterwards.
    bool SweepEntry(int parentFd, const Entry& entry, int depth)
    {
        if (entry.type == DT_DIR) {
            return SweepDirectory(parentFd, entry.name, depth);
        }
        if (entry.type != DT_UNKNOWN && m_removeAll) {
            return Unlink(parentFd, entry.name, 0);
        }
        struct stat info;
        if (fstatat(parentFd, entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            return errno == ENOENT;
        }
        if (S_ISDIR(info.st_mode)) {
            return SweepDirectory(parentFd, entry.name, depth);
        }
        return IsOld(info) && Unlink(parentFd, entry.name, 0);
    }

    bool SweepDirectory(int parentFd, const std::string& name, int depth)
    {
        if (depth >= kMaxDepth) {
            return false;
        }
        const int fd = openat(parentFd, name.c_str(), kOpenDirectoryFlags);
        if (fd < 0) {
            return errno == ENOENT;
        }
        struct stat info;
        if (fstat(fd, &info) != 0 || info.st_dev != m_device) {
            close(fd);
            return false;
        }
        // Read before sweeping: removing entries renews the directory's own time.
        const bool wasOld = IsOld(info);
        bool removedSomething = false;
        const bool empty = SweepCounting(fd, depth + 1, &removedSomething);
        if (!empty || !(removedSomething || wasOld)) {
            return false;
        }
        return Unlink(parentFd, name, AT_REMOVEDIR);
    }

    bool SweepCounting(int fd, int depth, bool* removedSomething)
    {
        const std::size_t before = m_removed;
        const bool empty = Sweep(fd, depth);
        *removedSomething = m_removed != before;
        return empty;
    }

    bool IsOld(const struct stat& info) const
    {
        return m_removeAll || static_cast<std::int64_t>(info.st_mtime) < m_cutoff;
    }

    bool Unlink(int parentFd, const std::string& name, int flags)
    {
        if (unlinkat(parentFd, name.c_str(), flags) == 0) {
            ++m_removed;
            return true;
        }
        return errno == ENOENT;
    }

    bool m_removeAll;
    dev_t m_device;
    std::int64_t m_cutoff = 0;
    std::size_t m_removed = 0;
};

bool IsRootsAlone(const struct stat& info)
{
    const bool othersMayWrite = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    return info.st_uid == 0 &&
           (!othersMayWrite || (S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0));
}

// Every directory above the absolute `path`, up to "/".
bool DirectoriesAreRootsAlone(std::string path)
{
    struct stat info;
    for (std::size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
         slash = path.rfind('/')) {
        path.resize(slash);
        if (stat(path.c_str(), &info) != 0 || !IsRootsAlone(info)) {
            return false;
        }
    }
    return stat("/", &info) == 0 && IsRootsAlone(info);
}

// A misconfigured path must not wipe the machine.
bool IsFileSystemRoot(const struct stat& info)
{
    struct stat root;
    if (stat("/", &root) == 0 && root.st_dev == info.st_dev && root.st_ino == info.st_ino) {
        LOG(WARNING) << "Refusing to clear out the root directory";
        return true;
    }
    return false;
}

// Walks down a chain of directories by descriptor, so that no component can be swapped for a
// symlink between its check and the next step.
class PrivateWalk
{
public:
    PrivateWalk() = default;
    PrivateWalk(const PrivateWalk&) = delete;
    PrivateWalk& operator=(const PrivateWalk&) = delete;
    ~PrivateWalk()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }

    // The base may be reached through symlinks; it has to be the user's or root's, and only
    // a sticky bit makes it safe for others to write there.
    bool OpenBase(const QString& path)
    {
        if (!Replace(open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC),
                     nullptr)) {
            return false;
        }
        if (m_info.st_uid != geteuid() && m_info.st_uid != 0) {
            m_problem = Problem::Owner;
            return false;
        }
        if ((m_info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (m_info.st_mode & S_ISVTX) == 0) {
            m_problem = Problem::Writable;
            return false;
        }
        return true;
    }

    bool Enter(const QByteArray& name)
    {
        if (mkdirat(m_fd, name.constData(), 0700) != 0 && errno != EEXIST) {
            m_problem = Problem::System;
            m_errno = errno;
            return false;
        }
        if (!Replace(openat(m_fd, name.constData(), kOpenDirectoryFlags), name.constData())) {
            return false;
        }
        if (m_info.st_uid != geteuid()) {
            m_problem = Problem::Owner;
            return false;
        }
        if ((m_info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            m_problem = Problem::Writable;
            return false;
        }
        return true;
    }

    bool IsUnsafe() const { return m_problem != Problem::System; }

    QString Describe(const QString& path) const
    {
        switch (m_problem) {
            case Problem::Link:
                return path + QStringLiteral(" is a symlink or not a directory");
            case Problem::Owner:
                return path + QStringLiteral(" belongs to another user");
            case Problem::Writable:
                return path + QStringLiteral(" may be changed by other users");
            case Problem::System:
                break;
        }
        return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(m_errno));
    }

private:
    enum class Problem
    {
        System,
        Link,
        Owner,
        Writable
    };

    // Takes `fd` (the result of opening `name` below the current directory, if any) as the
    // current directory.
    bool Replace(int fd, const char* name)
    {
        if (fd < 0) {
            m_errno = errno;
            struct stat link;
            const bool notDirectory =
                name &&
                (m_errno == ELOOP || m_errno == ENOTDIR ||
                 (fstatat(m_fd, name, &link, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(link.st_mode)));
            m_problem = notDirectory ? Problem::Link : Problem::System;
            return false;
        }
        if (m_fd >= 0) {
            close(m_fd);
        }
        m_fd = fd;
        if (fstat(m_fd, &m_info) != 0) {
            m_errno = errno;
            m_problem = Problem::System;
            return false;
        }
        return true;
    }

    int m_fd = -1;
    struct stat m_info = {};
    Problem m_problem = Problem::System;
    int m_errno = 0;
};

}  // namespace

void RemoveDir(const QString& dir, int days, bool removeSelf)
{
    if (dir.isEmpty()) {
        return;
    }
    QByteArray path = QFile::encodeName(dir);
    // A trailing separator would make open() follow a symlink in the last place.
    while (path.size() > 1 && path.endsWith('/')) {
        path.chop(1);
    }
    const int fd = open(path.constData(), kOpenDirectoryFlags);
    if (fd < 0) {
        struct stat link;
        if (lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
            LOG(ERROR) << "Refusing to clear out " << path.constData() << ": it is a symlink";
        }
        return;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || IsFileSystemRoot(info)) {
        close(fd);
        return;
    }
    // Someone else's directory is theirs to clear; they may also have put our files' names
    // there to have them removed.
    if (info.st_uid != geteuid()) {
        LOG(ERROR) << "Refusing to clear out " << path.constData()
                   << ": it belongs to another user";
        close(fd);
        return;
    }
    const bool empty = Sweeper(days, info.st_dev).Sweep(fd, 0);
    if (empty && removeSelf) {
        rmdir(path.constData());
    }
}

bool OnlyRootMayChange(const std::string& path)
{
    struct stat info;
    if (path.empty() || path[0] != '/' || stat(path.c_str(), &info) != 0 ||
        !S_ISREG(info.st_mode) || !IsRootsAlone(info)) {
        return false;
    }
    // The directories named in the path hold its symlinks; those of the resolved path hold
    // the file itself.
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) && DirectoriesAreRootsAlone(path) &&
           DirectoriesAreRootsAlone(resolved);
}

PrivateDirectory MakePrivateDirectory(const QString& base, const QStringList& components)
{
    PrivateDirectory result;
    if (base.isEmpty()) {
        result.problem = QStringLiteral("no base directory");
        return result;
    }
    result.path = QDir::cleanPath(QDir(base).absolutePath());
    for (const QString& component : components) {
        if (component.isEmpty() || component == QLatin1String(".") ||
            component == QLatin1String("..") || component.contains(QLatin1Char('/'))) {
            result.problem = QStringLiteral("\"%1\" is not a plain directory name").arg(component);
            return result;
        }
    }
    const auto below = [](const QString& parent, const QString& name) {
        return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
    };
    PrivateWalk walk;
    QString reached = result.path;
    bool ok = walk.OpenBase(reached);
    for (auto component = components.begin(); ok && component != components.end(); ++component) {
        reached = below(reached, *component);
        ok = walk.Enter(QFile::encodeName(*component));
    }
    if (!ok) {
        result.status = walk.IsUnsafe() ? PrivateDirectory::Unsafe : PrivateDirectory::Unavailable;
        result.problem = walk.Describe(reached);
    } else {
        result.status = PrivateDirectory::Ready;
    }
    for (const QString& component : components) {
        result.path = below(result.path, component);
    }
    return result;
}

}  // namespace Util
}  // namespace Tavrin
