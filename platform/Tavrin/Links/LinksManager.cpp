#include <Tavrin/Links/LinksManager.h>

#include <Tavrin/Links/LinkTable_p.h>

#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Util/SslUsage.h>
#include <Tavrin/Util/StringConversion.h>
#include <Tavrin/Util/VersionToString.h>

#include <QDesktopServices>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QUrl>

#include <glog/logging.h>

#include <mutex>

namespace Tavrin {
namespace App {

ILinksGenerator::~ILinksGenerator() = default;
ILinksOpener::~ILinksOpener() = default;

namespace {

const char kLinkTableName[] = "links.json";
const QString kDefaultMember = QStringLiteral("default");

// A missing table is a product without links; a broken one is a packaging fault worth an
// ERROR. Members of the wrong shape are dropped one by one so one typo does not take every
// link of the product with it.
LinkTable LoadLinkTable()
{
    const QString path = Util::Utf8ToQString(
        (Core::AppLocations::GetLocations().GetResourcesPath() / kLinkTableName).utf8string());
    QFile file(path);
    if (!file.exists()) {
        LOG(INFO) << "No link table at " << path.toStdString() << "; links are empty";
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        LOG(ERROR) << "Cannot read link table " << path.toStdString() << ": "
                   << file.errorString().toStdString();
        return {};
    }
    LinkTable table;
    QString error;
    QStringList skipped;
    if (!ParseLinkTable(file.readAll(), table, error, skipped)) {
        LOG(ERROR) << "Link table " << path.toStdString() << " is " << error.toStdString();
        return {};
    }
    if (!skipped.isEmpty()) {
        LOG(ERROR) << "Link table " << path.toStdString()
                   << ": skipped members that are neither a URL template nor an object of "
                      "templates per locale: "
                   << skipped.join(QStringLiteral(", ")).toStdString();
    }
    return table;
}

// The QString of the last UTF-8 text it was given.
class Utf8Memo
{
public:
    const QString& Text(const std::string& utf8)
    {
        if (!m_valid || utf8 != m_utf8) {
            m_utf8 = utf8;
            m_text = Util::Utf8ToQString(utf8);
            m_valid = true;
        }
        return m_text;
    }

private:
    bool m_valid = false;
    std::string m_utf8;
    QString m_text;
};

// Key strings of the key table on the Qt side, converted once.
const QHash<int, QString>& KeyStrings()
{
    static const QHash<int, QString> strings = [] {
        QHash<int, QString> converted;
        for (const auto& entry : UrlKeyTable())
            converted.insert(entry.first, Util::Utf8ToQString(entry.second));
        return converted;
    }();
    return strings;
}

// The desktop's opener takes options and local files too: "--help" or a file:// link to a
// launcher would be run, not shown. Only web pages and mail go through.
bool IsOpenableLink(const QUrl& url)
{
    if (!url.isValid() || url.isRelative())
        return false;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    return scheme == QLatin1String("mailto") && !url.path().isEmpty();
}

}  // namespace

struct LinksManager::Impl
{
    std::shared_ptr<ICustomizationManager> customization;
    std::shared_ptr<ILookAndFeelManager> lookAndFeel;
    std::shared_ptr<ISettingsManager> mailSettings;
    // The installer's record of this installation. Not consulted: every value a template can
    // name comes from the three services above.
    std::shared_ptr<ISettingsManager> installerSettings;

    mutable std::once_flag loaded;
    mutable LinkTable table;

    // The last conversions, reused while the source text stays the same: the values are
    // still read from the services at every call.
    mutable Utf8Memo currentLocale;
    mutable Utf8Memo moduleName;
    mutable Core::Version version;
    mutable QString versionText;
    mutable bool hasVersion = false;

    const LinkTable& Table() const
    {
        std::call_once(loaded, [this] { table = LoadLinkTable(); });
        return table;
    }

    // Appends the value of a built-in placeholder; false for a name that is not one.
    bool AppendBuiltIn(const QStringRef& name, const QString& locale, QString& result) const
    {
        if (name == QLatin1String("scheme")) {
            result.append(Util::GetDefaultUrlScheme());
        } else if (name == QLatin1String("locale")) {
            result.append(locale);
        } else if (name == QLatin1String("lang")) {
            const int separator = locale.indexOf(QLatin1Char('_'));
            result.append(separator < 0 ? locale.midRef(0) : locale.leftRef(separator));
        } else if (name == QLatin1String("module")) {
            result.append(moduleName.Text(customization->GetModuleName()));
        } else if (name == QLatin1String("version")) {
            result.append(VersionText());
        } else if (name == QLatin1String("email")) {
            const std::string email = mailSettings->GetString("UserEmail", "");
            result.append(QString::fromLatin1(QUrl::toPercentEncoding(Util::Utf8ToQString(email))));
        } else {
            return false;
        }
        return true;
    }

    const QString& VersionText() const
    {
        const Core::Version current = customization->GetVersion();
        if (!hasVersion || current.Numbers() != version.Numbers()) {
            version = current;
            versionText = Util::VersionToString(current, 0, QStringLiteral("."));
            hasVersion = true;
        }
        return versionText;
    }

    // A link is never worth an exception in the caller's face: a failing service gives an
    // empty URL and an ERROR line instead.
    QString GenerateSafely(const QString& key, const QMap<QString, QString>& parameters) const
    {
        try {
            return Generate(key, parameters);
        } catch (const std::exception& error) {
            LOG(ERROR) << "Cannot make the URL of " << key.toStdString() << ": " << error.what();
        }
        return QString();
    }

    QString Generate(const QString& key, const QMap<QString, QString>& parameters) const
    {
        const LinkTable& links = Table();
        const auto link = links.constFind(key);
        if (link == links.constEnd())
            return QString();
        // Asked on every call: the diagnostics switch locales and ask again at once.
        const QString& locale = currentLocale.Text(lookAndFeel->GetCurrentLocale());
        auto pattern = link->constFind(locale);
        if (pattern == link->constEnd())
            pattern = link->constFind(kDefaultMember);
        if (pattern == link->constEnd())
            return QString();
        return ExpandLinkTemplate(pattern.value(), parameters,
                                  [this, &locale](const QStringRef& name, QString& result) {
                                      return AppendBuiltIn(name, locale, result);
                                  });
    }
};

LinksManager::LinksManager(NotNull<std::shared_ptr<ICustomizationManager>> customization,
                           NotNull<std::shared_ptr<ILookAndFeelManager>> lookAndFeel,
                           NotNull<std::shared_ptr<ISettingsManager>> mailSettings,
                           std::shared_ptr<ISettingsManager> installerSettings)
    : m_impl(new Impl)
{
    m_impl->customization = customization.get();
    m_impl->lookAndFeel = lookAndFeel.get();
    m_impl->mailSettings = mailSettings.get();
    m_impl->installerSettings = std::move(installerSettings);
}

LinksManager::~LinksManager() = default;

QString LinksManager::GetUrl(const QString& key) const
{
    return m_impl->GenerateSafely(key, {});
}

QString LinksManager::GetUrl(URLKeys key) const
{
    const QHash<int, QString>& keys = KeyStrings();
    const auto entry = keys.constFind(key);
    return entry == keys.constEnd() ? QString() : GetUrl(entry.value());
}

QString LinksManager::GenerateUrl(const QString& key, QMap<QString, QString> parameters) const
{
    return m_impl->GenerateSafely(key, parameters);
}

void LinksManager::OpenUrl(const QString& url) const
{
    if (url.isEmpty())
        return;
    const QUrl parsed(url, QUrl::StrictMode);
    if (!IsOpenableLink(parsed)) {
        LOG(WARNING) << "Not opening \"" << url.toStdString()
                     << "\": only absolute http, https and mailto URLs are opened";
        return;
    }
    if (!QDesktopServices::openUrl(parsed))
        LOG(WARNING) << "Cannot open URL " << url.toStdString();
}

void LinksManager::OpenUrl(URLKeys key) const
{
    OpenUrl(GetUrl(key));
}

}  // namespace App
}  // namespace Tavrin
