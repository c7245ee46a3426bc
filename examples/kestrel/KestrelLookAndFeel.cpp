#include "KestrelLookAndFeel.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ICustomizationManager.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/LookAndFeelHandler.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Util/StringConversion.h>

#include <QCoreApplication>

#include <algorithm>
#include <list>
#include <string>

namespace Kestrel {

namespace {

using Tavrin::App::Application;
using Tavrin::App::LookAndFeelHandler;
using Tavrin::App::LookAndFeelManager;

// Per-module files: tavrinapp_{locale}.qm translates the library's texts, kestrel.rcc and
// kestrel_{locale}.qm are the product's. Later modules win a text both translate.
const std::list<std::string> kModules = {"tavrinapp", "kestrel"};
// The message domain of the language and theme names.
const std::list<std::string> kDomains = {"core"};

// The directory that holds "resources": the executable's own.
Tavrin::ioPath ApplicationRoot()
{
    const Tavrin::ioPath directory =
        Tavrin::Core::AppLocations::GetLocations().GetApplicationDirectory();
    return directory.empty()
               ? Tavrin::ioPath(Tavrin::Util::QStringToUtf8(QCoreApplication::applicationDirPath()))
               : directory;
}

}  // namespace

const char* const KestrelLookAndFeel::kLocaleKey = "Locale";
const char* const KestrelLookAndFeel::kThemeKey = "Theme";
const char* const KestrelLookAndFeel::kDefaultTheme = "light";
const char* const KestrelLookAndFeel::kThemeTitleFile = "theme.json";

KestrelLookAndFeel::KestrelLookAndFeel(Application& application)
    : m_application(application),
      m_manager(std::make_shared<LookAndFeelManager>(ApplicationRoot(), kThemeTitleFile, kModules,
                                                     kDomains))
{
    m_application.SetLookAndFeel(m_manager);
    m_manager->RegisterObserver(this);
    // The manager falls back from a language that is not installed (or none) by itself.
    const std::shared_ptr<Tavrin::App::ISettingsManager> store =
        m_application.GetProductSettingsManager();
    const std::string locale = store ? store->GetString(kLocaleKey, std::string()) : std::string();
    m_manager->Initialize(locale, StartingTheme());
}

KestrelLookAndFeel::~KestrelLookAndFeel()
{
    m_handler.reset();
    m_manager->UnregisterObserver(this);
}

void KestrelLookAndFeel::AttachMenus(QMenu* languageMenu, QMenu* themeMenu)
{
    m_handler = std::make_unique<LookAndFeelHandler>(m_manager, languageMenu, themeMenu, nullptr);
    m_handler->SetLocaleList(m_manager->GetLocales());
    m_handler->SetThemeList(m_manager->GetThemes());
    m_handler->SelectLocale(m_manager->GetCurrentLocale());
    m_handler->SelectTheme(m_manager->GetCurrentTheme());
    // Only the user's own picks are kept: a language the manager chose from the system
    // stays a default that follows the system.
    QObject::connect(m_handler.get(), &LookAndFeelHandler::LocaleChanged, m_handler.get(),
                     [this] { Remember(kLocaleKey, m_manager->GetCurrentLocale()); });
    QObject::connect(m_handler.get(), &LookAndFeelHandler::ThemeChanged, m_handler.get(),
                     [this] { Remember(kThemeKey, m_manager->GetCurrentTheme()); });
}

void KestrelLookAndFeel::OnLocaleChanged(const std::string& locale)
{
    if (const auto customization = m_application.GetCustomizationManager()) {
        customization->ApplyLocale(locale);
    }
    // The font variables were taken for the previous language.
    const std::string theme = m_manager->GetCurrentTheme();
    if (!theme.empty()) {
        m_manager->SetTheme(theme);
    }
}

void KestrelLookAndFeel::OnThemeChanged(const std::string& /*theme*/)
{
    m_application.setStyleSheet(Tavrin::Util::Utf8ToQString(m_manager->GetUnitedStylesheet()));
}

std::string KestrelLookAndFeel::StartingTheme() const
{
    const std::list<std::string>& themes = m_manager->GetThemes();
    const auto installed = [&themes](const std::string& theme) {
        return std::find(themes.begin(), themes.end(), theme) != themes.end();
    };
    const std::shared_ptr<Tavrin::App::ISettingsManager> store =
        m_application.GetProductSettingsManager();
    const std::string stored = store ? store->GetString(kThemeKey, std::string()) : std::string();
    if (installed(stored)) {
        return stored;
    }
    if (installed(kDefaultTheme)) {
        return kDefaultTheme;
    }
    // Without any theme the manager is asked for none and the application stays unstyled.
    return themes.empty() ? std::string() : themes.front();
}

void KestrelLookAndFeel::Remember(const char* key, const std::string& value) const
{
    if (const auto store = m_application.GetProductSettingsManager()) {
        store->SetString(key, value);
    }
}

}  // namespace Kestrel
