#include "Tavrin/App/Application/SessionFile_p.h"

#include <Tavrin/Core/Sleep.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <QTextCodec>

#include <string>
#include <utility>

#include <cstdio>

namespace Tavrin {
namespace App {

namespace {

constexpr int kLockPollMs = 5;
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr int kMaxSessionIdLength = 64;

// The group Qt's INI settings write top-level keys in.
const QString kGeneralGroup = QStringLiteral("General");

std::string LockName(const QString& path)
{
    return "Tavrin crash sessions " + path.toStdString();
}

bool IsSessionIdCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('-') ||
           c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char(':');
}

// Empty unless the bytes are UTF-8 text.
QString DecodeUtf8(const QByteArray& bytes)
{
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 ? text : QString();
}

// The session id a value stands for, or empty. Besides plain text, the forms Qt's INI
// settings give a text value: quoted, or marked as a string or byte array.
QString SessionIdOf(const QByteArray& rawValue)
{
    QString value = DecodeUtf8(rawValue.trimmed());
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
        value.endsWith(QLatin1Char('"'))) {
        value = value.mid(1, value.size() - 2);
    }
    for (const char* marker : {"@String(", "@ByteArray("}) {
        if (value.startsWith(QLatin1String(marker)) && value.endsWith(QLatin1Char(')'))) {
            const int start = static_cast<int>(qstrlen(marker));
            value = value.mid(start, value.size() - start - 1);
        }
    }
    if (value.isEmpty() || value.size() > kMaxSessionIdLength) {
        return QString();
    }
    for (const QChar c : value) {
        if (!IsSessionIdCharacter(c)) {
            return QString();
        }
    }
    return value;
}

// "[name]" gives the group's key prefix: none for [General].
bool ReadGroupHeader(const QByteArray& line, QString* prefix)
{
    if (!line.startsWith('[') || !line.endsWith(']')) {
        return false;
    }
    const QString group = QString::fromUtf8(line.mid(1, line.size() - 2)).trimmed();
    *prefix = group.isEmpty() || group == kGeneralGroup ? QString() : group + QLatin1Char('/');
    return true;
}

// Entries in file order; a key met again takes its new value in place.
class EntryList
{
public:
    void Store(SessionFile::Entry entry)
    {
        const auto known = m_index.constFind(entry.key);
        if (known != m_index.cend()) {
            m_entries[*known].sessionId = entry.sessionId;
            return;
        }
        m_index.insert(entry.key, m_entries.size());
        m_entries.push_back(std::move(entry));
    }
    std::vector<SessionFile::Entry> Take() { return std::move(m_entries); }

private:
    std::vector<SessionFile::Entry> m_entries;
    QHash<QString, std::size_t> m_index;
};

}  // namespace

SessionFile::SessionFile(const QString& path) : m_path(path), m_lock({LockName(path)}) {}

bool SessionFile::Lock(int timeoutMs)
{
    if (m_path.isEmpty()) {
        return false;
    }
    for (int waited = 0; !m_lock.TryLockAppMutex(); waited += kLockPollMs) {
        if (waited >= timeoutMs) {
            return false;
        }
        Core::SleepFor(kLockPollMs);
    }
    return true;
}

std::vector<SessionFile::Entry> SessionFile::Read() const
{
    EntryList entries;
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString prefix;
    for (const QByteArray& rawLine : file.read(kMaxFileSize).split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(';') || ReadGroupHeader(line, &prefix)) {
            continue;
        }
        const int equals = line.indexOf('=');
        const QString key = QString::fromUtf8(line.left(equals)).trimmed();
        if (equals < 0 || key.isEmpty()) {
            continue;  // damaged: not even a key to go by
        }
        entries.Store({prefix + key, SessionIdOf(line.mid(equals + 1))});
    }
    return entries.Take();
}

bool SessionFile::Write(const std::vector<Entry>& entries) const
{
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        return false;
    }
    QByteArray content;
    if (!entries.empty()) {
        content = "[" + kGeneralGroup.toUtf8() + "]\n";
    }
    for (const Entry& entry : entries) {
        content += entry.key.toUtf8() + '=' + entry.sessionId.toUtf8() + '\n';
    }
    // A new file renamed over the old one. No fsync, which would keep the other instances
    // waiting at every start and quit: a killed process loses nothing the kernel holds, and
    // ext4 flushes a file that replaces another by rename before it commits the rename.
    QTemporaryFile file(m_path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(content) != content.size() || !file.flush() ||
        ::rename(QFile::encodeName(file.fileName()).constData(),
                 QFile::encodeName(m_path).constData()) != 0) {
        return false;
    }
    file.setAutoRemove(false);  // it is the session file now
    // Earlier builds wrote through Qt's settings, which guard their writes with this lock
    // file, and under this same mutex: one found now was left by a killed instance, and would
    // hold those builds up for 30 s.
    QFile::remove(m_path + QStringLiteral(".lock"));
    return true;
}

}  // namespace App
}  // namespace Tavrin
