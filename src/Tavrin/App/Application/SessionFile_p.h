#pragma once

#include <Tavrin/Util/AppMutexLocker.h>

#include <QString>

#include <vector>

namespace Tavrin {
namespace App {

// The crash session file of one executable, shared by all its instances: an INI file whose
// top-level entries are "<process id>=<session id>".
//
// It is read and rewritten whole, and only while the lock is held, so that no update of
// another instance is lost between our read and our write. The file is replaced atomically
// (a new file renamed over it) and needs no lock file of its own: an instance killed at any
// moment leaves either the old or the new content, and nothing that holds up the others. A
// write also removes the lock file that Qt's settings left beside it, if any.
//
// Reading accepts what Qt's INI settings write and survives any damage: lines without "=" or
// with an empty key are skipped; keys of other groups than [General] read as "<group>/<key>";
// a value counts as a readable session id only when, unquoted, it is 1 to 64 letters, digits
// and "-_.:" (anything else, such as "@Invalid()", binary data or a huge line, is kept as an
// entry with an unreadable id). A key that appears twice holds its last value. Files larger
// than 16 MiB are read up to that size.
class SessionFile
{
public:
    struct Entry
    {
        QString key;
        QString sessionId;  // empty when unreadable
    };

    // An empty path is no file: nothing is read, writes fail.
    explicit SessionFile(const QString& path);

    // Waits up to `timeoutMs` while another instance updates the file; false when it still
    // does (or the lock cannot be taken at all).
    bool Lock(int timeoutMs);
    bool IsLocked() const { return m_lock.IsLocked(); }

    const QString& Path() const { return m_path; }

    // The entries in file order; none when the file is missing or cannot be read.
    std::vector<Entry> Read() const;
    // Replaces the file with these entries (keys and session ids written as they are; an
    // empty list leaves an empty file), creating its directory. False when it cannot.
    bool Write(const std::vector<Entry>& entries) const;

private:
    QString m_path;
    Util::AppMutexLocker m_lock;
};

}  // namespace App
}  // namespace Tavrin
