#include "Tavrin/Util/FileSystem.h"

#include <QByteArray>
#include <QFile>

#include <glog/logging.h>

#include <cerrno>
#include <cstdint>
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

}  // namespace

void RemoveDir(const QString& dir, int days, bool removeSelf)
{
    if (dir.isEmpty()) {
        return;
    }
    const QByteArray path = QFile::encodeName(dir);
    // The top directory may be a symlink (a relocated cache); nothing below it is followed.
    const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || IsFileSystemRoot(info)) {
        close(fd);
        return;
    }
    const bool empty = Sweeper(days, info.st_dev).Sweep(fd, 0);
    if (empty && removeSelf) {
        rmdir(path.constData());
    }
}

}  // namespace Util
}  // namespace Tavrin
