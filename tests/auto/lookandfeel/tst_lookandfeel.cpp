// Themes, interface languages, message catalogues and their menus, on application roots laid
// out from data compiled by the build; a real Application supplies the installer's language.
// Each test builds its own application object (one per process at a time). The
// LookAndFeelStress tests switch a theme and a language a thousand times; ctest runs them
// apart, as tst_lookandfeel_stress.
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

#include <gmock/gmock.h>

#include <unistd.h>

using namespace Tavrin;
namespace Support = Tavrin::Test;
using namespace testing;
using Events = std::vector<std::string>;
using Names = std::list<std::string>;

namespace {

int g_argc = 1;
char* g_argv[] = {const_cast<char*>("tst_lookandfeel"), nullptr};
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
            const QString target = into + (suffix == ".mo" ? name.section('_', 0, 0) : name);
            EXPECT_TRUE(QFile::copy(LOOKANDFEEL_DATA_DIR "/" + name + suffix, target + suffix));
        }
        return *this;
    }
    Root& Theme(const QString& name, const QStringList& rcc = {}, const QByteArray& title = "{}")
    {
        Support::WriteFile(resources + "themes/" + name + "/title.json", title);
        return Put("themes/" + name, rcc, ".rcc");
    }
    Root& Locale(const QString& name, const QStringList& qm = {}, const QStringList& mo = {})
    {
        return Put("locales/" + name, qm, ".qm").Put("locales/" + name, mo, ".mo");
    }
    auto Manager(const Names& modules = {}, const Names& domains = {})
    {
        return std::make_shared<App::LookAndFeelManager>(path.toStdString(), "title.json", modules,
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

// The entries of a menu, comma-separated: "|" for a separator, "*" after a checked label.
std::string Entries(const QMenu& menu)
{
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries << (action->isSeparator() ? QStringLiteral("|")
                                          : action->text() + (action->isChecked() ? "*" : ""));
    return entries.join(',').toStdString();
}

struct LookAndFeelTest : ::testing::Test, Root
{
    App::Application application{g_argc, g_argv, App::Application::AppContext{false}};
};
using LookAndFeelStress = LookAndFeelTest;

// Registered resource files and loaded translations are mapped files: "<n> rcc, <n> qm".
std::string Mappings()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    EXPECT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray lines = maps.readAll();
    return std::to_string(lines.count(".rcc\n")) + " rcc, " + std::to_string(lines.count(".qm\n")) +
           " qm";
}

long ResidentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    EXPECT_TRUE(statm.open(QIODevice::ReadOnly));
    return statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

TEST_F(LookAndFeelTest, DiscoversThemesAndLocalesAndSurvivesBrokenTitles)
{
    Theme("light").Theme("Dark", {}, kDarkTitle).Theme("broken", {}, "{ not json");
    Put("themes/untitled", {}, "").Locale("ru_RU").Locale("de_DE");
    Support::WriteFile(resources + "themes/stray.txt", "not a directory");
    Support::LogCapture log(google::GLOG_WARNING);
    const auto manager = Manager();
    EXPECT_EQ(manager->GetThemes(), (Names{"broken", "Dark", "light"}));
    EXPECT_EQ(manager->GetLocales(), (Names{"de_DE", "ru_RU"}));
    EXPECT_THAT(log.lines,
                ElementsAre(Pair(_, HasSubstr("themes/broken/title.json] is malformed"))));
    EXPECT_EQ(manager->GetLocalizedThemeName("broken"), "broken");  // titles: the handler's test

    // An empty locales directory, then no root at all.
    EXPECT_TRUE(Root().Put("locales", {}, "").Manager()->GetLocales().empty());
    const App::LookAndFeelManager none("/no/such/root", "title.json", {}, {});
    EXPECT_TRUE(none.GetThemes().empty() && none.GetLocales().empty());
}

TEST_F(LookAndFeelTest, UnitesStyleSheetsInOrderWithFontVariablesOfTheLocale)
{
    Theme("dark", {"base", "extra", "a"}).Locale("de_DE").Locale("ru_RU");
    const auto manager = Manager({"missing", "base", "extra"});
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
    EXPECT_THAT(sheet, Not(HasSubstr("/* a */"))) << "not a listed module";
    EXPECT_EQ(log.Count("missing.ttf"), 1);

    // The variables belong to the locale of the last SetTheme.
    manager->SetLocale("ru_RU");
    EXPECT_EQ(manager->GetUnitedStylesheet(), sheet);
    manager->SetTheme("dark");
    EXPECT_THAT(manager->GetUnitedStylesheet(), HasSubstr("size: 13; weight: bold; color: blue;"));
    manager->SetTheme("");  // resource files outlive the manager otherwise
}

TEST_F(LookAndFeelTest, LoadsEveryResourceFileInNameOrderAndUnloadsOnSwitch)
{
    Theme("letters", {"c", "B", "a"}).Theme("broken", {"notjson", "listjson", "base"});
    Support::WriteFile(resources + "themes/broken/corrupt.rcc", "not a resource file");
    const auto manager = Manager();
    Events events;
    Recorder first(events, "first"), second(events, "second");
    for (Recorder* observer : {&first, &second, &first})
        manager->RegisterObserver(observer);
    manager->SetTheme("letters");
    const std::string letters = manager->GetUnitedStylesheet();
    manager->SetTheme("letters");  // again: re-registered, rebuilt, told again
    EXPECT_TRUE(QFile::exists(":/a/style.qss"));

    Support::LogCapture log(google::GLOG_WARNING);
    manager->SetTheme("broken");
    EXPECT_FALSE(QFile::exists(":/a/style.qss"));
    EXPECT_EQ(log.Count("WARNING: The font variables [:/"), 2) << "notjson's and listjson's";
    const std::string broken = manager->GetUnitedStylesheet();
    EXPECT_THAT(broken, HasSubstr("/* listjson */ QFrame { font: Arial; }"))
        << "base still defines the variable";

    manager->UnregisterObserver(&second);
    manager->SetTheme("");
    EXPECT_FALSE(QFile::exists(":/base/style.qss"));
    EXPECT_EQ(manager->GetUnitedStylesheet(), broken);
    manager->SetTheme("ghost");
    EXPECT_EQ(log.Count("themes/ghost] doesn't exist!"), 1);
    // What is left are the library's own sheets, which every united style sheet ends with.
    EXPECT_EQ(letters,
              "/* a */ QFrame { font: @main; }\n\n\n"
              "/* B */ QFrame { font: @main; }\n\n\n"
              "/* c */ QFrame { font: @main; }\n\n\n" +
                  manager->GetUnitedStylesheet());
    EXPECT_EQ(events, (Events{"first theme letters", "second theme letters", "first theme letters",
                              "second theme letters", "first theme broken", "second theme broken",
                              "first theme ghost"}));
}

TEST_F(LookAndFeelTest, ValidatesLocalesAgainstRequestSystemAndInstaller)
{
    Locale("de_DE").Locale("en_US").Locale("ru_RU").Locale("pt_BR").Locale("zh_CN");
    Locale("zh_TW").Locale("fr_FR_custom");
    const auto manager = Manager();
    application.SetCustomizationManager(std::make_shared<Support::Customization>());
    const auto installer = application.GetInstallerSettings("");
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
    // Neither the system's language nor the request installed: the installer's choice when
    // it names one, installed or not, else en_US.
    QLocale::setDefault(QLocale("fi_FI"));
    const auto bare = Root().Locale("de_DE").Manager();
    const std::pair<int, const char*> codes[] = {
        {0, "unknown"}, {2070, "pt_PT"}, {1033, "en_US"}, {4242, "en_US"}, {1049, "ru_RU"}};
    for (const auto& [code, expected] : codes) {
        installer->SetInt("Language", code);
        bare->SetLocale("");
        EXPECT_EQ(manager->GetDefaultLocale(), expected) << code;
        EXPECT_EQ(bare->GetCurrentLocale(), code == 0 ? "en_US" : expected) << code;
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(LookAndFeelTest, SwitchesTranslatorsAndCataloguesWithTheLocale)
{
    Locale("ru_RU", {"app_ru_RU", "extra_ru_RU"}, {"core_ru_RU", "extra_ru_RU"});
    Locale("de_DE", {"app_de_DE"}, {"core_de_DE"});
    Support::WriteFile(resources + "locales/de_DE/broken_de_DE.qm", "not a translation");
    const Core::DomainLocalizationManager core = Core::GetLocalizationManagerForDomain("core");
    const Core::DomainLocalizationManager extra = Core::GetLocalizationManagerForDomain("extra");
    const auto translated = [](const char* text) {
        return QCoreApplication::translate("LookAndFeelTest", text).toStdString();
    };
    {
        const auto manager = Manager({"app", "extra", "broken"}, {"extra", "core"});
        manager->SetLocale("ru_RU");
        // The last module's file wins; the first domain is the default.
        EXPECT_EQ(std::tuple(translated("Hello"), translated("Bye"), core.Translate("dark"),
                             Core::GetLocalizationManager().Translate("", "Hello")),
                  std::tuple("Здравствуйте", "Пока", "Тёмная", "Привет из extra"));

        manager->SetLocale("de_DE");
        EXPECT_EQ(
            std::tuple(translated("Hello"), core.Translate("ru_RU"), extra.Translate("Hello")),
            std::tuple("Hallo", "Russisch", "Hello"));
    }
    // The manager's translators and catalogues die with it.
    EXPECT_EQ(std::tuple(translated("Hello"), core.Translate("ru_RU")),
              std::tuple("Hello", "ru_RU"));

    const auto all = Manager();  // every *.qm file, the broken one skipped
    all->SetLocale("de_DE");
    EXPECT_EQ(translated("Hello"), "Hallo");
    EXPECT_EQ(core.Translate("de_DE"), "Deutsch") << "\"core\" is the default domain";
}

TEST_F(LookAndFeelTest, HandlerFillsMenusFollowsTheManagerAndAnnouncesOnlyPicks)
{
    Theme("dark", {"a"}, kDarkTitle).Theme("light", {"c"});
    Locale("de_DE", {}, {"core_de_DE"}).Locale("ru_RU", {}, {"core_ru_RU"});
    Events events;
    Recorder recorder(events, "observer");  // outlives the manager
    const auto manager = Manager();
    manager->Initialize("de_DE", "");
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
        EXPECT_EQ(menus() + Entries(replacement), "Немецкий,Русский*,| Тёмная тема*,light")
            << "the old menu emptied, the new one filled with titles";
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
    manager->SetTheme("");
}

// A theme and a language switched 1,000 times in one process: the resource files registered,
// the translations installed and the resident memory stay what they were after 100 switches.
TEST_F(LookAndFeelStress, ThemeAndLanguageSwitchedAThousandTimesHoldNothingMore)
{
    Theme("dark", {"base", "extra"}).Theme("light", {"a", "B", "c"});
    Locale("ru_RU", {"app_ru_RU", "extra_ru_RU"}, {"core_ru_RU", "extra_ru_RU"});
    Locale("de_DE", {"app_de_DE"}, {"core_de_DE"});
    const auto manager = Manager({}, {"core", "extra"});  // every module's files
    manager->Initialize("de_DE", "dark");
    std::string mappingsAt100;
    [[maybe_unused]] long residentAt100 = 0;  // compared outside AddressSanitizer only
    for (int round = 1; round <= 1000; ++round) {
        manager->SetTheme(round % 2 ? "light" : "dark");
        manager->SetLocale(round % 2 ? "ru_RU" : "de_DE");
        QCoreApplication::processEvents();  // the language-change events
        if (round == 100) {
            mappingsAt100 = Mappings();
            residentAt100 = ResidentKiB();
        }
    }
    // de_DE has one translation file, the app module's; dark has resource files.
    EXPECT_THAT(mappingsAt100, MatchesRegex("[1-9][0-9]* rcc, 1 qm"));
    EXPECT_EQ(Mappings(), mappingsAt100);
    // Allocator caches may move a little; a leak of one switch's work would be megabytes.
    // AddressSanitizer keeps freed memory resident in its quarantine on purpose, so resident
    // memory says nothing there (its leak checker watches that build instead).
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(ResidentKiB(), residentAt100 + 2048);
#endif
    manager->SetTheme("");
}
