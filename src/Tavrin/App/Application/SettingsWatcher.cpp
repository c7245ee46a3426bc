#include "Tavrin/App/Application/SettingsWatcher_p.h"

#include "Tavrin/App/Application/SettingsManager.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <glog/logging.h>

#include <array>
#include <unordered_set>
#include <utility>

#include <sys/stat.h>

namespace Tavrin {
namespace App {

namespace {

long long Nanoseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

// The directory to watch for the store's file coming (back): its own, or the closest
// ancestor that exists when another process has yet to create it.
QString ClosestExistingDirectory(const QString& fileName)
{
    QString directory = QFileInfo(fileName).absolutePath();
    while (!QFileInfo(directory).isDir()) {
        const QString parent = QFileInfo(directory).absolutePath();
        if (parent == directory) {
            return QString();
        }
        directory = parent;
    }
    return directory;
}

}  // namespace

bool SettingsWatcher::FileSignature::operator==(const FileSignature& other) const
{
    return exists == other.exists && regular == other.regular && inode == other.inode &&
           size == other.size && modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}

SettingsWatcher::SettingsWatcher(SettingsManager& manager, const QString& fileName,
                                 QSettings::Format format)
    : m_manager(&manager),
      m_fileName(fileName),
      m_format(format),
      m_reader(std::make_unique<QSettings>(fileName, format))
{
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(kCoalesceMs);
    connect(&m_coalesce, &QTimer::timeout, this, &SettingsWatcher::Reread);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SettingsWatcher::OnFileEvent);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &SettingsWatcher::OnFileEvent);
    Arm();
    Snapshot();
}

SettingsWatcher::~SettingsWatcher() = default;

// On the write path: kept to a look-up and an assignment; the text to compare is made when
// the file is next read.
void SettingsWatcher::NoteWritten(const std::string& key, const QVariant& value,
                                  SettingsValueKind kind)
{
    std::lock_guard<std::mutex> lock(m_knownMutex);
    if (!m_lastWritten || m_lastWritten->first != key) {
        auto found = m_known.find(key);
        if (found == m_known.end()) {
            found = m_known.emplace(key, Known{value, QString(), kind, KindSource::Written}).first;
            m_lastWritten = &*found;
            return;
        }
        m_lastWritten = &*found;
    }
    Known& known = m_lastWritten->second;
    known.value = value;
    known.comparable = QString();
    known.kind = kind;
    known.source = KindSource::Written;
}

void SettingsWatcher::NoteRemoved(const std::string& key)
{
    std::lock_guard<std::mutex> lock(m_knownMutex);
    m_lastWritten = nullptr;
    m_known.erase(key);
}

// On the read path: products read the same few keys again and again, so each thread
// remembers its last few reads and skips the lock for those.
void SettingsWatcher::NoteRead(const std::string& key, SettingsValueKind kind)
{
    struct RecentRead
    {
        const SettingsWatcher* watcher = nullptr;
        SettingsValueKind kind = SettingsValueKind::String;
        std::string key;
    };
    thread_local std::array<RecentRead, 8> recentReads;
    thread_local std::size_t nextRecentRead = 0;
    for (const RecentRead& recent : recentReads) {
        if (recent.watcher == this && recent.kind == kind && recent.key == key) {
            return;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_knownMutex);
        const auto found = m_known.find(key);
        if (found == m_known.end()) {
            m_known.emplace(key, Known{QVariant(), QString(), kind, KindSource::Read});
        } else if (found->second.source != KindSource::Written) {
            found->second.kind = kind;
            found->second.source = KindSource::Read;
        }
    }
    RecentRead& slot = recentReads[nextRecentRead];
    nextRecentRead = (nextRecentRead + 1) % recentReads.size();
    slot = RecentRead{this, kind, key};
}

void SettingsWatcher::Detach()
{
    std::lock_guard<std::recursive_mutex> lock(m_deliveryMutex);
    m_manager = nullptr;
}

SettingsValueKind SettingsWatcher::GuessKind(const QVariant& stored)
{
    switch (static_cast<QMetaType::Type>(stored.type())) {
    case QMetaType::QByteArray:
        return SettingsValueKind::ByteArray;
    case QMetaType::Bool:
        return SettingsValueKind::Bool;
    case QMetaType::Int:
        return SettingsValueKind::Int;
    case QMetaType::LongLong:
        return SettingsValueKind::Int64;
    case QMetaType::Double:
        return SettingsValueKind::Double;
    case QMetaType::QString:
        break;
    default:
        return SettingsValueKind::String;
    }
    // A text file stores scalars as text: read it back as the narrowest type it spells.
    const QString text = stored.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false")) {
        return SettingsValueKind::Bool;
    }
    bool ok = false;
    text.toInt(&ok);
    if (ok) {
        return SettingsValueKind::Int;
    }
    text.toLongLong(&ok);
    if (ok) {
        return SettingsValueKind::Int64;
    }
    text.toDouble(&ok);
    return ok ? SettingsValueKind::Double : SettingsValueKind::String;
}

const QString& SettingsWatcher::ComparableOf(Known& known)
{
    if (known.comparable.isNull()) {
        known.comparable = Comparable(known.value);
    }
    return known.comparable;
}

QString SettingsWatcher::Comparable(const QVariant& value)
{
    // What the file makes of a value: a text file gives back text for every scalar, so
    // values compare as the text they are written as.
    if (!value.isValid()) {
        return QStringLiteral("n:");
    }
    if (value.type() == QVariant::ByteArray) {
        return QLatin1String("b:") + QString::fromLatin1(value.toByteArray().toHex());
    }
    return QLatin1String("s:") + value.toString();
}

SettingsWatcher::FileSignature SettingsWatcher::ReadSignature(const QString& fileName)
{
    FileSignature signature;
    struct stat status = {};
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0) {
        return signature;
    }
    signature.exists = true;
    signature.regular = S_ISREG(status.st_mode);
    signature.inode = status.st_ino;
    signature.size = status.st_size;
    signature.modifiedNs = Nanoseconds(status.st_mtim);
    signature.changedNs = Nanoseconds(status.st_ctim);
    return signature;
}

void SettingsWatcher::OnFileEvent()
{
    if (!m_coalesce.isActive()) {
        m_coalesce.start();
    }
}

// QSettings replaces the file by renaming a new one over it, which ends a watch on the old
// one: the file is watched again whenever it is back, and its directory all along.
void SettingsWatcher::Arm()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    const QString directory = ClosestExistingDirectory(m_fileName);
    for (const QString& path : m_watcher.directories()) {
        if (path != directory) {
            m_watcher.removePath(path);
        }
    }
    if (!directory.isEmpty() && !watched.contains(directory)) {
        m_watcher.addPath(directory);
    }
    if (QFileInfo(m_fileName).isFile() && !m_watcher.files().contains(m_fileName)) {
        m_watcher.addPath(m_fileName);
    }
}

void SettingsWatcher::Snapshot()
{
    m_lastSeen = ReadSignature(m_fileName);
    const QStringList keys = m_reader->allKeys();
    std::lock_guard<std::mutex> lock(m_knownMutex);
    for (const QString& key : keys) {
        const QVariant value = m_reader->value(key);
        m_known.emplace(key.toStdString(),
                        Known{value, Comparable(value), GuessKind(value), KindSource::Guessed});
    }
}

bool SettingsWatcher::CheckUsable(const FileSignature& signature)
{
    const char* problem = nullptr;
    if (!signature.exists) {
        problem = "is gone";
    } else if (!signature.regular) {
        problem = "is no longer a regular file";
    }
    if (problem != nullptr && !m_warned) {
        m_warned = true;
        LOG(WARNING) << "Settings store " << m_fileName.toStdString() << " " << problem
                     << "; keeping the values known so far";
    }
    return problem == nullptr;
}

void SettingsWatcher::Reread()
{
    Arm();
    const FileSignature signature = ReadSignature(m_fileName);
    if (signature == m_lastSeen) {
        return;
    }
    m_lastSeen = signature;
    if (!CheckUsable(signature)) {
        return;
    }
    m_reader->sync();
    if (m_reader->status() != QSettings::NoError) {
        m_reader = std::make_unique<QSettings>(m_fileName, m_format);
        if (!m_warned) {
            m_warned = true;
            LOG(WARNING) << "Settings store " << m_fileName.toStdString()
                         << " cannot be read; keeping the values known so far";
        }
        return;
    }
    m_warned = false;

    const QStringList keys = m_reader->allKeys();
    std::vector<ExternalSettingsChange> changes;
    {
        std::unordered_set<std::string> present;
        present.reserve(static_cast<std::size_t>(keys.size()));
        std::lock_guard<std::mutex> lock(m_knownMutex);
        for (const QString& key : keys) {
            std::string name = key.toStdString();
            const QVariant value = m_reader->value(key);
            QString comparable = Comparable(value);
            const auto found = m_known.find(name);
            if (found == m_known.end()) {
                const SettingsValueKind kind = GuessKind(value);
                changes.push_back({name, kind, value, QVariant()});
                m_known.emplace(name,
                                Known{value, std::move(comparable), kind, KindSource::Guessed});
            } else if (ComparableOf(found->second) != comparable) {
                changes.push_back({name, found->second.kind, value, found->second.value});
                found->second.value = value;
                found->second.comparable = std::move(comparable);
            }
            present.insert(std::move(name));
        }
        // A key another process removed is forgotten quietly: observers have no call for it.
        m_lastWritten = nullptr;
        for (auto known = m_known.begin(); known != m_known.end();) {
            const bool gone = known->second.value.isValid() && present.count(known->first) == 0;
            known = gone ? m_known.erase(known) : std::next(known);
        }
    }

    std::lock_guard<std::recursive_mutex> lock(m_deliveryMutex);
    for (const ExternalSettingsChange& change : changes) {
        if (m_manager == nullptr) {
            return;
        }
        m_manager->DeliverExternalChange(change);
    }
}

}  // namespace App
}  // namespace Tavrin
