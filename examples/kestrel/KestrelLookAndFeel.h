#pragma once

#include <Tavrin/App/Application/ILookAndFeelObserver.h>

#include <memory>
#include <string>

class QMenu;

namespace Tavrin {
namespace App {
class Application;
class ILookAndFeelManager;
class LookAndFeelHandler;
}  // namespace App
}  // namespace Tavrin

namespace Kestrel {

// The product's themes and interface languages. Builds the look-and-feel manager over the
// resources beside the executable, hands it to the application and starts it with the
// user's last choices from the product store. Applies the united style sheet to the whole
// application on every theme change, and re-applies the theme on every language change
// because the themes' font variables depend on the language. Construct it after the
// customization manager and the product store have been injected; destroy it before the
// application.
class KestrelLookAndFeel : public Tavrin::App::ILookAndFeelObserver
{
public:
    // Keys in the product store.
    static const char* const kLocaleKey;
    static const char* const kThemeKey;
    // Taken when nothing valid was chosen before and the product ships it.
    static const char* const kDefaultTheme;
    // The name of the title file in every theme directory.
    static const char* const kThemeTitleFile;

    explicit KestrelLookAndFeel(Tavrin::App::Application& application);
    ~KestrelLookAndFeel() override;

    KestrelLookAndFeel(const KestrelLookAndFeel&) = delete;
    KestrelLookAndFeel& operator=(const KestrelLookAndFeel&) = delete;

    // From now on these menus list the languages and themes and switch them; the user's
    // picks are remembered for the next run. The menus must outlive this object or be
    // replaced first.
    void AttachMenus(QMenu* languageMenu, QMenu* themeMenu);

    void OnLocaleChanged(const std::string& locale) override;
    void OnThemeChanged(const std::string& theme) override;

private:
    std::string StartingTheme() const;
    void Remember(const char* key, const std::string& value) const;

    Tavrin::App::Application& m_application;
    std::shared_ptr<Tavrin::App::ILookAndFeelManager> m_manager;
    std::unique_ptr<Tavrin::App::LookAndFeelHandler> m_handler;
};

}  // namespace Kestrel
