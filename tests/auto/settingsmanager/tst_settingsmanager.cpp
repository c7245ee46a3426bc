#include <Tavrin/App/Application/SettingsManager.h>

#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using Tavrin::App::ISettingsManagerObserver;
using Tavrin::App::SettingsManager;
using Bytes = std::vector<unsigned char>;

namespace {

template <typename T>
std::string Text(const T& value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Text(const Bytes& value)
{
    return "bytes[" + std::to_string(value.size()) + "]";
}

template <typename T>
std::string Old(const boost::optional<T>& value)
{
    return value ? Text(*value) : std::string("none");
}

// Journals every notification as "Type key new old".
struct Recorder : ISettingsManagerObserver
{
    template <typename T>
    void Add(const char* type, const std::string& key, const T& value,
             const boost::optional<T>& old)
    {
        calls.push_back(std::string(type) + " " + key + " " + Text(value) + " " + Old(old));
    }
    void OnBoolChanged(const std::string& k, bool v, const boost::optional<bool>& o) override
    {
        Add("Bool", k, v, o);
    }
    void OnIntChanged(const std::string& k, int v, const boost::optional<int>& o) override
    {
        Add("Int", k, v, o);
    }
    void OnStringChanged(const std::string& k, const std::string& v,
                         const boost::optional<std::string>& o) override
    {
        lastString = v;
        Add("String", k, v, o);
    }
    void OnByteArrayChanged(const std::string& k, const Bytes& v,
                            const boost::optional<Bytes>& o) override
    {
        Add("Bytes", k, v, o);
    }
    void OnInt64Changed(const std::string& k, std::int64_t v,
                        const boost::optional<std::int64_t>& o) override
    {
        Add("Int64", k, v, o);
    }
    void OnDoubleChanged(const std::string& k, double v, const boost::optional<double>& o) override
    {
        Add("Double", k, v, o);
    }

    std::vector<std::string> calls;
    std::string lastString;
};

using Calls = std::vector<std::string>;

class SettingsManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_path = Tavrin::Test::NewTempDir(QStringLiteral("settings")) + QStringLiteral("/s.ini");
        m_store = std::make_unique<SettingsManager>(m_path, QSettings::IniFormat);
        // A second registration and a null one change nothing: one call per change.
        m_store->RegisterObserver(&m_recorder);
        m_store->RegisterObserver(&m_recorder);
        m_store->RegisterObserver(nullptr);
    }

    // Destroys the store (writing it out) and opens the file again.
    void Reopen()
    {
        m_store.reset();
        m_store = std::make_unique<SettingsManager>(m_path, QSettings::IniFormat);
        m_store->RegisterObserver(&m_recorder);
    }

    QString m_path;
    Recorder m_recorder;
    std::unique_ptr<SettingsManager> m_store;
};

TEST_F(SettingsManagerTest, NotifiesOnlyEffectiveChangesWithThePreviousValue)
{
    m_store->SetInt("count", 1);
    m_store->SetInt("count", 1);
    m_store->SetInt("count", 2);
    m_store->SetInt("count", 2);
    m_store->SetBool("flag", true);
    m_store->SetString("name", "x");
    m_store->SetString("name", "y");
    m_store->SetInt64("big", std::numeric_limits<std::int64_t>::max());
    m_store->SetDouble("ratio", 0.5);
    m_store->SetDouble("ratio", 0.25);
    m_store->SetByteArray("blob", Bytes{1, 2});
    m_store->SetByteArray("blob", Bytes{1, 2});

    EXPECT_EQ(m_recorder.calls, (Calls{"Int count 1 none", "Int count 2 1", "Bool flag 1 none",
                                       "String name x none", "String name y x",
                                       "Int64 big 9223372036854775807 none",
                                       "Double ratio 0.5 none", "Double ratio 0.25 0.5",
                                       "Bytes blob bytes[2] none"}));
}

TEST_F(SettingsManagerTest, EveryTypeSurvivesTheFile)
{
    Bytes allBytes;
    for (int i = 0; i < 256; ++i) {
        allBytes.push_back(static_cast<unsigned char>(i));
    }
    m_store->SetBool("types/bool", true);
    m_store->SetInt("types/int", std::numeric_limits<int>::min());
    m_store->SetInt64("types/int64", std::numeric_limits<std::int64_t>::min());
    m_store->SetDouble("types/double", 1.0 / 3.0);
    m_store->SetString("types/string", "Grüße, мир");
    m_store->SetByteArray("types/bytes", allBytes);
    Reopen();

    EXPECT_TRUE(m_store->GetBool("types/bool", false));
    EXPECT_EQ(m_store->GetInt("types/int", 0), std::numeric_limits<int>::min());
    EXPECT_EQ(m_store->GetInt64("types/int64", 0), std::numeric_limits<std::int64_t>::min());
    EXPECT_DOUBLE_EQ(m_store->GetDouble("types/double", 0), 1.0 / 3.0);
    EXPECT_EQ(m_store->GetString("types/string", ""), "Grüße, мир");
    EXPECT_EQ(m_store->GetByteArray("types/bytes", {}), allBytes);

    // Read back from text, the values compare equal to the typed ones: no change, no call.
    m_recorder.calls.clear();
    m_store->SetBool("types/bool", true);
    m_store->SetInt("types/int", std::numeric_limits<int>::min());
    m_store->SetString("types/string", "Grüße, мир");
    EXPECT_EQ(m_recorder.calls, Calls{});
}

TEST_F(SettingsManagerTest, ManyKeysWrittenInTurnKeepTheirOwnValues)
{
    // More keys than the store keeps converted, written round after round.
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 20; ++i) {
            m_store->SetInt("many/k" + std::to_string(i), round * 100 + i);
        }
    }
    m_store->Remove("many/k3");
    Reopen();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(m_store->GetInt("many/k" + std::to_string(i), -1), i == 3 ? -1 : 200 + i);
    }
}

TEST_F(SettingsManagerTest, DefaultsOnlyForAbsentKeys)
{
    EXPECT_EQ(m_store->GetInt("absent", 7), 7);
    EXPECT_EQ(m_store->GetString("absent", "dflt"), "dflt");
    EXPECT_EQ(m_store->GetByteArray("absent", Bytes{9}), Bytes{9});
    EXPECT_TRUE(m_store->GetBool("absent", true));

    m_store->SetString("text", "not a number");
    EXPECT_EQ(m_store->GetInt("text", 7), 0);
    EXPECT_EQ(m_store->GetInt64("text", 7), 0);
    EXPECT_DOUBLE_EQ(m_store->GetDouble("text", 7.5), 0.0);

    m_recorder.calls.clear();
    m_store->SetInt("text", 5);
    EXPECT_EQ(m_recorder.calls, (Calls{"Int text 5 0"}));
}

TEST_F(SettingsManagerTest, StringEndsAtNulButTheNotificationCarriesTheArgument)
{
    const std::string withNul("head\0tail", 9);
    m_store->SetString("nul", withNul);
    EXPECT_EQ(m_store->GetString("nul", ""), "head");
    EXPECT_EQ(m_recorder.lastString, withNul);
    m_recorder.calls.clear();
    m_store->SetString("nul", "head");
    EXPECT_TRUE(m_recorder.calls.empty());
}

TEST_F(SettingsManagerTest, RemoveIsSilentAndTakesWholeGroups)
{
    m_store->SetString("confirm/a_1", "1");
    m_store->SetString("confirm/b_2", "1");
    m_store->SetString("other", "1");
    m_recorder.calls.clear();

    m_store->Remove("confirm/a_1");
    EXPECT_FALSE(m_store->Contains("confirm/a_1"));
    EXPECT_TRUE(m_store->Contains("confirm/b_2"));
    m_store->Remove("confirm");
    EXPECT_FALSE(m_store->Contains("confirm/b_2"));
    EXPECT_TRUE(m_store->Contains("other"));
    EXPECT_TRUE(m_recorder.calls.empty());

    m_store->SetString("confirm/a_1", "1");
    EXPECT_EQ(m_recorder.calls, (Calls{"String confirm/a_1 1 none"}));
}

struct Thrower : Recorder
{
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override
    {
        throw std::runtime_error("observer failed");
    }
};

TEST_F(SettingsManagerTest, ThrowingObserverLeavesTheValueWritten)
{
    Thrower thrower;
    Recorder later;
    m_store->UnregisterObserver(&m_recorder);
    m_store->RegisterObserver(&thrower);
    m_store->RegisterObserver(&later);

    EXPECT_THROW(m_store->SetInt("k", 1), std::runtime_error);
    EXPECT_EQ(m_store->GetInt("k", 0), 1);
    EXPECT_TRUE(later.calls.empty());

    m_store->SetString("s", "v");
    EXPECT_EQ(later.calls, (Calls{"String s v none"}));
}

TEST_F(SettingsManagerTest, InvalidUtf8AndEmptyKeysDoNotBreakTheStore)
{
    const std::string badKey("k\xff\xfe", 3);
    const std::string badValue("v\xc3(\xed\xa0\x80", 6);
    m_store->SetString(badKey, badValue);
    EXPECT_TRUE(m_store->Contains(badKey));
    const std::string readBack = m_store->GetString(badKey, "");
    EXPECT_EQ(readBack.substr(0, 1), "v");
    EXPECT_NE(readBack.find("\xef\xbf\xbd"), std::string::npos);  // replacement character

    m_recorder.calls.clear();
    m_store->SetInt("", 3);
    EXPECT_TRUE(m_recorder.calls.empty());
    EXPECT_EQ(m_store->GetInt("", 4), 4);
}

TEST(SettingsManagerFaults, CorruptFileReadsAsAbsentKeysAndIsRepairedByWriting)
{
    const QString path = Tavrin::Test::NewTempDir(QStringLiteral("corrupt")) + "/bad.ini";
    static const char kPrefix[] = "\x00\x01[[[\xff\xfe=\n=\n\x80\x81\x82 key = \x00 value\n[]\n";
    QByteArray garbage(kPrefix, sizeof(kPrefix) - 1);
    for (int i = 0; i < 4096; ++i) {
        garbage.append(static_cast<char>((i * 131) % 256));
    }
    ASSERT_TRUE(Tavrin::Test::WriteFile(path, garbage));
    {
        SettingsManager store(path, QSettings::IniFormat);
        EXPECT_EQ(store.GetInt("absent", 42), 42);
        store.SetInt("fresh/value", 5);
    }
    SettingsManager again(path, QSettings::IniFormat);
    EXPECT_EQ(again.GetInt("fresh/value", 0), 5);
}

TEST(SettingsManagerFaults, UnusableLocationLosesWritesQuietly)
{
    // A directory where the file should be: nothing can be read or written there.
    const QString path = Tavrin::Test::NewTempDir(QStringLiteral("dir-as-file"));
    {
        SettingsManager store(path, QSettings::IniFormat);
        EXPECT_EQ(store.GetString("k", "default"), "default");
        store.SetString("k", "v");
    }
    EXPECT_TRUE(QFileInfo(path).isDir());
    SettingsManager again(path, QSettings::IniFormat);
    EXPECT_EQ(again.GetString("k", "default"), "default");
}

// Every file below the sandbox, for checking that no name holds a backslash.
QStringList SandboxFiles()
{
    QStringList files;
    QDirIterator it(Tavrin::Test::SandboxDir(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    return files;
}

TEST(SettingsManagerLocations, RegistryKeysOpenTheScopedStoresOfQtAndNoFileHasABackslash)
{
    const QString sandbox = Tavrin::Test::SandboxDir();
    const struct
    {
        QString key;
        QString expectedFile;
    } cases[] = {
        {R"(HKEY_LOCAL_MACHINE\SOFTWARE\Tavrin\Kestrel)", sandbox + "/etc/xdg/Tavrin/Kestrel.conf"},
        {R"(HKEY_LOCAL_MACHINE\SOFTWARE\Tavrin\)", sandbox + "/etc/xdg/Tavrin.conf"},
        {R"(HKEY_CURRENT_USER\Software\Tavrin\Kestrel)", sandbox + "/home/.config/Tavrin/Kestrel.conf"},
        {R"(HKEY_CURRENT_USER\Software\Classes\Local Settings\Shell\MuiCache)",
         sandbox + "/home/.config/Classes/Local Settings/Shell/MuiCache.conf"},
    };
    for (const auto& c : cases) {
        {
            SettingsManager store(c.key, QSettings::NativeFormat);
            EXPECT_EQ(store.GetFileName(), c.expectedFile) << c.key.toStdString();
            store.SetString("InstallerName", "setup");
        }
        EXPECT_TRUE(QFile::exists(c.expectedFile)) << c.expectedFile.toStdString();
        // What the store wrote is what Qt's own scoped store sees.
        QSettings raw(c.expectedFile, QSettings::NativeFormat);
        EXPECT_EQ(raw.value("InstallerName").toString(), QStringLiteral("setup"));
    }

    {
        SettingsManager plain(sandbox + R"(\tmp\windows-style\plain.ini)", QSettings::IniFormat);
        plain.SetInt("k", 1);
    }
    EXPECT_TRUE(QFile::exists(sandbox + "/tmp/windows-style/plain.ini"));
    {
        SettingsManager user(QStringLiteral("Kestrel"), QStringLiteral("Tavrin"));
        EXPECT_EQ(user.GetFileName(), sandbox + "/home/.config/Tavrin/Kestrel.conf");
    }
    for (const QString& file : SandboxFiles()) {
        EXPECT_FALSE(file.contains(QLatin1Char('\\'))) << file.toStdString();
    }
}

}  // namespace
