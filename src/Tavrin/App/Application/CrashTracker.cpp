#include "Tavrin/App/Application/CrashTracker.h"

#include <Tavrin/App/Application/SessionFile_p.h>
#include <Tavrin/Util/Process.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

#include <glog/logging.h>

#include <algorithm>
#include <mutex>
#include <set>
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

// How long a tracker waits for other instances' updates of the shared file. An update takes
// about a millisecond; this leaves room for twenty instances starting together on a machine
// under heavy load. A lock held longer belongs to an instance that is stopped or hangs.
constexpr int kFileLockWaitMs = 3000;

QString ThisProcessKey()
{
    return QString::number(QCoreApplication::applicationPid());
}

// The sessions of the trackers alive in this process: an entry under our own process id is a
// dead run's unless it is one of these.
class LiveSessions
{
public:
    static LiveSessions& Instance()
    {
        static auto* sessions = new LiveSessions;  // never destroyed: trackers may be static
        return *sessions;
    }
    void Add(const std::string& id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ids.insert(id);
    }
    void Remove(const std::string& id)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_ids.find(id);
        if (found != m_ids.end()) {
            m_ids.erase(found);
        }
    }
    bool Contains(const std::string& id) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ids.count(id) > 0;
    }

private:
    mutable std::mutex m_mutex;
    std::multiset<std::string> m_ids;
};

QString FilePathForCurrentNames()
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

// The canonical decimal form of a process id, or 0 when the key is none.
unsigned long ProcessIdOf(const QString& key)
{
    bool ok = false;
    const unsigned long pid = key.toULong(&ok, 10);
    return ok && QString::number(pid) == key ? pid : 0;
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

}  // namespace

const char* const CrashTracker::UNREADABLE_SESSION_ID = "000000-000000-000000";

CrashTracker::CrashTracker() : m_filePath(FilePathForCurrentNames())
{
    StartSession();
    LiveSessions::Instance().Add(m_sessionId);
}

CrashTracker::~CrashTracker()
{
    StopSession();
    LiveSessions::Instance().Remove(m_sessionId);
    m_crashedSessions.clear();
}

QString CrashTracker::SessionFilePath() const
{
    return m_filePath;
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
    SessionFile file(m_filePath);
    const bool locked = file.Lock(kFileLockWaitMs);
    // Made once the file is ours: instances starting together then get their ids one after
    // the other, in different milliseconds.
    m_sessionId = MakeSessionId(QDateTime::currentDateTime());
    if (m_filePath.isEmpty()) {
        return;
    }
    if (!locked) {
        LOG(WARNING) << "Another instance keeps " << m_filePath.toStdString()
                     << " busy: crashed sessions are left for the next start, and this one "
                        "is not recorded";
        return;
    }
    CollectAndRecord(file);
}

void CrashTracker::CollectAndRecord(const SessionFile& file)
{
    const QString ownKey = ThisProcessKey();
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).baseName();
    std::vector<SessionFile::Entry> kept;
    std::deque<std::string> crashed;
    for (const SessionFile::Entry& entry : file.Read()) {
        const unsigned long pid = ProcessIdOf(entry.key);
        const std::string id = entry.sessionId.isEmpty() ? std::string(UNREADABLE_SESSION_ID)
                                                         : entry.sessionId.toStdString();
        if (entry.key == ownKey && LiveSessions::Instance().Contains(id)) {
            continue;  // another tracker of this process: ours takes the process's entry
        }
        // Without a program name of our own no entry can be told apart from a live one.
        if (entry.key != ownKey &&
            (program.isEmpty() || Util::IsProcessRunningProgram(pid, program))) {
            kept.push_back({entry.key, QString::fromStdString(id)});
        } else {
            crashed.push_back(id);
        }
    }
    kept.push_back({ownKey, QString::fromStdString(m_sessionId)});
    // Reported only once they are gone from the file, so that no later start reports them too.
    if (!file.Write(kept)) {
        LOG(WARNING) << "Crash sessions cannot be recorded in " << m_filePath.toStdString();
        return;
    }
    m_crashedSessions = std::move(crashed);
    m_recorded = true;
}

void CrashTracker::StopSession()
{
    if (!m_recorded) {
        return;  // never recorded, or stopped or cleared already
    }
    m_recorded = false;
    SessionFile file(m_filePath);
    if (!file.Lock(kFileLockWaitMs)) {
        // Left behind, the entry would be reported as a crash by the next start.
        LOG(WARNING) << "Another instance keeps " << m_filePath.toStdString()
                     << " busy; ending this session without waiting";
    }
    std::vector<SessionFile::Entry> entries = file.Read();
    const QString ownKey = ThisProcessKey();
    const QString ownId = QString::fromStdString(m_sessionId);
    const auto own = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
        return entry.key == ownKey && entry.sessionId == ownId;
    });
    if (own != entries.end()) {
        entries.erase(own);
        file.Write(entries);
    }
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
    m_recorded = false;
    SessionFile file(m_filePath);
    if (m_filePath.isEmpty()) {
        return;
    }
    if (!file.Lock(kFileLockWaitMs)) {
        LOG(WARNING) << "Another instance keeps " << m_filePath.toStdString()
                     << " busy; emptying it without waiting";
    }
    if (!file.Read().empty()) {
        file.Write({});
    }
}

}  // namespace App
}  // namespace Tavrin
