// The settings store: change detection and notification, every value type through the file,
// corrupt files, unserialised writers on several threads, and the registry-style locations.
#include <Tavrin/App/Application/SettingsManager.h>

#include "SettingsRecorder.h"
#include "TestSupport.h"

#include <QFileInfo>

#include <gmock/gmock.h>

#include <limits>
#include <thread>

using Tavrin::App::SettingsManager;
using namespace Tavrin::Test;
using namespace testing;
using Recorder = SettingsRecorder;

namespace {

struct SettingsManagerTest : ::testing::Test
{
    SettingsManagerTest() { Reopen(); }

    // Opens the file again once the old store wrote it out. A second registration and a null
    // one change nothing: one call per change.
    void Reopen()
    {
        m_store.reset();
        m_store = std::make_unique<SettingsManager>(m_path, QSettings::IniFormat);
        for (Recorder* observer : {&m_recorder, &m_recorder, static_cast<Recorder*>(nullptr)})
            m_store->RegisterObserver(observer);
    }

    const QString m_path = NewTempDir("settings") + "/s.ini";
    Recorder m_recorder;
    std::unique_ptr<SettingsManager> m_store;
};

TEST_F(SettingsManagerTest, NotifiesOnlyEffectiveChangesWithThePreviousValueEvenForBadText)
{
    for (int count : {1, 1, 2, 2})
        m_store->SetInt("count", count);
    m_store->SetBool("flag", true);
    m_store->SetString("name", "y");
    m_store->SetInt64("big", std::numeric_limits<std::int64_t>::max());
    m_store->SetDouble("ratio", 0.5);
    m_store->SetDouble("ratio", 0.25);
    m_store->SetByteArray("blob", Bytes{1, 2});
    m_store->SetByteArray("blob", Bytes{1, 2});
    m_store->SetInt("name", 5);  // the text "y" reads as 0
    m_store->Remove("name");     // silently
    m_store->SetInt("name", 5);
    m_store->SetInt("", 3);  // an empty key is never written
    // The stored text ends at a NUL; the notification carries the argument.
    const std::string withNul("head\0tail", 9);
    m_store->SetString("nul", withNul);
    m_store->SetString("nul", "head");
    EXPECT_EQ(m_recorder.calls,
              (Calls{"Int count 1 none", "Int count 2 1", "Bool flag 1 none", "String name y none",
                     "Int64 big 9223372036854775807 none", "Double ratio 0.5 none",
                     "Double ratio 0.25 0.5", "Bytes blob bytes[2] none", "Int name 5 0",
                     "Int name 5 none", "String nul " + withNul + " none"}));
    EXPECT_EQ(m_store->GetInt("", 4), 4);

    const std::string badKey("k\xff\xfe", 3);  // invalid UTF-8 reads back with replacements
    m_store->SetString(badKey, std::string("v\xc3(\xed\xa0\x80", 6));
    EXPECT_THAT(m_store->GetString(badKey, ""), AllOf(StartsWith("v"), HasSubstr("\xef\xbf\xbd")));

    m_recorder.throwing = true;  // an observer that throws leaves the value written
    EXPECT_THROW(m_store->SetInt("count", 3), std::runtime_error);
    EXPECT_EQ(m_store->GetInt("count", 0), 3);
}

// Read back from text, the values compare equal to the typed ones: writing them again is no
// change. More keys than the store keeps converted, written round after round, keep theirs.
TEST_F(SettingsManagerTest, EveryTypeAndManyKeysSurviveTheFileAndReadBackAsUnchanged)
{
    const Bytes awkward{0, '\n', '=', '"', '\\', 0xff};
    const auto writeAll = [&] {
        m_store->SetBool("types/bool", true);
        m_store->SetInt("types/int", std::numeric_limits<int>::min());
        m_store->SetInt64("types/int64", std::numeric_limits<std::int64_t>::min());
        m_store->SetDouble("types/double", 1.0 / 3.0);
        m_store->SetString("types/string", "Grüße, мир");
        m_store->SetByteArray("types/bytes", awkward);
    };
    writeAll();
    for (int n = 0; n < 60; ++n)
        m_store->SetInt("many/k" + std::to_string(n % 20), n);
    m_store->Remove("many/k3");
    Reopen();
    EXPECT_EQ(
        std::tuple(m_store->GetBool("types/bool", false), m_store->GetInt("types/int", 0),
                   m_store->GetInt64("types/int64", 0), m_store->GetString("types/string", ""),
                   m_store->GetByteArray("types/bytes", {})),
        std::tuple(true, std::numeric_limits<int>::min(), std::numeric_limits<std::int64_t>::min(),
                   "Grüße, мир", awkward));
    EXPECT_DOUBLE_EQ(m_store->GetDouble("types/double", 0), 1.0 / 3.0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(m_store->GetInt("many/k" + std::to_string(i), -1), i == 3 ? -1 : 40 + i);
    m_recorder.calls.clear();
    writeAll();
    EXPECT_EQ(m_recorder.calls, Calls{});
}

// A corrupt file reads as absent keys and is repaired by writing; a directory in its place
// loses writes quietly.
TEST_F(SettingsManagerTest, CorruptFileOrDirectoryInItsPlaceReadsAsAbsentKeys)
{
    const QByteArray garbage("\x00\x01[[[\xff\xfe=\n=\n\x80\x81\x82 key = \x00 value\n[]\n", 32);
    ASSERT_TRUE(WriteFile(m_path, garbage));
    Reopen();
    EXPECT_EQ(m_store->GetInt("absent", 42), 42);
    m_store->SetInt("fresh/value", 5);
    Reopen();
    EXPECT_EQ(m_store->GetInt("fresh/value", 0), 5);

    const QString directory = NewTempDir("dir-as-file");
    SettingsManager(directory, QSettings::IniFormat).SetString("k", "v");
    EXPECT_TRUE(QFileInfo(directory).isDir());
    EXPECT_EQ(SettingsManager(directory, QSettings::IniFormat).GetString("k", "-"), "-");
}

// Unserialised writers on several threads may both write one key and both notify, but never
// corrupt the store: each thread's own keys end with its last value, and every write that
// changed something was announced once.
TEST_F(SettingsManagerTest, WritersOnSeveralThreadsWithoutALockLoseNothingOfTheirOwn)
{
    m_recorder.journal = false;  // several threads notify it at once
    constexpr int kThreads = 4, kRounds = 40000, kOwnKeys = 12;  // more keys than are cached
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t] {
            for (int n = 1; n <= kRounds; ++n) {
                const std::string own =
                    "t" + std::to_string(t) + "/k" + std::to_string(n % kOwnKeys);
                m_store->SetInt(own, n);
                m_store->SetInt("shared", t * kRounds + n);
                if (n % 7 == 0)
                    m_store->Remove("shared");
            }
        });
    }
    for (std::thread& writer : writers)
        writer.join();

    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kOwnKeys; ++k) {
            const int last = kRounds - ((kRounds - k) % kOwnKeys + kOwnKeys) % kOwnKeys;
            EXPECT_EQ(m_store->GetInt("t" + std::to_string(t) + "/k" + std::to_string(k), -1),
                      last);
        }
    }
    EXPECT_GE(m_recorder.count.load(), kThreads * kRounds);
}

TEST(SettingsManagerLocations, RegistryKeysOpenTheScopedStoresOfQtAndBackslashesSeparate)
{
    const QString sandbox = SandboxDir();
    const std::pair<QString, QString> cases[] = {
        {R"(HKEY_LOCAL_MACHINE\SOFTWARE\Tavrin\Kestrel)", "/etc/xdg/Tavrin/Kestrel.conf"},
        {R"(HKEY_LOCAL_MACHINE\SOFTWARE\Tavrin\)", "/etc/xdg/Tavrin.conf"},
        {R"(HKEY_CURRENT_USER\Software\Tavrin\Kestrel)", "/home/.config/Tavrin/Kestrel.conf"},
        {R"(HKEY_CURRENT_USER\Software\Classes\Local Settings\Shell\MuiCache)",
         "/home/.config/Classes/Local Settings/Shell/MuiCache.conf"},
        {sandbox + R"(\tmp\windows-style\plain.ini)", "/tmp/windows-style/plain.ini"},
    };
    for (const auto& [key, file] : cases) {
        SettingsManager(key, QSettings::NativeFormat).SetString("InstallerName", "setup");
        EXPECT_EQ(SettingsManager(key, QSettings::NativeFormat).GetFileName(), sandbox + file);
        // What the store wrote is what Qt's own store of that file sees.
        EXPECT_EQ(QSettings(sandbox + file, QSettings::NativeFormat).value("InstallerName"),
                  "setup");
    }
}

}  // namespace
