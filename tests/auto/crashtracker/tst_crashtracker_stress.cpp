// Many instances of one product starting at once, round after round, with a random half of
// them killed (SIGKILL or abort()), some while they start. The crash tracker must report every
// killed session exactly once and never a live or normally ended one.
#include "CrashProducts.h"

#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace CrashTest;

constexpr int kRounds = CRASH_STRESS_ROUNDS;
constexpr int kInstances = 20;
constexpr int kKilledWhileStarting = 3;

TEST(CrashTrackerStress, EveryKilledSessionIsReportedOnceAndNoLiveOrEndedOneEver)
{
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const QString file = ProductFile("stress");
    QMap<QString, int> killed, reported;              // session id → times killed, times reported
    QSet<QString> ended;                              // ended normally, or still running
    int killedUnseen = 0;                             // killed before they printed their id
    std::vector<std::unique_ptr<Product>> survivors;  // live while the next round starts
    const auto endSurvivors = [&survivors] {
        for (const auto& survivor : survivors)
            EXPECT_TRUE(survivor->End() && survivor->process.exitCode() == 0);
        survivors.clear();
    };

    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<Product>> batch;
        for (int i = 0; i < kInstances; ++i) {
            batch.push_back(std::make_unique<Product>(QStringList{"stress"}));
        }
        std::shuffle(batch.begin(), batch.end(), random);
        for (int i = 0; i < kKilledWhileStarting; ++i)
            batch[i]->Kill();
        for (int i = 0; i < kInstances; ++i) {
            Product& product = *batch[i];
            const bool ready = product.Ready();
            if (i < kKilledWhileStarting) {
                ready ? ++killed[product.session] : ++killedUnseen;
            } else {
                ASSERT_TRUE(ready) << "round " << round;
            }
            for (const QString& id : product.crashed)
                ++reported[id];
        }
        endSurvivors();
        for (int i = kKilledWhileStarting; i < kInstances; ++i) {
            Product& product = *batch[i];
            const unsigned fate = random() % 4;  // killed, aborted, or left to end normally
            if (fate == 0) {
                product.Kill();
            } else if (fate == 1) {
                ASSERT_TRUE(product.End("abort"));
            } else {
                ended.insert(product.session);
                survivors.push_back(std::move(batch[i]));
                continue;
            }
            ++killed[product.session];
        }
        EXPECT_TRUE(IsWellFormed(file)) << "round " << round;
    }
    endSurvivors();
    Product last({"stress"});
    ASSERT_TRUE(last.Ready() && last.End());
    for (const QString& id : last.crashed)
        ++reported[id];
    EXPECT_EQ(Entries(file), QStringList());

    for (auto it = killed.cbegin(); it != killed.cend(); ++it)
        EXPECT_EQ(reported.take(it.key()), it.value()) << it.key().toStdString();
    // What is left are reports of sessions killed before they printed their id.
    for (auto it = reported.cbegin(); it != reported.cend(); ++it)
        EXPECT_FALSE(ended.contains(it.key())) << it.key().toStdString();
    EXPECT_LE(std::accumulate(reported.cbegin(), reported.cend(), 0), killedUnseen);
}

}  // namespace
