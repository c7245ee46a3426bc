// Themes, interface languages, message catalogues and their menus, on application roots laid
// out from data compiled by the build; a real Application supplies the installer's language.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ISettingsManager.h>
#include <Tavrin/App/Application/LookAndFeelHandler.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/Core/LocalizationManager.h>

#include "LogCapture.h"
#include "TestCustomization.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

using namespace Tavrin;
namespace Support = Tavrin::Test;
using App::LookAndFeelManager;
using Events = std::vector<std::string>;
using Names = std::list<std::string>;

namespace {

const QByteArray kDarkTitle = R"({"de_DE": "Dunkel", "ru_RU": "Тёмная тема"})";

// An application root below the sandbox, laid out from the compiled data.
struct Root
{
    QString path = Support::NewTempDir(QStringLiteral("root"));
    QString resources = path + "/resources/";

    // Copies compiled data files into a directory below resources/, made even when empty;
    // a catalogue ("core_de_DE") goes to LC_MESSAGES under its domain's name.
    Root& Put(const QString& directory, const QStringList& names, const QString& suffix)
    {
        const QString into = resources + directory + (suffix == ".mo" ? "/LC_MESSAGES/" : "/");
        QDir().mkpath(into);
        for (const QString& name : names) {
            const QString target = suffix == ".mo" ? name.section('_', 0, 0) : name;
            EXPECT_TRUE(
                QFile::copy(LOOKANDFEEL_DATA_DIR "/" + name + suffix, into + target + suffix));
        }
        return *this;
    }
    Root& Theme(const QString& name, const QStringList& modules = {},
                const QByteArray& title = "{}")
    {
        if (!title.isNull()) {
            Support::WriteFile(resources + "themes/" + name + "/title.json", title);
        }
        return Put("themes/" + name, modules, ".rcc");
    }
    Root& Locale(const QString& name, const QStringList& translations = {},
                 const QStringList& catalogues = {})
    {
        return Put("locales/" + name, translations, ".qm")
            .Put("locales/" + name, catalogues, ".mo");
    }
    auto Manager(const Names& modules = {}, const Names& domains = {})
    {
        return std::make_shared<LookAndFeelManager>(path.toStdString(), "title.json", modules,
                                                    domains);
    }
};

struct Recorder : App::ILookAndFeelObserver
{
    Recorder(Events& events, std::string tag) : events(events), tag(tag) {}
    void OnLocaleChanged(const std::string& n) override { events.push_back(tag + " locale " + n); }
    void OnThemeChanged(const std::string& n) override { events.push_back(tag + " theme " + n); }
    Events& events;
    std::string tag;
};

// What every united style sheet ends with: the library's own sheets.
std::string ProductSheets()
{
    QFile common(":/productStyle.qss"), platform(":/productStyle_win.qss");
    EXPECT_TRUE(common.open(QIODevice::ReadOnly) && platform.open(QIODevice::ReadOnly));
    return (common.readAll() + "\n" + platform.readAll() + "\n").toStdString();
}

std::string Translated(const char* text)
{
    return QCoreApplication::translate("LookAndFeelTest", text).toStdString();
}

// The entries of a menu, comma-separated: "|" for a separator, "*" after a checked label.
std::string Entries(const QMenu& menu)
{
    QStringList entries;
    for (const QAction* action : menu.actions()) {
        entries << (action->isSeparator() ? QStringLiteral("|")
                                          : action->text() + (action->isChecked() ? "*" : ""));
    }
    return entries.join(',').toStdString();
}

}  // namespace

TEST(LookAndFeelManager, DiscoversThemesAndLocalesAndSurvivesBrokenTitles)
{
    Root root;
    root.Theme("light").Theme("Dark", {}, kDarkTitle).Theme("broken", {}, "{ not json");
    root.Theme("untitled", {}, QByteArray()).Locale("ru_RU").Locale("de_DE");
    Support::WriteFile(root.resources + "themes/stray.txt", "not a directory");
    Support::LogCapture log(google::GLOG_WARNING);
    const auto manager = root.Manager();
    EXPECT_EQ(manager->GetThemes(), (Names{"broken", "Dark", "light"}));
    EXPECT_EQ(manager->GetLocales(), (Names{"de_DE", "ru_RU"}));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.Count("themes/broken/title.json] is malformed"), 1);
    manager->SetLocale("ru_RU");
    EXPECT_EQ(manager->GetLocalizedThemeName("Dark"), "Тёмная тема");
    EXPECT_EQ(manager->GetLocalizedThemeName("broken"), "broken");

    // An empty locales directory, then no root at all.
    EXPECT_TRUE(Root().Put("locales", {}, "").Manager()->GetLocales().empty());
    const LookAndFeelManager none("/no/such/root", "title.json", {}, {});
    EXPECT_TRUE(none.GetThemes().empty() && none.GetLocales().empty());
}

TEST(LookAndFeelManager, UnitesStyleSheetsInOrderWithFontVariablesOfTheLocale)
{
    Root root;
    root.Theme("dark", {"base", "extra", "a"}).Locale("de_DE").Locale("ru_RU");
    const auto manager = root.Manager({"missing", "base", "extra"});
    Support::LogCapture log(google::GLOG_WARNING);
    manager->Initialize("de_DE", "dark");

    // In order: base's two sheets, extra's, the library's two.
    const std::string sheet = manager->GetUnitedStylesheet();
    std::size_t at = 0;
    for (const char* part :
         {"/* base */ QWidget { font: Courier CourierSize; size: 13; weight: normal; color: green; "
          "flags: true[]; }",
          "/* base_win */ QLabel { font-family: Win Sans; margin: @undefinedVariable; }",
          "/* extra */ QPushButton { font: Courier; family: Extra; }", "background-color: #202235",
          "qproperty-linksColor: #C45D4B", "font-family: Win Sans; font-size: 12px;"}) {
        at = sheet.find(part, at);
        EXPECT_NE(at, std::string::npos) << part << " in\n" << sheet;
    }
    EXPECT_EQ(sheet.find("/* a */"), std::string::npos) << "not a listed module";
    EXPECT_EQ(log.Count("missing.ttf"), 1);

    // The variables belong to the locale of the last SetTheme.
    manager->SetLocale("ru_RU");
    EXPECT_EQ(manager->GetUnitedStylesheet(), sheet);
    manager->SetTheme("dark");
    EXPECT_NE(manager->GetUnitedStylesheet().find("size: 13; weight: bold; color: blue;"),
              std::string::npos);
    manager->SetTheme("");  // resource files outlive the manager otherwise
}

TEST(LookAndFeelManager, LoadsEveryResourceFileInNameOrderAndUnloadsOnSwitch)
{
    Root root;
    root.Theme("letters", {"c", "B", "a"}).Theme("broken", {"notjson", "listjson", "base"});
    Support::WriteFile(root.resources + "themes/broken/corrupt.rcc", "not a resource file");
    const auto manager = root.Manager();
    Events events;
    Recorder first(events, "first"), second(events, "second");
    for (Recorder* observer : {&first, &second, &first}) {
        manager->RegisterObserver(observer);
    }
    manager->SetTheme("letters");
    EXPECT_EQ(manager->GetUnitedStylesheet(),
              "/* a */ QFrame { font: @main; }\n\n\n"
              "/* B */ QFrame { font: @main; }\n\n\n"
              "/* c */ QFrame { font: @main; }\n\n\n" +
                  ProductSheets());
    manager->SetTheme("letters");  // again: re-registered, rebuilt, told again
    EXPECT_TRUE(QFile::exists(":/a/style.qss"));

    Support::LogCapture log(google::GLOG_WARNING);
    manager->SetTheme("broken");
    EXPECT_FALSE(QFile::exists(":/a/style.qss"));
    EXPECT_EQ(log.Count("WARNING: The font variables [:/"), 2) << "notjson's and listjson's";
    const std::string broken = manager->GetUnitedStylesheet();
    EXPECT_NE(broken.find("/* listjson */ QFrame { font: Arial; }"), std::string::npos)
        << "base still defines the variable";

    manager->UnregisterObserver(&second);
    manager->SetTheme("");
    EXPECT_FALSE(QFile::exists(":/base/style.qss"));
    EXPECT_EQ(manager->GetUnitedStylesheet(), broken);
    manager->SetTheme("ghost");
    EXPECT_EQ(log.Count("themes/ghost] doesn't exist!"), 1);
    EXPECT_EQ(manager->GetUnitedStylesheet(), ProductSheets());
    EXPECT_EQ(events, (Events{"first theme letters", "second theme letters", "first theme letters",
                              "second theme letters", "first theme broken", "second theme broken",
                              "first theme ghost"}));
}

TEST(LookAndFeelManager, ValidatesLocalesAgainstRequestSystemAndInstaller)
{
    Root root;
    root.Locale("de_DE").Locale("en_US").Locale("ru_RU").Locale("pt_BR").Locale("zh_CN");
    root.Locale("zh_TW").Locale("fr_FR_custom");
    const auto manager = root.Manager();
    const auto installer = App::Application::Instance()->GetInstallerSettings("");
    installer->SetInt("Language", 1031);
    const char* const cases[][3] = {
        // system language, requested, expected
        {"pt_PT", "xx_XX", "pt_BR"},   {"ru_RU", "unknown", "ru_RU"}, {"zh_HK", "", "zh_TW"},
        {"ru_RU", "", "ru_RU"},        {"zh_CN", "", "zh_CN"},        {"fi_FI", "de_de", "de_DE"},
        {"fr_FR", "", "fr_FR_custom"}, {"fi_FI", "ru_RU", "ru_RU"},   {"ru_RU", "de_DE", "de_DE"},
    };
    for (const auto& c : cases) {
        QLocale::setDefault(QLocale(c[0]));
        manager->SetLocale(c[1]);
        EXPECT_EQ(manager->GetCurrentLocale(), c[2]) << c[0] << " " << c[1];
    }
    EXPECT_EQ(manager->GetDefaultLocale(), "de_DE");
    for (const auto& [code, expected] :
         {std::pair(0, "unknown"), {2070, "pt_PT"}, {1033, "en_US"}, {4242, "en_US"}}) {
        installer->SetInt("Language", code);
        EXPECT_EQ(manager->GetDefaultLocale(), expected) << code;
    }
    // Neither the system nor an installed directory: the installer's choice, or en_US.
    const auto bare = Root().Locale("de_DE").Manager();
    QLocale::setDefault(QLocale("fi_FI"));
    installer->SetInt("Language", 1049);
    bare->SetLocale("unknown");
    EXPECT_EQ(bare->GetCurrentLocale(), "ru_RU");
    installer->Remove("Language");
    bare->SetLocale("");
    EXPECT_EQ(bare->GetCurrentLocale(), "en_US");
    QLocale::setDefault(QLocale::system());
}

TEST(LookAndFeelManager, SwitchesTranslatorsAndCataloguesWithTheLocale)
{
    Root root;
    root.Locale("ru_RU", {"app_ru_RU", "extra_ru_RU"}, {"core_ru_RU", "extra_ru_RU"});
    root.Locale("de_DE", {"app_de_DE"}, {"core_de_DE"});
    Support::WriteFile(root.resources + "locales/de_DE/broken_de_DE.qm", "not a translation");
    const Core::DomainLocalizationManager core = Core::GetLocalizationManagerForDomain("core");
    const Core::DomainLocalizationManager extra = Core::GetLocalizationManagerForDomain("extra");
    {
        const auto manager = root.Manager({"app", "extra", "broken"}, {"extra", "core"});
        manager->SetLocale("ru_RU");
        EXPECT_EQ(Translated("Hello"), "Здравствуйте") << "the last module's file wins";
        EXPECT_EQ(Translated("Bye"), "Пока");
        EXPECT_EQ(core.Translate("dark"), "Тёмная");
        EXPECT_EQ(Core::GetLocalizationManager().Translate("", "Hello"), "Привет из extra")
            << "the first domain is the default";

        manager->SetLocale("de_DE");
        EXPECT_EQ(Translated("Hello"), "Hallo");
        EXPECT_EQ(core.Translate("ru_RU"), "Russisch");
        EXPECT_EQ(extra.Translate("Hello"), "Hello");
    }
    EXPECT_EQ(Translated("Hello"), "Hello") << "the manager's translators die with it";
    EXPECT_EQ(core.Translate("ru_RU"), "ru_RU");

    const auto all = root.Manager();  // every *.qm file, the broken one skipped
    all->SetLocale("de_DE");
    EXPECT_EQ(Translated("Hello"), "Hallo");
    EXPECT_EQ(core.Translate("de_DE"), "Deutsch") << "\"core\" is the default domain";

    Support::LogCapture log(google::GLOG_WARNING);
    Support::WriteFile(root.resources + "locales/xx_XX/LC_MESSAGES/core.mo", "garbage");
    Core::GetLocalizationManager().SetLanguage("xx_XX");
    EXPECT_EQ(core.Translate("de_DE"), "de_DE");
    EXPECT_EQ(log.Count("WARNING: The message catalogue of domain [core] for language [xx_XX]"), 1);
}

TEST(LookAndFeelHandler, FillsMenusFollowsTheManagerAndAnnouncesOnlyPicks)
{
    Root root;
    root.Theme("dark", {"a"}, kDarkTitle).Theme("light", {"c"});
    root.Locale("de_DE", {}, {"core_de_DE"}).Locale("ru_RU", {}, {"core_ru_RU"});
    const auto manager = root.Manager();
    manager->Initialize("de_DE", "");
    Events events;
    Recorder recorder(events, "observer");
    manager->RegisterObserver(&recorder);
    QMenu languages, themes;
    QAction* hostAction = languages.addAction("host");
    const auto menus = [&] { return Entries(languages) + " " + Entries(themes); };
    {
        App::LookAndFeelHandler handler(manager, &languages, &themes, nullptr);
        QObject::connect(&handler, &App::LookAndFeelHandler::LocaleChanged, [&](auto locale) {
            events.push_back("signal " + locale + " " + Entries(languages));
        });
        QObject::connect(&handler, &App::LookAndFeelHandler::ThemeChanged,
                         [&](const std::string& theme) { events.push_back("signal " + theme); });
        handler.SetLocaleList(manager->GetLocales());
        handler.SetLocaleList(manager->GetLocales());  // rebuilt, not appended
        handler.SetThemeList(manager->GetThemes());
        EXPECT_EQ(menus(), "Deutsch,Russisch,| Dunkel,light");
        EXPECT_EQ(hostAction->parent(), &languages) << "taken out, not deleted";

        // Changes made elsewhere are followed, not announced.
        handler.SelectLocale("ru_RU");
        handler.SelectTheme("none");
        manager->SetTheme("light");
        EXPECT_EQ(menus(), "Deutsch,Russisch*,| Dunkel,light*");
        manager->SetLocale("ru_RU");
        manager->SetLocale("de_DE");
        EXPECT_EQ(menus(), "Deutsch*,Russisch,| Dunkel,light*");

        // Picks switch the manager, then are announced, then the menus are relabelled.
        languages.actions().at(1)->trigger();
        themes.actions().at(0)->trigger();
        EXPECT_EQ(menus(), "Немецкий,Русский*,| Тёмная*,light") << "themes relabelled from core";

        QMenu replacement;
        handler.SetThemeMenu(&replacement);
        EXPECT_EQ(menus(), "Немецкий,Русский*,| ");
        EXPECT_EQ(Entries(replacement), "Тёмная тема*,light") << "titles on rebuild";
        handler.SetThemeMenu(nullptr);
        handler.SelectTheme("light");
        handler.Refresh();
        EXPECT_TRUE(replacement.actions().isEmpty());
    }
    manager->SetTheme("light");  // the handler has unregistered itself
    EXPECT_EQ(events,
              (Events{"observer theme light", "observer locale ru_RU", "observer locale de_DE",
                      "observer locale ru_RU", "signal ru_RU Deutsch,Russisch*,|",
                      "observer theme dark", "signal dark", "observer theme light"}));
    manager->UnregisterObserver(&recorder);
    manager->SetTheme("");
}

int main(int argc, char** argv)
{
    Support::EnterSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    auto application =
        std::make_unique<App::Application>(argc, argv, App::Application::AppContext{false});
    Support::PointSettingsAtSandbox();
    application->SetCustomizationManager(std::make_shared<Support::Customization>());
    const int result = RUN_ALL_TESTS();
    application.reset();
    Support::LeaveSandbox();
    return result;
}
