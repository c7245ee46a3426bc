// Many instances of one product starting at once, round after round, with a random half of
// them killed (SIGKILL or abort()), some while they start. The crash tracker must report every
// killed session exactly once and never a live or normally ended one.
#include "CrashProducts.h"

#include <QMap>
#include <QSet>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using namespace CrashTest;

constexpr int kRounds = CRASH_STRESS_ROUNDS;
constexpr int kInstances = 20;
constexpr int kKilledWhileStarting = 3;

struct Outcome
{
    QMap<QString, int> killed;    // printed session id → times killed
    QSet<QString> ended;          // ended normally, or still running
    int killedUnseen = 0;         // killed before they printed their id
    QMap<QString, int> reported;  // session id → times reported

    void Report(const Product& product)
    {
        for (const QString& id : product.crashed) {
            ++reported[id];
        }
    }
};

void KillNow(Product& product)
{
    product.process.kill();
    product.process.waitForFinished(kWaitMs);
}

TEST(CrashTrackerStress, EveryKilledSessionIsReportedOnceAndNoLiveOrEndedOneEver)
{
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const QString file = ProductFile("stress");
    Outcome outcome;
    std::vector<std::unique_ptr<Product>> survivors;  // live while the next round starts

    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<Product>> batch;
        for (int i = 0; i < kInstances; ++i) {
            batch.push_back(std::make_unique<Product>(QStringList{"stress", "wait"}));
        }
        std::shuffle(batch.begin(), batch.end(), random);
        for (int i = 0; i < kKilledWhileStarting; ++i) {
            KillNow(*batch[i]);
        }
        for (int i = 0; i < kInstances; ++i) {
            Product& product = *batch[i];
            const bool ready = product.Ready();
            if (i < kKilledWhileStarting) {
                ready ? ++outcome.killed[product.session] : ++outcome.killedUnseen;
            } else {
                ASSERT_TRUE(ready) << "round " << round;
            }
            outcome.Report(product);
        }
        for (const auto& survivor : survivors) {
            ASSERT_TRUE(survivor->End() && survivor->process.exitCode() == 0);
        }
        survivors.clear();
        for (int i = kKilledWhileStarting; i < kInstances; ++i) {
            Product& product = *batch[i];
            switch (random() % 4) {
                case 0:
                    KillNow(product);
                    ++outcome.killed[product.session];
                    break;
                case 1:
                    ASSERT_TRUE(product.End("abort"));
                    ++outcome.killed[product.session];
                    break;
                default:
                    outcome.ended.insert(product.session);
                    survivors.push_back(std::move(batch[i]));
            }
        }
        EXPECT_TRUE(IsWellFormed(file)) << "round " << round;
    }
    for (const auto& survivor : survivors) {
        ASSERT_TRUE(survivor->End() && survivor->process.exitCode() == 0);
    }
    Product last({"stress", "exit"});
    ASSERT_TRUE(last.Ready() && last.process.waitForFinished(kWaitMs));
    outcome.Report(last);
    EXPECT_EQ(Entries(file), QStringList());

    int unknown = 0;
    for (auto reported = outcome.reported.cbegin(); reported != outcome.reported.cend();
         ++reported) {
        if (!outcome.killed.contains(reported.key())) {
            EXPECT_FALSE(outcome.ended.contains(reported.key())) << reported.key().toStdString();
            unknown += reported.value();
        }
    }
    EXPECT_LE(unknown, outcome.killedUnseen);
    for (auto killed = outcome.killed.cbegin(); killed != outcome.killed.cend(); ++killed) {
        EXPECT_EQ(outcome.reported.value(killed.key()), killed.value())
            << killed.key().toStdString();
    }
}

}  // namespace
