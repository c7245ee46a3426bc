#pragma once

#include <Tavrin/App/Application/EventHandlerList.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/ISettingsManagerObserver.h>
#include <Tavrin/App/TavrinAppExport.h>

#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <string>
#include <vector>

namespace Tavrin {
namespace App {

class SettingsWatcher;
struct ExternalSettingsChange;
enum class SettingsValueKind;

// The settings store over QSettings: typed access with defaults, change detection and
// synchronous notification of observers.
//
// Keys go to QSettings unchanged (a "/" opens a group). Values stay pending in QSettings
// until it flushes on its own and at the latest when the manager is destroyed. The manager
// takes no lock around the store: callers that use one manager from several threads should
// serialise those calls; if they do not, nothing breaks, but two writers of the same key
// may both write and both notify. Observers may register and be notified from any thread.
//
// Changes that other processes make to the store's file reach the observers too, once the
// application's event loop runs: see SetWatchExternalChanges.
class TAVRIN_APP_EXPORT SettingsManager : public ISettingsManager
{
public:
    // The user-scope store of an application of an organization, in Qt's default format.
    SettingsManager(const QString& application, const QString& organization);

    // The store in a file or location. A registry-style location
    // "HKEY_LOCAL_MACHINE\SOFTWARE\<organization>\<application>" opens Qt's system-scope
    // store of that organization and application in the given format,
    // "HKEY_CURRENT_USER\Software\..." the user-scope one; deeper keys become nested
    // application names. Any other name is a file path ("\" read as a separator).
    SettingsManager(const QString& fileName, QSettings::Format format);

    ~SettingsManager() override;

    SettingsManager(const SettingsManager&) = delete;
    SettingsManager& operator=(const SettingsManager&) = delete;

    void RegisterObserver(ISettingsManagerObserver* observer) override;
    void UnregisterObserver(ISettingsManagerObserver* observer) override;

    void SetBool(const std::string& key, bool value) override;
    void SetInt(const std::string& key, int value) override;
    void SetString(const std::string& key, const std::string& value) override;
    void SetByteArray(const std::string& key, const std::vector<unsigned char>& value) override;
    void SetInt64(const std::string& key, std::int64_t value) override;
    void SetDouble(const std::string& key, double value) override;

    bool GetBool(const std::string& key, bool defaultValue) const override;
    int GetInt(const std::string& key, int defaultValue) const override;
    std::string GetString(const std::string& key, const std::string& defaultValue) const override;
    std::vector<unsigned char> GetByteArray(
        const std::string& key, const std::vector<unsigned char>& defaultValue) const override;
    std::int64_t GetInt64(const std::string& key, std::int64_t defaultValue) const override;
    double GetDouble(const std::string& key, double defaultValue) const override;

    bool Contains(const std::string& key) const override;
    void Remove(const std::string& key) override;

    // Where the store keeps its values (a file path on this platform).
    QString GetFileName() const;

    // Every key below the group, relative to it and with its subgroups ("a/b" for
    // "<group>/a/b"), in the store's order; an empty group lists the whole store.
    std::vector<std::string> GetKeys(const std::string& group) const;
    // Whether values that other processes write to the store's file are picked up: on by
    // default. A picked-up change reaches the observers like a local one (with the value this
    // process knew before), on the application's thread, within about 50 ms of the write,
    // one notification per changed key carrying its latest value; this process's own writes
    // never come back. A key is reported in the type this process last wrote it as, else
    // the type it last read it as; a key it has never used gets the narrowest type its
    // stored text spells (bool, int, int64, double, else string; byte arrays stay so). Removed keys are
    // forgotten without a notification. A store file that disappears or becomes a directory
    // is reported by one WARNING and the known values stay; one that cannot be parsed is
    // reported by one WARNING and notifies nothing, but the store then reads what QSettings
    // made of it (QSettings shares a file's contents among a process's objects) until a good
    // file comes back. Not noticed: two writes of the same size within one millisecond
    // (QSettings reads a file again only when its size or millisecond time stamp changed).
    //
    // Watching needs the application's event loop: it is only done for a store created on
    // the thread of a running QCoreApplication; elsewhere this call changes nothing.
    //
    // Cost: one inotify watch on the file and one on its directory; every write remembers
    // the key's value (a lock and a hash look-up), every read of a key not among the
    // thread's last eight reads its type; at creation and after each change of the file the
    // file is read back whole and compared key by key (figures in bench/README.md).
    void SetWatchExternalChanges(bool watch);
    bool IsWatchingExternalChanges() const;
    // Reads the watched file now, without waiting for its change to be noticed, and notifies
    // what changed. Application thread only; nothing when not watching.
    void CheckExternalChanges();

private:
    friend class SettingsWatcher;
    void DeliverExternalChange(const ExternalSettingsChange& change);
    void StopWatching();

    QVariant GetValue(const std::string& key, const QVariant& defaultValue,
                      SettingsValueKind kind) const;
    // Writes when the stored value differs; `oldValue` receives what was stored before
    // (an invalid variant for an absent key). Returns whether it wrote; an empty key is
    // never written.
    bool UpdateValue(const std::string& key, const QVariant& newValue, QVariant& oldValue,
                     SettingsValueKind kind);

    QSettings m_store;
    Core::EventHandlerList<ISettingsManagerObserver> m_observers;
    std::unique_ptr<SettingsWatcher> m_watcher;
};

}  // namespace App
}  // namespace Tavrin
