#include "Tavrin/App/Application/LookAndFeelHandler.h"

#include "Tavrin/Core/LocalizationManager.h"
#include "Tavrin/Util/StringConversion.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace Tavrin {
namespace App {

namespace {

const char* const kLabelDomain = "core";

std::string NameOf(const QAction* action)
{
    return Util::QStringToUtf8(action->data().toString());
}

QString LocaleLabel(const std::string& locale)
{
    return Util::Utf8ToQString(
        Core::GetLocalizationManagerForDomain(kLabelDomain).Translate(locale));
}

}  // namespace

LookAndFeelHandler::LookAndFeelHandler(std::shared_ptr<ILookAndFeelManager> manager,
                                       QMenu* localeMenu, QMenu* themeMenu, QObject* parent)
    : QObject(parent),
      m_manager(std::move(manager)),
      m_localeMenu(localeMenu),
      m_localeGroup(nullptr),
      m_localeSeparator(nullptr),
      m_themeMenu(themeMenu),
      m_themeGroup(nullptr)
{
    m_manager->RegisterObserver(this);
    m_localeGroup = new QActionGroup(this);
    m_themeGroup = new QActionGroup(this);
    m_localeSeparator = new QAction(this);
    m_localeSeparator->setSeparator(true);
    // The locale switches and LocaleChanged goes out before the menus are relabelled.
    connect(m_localeGroup, &QActionGroup::triggered, this,
            &LookAndFeelHandler::OnInnerLocaleChanged);
    connect(m_localeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::Retranslate);
    connect(m_themeGroup, &QActionGroup::triggered, this, &LookAndFeelHandler::OnInnerThemeChanged);
    Retranslate();
}

LookAndFeelHandler::~LookAndFeelHandler()
{
    m_manager->UnregisterObserver(this);
}

void LookAndFeelHandler::SetLocaleList(const std::list<std::string>& locales)
{
    m_locales = locales;
    if (m_localeMenu) {
        RebuildLocaleMenu();
    }
}

void LookAndFeelHandler::SetThemeList(const std::list<std::string>& themes)
{
    m_themes = themes;
    if (m_themeMenu) {
        RebuildThemeMenu();
    }
}

void LookAndFeelHandler::SetLocaleMenu(QMenu* menu)
{
    if (m_localeMenu) {
        m_localeMenu->clear();
    }
    m_localeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::SetThemeMenu(QMenu* menu)
{
    if (m_themeMenu) {
        m_themeMenu->clear();
    }
    m_themeMenu = menu;
    Refresh();
}

void LookAndFeelHandler::SelectLocale(const std::string& locale)
{
    m_selectedLocale = locale;
    if (m_localeMenu) {
        CheckEntry(locale, m_localeActions);
    }
}

void LookAndFeelHandler::SelectTheme(const std::string& theme)
{
    m_selectedTheme = theme;
    if (m_themeMenu) {
        CheckEntry(theme, m_themeActions);
    }
}

void LookAndFeelHandler::Refresh()
{
    if (m_localeMenu && !m_selectedLocale.empty()) {
        RebuildLocaleMenu();
        CheckEntry(m_selectedLocale, m_localeActions);
    }
    if (m_themeMenu && !m_selectedTheme.empty()) {
        RebuildThemeMenu();
        CheckEntry(m_selectedTheme, m_themeActions);
    }
}

void LookAndFeelHandler::OnLocaleChanged(const std::string& locale)
{
    SelectLocale(locale);
}

void LookAndFeelHandler::OnThemeChanged(const std::string& theme)
{
    SelectTheme(theme);
}

void LookAndFeelHandler::OnInnerLocaleChanged(QAction* action)
{
    const std::string locale = NameOf(action);
    m_manager->SetLocale(locale);
    SelectLocale(locale);
    emit LocaleChanged(locale);
}

void LookAndFeelHandler::OnInnerThemeChanged(QAction* action)
{
    const std::string theme = NameOf(action);
    m_manager->SetTheme(theme);
    SelectTheme(theme);
    emit ThemeChanged(theme);
}

void LookAndFeelHandler::Retranslate()
{
    // Theme entries too go through the "core" domain here; their titles are used only when
    // the theme menu is rebuilt.
    for (const Actions* actions : {&m_localeActions, &m_themeActions}) {
        for (const auto& entry : *actions) {
            entry.second->setText(LocaleLabel(NameOf(entry.second)));
        }
    }
}

void LookAndFeelHandler::RebuildLocaleMenu()
{
    RebuildMenu(m_localeMenu, m_locales, m_localeGroup, m_localeActions, LocaleLabel);
    if (m_localeMenu) {
        m_localeMenu->addAction(m_localeSeparator);
    }
}

void LookAndFeelHandler::RebuildThemeMenu()
{
    RebuildMenu(m_themeMenu, m_themes, m_themeGroup, m_themeActions,
                [this](const std::string& theme) {
                    return Util::Utf8ToQString(m_manager->GetLocalizedThemeName(theme));
                });
}

void LookAndFeelHandler::RebuildMenu(QMenu* menu, const std::list<std::string>& names,
                                     QActionGroup* group, Actions& actions, const Label& label)
{
    if (!menu || !group) {
        return;
    }
    actions.clear();
    // Host actions in the menu are taken out too, but they stay the host's.
    for (QAction* action : menu->actions()) {
        menu->removeAction(action);
    }
    for (QAction* action : group->actions()) {
        group->removeAction(action);
        action->deleteLater();
    }
    for (const std::string& name : names) {
        auto* action = new QAction(group);
        action->setText(label(name));
        action->setData(Util::Utf8ToQString(name));
        action->setCheckable(true);
        group->addAction(action);
        menu->addAction(action);
        actions[name] = action;
    }
}

void LookAndFeelHandler::CheckEntry(const std::string& name, const Actions& actions)
{
    const auto found = actions.find(name);
    if (found != actions.end() && !found->second->isChecked()) {
        found->second->setChecked(true);
    }
}

}  // namespace App
}  // namespace Tavrin
