#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QSettings>
#include <QString>

#include <deque>
#include <string>

class QDateTime;

namespace Tavrin {
namespace App {

class SessionFileLock;

// Finds the runs of this executable that ended without a normal shutdown.
//
// Every running instance records itself in one INI file shared by all instances of the same
// executable: key = its process id, value = its session id. On construction the tracker
// collects the entries of processes that no longer run this executable (crashed or killed
// runs, or a process id since reused by another program), removes them and records itself.
// A normal shutdown removes the own entry again. The application object owns one tracker.
//
// The file is <writable data location>/Tavrin/<version folder>/<executable base name>.ini,
// decided when the tracker is constructed (so after the Qt application and organization names
// are set). When it cannot be written the tracker works in memory and detects nothing later.
// A damaged file is read as far as it goes: every entry that is not a live instance's counts as
// a crashed session, and the first write leaves only well-formed entries. GUI thread only.
class TAVRIN_APP_EXPORT CrashTracker
{
public:
    CrashTracker();
    // Removes this session's entry, as a normal shutdown does.
    ~CrashTracker();

    CrashTracker(const CrashTracker&) = delete;
    CrashTracker& operator=(const CrashTracker&) = delete;

    // Removes this session's entry and writes the file at once.
    void StopSession();

    // Whether this start collected crashed sessions that ClearHistory has not cleared.
    bool HasUnreportedCrash() const;
    // The session ids of the crashed runs this start collected, in the order found (UTF-8).
    std::deque<std::string> BadSessionsList() const;
    // This run's session id, e.g. "261204-121949-117345".
    std::string SessionId() const;

    // Forgets the collected sessions and empties the file, this session's own entry included,
    // so a crash after this goes unnoticed. The file is written when the settings flush.
    void ClearHistory();

    // The session id of a tracker constructed at `now`: "yyMMdd-HHmmss-" and a six-digit number
    // drawn from the generator seeded with the milliseconds of `now` (and left seeded so).
    // Trackers constructed within the same millisecond therefore share an id.
    static std::string MakeSessionId(const QDateTime& now);
    // The session file of this executable under the current application and organization names;
    // empty without a Qt application object.
    static QString SessionFilePath();

private:
    explicit CrashTracker(const SessionFileLock& lock);
    void StartSession();
    // Moves the entries of processes no longer running `executable` to the crashed sessions.
    void CollectDeadSessions(const QString& executable);
    void DropNamelessEntry();

    QSettings m_sessionFile;
    std::string m_sessionId;
    std::deque<std::string> m_crashedSessions;
};

}  // namespace App
}  // namespace Tavrin
