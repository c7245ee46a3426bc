#include <Tavrin/App/Application/SettingsManager.h>

#include "LogCapture.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QThread>

#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

using Tavrin::App::SettingsManager;
using testing::ElementsAre;
using testing::IsEmpty;
using Calls = std::vector<std::string>;

namespace {

// Journals notifications that reach it outside the test's own writes, as
// "<Type> <key> <new> <old or none>", and whether each came on the application's thread.
struct ExternalRecorder : Tavrin::App::ISettingsManagerObserver
{
    template <typename T>
    void Note(const char* type, const std::string& key, const T& value,
              const boost::optional<T>& old)
    {
        if (writing) {
            return;
        }
        std::ostringstream line;
        line << type << ' ' << key << ' ' << value << ' ';
        if (old) {
            line << *old;
        } else {
            line << "none";
        }
        calls.push_back(line.str());
        onApplicationThread = onApplicationThread && QThread::currentThread() == qApp->thread();
    }
    void OnBoolChanged(const std::string& k, bool v, const boost::optional<bool>& o) override
    {
        Note("Bool", k, v, o);
    }
    void OnIntChanged(const std::string& k, int v, const boost::optional<int>& o) override
    {
        Note("Int", k, v, o);
    }
    void OnStringChanged(const std::string& k, const std::string& v,
                         const boost::optional<std::string>& o) override
    {
        Note("String", k, v, o);
    }
    void OnByteArrayChanged(const std::string& k, const std::vector<unsigned char>& v,
                            const boost::optional<std::vector<unsigned char>>& o) override
    {
        const auto text = [](const std::vector<unsigned char>& bytes) {
            return std::string(bytes.begin(), bytes.end());
        };
        Note("ByteArray", k, text(v), o ? boost::make_optional(text(*o)) : boost::none);
    }
    void OnInt64Changed(const std::string& k, std::int64_t v,
                        const boost::optional<std::int64_t>& o) override
    {
        Note("Int64", k, v, o);
    }
    void OnDoubleChanged(const std::string& k, double v, const boost::optional<double>& o) override
    {
        Note("Double", k, v, o);
    }

    bool writing = false;
    bool onApplicationThread = true;
    Calls calls;
};

// Replaces the file the way another process's store does: a new file renamed over it.
void ReplaceFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    ASSERT_TRUE(file.commit());
}

// Runs the event loop until `done` holds or `ms` have passed.
bool SpinUntil(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// Long enough for a file event and the coalescing timer behind it to have run.
void SpinAWhile()
{
    SpinUntil([] { return false; }, 200);
}

class SettingsWatchTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_file = Tavrin::Test::NewTempDir(QStringLiteral("watch")) + QStringLiteral("/store.ini");
        ReplaceFile(m_file, "[General]\nlevel=1\nname=first\n");
        m_store = std::make_unique<SettingsManager>(m_file, QSettings::IniFormat);
        m_store->RegisterObserver(&m_recorder);
    }
    void TearDown() override { m_store->UnregisterObserver(&m_recorder); }

    QString m_file;
    std::unique_ptr<SettingsManager> m_store;
    ExternalRecorder m_recorder;
};

TEST_F(SettingsWatchTest, ChangesAreTypedAsLastUsedHereWithTheOldValue)
{
    ASSERT_TRUE(m_store->IsWatchingExternalChanges());
    EXPECT_FALSE(m_store->GetBool("flag", false));  // known as a bool, though absent
    m_store->GetString("name", "");                 // known as a string
    m_recorder.writing = true;
    m_store->SetInt64("big", 5);
    m_recorder.writing = false;
    SpinAWhile();
    ASSERT_THAT(m_recorder.calls, IsEmpty()) << "its own write came back";

    ReplaceFile(m_file, "[General]\nlevel=7\nname=12\nflag=true\nbig=6\nfresh=12\nratio=0.5\n"
                        "word=hello\nraw=@ByteArray(xy)\n");
    ASSERT_TRUE(SpinUntil([this] { return m_recorder.calls.size() >= 8; }));
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls,
                testing::UnorderedElementsAre("Int level 7 1", "String name 12 first",
                                              "Bool flag 1 none", "Int64 big 6 5",
                                              "Int fresh 12 none", "Double ratio 0.5 none",
                                              "String word hello none", "ByteArray raw xy none"));
    EXPECT_TRUE(m_recorder.onApplicationThread);
    EXPECT_EQ(m_store->GetInt("level", 0), 7);
}

TEST_F(SettingsWatchTest, ABurstOfWritesIsOneNotificationWithTheLastValue)
{
    for (int level = 10; level <= 14; ++level) {
        ReplaceFile(m_file, QByteArray("[General]\nlevel=") + QByteArray::number(level) + "\n");
    }
    ASSERT_TRUE(SpinUntil([this] { return !m_recorder.calls.empty(); }));
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls, ElementsAre("Int level 14 1"));
}

TEST_F(SettingsWatchTest, ManyOwnWritesNeverComeBack)
{
    m_recorder.writing = true;
    for (int i = 0; i < 50; ++i) {
        m_store->SetInt("level", i);
        m_store->SetString("name", std::to_string(i));
        QCoreApplication::processEvents();  // lets the store write its file each time
    }
    m_recorder.writing = false;
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls, IsEmpty());
    EXPECT_EQ(QSettings(m_file, QSettings::IniFormat).value("level").toInt(), 49);
}

TEST_F(SettingsWatchTest, SwitchedOffOrOffTheApplicationThreadNothingIsWatched)
{
    m_store->SetWatchExternalChanges(false);
    EXPECT_FALSE(m_store->IsWatchingExternalChanges());
    ReplaceFile(m_file, "[General]\nlevel=2\n");
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls, IsEmpty());

    m_store->SetWatchExternalChanges(true);  // on again: watches from what the file has now
    ReplaceFile(m_file, "[General]\nlevel=3\n");
    ASSERT_TRUE(SpinUntil([this] { return !m_recorder.calls.empty(); }));
    EXPECT_THAT(m_recorder.calls, ElementsAre("Int level 3 2"));

    bool watchedOnAThread = true;
    std::thread([this, &watchedOnAThread] {
        SettingsManager other(m_file, QSettings::IniFormat);
        other.SetWatchExternalChanges(true);
        watchedOnAThread = other.IsWatchingExternalChanges();
    }).join();
    EXPECT_FALSE(watchedOnAThread);
}

// Each fault is reported once, the known values stay, and the store recovers when a good
// file comes back.
TEST_F(SettingsWatchTest, ABrokenFileWarnsOnceAndKeepsTheKnownValues)
{
    struct Fault
    {
        const char* name;
        std::function<void(const QString&)> make;
        const char* warning;
        // QSettings shares what it parsed of a file among a process's stores: what it made of
        // a garbled one is what the store reads until a good file comes back.
        bool keepsValues;
    };
    const std::vector<Fault> faults = {
        {"deleted", [](const QString& file) { QFile::remove(file); }, "is gone", true},
        {"replaced by a directory",
         [](const QString& file) {
             QFile::remove(file);
             QDir().mkdir(file);
         },
         "is no longer a regular file", true},
        {"garbage", [](const QString& file) { 
             static const char garbled[] = "[gr\0\xff\n=\x01[";
             ReplaceFile(file, QByteArray(garbled, sizeof garbled - 1));
         },
         "cannot be read", false},
    };
    int level = 1;
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        m_recorder.calls.clear();
        Tavrin::Test::LogCapture log(google::GLOG_WARNING);
        fault.make(m_file);
        SpinAWhile();
        Tavrin::Test::WriteFile(QFileInfo(m_file).absolutePath() + "/other", "poke");
        SpinAWhile();
        EXPECT_EQ(log.Count(fault.warning), 1);
        EXPECT_EQ(log.lines.size(), 1u);
        if (fault.keepsValues) {
            EXPECT_EQ(m_store->GetInt("level", 0), level);
        }
        EXPECT_THAT(m_recorder.calls, IsEmpty());

        QDir(m_file).removeRecursively();
        ++level;
        ReplaceFile(m_file, "[General]\nlevel=" + QByteArray::number(level) + "\nname=first\n");
        ASSERT_TRUE(SpinUntil([this] { return !m_recorder.calls.empty(); }));
        EXPECT_THAT(m_recorder.calls,
                    ElementsAre("Int level " + std::to_string(level) + ' ' +
                                std::to_string(level - 1)));
    }
}

QString OutputWhenDone(QProcess& process)
{
    process.waitForFinished(120000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::vector<int> ValuesSeen(const QString& output, const QString& key)
{
    std::vector<int> values;
    for (const QString& line : output.split('\n')) {
        const QStringList words = line.split(' ');
        if (words.size() == 3 && words[0] == "changed" && words[1] == key) {
            values.push_back(words[2].toInt());
        }
    }
    return values;
}

// Two writers race through a thousand writes each on the same file while a third process
// only reads: everyone ends with the final values, in order, and nobody hears its own writes.
TEST(SettingsWatchPeersTest, WritersAndAReaderAgreeOnTheFinalValues)
{
    const QString file = Tavrin::Test::NewTempDir(QStringLiteral("peers")) + "/shared.ini";
    auto start = [&file](const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->start(Tavrin::Test::HelperExecutable(),
                       QStringList{"settings-peer", file} + arguments);
        return process;
    };
    auto reader = start({"none", "0", "100000", "a/count=1000", "b/count=1000"});
    ASSERT_TRUE(reader->waitForStarted());
    QThread::msleep(300);  // the reader is watching before anyone writes
    auto a = start({"a/count", "1000", "100000", "b/count=1000"});
    auto b = start({"b/count", "1000", "100000", "a/count=1000"});

    const QString fromA = OutputWhenDone(*a);
    const QString fromB = OutputWhenDone(*b);
    const QString fromReader = OutputWhenDone(*reader);
    for (const QString* output : {&fromA, &fromB, &fromReader}) {
        EXPECT_TRUE(output->contains("done\nechoes 0\n")) << output->right(300).toStdString();
    }
    for (const auto& [output, key] : {std::pair{fromA, "b/count"}, std::pair{fromB, "a/count"},
                                      std::pair{fromReader, "a/count"},
                                      std::pair{fromReader, "b/count"}}) {
        const std::vector<int> seen = ValuesSeen(output, key);
        ASSERT_FALSE(seen.empty()) << key;
        EXPECT_EQ(seen.back(), 1000) << key;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << key;
    }
    EXPECT_THAT(ValuesSeen(fromA, "a/count"), IsEmpty());
    EXPECT_THAT(ValuesSeen(fromB, "b/count"), IsEmpty());
}

}  // namespace
