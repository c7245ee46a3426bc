#include "Tavrin/App/Application/ProcessMap.h"

#include <Tavrin/Util/FileSystem.h>

#include <QFile>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Tavrin {
namespace App {

namespace {

// What the kernel appends to the link of an executable unlinked since it was started.
const char kDeletedSuffix[] = " (deleted)";

class ProcDirectory
{
public:
    ProcDirectory() : m_dir(opendir("/proc")) {}
    ~ProcDirectory()
    {
        if (m_dir) {
            closedir(m_dir);
        }
    }
    ProcDirectory(const ProcDirectory&) = delete;
    ProcDirectory& operator=(const ProcDirectory&) = delete;

    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

bool ParsePid(const char* name, unsigned long& pid)
{
    if (*name == '\0') {
        return false;
    }
    unsigned long value = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned long>(*c - '0');
    }
    pid = value;
    return true;
}

// /proc lists processes in ascending order already; sorting only costs when it does not.
std::vector<unsigned long> ListPids(DIR* proc)
{
    std::vector<unsigned long> pids;
    pids.reserve(512);
    while (const dirent* entry = readdir(proc)) {
        unsigned long pid = 0;
        if (ParsePid(entry->d_name, pid)) {
            pids.push_back(pid);
        }
    }
    if (!std::is_sorted(pids.begin(), pids.end())) {
        std::sort(pids.begin(), pids.end());
    }
    return pids;
}

// The process directory belongs to the process's effective user.
bool RunsAsUs(int procFd, unsigned long pid)
{
    char pidName[24];
    std::snprintf(pidName, sizeof pidName, "%lu", pid);
    struct stat info;
    return fstatat(procFd, pidName, &info, 0) == 0 && info.st_uid == geteuid();
}

// What another user runs is no program of ours to start; as root, neither is one that another
// user could change.
bool IsOurs(int procFd, unsigned long pid, const char* executable, int length)
{
    return RunsAsUs(procFd, pid) && (geteuid() != 0 || Util::OnlyRootMayChange(std::string(
                                                           executable, executable + length)));
}

// The executable's path as raw bytes, relative to the open /proc so that each lookup skips
// resolving "/proc" again. Empty when the process is gone or may not be inspected.
int ReadExecutable(int procFd, unsigned long pid, char* buffer, int size)
{
    char link[32];
    std::snprintf(link, sizeof link, "%lu/exe", pid);
    const ssize_t length = readlinkat(procFd, link, buffer, static_cast<size_t>(size));
    if (length <= 0 || length >= size) {
        return 0;
    }
    const int suffixLength = static_cast<int>(sizeof kDeletedSuffix) - 1;
    int end = static_cast<int>(length);
    if (end > suffixLength && std::memcmp(buffer + end - suffixLength, kDeletedSuffix,
                                          static_cast<size_t>(suffixLength)) == 0) {
        end -= suffixLength;
    }
    return end;
}

// File names are almost always ASCII, which every locale encoding leaves as it is; only
// other names need the locale's decoder.
QString DecodeFileName(const char* bytes, int length)
{
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
            return QFile::decodeName(QByteArray(bytes, length));
        }
    }
    return QString::fromLatin1(bytes, length);
}

}  // namespace

std::map<QString, QString> GetCurrentProcessMap(std::function<bool(const QString&)> filter)
{
    std::map<QString, QString> processes;
    const ProcDirectory proc;
    if (!proc.get()) {
        return processes;
    }
    const int procFd = dirfd(proc.get());
    char buffer[PATH_MAX];
    for (unsigned long pid : ListPids(proc.get())) {
        const int length = ReadExecutable(procFd, pid, buffer, sizeof buffer);
        // Only the file name is decoded before the filter has its say; most processes are
        // turned away.
        const char* name = buffer + length;
        while (name != buffer && name[-1] != '/') {
            --name;
        }
        const QString key =
            DecodeFileName(name, static_cast<int>(buffer + length - name)).toLower();
        // Asked only of the few processes the filter accepts.
        if (filter(key) && (length == 0 || IsOurs(procFd, pid, buffer, length))) {
            processes[key] = DecodeFileName(buffer, length);
        }
    }
    return processes;
}

}  // namespace App
}  // namespace Tavrin
