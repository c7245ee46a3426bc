#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Tavrin {
namespace App {

class SettingsManager;

// The C++ type a key is handled as: what observers are told about it.
enum class SettingsValueKind { Bool, Int, String, ByteArray, Int64, Double };

// One key whose value another process changed.
struct ExternalSettingsChange
{
    std::string key;
    SettingsValueKind kind;
    QVariant newValue;
    QVariant oldValue;  // invalid when this process did not know the key
};

// Watches the file of one settings store for changes other processes make and hands them
// to the store, one per changed key, on the thread the watcher lives in (the application's).
//
// It remembers every key's value as this process last knew it (read from the file or written
// here) and the kind the key was last written or read as. A change of the file starts a short
// single-shot timer; when it fires the file is read again (through a QSettings of its own, so
// it never races with the store's object) and compared key by key. This process's own writes
// are remembered as they are made, so they never come back as changes.
class SettingsWatcher : public QObject
{
public:
    // How long a burst of file events is gathered before the file is read again.
    static constexpr int kCoalesceMs = 40;

    SettingsWatcher(SettingsManager& manager, const QString& fileName, QSettings::Format format);
    ~SettingsWatcher() override;

    // Called by the store, from any thread.
    void NoteWritten(const std::string& key, const QVariant& value, SettingsValueKind kind);
    void NoteRemoved(const std::string& key);
    void NoteRead(const std::string& key, SettingsValueKind kind);

    // Stops delivering to the store; safe from any thread, also during a delivery.
    void Detach();

    // Reads the file again now and delivers what changed (the timer calls it).
    void Reread();

    // The kind a key nobody here has used is given, judged from its stored value.
    static SettingsValueKind GuessKind(const QVariant& stored);

private:
    // Where a key's kind comes from: a write here outranks a read here, which outranks a
    // guess from the stored text.
    enum class KindSource { Guessed, Read, Written };
    struct Known
    {
        QVariant value;
        QString comparable;  // Comparable(value); null until first needed
        SettingsValueKind kind;
        KindSource source;
    };
    struct FileSignature
    {
        bool exists = false;
        bool regular = false;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        long long changedNs = 0;
        bool operator==(const FileSignature& other) const;
    };

    static QString Comparable(const QVariant& value);
    static const QString& ComparableOf(Known& known);
    static FileSignature ReadSignature(const QString& fileName);

    void OnFileEvent();
    void Arm();
    void Snapshot();
    bool CheckUsable(const FileSignature& signature);

    SettingsManager* m_manager;
    const QString m_fileName;
    const QSettings::Format m_format;
    std::unique_ptr<QSettings> m_reader;  // renewed after a read error, which QSettings keeps
    QFileSystemWatcher m_watcher;
    QTimer m_coalesce;
    FileSignature m_lastSeen;
    bool m_warned = false;

    std::mutex m_knownMutex;  // guards m_known against writers on other threads
    std::unordered_map<std::string, Known> m_known;
    // The entry of the last write (entries stay put until erased): products write the same
    // key again and again, and comparing it costs less than hashing it.
    std::pair<const std::string, Known>* m_lastWritten = nullptr;
    std::recursive_mutex m_deliveryMutex;  // held while a change is delivered
};

}  // namespace App
}  // namespace Tavrin
