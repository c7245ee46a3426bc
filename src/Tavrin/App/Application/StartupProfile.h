#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <chrono>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Tavrin {
namespace App {

// How long each phase of this process's start took, on the monotonic clock.
//
// The library measures logging, the crash session, the launch type, the splash, the stores,
// OnStart and the first shown window; a product measures its own phases (say, its look and
// feel) with ScopedPhase. A phase met more than once adds up. When the application emits
// ApplicationStarted it logs one INFO line with the phases so far and the time since the
// process started; the first top-level window is usually shown after that, so a second
// line follows when it is, with that phase and the new total. Measuring ends there.
class TAVRIN_APP_EXPORT StartupProfile
{
public:
    using Clock = std::chrono::steady_clock;

    static StartupProfile& Instance();
    // True when the environment variable TAVRIN_STARTUP_PROFILE is "off": then nothing is
    // measured or logged, for comparing start-up times with and without measuring.
    static bool IsSwitchedOff();

    // Adds the time from its creation to its end to a phase (nothing once measuring ended).
    class TAVRIN_APP_EXPORT ScopedPhase
    {
    public:
        explicit ScopedPhase(const char* name);
        ~ScopedPhase();
        ScopedPhase(const ScopedPhase&) = delete;
        ScopedPhase& operator=(const ScopedPhase&) = delete;

    private:
        const char* m_name;
        Clock::time_point m_begin;
    };

    void Add(const std::string& phase, Clock::duration duration);
    // Marks a phase's beginning; End adds the time since to it (once per Begin).
    void Begin(const std::string& phase);
    void End(const std::string& phase);
    // Ends measuring: later phases are ignored.
    void Finish();
    bool IsFinished() const;

    // "logging 3.1 ms, ..., OnStart 40.2 ms; 180 ms since process start", phases in the
    // order they were first met.
    std::string Describe() const;
    // "Start-up phases: " and Describe, logged as INFO, and on stdout when echoing is on.
    void Log() const;
    void SetEchoToStdout(bool echo);

    // Milliseconds since the kernel started this process (its clock ticks: 10 ms steps),
    // or -1 when /proc cannot tell.
    static long long MillisecondsSinceProcessStart();

private:
    StartupProfile() = default;

    mutable std::mutex m_mutex;
    std::vector<std::pair<std::string, Clock::duration>> m_phases;
    std::vector<std::pair<std::string, Clock::time_point>> m_open;
    bool m_finished = false;
    bool m_echo = false;
};

}  // namespace App
}  // namespace Tavrin
