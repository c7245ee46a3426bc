// A theme switched 1,000 times and a language 1,000 times in one process: the resource files
// registered, the translations installed and the resident memory stay what they were after
// the first 100 switches.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/LookAndFeelManager.h>
#include <Tavrin/Core/LocalizationManager.h>

#include "LookAndFeelRoot.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>
#include <functional>
#include <string>
#include <tuple>

using namespace Tavrin;

namespace {

int g_argc = 1;
char* g_argv[] = {const_cast<char*>("tst_lookandfeel_stress"), nullptr};

// Registered resource files and loaded translations are mapped files: their mappings count
// them. Resident memory from /proc/self/statm.
struct Usage
{
    int resourceMappings = 0;
    int translationMappings = 0;
    long residentKiB = 0;
};

Usage Measure()
{
    Usage usage;
    QFile maps(QStringLiteral("/proc/self/maps"));
    EXPECT_TRUE(maps.open(QIODevice::ReadOnly));
    for (const QByteArray& line : maps.readAll().split('\n')) {
        usage.resourceMappings += line.endsWith(".rcc");
        usage.translationMappings += line.endsWith(".qm");
    }
    QFile statm(QStringLiteral("/proc/self/statm"));
    EXPECT_TRUE(statm.open(QIODevice::ReadOnly));
    const QList<QByteArray> pages = statm.readAll().split(' ');
    usage.residentKiB = pages.value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
    return usage;
}

// Runs switch(i) 1,000 times; the usage after 100 and after 1,000.
std::pair<Usage, Usage> Switch1000Times(const std::function<void(int)>& switchTo)
{
    Usage at100;
    for (int round = 1; round <= 1000; ++round) {
        switchTo(round);
        QCoreApplication::processEvents();  // the language-change events
        if (round == 100)
            at100 = Measure();
    }
    return {at100, Measure()};
}

// Allocator caches may move a little; a leak of one switch's work would be megabytes.
constexpr long kResidentSlackKiB = 2048;
// AddressSanitizer keeps freed memory resident in its quarantine on purpose, so resident
// memory says nothing there (its leak checker watches that build instead).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif

struct LookAndFeelStress : ::testing::Test, Test::Root
{
    App::Application application{g_argc, g_argv, App::Application::AppContext{false}};
};

}  // namespace

TEST_F(LookAndFeelStress, ThemeSwitchedAThousandTimesHoldsNothingMore)
{
    Theme("dark", {"base", "extra"}).Theme("light", {"a", "B", "c"});
    const auto manager = Manager();
    manager->Initialize("", "dark");
    const auto [at100, at1000] =
        Switch1000Times([&](int round) { manager->SetTheme(round % 2 ? "light" : "dark"); });
    EXPECT_EQ(manager->GetCurrentTheme(), "dark");
    EXPECT_EQ(at1000.resourceMappings, at100.resourceMappings);
    EXPECT_GT(at100.resourceMappings, 0);
    if (kResidentMemoryTells) {
        EXPECT_LE(at1000.residentKiB, at100.residentKiB + kResidentSlackKiB);
    }
}

TEST_F(LookAndFeelStress, LanguageSwitchedAThousandTimesHoldsNothingMore)
{
    Locale("ru_RU", {"app_ru_RU", "extra_ru_RU"}, {"core_ru_RU", "extra_ru_RU"});
    Locale("de_DE", {"app_de_DE"}, {"core_de_DE"});
    const auto manager = Manager({"app", "extra"}, {"core", "extra"});
    manager->Initialize("de_DE", "");
    const auto [at100, at1000] =
        Switch1000Times([&](int round) { manager->SetLocale(round % 2 ? "ru_RU" : "de_DE"); });
    EXPECT_EQ(std::tuple(QCoreApplication::translate("LookAndFeelTest", "Hello").toStdString(),
                         Core::GetLocalizationManager().Translate("core", "ru_RU")),
              std::tuple("Hallo", "Russisch"));
    EXPECT_EQ(at1000.translationMappings, at100.translationMappings);
    EXPECT_EQ(at100.translationMappings, 1);  // de_DE: the app module's file
    if (kResidentMemoryTells) {
        EXPECT_LE(at1000.residentKiB, at100.residentKiB + kResidentSlackKiB);
    }
}
