// The start-up profile: phases added, timed and described in the order met, its log line, its
// end, and the time since the process started.
#include <Tavrin/App/Application/StartupProfile.h>

#include "LogCapture.h"

#include <gmock/gmock.h>

#include <thread>

using Tavrin::App::StartupProfile;
using namespace std::chrono;
using namespace testing;

// Taken while the process is loaded, long before any test runs.
const steady_clock::time_point g_loaded = steady_clock::now();

// The profile is one per process and ends for good, so its life is one test.
TEST(StartupProfileTest, PhasesAddUpInTheOrderMetUntilMeasuringEnds)
{
    StartupProfile& profile = StartupProfile::Instance();
    profile.Add("alpha", microseconds(1500));
    profile.Add("beta", microseconds(250));
    profile.Add("alpha", microseconds(600));
    profile.End("never begun");
    profile.Begin("gamma");
    std::this_thread::sleep_for(milliseconds(2));
    profile.End("gamma");
    profile.End("gamma");                  // a second End has nothing to close
    StartupProfile::ScopedPhase{"delta"};  // begun and ended at once

    const std::string line = profile.Describe();
    EXPECT_THAT(line, AllOf(HasSubstr("alpha 2.1 ms, beta 0.2 ms, gamma "), HasSubstr(", delta 0."),
                            Not(HasSubstr("never begun"))));
    EXPECT_GE(std::stod(line.substr(line.find("gamma ") + 6)), 2.0) << line;

    Tavrin::Test::LogCapture log;
    profile.Log();
    EXPECT_THAT(log.lines, ElementsAre(Pair(_, StartsWith("Start-up phases: alpha 2.1 ms, beta"))));

    profile.Finish();
    profile.Add("late", microseconds(1000));
    profile.Begin("later");
    profile.End("later");
    EXPECT_TRUE(profile.IsFinished());
    EXPECT_THAT(profile.Describe(), Not(HasSubstr("late")));
}

// The kernel's start time of this process, read from /proc: no earlier than our own clock
// says the process was loaded (the kernel counts in 10 ms ticks), and not absurdly later.
TEST(StartupProfileTest, TimeSinceProcessStartMatchesTheProcessAge)
{
    const long long sinceLoad = duration_cast<milliseconds>(steady_clock::now() - g_loaded).count();
    EXPECT_THAT(StartupProfile::MillisecondsSinceProcessStart(),
                AllOf(Ge(sinceLoad - 10), Lt(sinceLoad + 5000)));
}
