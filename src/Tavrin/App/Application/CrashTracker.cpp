#include "Tavrin/App/Application/CrashTracker.h"

#include <Tavrin/Core/Sleep.h>
#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/Process.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <glog/logging.h>

#include <utility>
#include <vector>

namespace Tavrin {
namespace App {

namespace {

// The version folder names the product release whose sessions share a file: "clipcrafter 14.5.0".
// Fixed when the library is built; keep in step with project(VERSION) in CMakeLists.txt.
constexpr char kProductIdentifier[] = "clipcrafter";
constexpr char kMajorVersion[] = "14";
constexpr char kVersionRest[] = "5.0";

constexpr char kSessionIdDatePattern[] = "yyMMdd-HHmmss";
constexpr int kSessionNumberBase = 100000;
constexpr int kSessionNumberRange = 900000;

QString VersionFolder()
{
    return QLatin1String(kProductIdentifier) + QLatin1Char(' ') + QLatin1String(kMajorVersion) +
           QLatin1Char('.') + QLatin1String(kVersionRest);
}

// How long a tracker waits for another instance's update of the shared file before it goes
// ahead under the settings object's own locking alone.
constexpr int kFileLockWaitMs = 3000;
constexpr int kFileLockPollMs = 5;

QString ThisProcessKey()
{
    return QString::number(QCoreApplication::applicationPid());
}

int SeededRandom(int seed)
{
    // Deprecated in Qt 5.15, but the id's number is defined by exactly this generator.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(static_cast<uint>(seed));
    const int random = qrand();
    QT_WARNING_POP
    return random;
}

// Values are written as text; whatever else a damaged or foreign file holds is read as the
// text it stands for.
std::string ValueAsText(const QVariant& value)
{
    switch (value.userType()) {
        case QMetaType::QStringList:
            // The INI reader splits "a, b" into a list.
            return value.toStringList().join(QStringLiteral(", ")).toStdString();
        case QMetaType::QByteArray:
            return value.toByteArray().toStdString();
        default:
            return value.toString().toStdString();
    }
}

}  // namespace

// Serialises the trackers' updates of one session file across processes. QSettings locks only
// its own write, and it notes the file's size and time after reading it: an entry that another
// instance wrote in between would be taken as already read and lost at the next write. Holding
// this lock from before the read until after the write leaves no such gap.
class SessionFileLock
{
public:
    explicit SessionFileLock(const QString& file)
        : m_locker({"Tavrin crash sessions " + file.toStdString()})
    {
        if (file.isEmpty()) {
            return;
        }
        for (int waited = 0; !m_locker.TryLockAppMutex(); waited += kFileLockPollMs) {
            if (waited >= kFileLockWaitMs) {
                LOG(WARNING) << "Another instance keeps " << file.toStdString()
                             << " busy; updating it without waiting";
                return;
            }
            Core::SleepFor(kFileLockPollMs);
        }
    }

private:
    Util::AppMutexLocker m_locker;
};

// The lock, a temporary of the delegating call, is held until the session is recorded.
CrashTracker::CrashTracker() : CrashTracker(SessionFileLock(SessionFilePath())) {}

CrashTracker::CrashTracker(const SessionFileLock&)
    : m_sessionFile(SessionFilePath(), QSettings::IniFormat),
      m_sessionId(MakeSessionId(QDateTime::currentDateTime()))
{
    StartSession();
}

CrashTracker::~CrashTracker()
{
    StopSession();
    m_crashedSessions.clear();
}

QString CrashTracker::SessionFilePath()
{
    if (!QCoreApplication::instance()) {
        LOG(ERROR) << "Crash tracking needs the Qt application object; sessions are not recorded";
        return QString();
    }
    const QChar separator = QDir::separator();
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + separator +
           QStringLiteral("Tavrin") + separator + VersionFolder() + separator +
           QFileInfo(QCoreApplication::applicationFilePath()).baseName() + QStringLiteral(".ini");
}

std::string CrashTracker::MakeSessionId(const QDateTime& now)
{
    const int number = kSessionNumberBase + SeededRandom(now.time().msec()) % kSessionNumberRange;
    return (now.toString(QLatin1String(kSessionIdDatePattern)) + QLatin1Char('-') +
            QString::number(number))
        .toStdString();
}

void CrashTracker::StartSession()
{
    // Without our own executable no entry could be told apart from a live one; keep them all.
    if (QCoreApplication::instance()) {
        CollectDeadSessions(QCoreApplication::applicationFilePath());
    }
    m_sessionFile.setValue(ThisProcessKey(), QString::fromStdString(m_sessionId));
    m_sessionFile.sync();
    if (m_sessionFile.status() == QSettings::AccessError) {
        LOG(WARNING) << "Crash sessions cannot be recorded in "
                     << m_sessionFile.fileName().toStdString();
    }
}

void CrashTracker::CollectDeadSessions(const QString& executable)
{
    bool namelessEntry = false;
    for (const QString& key : m_sessionFile.allKeys()) {
        if (key.isEmpty()) {
            namelessEntry = true;  // not even a process id to look at
            continue;
        }
        const unsigned long pid = key.toULong(nullptr, 10);
        if (Util::IsProcessRunning(pid, executable)) {
            continue;  // another live instance
        }
        m_crashedSessions.push_back(ValueAsText(m_sessionFile.value(key)));
        m_sessionFile.remove(key);
    }
    if (namelessEntry) {
        DropNamelessEntry();
    }
}

void CrashTracker::DropNamelessEntry()
{
    // A damaged line "=value" reads as an empty key, which QSettings can only remove along with
    // every other top-level entry (remove("") is clear()): keep the others by writing them again.
    std::vector<std::pair<QString, QVariant>> kept;
    for (const QString& key : m_sessionFile.allKeys()) {
        if (!key.isEmpty()) {
            kept.emplace_back(key, m_sessionFile.value(key));
        }
    }
    m_sessionFile.clear();
    for (const auto& entry : kept) {
        m_sessionFile.setValue(entry.first, entry.second);
    }
}

void CrashTracker::StopSession()
{
    const SessionFileLock lock(m_sessionFile.fileName());
    m_sessionFile.remove(ThisProcessKey());
    m_sessionFile.sync();
}

bool CrashTracker::HasUnreportedCrash() const
{
    return !m_crashedSessions.empty();
}

std::deque<std::string> CrashTracker::BadSessionsList() const
{
    return m_crashedSessions;
}

std::string CrashTracker::SessionId() const
{
    return m_sessionId;
}

void CrashTracker::ClearHistory()
{
    m_crashedSessions.clear();
    m_sessionFile.clear();
}

}  // namespace App
}  // namespace Tavrin
