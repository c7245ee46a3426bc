#include "Tavrin/Util/Process.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <fstream>
#include <string>

#include <sys/types.h>
#include <unistd.h>

namespace Tavrin {
namespace Util {

namespace {

const QString kDeletedSuffix = QStringLiteral(" (deleted)");

QString ProcPath(unsigned long pid, const char* entry)
{
    return QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry));
}

// The state letter of /proc/<pid>/stat, which follows the parenthesised command name (that
// name may itself contain spaces and parentheses, hence the last ')').
bool HasExited(unsigned long pid)
{
    std::ifstream stat(QFile::encodeName(ProcPath(pid, "stat")).toStdString());
    std::string line;
    if (!std::getline(stat, line)) {
        return true;
    }
    const std::size_t end = line.rfind(')');
    if (end == std::string::npos || end + 2 >= line.size()) {
        return true;
    }
    const char state = line[end + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}

QString ReadExecutableLink(unsigned long pid)
{
    const QByteArray link = QFile::encodeName(ProcPath(pid, "exe"));
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length = readlink(link.constData(), target.data(), target.size());
    if (length <= 0 || length >= target.size()) {
        return QString();
    }
    target.truncate(static_cast<int>(length));
    return QFile::decodeName(target);
}

// The path with symlinks resolved. A file that no longer exists (deleted after its process
// started) is resolved through its directory.
QString CanonicalPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) {
        return canonical;
    }
    const QString directory = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (directory.isEmpty()) {
        return QDir::cleanPath(info.absoluteFilePath());
    }
    return directory + QLatin1Char('/') + info.fileName();
}

}  // namespace

bool IsProcessRunning(unsigned long pid, const QString& executable)
{
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX) || executable.isEmpty()) {
        return false;
    }
    const QString target = ReadExecutableLink(pid);
    if (target.isEmpty() || HasExited(pid)) {
        return false;
    }
    const QString wanted = CanonicalPath(executable);
    if (target == wanted) {
        return true;
    }
    // The kernel marks an executable whose file was unlinked (or replaced) since exec.
    return target.endsWith(kDeletedSuffix) && target.chopped(kDeletedSuffix.size()) == wanted;
}

bool IsProcessRunningProgram(unsigned long pid, const QString& baseName)
{
    if (pid == 0 || pid > static_cast<unsigned long>(INT_MAX) || baseName.isEmpty()) {
        return false;
    }
    QString target = ReadExecutableLink(pid);
    if (target.isEmpty() || HasExited(pid)) {
        return false;
    }
    if (target.endsWith(kDeletedSuffix)) {
        target.chop(kDeletedSuffix.size());
    }
    return QFileInfo(target).baseName() == baseName;
}

}  // namespace Util
}  // namespace Tavrin
