#include <Tavrin/App/Application/StartupProfile.h>

#include "LogCapture.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>

using Tavrin::App::StartupProfile;
using std::chrono::microseconds;

namespace {

// Started while the process is loaded, long before any test runs.
const QElapsedTimer g_sinceLoad = [] {
    QElapsedTimer timer;
    timer.start();
    return timer;
}();

// The profile is one per process and ends for good, so its life is one test.
TEST(StartupProfileTest, PhasesAddUpInTheOrderMetUntilMeasuringEnds)
{
    StartupProfile& profile = StartupProfile::Instance();
    profile.Add("alpha", microseconds(1500));
    profile.Add("beta", microseconds(250));
    profile.Add("alpha", microseconds(600));
    profile.End("never begun");
    profile.Begin("gamma");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    profile.End("gamma");
    profile.End("gamma");  // a second End has nothing to close
    {
        const StartupProfile::ScopedPhase scoped("delta");
    }

    const std::string line = profile.Describe();
    EXPECT_NE(line.find("alpha 2.1 ms, beta 0.2 ms, gamma "), std::string::npos) << line;
    EXPECT_NE(line.find(", delta 0."), std::string::npos) << line;
    EXPECT_EQ(line.find("never begun"), std::string::npos) << line;
    const std::size_t gamma = line.find("gamma ") + 6;
    EXPECT_GE(std::stod(line.substr(gamma)), 2.0) << line;

    Tavrin::Test::LogCapture log;
    profile.Log();
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].second.rfind("Start-up phases: alpha 2.1 ms, beta 0.2 ms, gamma", 0),
              0u)
        << log.lines[0].second;

    profile.Finish();
    profile.Add("late", microseconds(1000));
    profile.Begin("later");
    profile.End("later");
    EXPECT_TRUE(profile.IsFinished());
    EXPECT_EQ(profile.Describe().find("late"), std::string::npos);
}

// The kernel's start time of this process, read from /proc: no earlier than our own clock
// says the process was loaded (the kernel counts in 10 ms ticks), and not absurdly later.
TEST(StartupProfileTest, TimeSinceProcessStartMatchesTheProcessAge)
{
    const long long sinceLoad = g_sinceLoad.elapsed();
    const long long sinceStart = StartupProfile::MillisecondsSinceProcessStart();
    EXPECT_GE(sinceStart + 10, sinceLoad);
    EXPECT_LT(sinceStart, sinceLoad + 5000);
}

}  // namespace
