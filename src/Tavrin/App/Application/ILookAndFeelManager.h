#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <list>
#include <string>

namespace Tavrin {
namespace App {

class ILookAndFeelObserver;

// The themes and interface languages the installed product offers, the current one of
// each, and the application's style sheet. Locale names look like "ru_RU".
class TAVRIN_APP_EXPORT ILookAndFeelManager
{
public:
    virtual ~ILookAndFeelManager();

    virtual void Initialize(const std::string& locale, const std::string& theme) = 0;
    virtual const std::string& GetCurrentLocale() const = 0;
    virtual const std::list<std::string>& GetLocales() const = 0;
    virtual const std::list<std::string>& GetThemes() const = 0;
    virtual void SetLocale(const std::string& locale) = 0;
    virtual void SetTheme(const std::string& theme) = 0;
    virtual const std::string& GetCurrentTheme() const = 0;
    // The theme's title in the current locale.
    virtual std::string GetLocalizedThemeName(const std::string& theme) const = 0;
    // The style sheet of the current theme with its font variables substituted (UTF-8).
    virtual std::string GetUnitedStylesheet() = 0;
    virtual std::string GetDefaultLocale() const = 0;
    virtual void RegisterObserver(ILookAndFeelObserver* observer) = 0;
    virtual void UnregisterObserver(ILookAndFeelObserver* observer) = 0;
};

}  // namespace App
}  // namespace Tavrin
