// Changes that other processes make to a store's file, seen by a store of this process: typed
// notifications with the old value on the application's thread, coalesced bursts, none for
// its own writes, switching the watch off, broken files, and three processes racing.
#include <Tavrin/App/Application/SettingsManager.h>

#include "LogCapture.h"
#include "SettingsRecorder.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTest>

#include <gmock/gmock.h>

#include <thread>

using Tavrin::App::SettingsManager;
using namespace Tavrin::Test;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Replaces the file the way another process's store does: a new file renamed over it.
void ReplaceFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    ASSERT_TRUE(file.commit());
}

// Long enough for a file event and the coalescing timer behind it to have run.
void SpinAWhile()
{
    QTest::qWait(200);
}

// A watched store of a file that starts with level 1 and name "first".
struct SettingsWatchTest : testing::Test
{
    SettingsWatchTest()
    {
        ReplaceFile(m_file, "[General]\nlevel=1\nname=first\n");
        m_store = std::make_unique<SettingsManager>(m_file, QSettings::IniFormat);
        m_store->RegisterObserver(&m_recorder);
    }

    const QString m_file = NewTempDir(QStringLiteral("watch")) + QStringLiteral("/store.ini");
    SettingsRecorder m_recorder;  // outlives the store
    std::unique_ptr<SettingsManager> m_store;
};

TEST_F(SettingsWatchTest, ChangesAreTypedAsLastUsedHereWithTheOldValue)
{
    ASSERT_TRUE(m_store->IsWatchingExternalChanges());
    EXPECT_FALSE(m_store->GetBool("flag", false));  // known as a bool, though absent
    m_store->GetString("name", "");                 // known as a string
    m_store->SetInt64("big", 5);
    SpinAWhile();
    ASSERT_THAT(m_recorder.calls, ElementsAre("Int64 big 5 none")) << "its own write came back";
    m_recorder.calls.clear();

    ReplaceFile(m_file,
                "[General]\nlevel=7\nname=12\nflag=true\nbig=6\nfresh=12\nratio=0.5\n"
                "word=hello\nraw=@ByteArray(xy)\n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_recorder.calls.size() >= 8; }));
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls, testing::UnorderedElementsAre(
                                      "Int level 7 1", "String name 12 first", "Bool flag 1 none",
                                      "Int64 big 6 5", "Int fresh 12 none", "Double ratio 0.5 none",
                                      "String word hello none", "Bytes raw bytes[2] none"));
    EXPECT_TRUE(m_recorder.onApplicationThread);
    EXPECT_EQ(m_store->GetInt("level", 0), 7);
}

TEST_F(SettingsWatchTest, ABurstOfWritesIsOneNotificationWithTheLastValue)
{
    for (int level = 10; level <= 14; ++level) {
        ReplaceFile(m_file, QByteArray("[General]\nlevel=") + QByteArray::number(level) + "\n");
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_recorder.calls.empty(); }));
    SpinAWhile();
    EXPECT_THAT(m_recorder.calls, ElementsAre("Int level 14 1"));
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
    ASSERT_TRUE(QTest::qWaitFor([this] { return !m_recorder.calls.empty(); }));
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
    // The fault, the warning it gives, and whether the known values stay. QSettings shares what
    // it parsed of a file among a process's stores: what it made of a garbled one (no keys) is
    // what the store reads until a good file comes back.
    const std::tuple<QString, const char*, bool> faults[] = {
        {"deleted", "is gone", true},
        {"replaced by a directory", "is no longer a regular file", true},
        {"garbage", "cannot be read", false}};
    int level = 1;
    for (const auto& [fault, warning, keepsValues] : faults) {
        SCOPED_TRACE(fault.toStdString());
        m_recorder.calls.clear();
        LogCapture log(google::GLOG_WARNING);
        static const char garbled[] = "[gr\0\xff\n=\x01[";
        if (fault == "garbage")
            ReplaceFile(m_file, QByteArray(garbled, sizeof garbled - 1));
        else
            QFile::remove(m_file);
        if (fault == "replaced by a directory")
            QDir().mkdir(m_file);
        SpinAWhile();
        WriteFile(QFileInfo(m_file).absolutePath() + "/other", "poke");
        SpinAWhile();
        EXPECT_EQ(log.Count(warning), 1);
        EXPECT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(m_store->GetInt("level", 0), keepsValues ? level : 0);
        EXPECT_THAT(m_recorder.calls, IsEmpty());

        QDir(m_file).removeRecursively();
        ++level;
        ReplaceFile(m_file, "[General]\nlevel=" + QByteArray::number(level) + "\nname=first\n");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_recorder.calls.empty(); }));
        EXPECT_THAT(m_recorder.calls, ElementsAre("Int level " + std::to_string(level) + ' ' +
                                                  std::to_string(level - 1)));
    }
}

std::vector<int> ValuesSeen(const QString& output, const QString& key)
{
    std::vector<int> values;
    for (const QString& line : output.split('\n')) {
        const QStringList words = line.split(' ');
        if (words.size() == 3 && words[0] == "changed" && words[1] == key)
            values.push_back(words[2].toInt());
    }
    return values;
}

// Two writers race through a thousand writes each on the same file while a third process
// only reads: everyone ends with the final values, in order, and nobody hears its own writes.
TEST(SettingsWatchPeersTest, WritersAndAReaderAgreeOnTheFinalValues)
{
    const QString file = NewTempDir(QStringLiteral("peers")) + "/shared.ini";
    auto start = [&file](const QStringList& arguments) {
        auto process = std::make_unique<QProcess>();
        process->start(HelperExecutable(), QStringList{"settings-peer", file} + arguments);
        return process;
    };
    auto reader = start({"none", "0", "100000", "a/count=1000", "b/count=1000"});
    ASSERT_TRUE(reader->waitForStarted());
    QThread::msleep(300);  // the reader is watching before anyone writes
    auto a = start({"a/count", "1000", "100000", "b/count=1000"});
    auto b = start({"b/count", "1000", "100000", "a/count=1000"});

    QStringList outputs;
    for (QProcess* process : {a.get(), b.get(), reader.get()}) {
        process->waitForFinished(120000);
        outputs << process->readAllStandardOutput();
        EXPECT_TRUE(outputs.last().contains("done\nechoes 0\n")) << outputs.last().toStdString();
    }
    const QString &fromA = outputs[0], &fromB = outputs[1], &fromReader = outputs[2];
    for (const auto& [output, key] :
         {std::pair{fromA, "b/count"}, std::pair{fromB, "a/count"},
          std::pair{fromReader, "a/count"}, std::pair{fromReader, "b/count"}}) {
        const std::vector<int> seen = ValuesSeen(output, key);
        ASSERT_FALSE(seen.empty()) << key;
        EXPECT_EQ(seen.back(), 1000) << key;
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << key;
    }
    EXPECT_THAT(ValuesSeen(fromA, "a/count"), IsEmpty());
    EXPECT_THAT(ValuesSeen(fromB, "b/count"), IsEmpty());
}

}  // namespace
