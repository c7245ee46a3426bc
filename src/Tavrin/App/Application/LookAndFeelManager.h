#pragma once

#include <Tavrin/App/Application/EventHandlerList.h>
#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ILookAndFeelObserver.h>
#include <Tavrin/App/TavrinAppExport.h>
#include <Tavrin/Core/Property.h>
#include <Tavrin/Core/ioPath.h>

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QTranslator>

#include <list>
#include <map>
#include <memory>
#include <string>

namespace Tavrin {
namespace App {

// The themes and interface languages found below {appRoot}/resources, and the current one
// of each.
//
// A theme is a directory resources/themes/{theme} holding the theme title file and
// compiled Qt resource files ({module}.rcc). Applying it registers those files and unites
// their style sheets, then the library's own, with the font variables of their fonts.json
// substituted. A locale is a directory resources/locales/{locale} holding Qt translation
// files ({module}_{locale}.qm) and the message catalogues of the localization domains.
// GUI thread only; observers are told synchronously.
class TAVRIN_APP_EXPORT LookAndFeelManager : public ILookAndFeelManager
{
public:
    // moduleNames: exactly these resource and translation files, in this order; empty for
    // every *.rcc / *.qm file. localizationDomains: the first is the default domain
    // ("core" when empty).
    LookAndFeelManager(const ioPath& appRoot, const std::string& themeTitleFile,
                       const std::list<std::string>& moduleNames,
                       const std::list<std::string>& localizationDomains);
    ~LookAndFeelManager() override;

    LookAndFeelManager(const LookAndFeelManager&) = delete;
    LookAndFeelManager& operator=(const LookAndFeelManager&) = delete;

    void Initialize(const std::string& locale, const std::string& theme) override;
    const std::string& GetCurrentLocale() const override;
    const std::list<std::string>& GetLocales() const override;
    const std::list<std::string>& GetThemes() const override;
    void SetLocale(const std::string& locale) override;
    void SetTheme(const std::string& theme) override;
    const std::string& GetCurrentTheme() const override;
    std::string GetLocalizedThemeName(const std::string& theme) const override;
    std::string GetUnitedStylesheet() override;
    // The installer's language as a locale name, or "unknown".
    std::string GetDefaultLocale() const override;
    void RegisterObserver(ILookAndFeelObserver* observer) override;
    void UnregisterObserver(ILookAndFeelObserver* observer) override;

    // The locale of an installer language code (a Windows LCID); "en_US" for unlisted codes.
    static std::string LocaleNameFromInstallerCode(unsigned int code);

private:
    void Discover(const std::string& themeTitleFile);
    void ReadThemeTitles(const std::string& themeTitleFile);
    QList<QFileInfo> GetFilteredResourceList() const;
    void ClearCurrentTheme();
    std::string ValidateLocale(const std::string& locale) const;
    void InstallTranslators();

    ioPath m_appRoot;
    std::list<std::string> m_moduleNames;
    std::list<std::string> m_locales;
    std::string m_currentLocale;
    std::list<std::string> m_themes;
    std::string m_currentTheme;
    std::map<std::string, Core::Property> m_themeTitles;
    QString m_unitedStylesheet;
    // The fonts the current theme made available, removed with it.
    QList<int> m_themeFontIds;
    std::list<std::shared_ptr<QTranslator>> m_translators;
    Core::EventHandlerList<ILookAndFeelObserver> m_observers;
};

}  // namespace App
}  // namespace Tavrin
