#include "Tavrin/App/Application/SettingsManager.h"

#include "Tavrin/App/Application/SettingsWatcher_p.h"
#include "Tavrin/App/Application/StartupProfile.h"

#include <Tavrin/Util/StringConversion.h>

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <array>
#include <functional>

namespace Tavrin {
namespace App {

ISettingsManagerObserver::~ISettingsManagerObserver() = default;
ISettingsManager::~ISettingsManager() = default;

namespace {

using std::placeholders::_1;

const char kStoresPhase[] = "stores";

// Maps a registry-style location onto the file of the matching Qt scope store, so that
// QSettings::setPath redirects it like any other store of that scope.
QString ResolveStoreLocation(const QString& location, QSettings::Format format)
{
    QStringList parts = location.split(QLatin1Char('\\'));
    const QString root = parts.isEmpty() ? QString() : parts.first().toUpper();
    QSettings::Scope scope;
    if (root == QLatin1String("HKEY_LOCAL_MACHINE") || root == QLatin1String("HKLM")) {
        scope = QSettings::SystemScope;
    } else if (root == QLatin1String("HKEY_CURRENT_USER") || root == QLatin1String("HKCU")) {
        scope = QSettings::UserScope;
    } else {
        return QString(location).replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
    parts.removeFirst();
    if (!parts.isEmpty() &&
        parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    const QString organization = parts.isEmpty() ? QString() : parts.takeFirst();
    parts.removeAll(QString());
    const QString application = parts.join(QLatin1Char('/'));
    return QSettings(format, scope, organization, application).fileName();
}

// A key for lookups only (value, contains). Short ASCII keys, the usual kind, are widened
// into a buffer on the stack whose header marks the text static, the way QStringLiteral
// does: Qt then shares it without counting or freeing, and a read costs no allocation.
// This is safe only because QSettings keeps nothing of a key it merely looks up; it keeps
// the keys it writes or removes, so those always get a key of their own (StoredKey).
class LookupKey
{
public:
    explicit LookupKey(const std::string& key) : m_text(Wrap(key)) {}
    LookupKey(const LookupKey&) = delete;
    LookupKey& operator=(const LookupKey&) = delete;

    const QString& Get() const { return m_text; }

private:
    static constexpr std::size_t kInlineSize = 96;

    // Widens and checks in one pass; anything but short ASCII is converted the usual way.
    QString Wrap(const std::string& key)
    {
        const std::size_t size = key.size();
        if (size <= kInlineSize) {
            unsigned char seen = 0;
            for (std::size_t i = 0; i < size; ++i) {
                const auto byte = static_cast<unsigned char>(key[i]);
                seen |= byte;
                m_inline.chars[i] = byte;
            }
            if (seen < 0x80) {
                m_inline.chars[size] = 0;
                m_inline.header.ref.atomic.storeRelaxed(-1);
                m_inline.header.size = static_cast<int>(size);
                m_inline.header.alloc = 0;
                m_inline.header.capacityReserved = 0;
                m_inline.header.offset = reinterpret_cast<const char*>(m_inline.chars) -
                                         reinterpret_cast<const char*>(&m_inline.header);
                return QString(QStringDataPtr{&m_inline.header});
            }
        }
        return Util::Utf8ToQString(key);
    }
    struct Inline
    {
        QStringData header;
        ushort chars[kInlineSize + 1];
    };

    Inline m_inline;
    QString m_text;  // after the buffer: built from it, released before it
};

QVariant StringVariant(const std::string& value)
{
    // The stored text ends at the first NUL byte, as a C string would.
    return QVariant(QString::fromUtf8(value.c_str()));
}

QVariant BytesVariant(const std::vector<unsigned char>& value)
{
    return QVariant(Util::VectorByteToQByteArray(value));
}

std::string ToStdString(const QVariant& value)
{
    return value.toString().toStdString();
}

std::vector<unsigned char> ToBytes(const QVariant& value)
{
    return Util::QByteArrayToVectorByte(value.toByteArray());
}

// Empty for an absent key. The storage is always initialised (an invalid variant converts
// to a zero value), which also keeps GCC's uninitialised-use analysis quiet.
template <typename T, typename Convert>
boost::optional<T> Previous(const QVariant& old, Convert convert)
{
    return boost::make_optional(old.isValid(), T(convert(old)));
}

// The key for a write or removal. QSettings keeps such keys, so they must own their text.
// Products write the same few keys again and again, so the last few conversions are kept.
// A key's text does not depend on the store, and each thread keeps its own, so writers on
// several threads never share (or race on) the cache.
QString StoredKey(const std::string& key)
{
    struct RecentKey
    {
        std::string utf8;
        QString text;
    };
    thread_local std::array<RecentKey, 8> recentKeys;
    thread_local std::size_t nextRecentKey = 0;

    for (const RecentKey& recent : recentKeys) {
        if (!recent.text.isNull() && recent.utf8 == key) {
            return recent.text;
        }
    }
    RecentKey& slot = recentKeys[nextRecentKey];
    nextRecentKey = (nextRecentKey + 1) % recentKeys.size();
    slot.utf8 = key;
    slot.text = Util::Utf8ToQString(key);
    return slot.text;
}

}  // namespace

SettingsManager::SettingsManager(const QString& application, const QString& organization)
    : m_store((StartupProfile::Instance().Begin(kStoresPhase), organization), application)
{
    SetWatchExternalChanges(true);
    StartupProfile::Instance().End(kStoresPhase);
}

SettingsManager::SettingsManager(const QString& fileName, QSettings::Format format)
    : m_store((StartupProfile::Instance().Begin(kStoresPhase), ResolveStoreLocation(fileName, format)),
              format)
{
    SetWatchExternalChanges(true);
    StartupProfile::Instance().End(kStoresPhase);
}

// The watcher goes first; then members in reverse order: the observer list, then the store,
// which writes out what is pending.
SettingsManager::~SettingsManager()
{
    StopWatching();
}

void SettingsManager::SetWatchExternalChanges(bool watch)
{
    if (!watch) {
        StopWatching();
        return;
    }
    const QCoreApplication* application = QCoreApplication::instance();
    if (m_watcher || application == nullptr || QThread::currentThread() != application->thread()) {
        return;
    }
    m_watcher = std::make_unique<SettingsWatcher>(*this, m_store.fileName(), m_store.format());
}

bool SettingsManager::IsWatchingExternalChanges() const
{
    return m_watcher != nullptr;
}

void SettingsManager::CheckExternalChanges()
{
    if (m_watcher && m_watcher->thread() == QThread::currentThread()) {
        m_watcher->Reread();
    }
}

// A watcher can only be deleted on its own thread; from another one it is cut off at once
// and deleted there later.
void SettingsManager::StopWatching()
{
    if (!m_watcher) {
        return;
    }
    if (m_watcher->thread() == QThread::currentThread()) {
        m_watcher.reset();
        return;
    }
    m_watcher->Detach();
    m_watcher.release()->deleteLater();
}

void SettingsManager::DeliverExternalChange(const ExternalSettingsChange& change)
{
    const std::string& key = change.key;
    const QVariant& now = change.newValue;
    const QVariant& old = change.oldValue;
    switch (change.kind) {
    case SettingsValueKind::Bool:
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnBoolChanged, _1, key,
                                     now.toBool(),
                                     Previous<bool>(old, std::mem_fn(&QVariant::toBool))));
        break;
    case SettingsValueKind::Int: {
        const auto toInt = [](const QVariant& v) { return v.toInt(); };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnIntChanged, _1, key,
                                     now.toInt(), Previous<int>(old, toInt)));
        break;
    }
    case SettingsValueKind::String:
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnStringChanged, _1, key,
                                     ToStdString(now), Previous<std::string>(old, ToStdString)));
        break;
    case SettingsValueKind::ByteArray:
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnByteArrayChanged, _1, key,
                                     ToBytes(now),
                                     Previous<std::vector<unsigned char>>(old, ToBytes)));
        break;
    case SettingsValueKind::Int64: {
        const auto toInt64 = [](const QVariant& v) { return std::int64_t{v.toLongLong()}; };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnInt64Changed, _1, key,
                                     toInt64(now), Previous<std::int64_t>(old, toInt64)));
        break;
    }
    case SettingsValueKind::Double: {
        const auto toDouble = [](const QVariant& v) { return v.toDouble(); };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnDoubleChanged, _1, key,
                                     now.toDouble(), Previous<double>(old, toDouble)));
        break;
    }
    }
}

void SettingsManager::RegisterObserver(ISettingsManagerObserver* observer)
{
    m_observers.AddHandler(observer);
}

void SettingsManager::UnregisterObserver(ISettingsManagerObserver* observer)
{
    m_observers.RemoveHandler(observer);
}

void SettingsManager::SetBool(const std::string& key, bool value)
{
    QVariant old;
    if (UpdateValue(key, QVariant(value), old, SettingsValueKind::Bool)) {
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnBoolChanged, _1, key, value,
                                     Previous<bool>(old, std::mem_fn(&QVariant::toBool))));
    }
}

void SettingsManager::SetInt(const std::string& key, int value)
{
    QVariant old;
    if (UpdateValue(key, QVariant(value), old, SettingsValueKind::Int)) {
        const auto toInt = [](const QVariant& v) { return v.toInt(); };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnIntChanged, _1, key, value,
                                     Previous<int>(old, toInt)));
    }
}

void SettingsManager::SetString(const std::string& key, const std::string& value)
{
    QVariant old;
    if (UpdateValue(key, StringVariant(value), old, SettingsValueKind::String)) {
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnStringChanged, _1, key, value,
                                     Previous<std::string>(old, ToStdString)));
    }
}

void SettingsManager::SetByteArray(const std::string& key, const std::vector<unsigned char>& value)
{
    QVariant old;
    if (UpdateValue(key, BytesVariant(value), old, SettingsValueKind::ByteArray)) {
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnByteArrayChanged, _1, key, value,
                                     Previous<std::vector<unsigned char>>(old, ToBytes)));
    }
}

void SettingsManager::SetInt64(const std::string& key, std::int64_t value)
{
    QVariant old;
    if (UpdateValue(key, QVariant(static_cast<qlonglong>(value)), old, SettingsValueKind::Int64)) {
        const auto toInt64 = [](const QVariant& v) { return std::int64_t{v.toLongLong()}; };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnInt64Changed, _1, key, value,
                                     Previous<std::int64_t>(old, toInt64)));
    }
}

void SettingsManager::SetDouble(const std::string& key, double value)
{
    QVariant old;
    if (UpdateValue(key, QVariant(value), old, SettingsValueKind::Double)) {
        const auto toDouble = [](const QVariant& v) { return v.toDouble(); };
        m_observers.Notify(std::bind(&ISettingsManagerObserver::OnDoubleChanged, _1, key, value,
                                     Previous<double>(old, toDouble)));
    }
}

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const
{
    return GetValue(key, QVariant(defaultValue), SettingsValueKind::Bool).toBool();
}

int SettingsManager::GetInt(const std::string& key, int defaultValue) const
{
    return GetValue(key, QVariant(defaultValue), SettingsValueKind::Int).toInt();
}

std::string SettingsManager::GetString(const std::string& key,
                                       const std::string& defaultValue) const
{
    return ToStdString(GetValue(key, StringVariant(defaultValue), SettingsValueKind::String));
}

std::vector<unsigned char> SettingsManager::GetByteArray(
    const std::string& key, const std::vector<unsigned char>& defaultValue) const
{
    return ToBytes(GetValue(key, BytesVariant(defaultValue), SettingsValueKind::ByteArray));
}

std::int64_t SettingsManager::GetInt64(const std::string& key, std::int64_t defaultValue) const
{
    return GetValue(key, QVariant(static_cast<qlonglong>(defaultValue)), SettingsValueKind::Int64).toLongLong();
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const
{
    return GetValue(key, QVariant(defaultValue), SettingsValueKind::Double).toDouble();
}

bool SettingsManager::Contains(const std::string& key) const
{
    return m_store.contains(LookupKey(key).Get());
}

void SettingsManager::Remove(const std::string& key)
{
    m_store.remove(StoredKey(key));
    if (m_watcher) {
        m_watcher->NoteRemoved(key);
    }
}

QString SettingsManager::GetFileName() const
{
    return m_store.fileName();
}

std::vector<std::string> SettingsManager::GetKeys(const std::string& group) const
{
    QString prefix = Util::Utf8ToQString(group);
    if (!prefix.isEmpty() && !prefix.endsWith(QLatin1Char('/'))) {
        prefix += QLatin1Char('/');
    }
    std::vector<std::string> keys;
    for (const QString& key : m_store.allKeys()) {
        if (key.startsWith(prefix)) {
            keys.push_back(Util::QStringToUtf8(key.mid(prefix.size())));
        }
    }
    return keys;
}

QVariant SettingsManager::GetValue(const std::string& key, const QVariant& defaultValue,
                                   SettingsValueKind kind) const
{
    // QSettings answers an empty key with an invalid variant; the store answers the default.
    if (key.empty()) {
        return defaultValue;
    }
    if (m_watcher) {
        m_watcher->NoteRead(key, kind);
    }
    return m_store.value(LookupKey(key).Get(), defaultValue);
}

bool SettingsManager::UpdateValue(const std::string& key, const QVariant& newValue,
                                  QVariant& oldValue, SettingsValueKind kind)
{
    // QSettings ignores an empty key; so does the store, without telling anyone.
    if (key.empty()) {
        oldValue = QVariant();
        return false;
    }
    oldValue = m_store.value(LookupKey(key).Get());
    if (newValue == oldValue) {
        return false;
    }
    m_store.setValue(StoredKey(key), newValue);
    if (m_watcher) {
        m_watcher->NoteWritten(key, newValue, kind);
    }
    return true;
}

}  // namespace App
}  // namespace Tavrin
