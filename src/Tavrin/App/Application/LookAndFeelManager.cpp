#include "Tavrin/App/Application/LookAndFeelManager.h"

#include "Tavrin/App/Application/Application.h"
#include "Tavrin/App/Application/FontVariables_p.h"
#include "Tavrin/App/Application/ISettingsManager.h"
#include "Tavrin/App/Application/StartupProfile.h"
#include "Tavrin/Core/DataInput.h"
#include "Tavrin/Core/LocalizationManager.h"
#include "Tavrin/Core/PropertySerializer.h"
#include "Tavrin/Util/FontDatabase.h"
#include "Tavrin/Util/StringConversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMap>
#include <QPixmapCache>
#include <QResource>
#include <QStringList>
#include <QTextStream>
#include <QVariantMap>

#include <glog/logging.h>

#include <algorithm>
#include <exception>

namespace Tavrin {
namespace App {

namespace {

// Fills every platform slot of resource names and fonts.json keys.
const QString kPlatformTag = QStringLiteral("win");
const char* const kUnknownLocale = "unknown";
const char* const kFallbackLocale = "en_US";
const char* const kDefaultDomain = "core";

QString ToQString(const ioPath& path)
{
    return Util::Utf8ToQString(path.utf8string());
}

// Subdirectory base names in Qt's default listing order (by name, ignoring case).
std::list<std::string> ListSubdirectories(const ioPath& directory)
{
    std::list<std::string> names;
    const QFileInfoList entries =
        QDir(ToQString(directory)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        names.push_back(Util::QStringToUtf8(entry.baseName()));
    }
    return names;
}

// The files of a directory that match the pattern, by name ignoring case.
QFileInfoList ListFiles(const QString& directory, const QString& pattern)
{
    return QDir(directory).entryInfoList({pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

bool OpensAsText(QFile& file)
{
    return file.open(QIODevice::ReadOnly | QIODevice::Text);
}

bool Contains(const std::list<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

void ReadFontVariables(const QString& module, const std::string& locale,
                       QMap<QString, QString>& variables)
{
    QFile file(QStringLiteral(":/%1/fonts.json").arg(module));
    if (!OpensAsText(file)) {
        return;
    }
    QString error;
    if (!MergeFontVariablesFromJson(QTextStream(&file).readAll().toLocal8Bit(), kPlatformTag,
                                    Util::Utf8ToQString(locale), variables, &error)) {
        LOG(WARNING) << "The font variables [" << Util::QStringToUtf8(file.fileName())
                     << "] are not a JSON object; ignored (" << Util::QStringToUtf8(error) << ")";
    }
}

// Adds the ids of the fonts it made available to fontIds.
void RegisterFonts(const QString& module, QList<int>& fontIds)
{
    QFile file(QLatin1String(":/") + module + QLatin1String("/fonts.manifest"));
    if (!OpensAsText(file)) {
        return;
    }
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        QString path;
        stream >> path;
        if (!path.isEmpty()) {
            const int id = Util::FontDatabase::addApplicationFont(path);
            if (id >= 0) {
                fontIds << id;
            }
        }
    }
}

QString ReadStylesheet(const QString& path)
{
    QFile file(path);
    return OpensAsText(file) ? QString::fromUtf8(file.readAll()) : QString();
}

// The system's interface languages as locale-name prefixes, most preferred first.
std::list<std::string> SystemLanguages()
{
    std::list<std::string> languages;
    for (const QString& entry : QLocale().uiLanguages()) {
        const QString name = QLocale(entry).name();
        if (name.startsWith(QLatin1String("pt"))) {
            languages.push_back("pt_BR");
        } else if (name.startsWith(QLatin1String("zh_CN"))) {
            languages.push_back("zh_CN");
        } else if (name.startsWith(QLatin1String("zh"))) {
            languages.push_back("zh_TW");
        } else if (!name.isEmpty()) {
            languages.push_back(Util::QStringToUtf8(name));
        }
    }
    return languages;
}

}  // namespace

LookAndFeelManager::LookAndFeelManager(const ioPath& appRoot, const std::string& themeTitleFile,
                                       const std::list<std::string>& moduleNames,
                                       const std::list<std::string>& localizationDomains)
    : m_appRoot(appRoot), m_moduleNames(moduleNames)
{
    const StartupProfile::ScopedPhase phase("look and feel");
    Discover(themeTitleFile);
    ReadThemeTitles(themeTitleFile);

    // Without domains the default one is still added, so that its catalogues answer.
    const std::list<std::string> domains =
        localizationDomains.empty() ? std::list<std::string>{kDefaultDomain} : localizationDomains;
    Core::LocalizationManager& localization = Core::GetLocalizationManager();
    localization.Init(domains.front(), m_appRoot / "resources" / "locales");
    for (const std::string& domain : domains) {
        localization.AddDomain(domain);
    }
}

LookAndFeelManager::~LookAndFeelManager()
{
    Core::GetLocalizationManager().Release();
}

void LookAndFeelManager::Discover(const std::string& themeTitleFile)
{
    const ioPath resources = m_appRoot / "resources";
    for (const std::string& entry : ListSubdirectories(resources)) {
        if (entry == "locales") {
            m_locales = ListSubdirectories(resources / "locales");
        } else if (entry == "themes") {
            for (const std::string& theme : ListSubdirectories(resources / "themes")) {
                QFile title(ToQString(resources / "themes" / theme / themeTitleFile));
                if (OpensAsText(title)) {
                    m_themes.push_back(theme);
                }
            }
        }
    }
}

void LookAndFeelManager::ReadThemeTitles(const std::string& themeTitleFile)
{
    for (const std::string& theme : m_themes) {
        const ioPath path = m_appRoot / "resources" / "themes" / theme / themeTitleFile;
        QFile file(ToQString(path));
        if (!OpensAsText(file)) {
            continue;
        }
        const std::string text = file.readAll().toStdString();
        Core::Property title("");
        try {
            Core::PropertySerializer::Deserialize(title, Core::DataInputString::Create(&text),
                                                  true);
        } catch (const std::exception& error) {
            // The theme stays available under its directory name.
            LOG(WARNING) << "The theme title file [" << path.utf8string()
                         << "] is malformed: " << error.what();
            continue;
        }
        m_themeTitles[theme] = std::move(title);
    }
}

void LookAndFeelManager::Initialize(const std::string& locale, const std::string& theme)
{
    SetLocale(locale);
    SetTheme(theme);
}

const std::string& LookAndFeelManager::GetCurrentLocale() const
{
    return m_currentLocale;
}

const std::list<std::string>& LookAndFeelManager::GetLocales() const
{
    return m_locales;
}

const std::list<std::string>& LookAndFeelManager::GetThemes() const
{
    return m_themes;
}

const std::string& LookAndFeelManager::GetCurrentTheme() const
{
    return m_currentTheme;
}

void LookAndFeelManager::SetTheme(const std::string& theme)
{
    if (theme != m_currentTheme) {
        ClearCurrentTheme();
    }
    if (theme.empty()) {
        return;
    }
    m_currentTheme = theme;
    m_unitedStylesheet.clear();

    QStringList stylesheets;
    QMap<QString, QString> fontVariables;
    for (const QFileInfo& entry : GetFilteredResourceList()) {
        if (!entry.isFile()) {
            continue;
        }
        // A file Qt cannot read simply contributes nothing below.
        QResource::registerResource(entry.absoluteFilePath(), QString());
        const QString module = entry.baseName();
        stylesheets << QLatin1String(":/") + module + QLatin1String("/style.qss")
                    << QLatin1String(":/") + module +
                           QStringLiteral("/fonts_%1.qss").arg(kPlatformTag);
        ReadFontVariables(module, m_currentLocale, fontVariables);
        RegisterFonts(module, m_themeFontIds);
    }
    stylesheets << QStringLiteral(":/productStyle.qss")
                << QStringLiteral(":/productStyle_%1.qss").arg(kPlatformTag);

    for (const QString& path : stylesheets) {
        m_unitedStylesheet += ReadStylesheet(path);
        m_unitedStylesheet += QLatin1Char('\n');
    }
    // Ascending name order: a name that begins another is replaced first, inside it too.
    for (auto variable = fontVariables.cbegin(); variable != fontVariables.cend(); ++variable) {
        m_unitedStylesheet.replace(variable.key(), variable.value(), Qt::CaseSensitive);
    }

    const std::string current = m_currentTheme;
    m_observers.Notify(
        [&current](ILookAndFeelObserver* observer) { observer->OnThemeChanged(current); });
}

QList<QFileInfo> LookAndFeelManager::GetFilteredResourceList() const
{
    const ioPath themeDirectory = m_appRoot / "resources" / "themes" / m_currentTheme;
    const QString directory = ToQString(themeDirectory);
    if (!QDir(directory).exists()) {
        LOG(ERROR) << "The directory [" << themeDirectory.utf8string() << "] doesn't exist!";
        return {};
    }
    if (m_moduleNames.empty()) {
        return ListFiles(directory, QStringLiteral("*.rcc"));
    }
    QList<QFileInfo> resources;
    for (const std::string& module : m_moduleNames) {
        const QFileInfo candidate(ToQString(themeDirectory / (module + ".rcc")));
        if (candidate.exists()) {
            resources << candidate;
        }
    }
    return resources;
}

void LookAndFeelManager::ClearCurrentTheme()
{
    if (!m_currentTheme.empty()) {
        for (const QFileInfo& entry : GetFilteredResourceList()) {
            // Re-applying the current theme registers its files once more, and Qt reads a
            // resource from the oldest registration: drop them all, or they would shadow
            // the next theme's modules of the same name.
            while (entry.isFile() &&
                   QResource::unregisterResource(entry.absoluteFilePath(), QString())) {
            }
        }
        m_currentTheme.clear();
    }
    // The font database keeps a copy of every font file added: a theme applied again and
    // again would otherwise hold one more copy each time.
    for (const int id : qAsConst(m_themeFontIds)) {
        Util::FontDatabase::removeApplicationFont(id);
    }
    m_themeFontIds.clear();
    QPixmapCache::clear();
}

std::string LookAndFeelManager::GetUnitedStylesheet()
{
    return Util::QStringToUtf8(m_unitedStylesheet);
}

std::string LookAndFeelManager::GetLocalizedThemeName(const std::string& theme) const
{
    const auto title = m_themeTitles.find(theme);
    const Core::Property* name =
        title == m_themeTitles.end() ? nullptr : title->second.FindChild(m_currentLocale);
    if (!name) {
        LOG(WARNING) << "No title found for theme [" << theme << "] on language ["
                     << m_currentLocale << "]!";
        return theme;
    }
    return name->GetString();
}

void LookAndFeelManager::RegisterObserver(ILookAndFeelObserver* observer)
{
    m_observers.AddHandler(observer);
}

void LookAndFeelManager::UnregisterObserver(ILookAndFeelObserver* observer)
{
    m_observers.RemoveHandler(observer);
}

std::string LookAndFeelManager::GetDefaultLocale() const
{
    const Application* application = Application::Instance();
    const std::shared_ptr<ISettingsManager> installer =
        application ? application->GetInstallerSettings("") : nullptr;
    const int code = installer ? installer->GetInt("Language", 0) : 0;
    return code == 0 ? kUnknownLocale : LocaleNameFromInstallerCode(static_cast<unsigned>(code));
}

std::string LookAndFeelManager::LocaleNameFromInstallerCode(unsigned int code)
{
    static const std::map<unsigned int, const char*> kLocales = {
        {0x0404, "zh_TW"}, {0x0407, "de_DE"}, {0x040A, "es_ES"}, {0x040C, "fr_FR"},
        {0x0410, "it_IT"}, {0x0411, "ja_JP"}, {0x0412, "ko_KR"}, {0x0413, "nl_NL"},
        {0x0415, "pl_PL"}, {0x0416, "pt_BR"}, {0x0419, "ru_RU"}, {0x041F, "tr_TR"},
        {0x0804, "zh_CN"}, {0x0816, "pt_PT"},
    };
    const auto found = kLocales.find(code);
    return found == kLocales.end() ? kFallbackLocale : found->second;
}

std::string LookAndFeelManager::ValidateLocale(const std::string& locale) const
{
    if (!locale.empty() && locale != kUnknownLocale && Contains(m_locales, locale)) {
        return locale;
    }
    for (const std::string& language : SystemLanguages()) {
        for (const std::string& installed : m_locales) {
            if (StartsWith(installed, language)) {
                return installed;
            }
        }
    }
    const std::string installerLocale = GetDefaultLocale();
    return installerLocale.empty() || installerLocale == kUnknownLocale ? kFallbackLocale
                                                                        : installerLocale;
}

void LookAndFeelManager::SetLocale(const std::string& requested)
{
    const std::string locale = ValidateLocale(requested);
    if (locale == m_currentLocale) {
        return;
    }
    m_currentLocale = locale;

    for (const std::shared_ptr<QTranslator>& translator : m_translators) {
        QCoreApplication::removeTranslator(translator.get());
    }
    m_translators.clear();
    InstallTranslators();

    Core::GetLocalizationManager().SetLanguage(m_currentLocale);
    const std::string current = m_currentLocale;
    m_observers.Notify(
        [&current](ILookAndFeelObserver* observer) { observer->OnLocaleChanged(current); });
}

void LookAndFeelManager::InstallTranslators()
{
    const ioPath localeDirectory = m_appRoot / "resources" / "locales" / m_currentLocale;
    QList<QFileInfo> files;
    if (m_moduleNames.empty()) {
        files = ListFiles(ToQString(localeDirectory), QStringLiteral("*.qm"));
    } else {
        for (const std::string& module : m_moduleNames) {
            const QFileInfo candidate(
                ToQString(localeDirectory / (module + "_" + m_currentLocale + ".qm")));
            if (candidate.exists()) {
                files << candidate;
            }
        }
    }
    for (const QFileInfo& file : files) {
        if (!file.isFile()) {
            continue;
        }
        auto translator = std::make_shared<QTranslator>();
        if (translator->load(file.absoluteFilePath())) {
            QCoreApplication::installTranslator(translator.get());
            m_translators.push_back(std::move(translator));
        }
    }
}

}  // namespace App
}  // namespace Tavrin
