// Fifty master/slave pairs, eight at a time, each exchanging a hundred messages: every
// message comes back to its own master, and the private channel directory ends up empty.
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

TEST(IpcPairs, FiftyPairsEightAtATimeKeepTheirMessagesApartAndLeaveNothingBehind)
{
    const int pairs = 50, atOnce = 8;
    std::deque<std::unique_ptr<QProcess>> running;
    QStringList results;
    const auto finishOldest = [&] {
        QProcess& master = *running.front();
        if (!master.waitForFinished(120000)) {
            master.kill();
            master.waitForFinished();
        }
        results << QString::fromUtf8(master.readAllStandardOutput()).trimmed();
        running.pop_front();
    };
    for (int pair = 0; pair < pairs; ++pair) {
        if (int(running.size()) == atOnce) {
            finishOldest();
        }
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(PAIR_MASTER, {QString::number(pair), "100"});
    }
    while (!running.empty()) {
        finishOldest();
    }
    ASSERT_EQ(results.size(), pairs);
    for (int pair = 0; pair < pairs; ++pair) {
        EXPECT_EQ(results[pair], "ok " + QString::number(pair));
    }
    const QDir channels(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/tavrin-ipc");
    EXPECT_EQ(
        channels.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList());
}
