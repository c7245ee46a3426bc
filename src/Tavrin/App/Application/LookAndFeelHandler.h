#pragma once

#include <Tavrin/App/Application/ILookAndFeelManager.h>
#include <Tavrin/App/Application/ILookAndFeelObserver.h>
#include <Tavrin/App/TavrinAppExport.h>

#include <QObject>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QMenu;

namespace Tavrin {
namespace App {

// Keeps a language menu and a theme menu in step with the look-and-feel manager: one
// checkable, mutually exclusive entry per locale or theme, the current one checked. Picking
// an entry switches the manager and then announces the pick. Entries carry the name as
// their data; labels come from the "core" message domain (languages) and the theme titles
// (themes). The menus are not owned and may be null. GUI thread only.
class TAVRIN_APP_EXPORT LookAndFeelHandler : public QObject, public ILookAndFeelObserver
{
    Q_OBJECT

public:
    LookAndFeelHandler(std::shared_ptr<ILookAndFeelManager> manager, QMenu* localeMenu,
                       QMenu* themeMenu, QObject* parent);
    ~LookAndFeelHandler() override;

    // Rebuild the menu (without a check mark); the language menu ends with a separator.
    void SetLocaleList(const std::list<std::string>& locales);
    void SetThemeList(const std::list<std::string>& themes);
    // Clear the previous menu and rebuild into the new one once a selection exists.
    void SetLocaleMenu(QMenu* menu);
    void SetThemeMenu(QMenu* menu);
    // Check the entry of that name, if there is one.
    void SelectLocale(const std::string& locale);
    void SelectTheme(const std::string& theme);
    // Rebuild each menu that has a selection and check it.
    void Refresh();

    void OnLocaleChanged(const std::string& locale) override;
    void OnThemeChanged(const std::string& theme) override;

signals:
    // The user picked an entry; the manager has already switched.
    void LocaleChanged(const std::string& locale);
    void ThemeChanged(const std::string& theme);

private slots:
    void OnInnerLocaleChanged(QAction* action);
    void OnInnerThemeChanged(QAction* action);
    void Retranslate();

private:
    using Actions = std::map<std::string, QAction*>;
    using Label = std::function<QString(const std::string&)>;

    static void RebuildMenu(QMenu* menu, const std::list<std::string>& names, QActionGroup* group,
                            Actions& actions, const Label& label);
    static void CheckEntry(const std::string& name, const Actions& actions);
    void RebuildLocaleMenu();
    void RebuildThemeMenu();

    std::shared_ptr<ILookAndFeelManager> m_manager;
    QMenu* m_localeMenu;
    QActionGroup* m_localeGroup;
    // Ends the language menu; one action, moved along on every rebuild.
    QAction* m_localeSeparator;
    std::list<std::string> m_locales;
    Actions m_localeActions;
    std::string m_selectedLocale;
    QMenu* m_themeMenu;
    QActionGroup* m_themeGroup;
    std::list<std::string> m_themes;
    Actions m_themeActions;
    std::string m_selectedTheme;
};

}  // namespace App
}  // namespace Tavrin
