#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <QString>

#include <deque>
#include <string>

class QDateTime;

namespace Tavrin {
namespace App {

class SessionFile;

// Finds the runs of this executable that ended without a normal shutdown.
//
// Every running instance records itself in one INI file shared by all instances of the same
// executable: key = its process id, value = its session id. On construction the tracker
// collects the entries of processes that no longer run this executable (crashed or killed
// runs, or a process id since reused by another program), removes them and records itself.
// A process counts as running this executable when its program file has the same base name,
// from whatever directory (the file is named by it too), and also when that file has been
// deleted or replaced since it started. An entry under this very process id belongs to an
// earlier run that ended abnormally. A normal shutdown removes the own entry again.
//
// The file is <writable data location>/Tavrin/<version folder>/<executable base name>.ini
// under the Qt application and organization names in effect when the tracker is constructed;
// SessionFilePath() tells which. The application object constructs its tracker before the
// product sets those names. When the file cannot be written the tracker works in memory and
// detects nothing later.
//
// Instances update the file one at a time. When another instance keeps it busy for more than
// three seconds (one stopped while it updates), this start neither collects nor records
// anything, with a warning: the entries stay for the next start, and no crashed run is ever
// reported twice. A damaged file is read as far as it goes: every entry that is not a live
// instance's counts as a crashed session, reported with UNREADABLE_SESSION_ID when its value is
// no session id, and the first write leaves only well-formed entries. GUI thread only.
class TAVRIN_APP_EXPORT CrashTracker
{
public:
    // Reported for a crashed run whose entry in a damaged file holds no readable session id.
    static const char* const UNREADABLE_SESSION_ID;

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

    // Forgets the collected sessions and empties the file at once, this session's own entry
    // included, so a crash after this goes unnoticed.
    void ClearHistory();

    // The file this tracker records its session in; empty without a Qt application object.
    QString SessionFilePath() const;

    // The session id of a tracker constructed at `now`: "yyMMdd-HHmmss-" and a six-digit number
    // drawn from the generator seeded with the milliseconds of `now` (and left seeded so).
    // Trackers constructed within the same millisecond therefore share an id.
    static std::string MakeSessionId(const QDateTime& now);

private:
    void StartSession();
    void CollectAndRecord(const SessionFile& file);

    QString m_filePath;
    std::string m_sessionId;
    std::deque<std::string> m_crashedSessions;
    bool m_recorded = false;  // this session's entry is in the file
};

}  // namespace App
}  // namespace Tavrin
