#include "Tavrin/App/Application/StartupProfile.h"

#include <glog/logging.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace Tavrin {
namespace App {

StartupProfile& StartupProfile::Instance()
{
    static StartupProfile& profile = []() -> StartupProfile& {
        static StartupProfile instance;
        instance.m_finished = IsSwitchedOff();
        return instance;
    }();
    return profile;
}

bool StartupProfile::IsSwitchedOff()
{
    const char* value = std::getenv("TAVRIN_STARTUP_PROFILE");
    return value && std::string(value) == "off";
}

StartupProfile::ScopedPhase::ScopedPhase(const char* name) : m_name(name), m_begin(Clock::now()) {}

StartupProfile::ScopedPhase::~ScopedPhase()
{
    StartupProfile::Instance().Add(m_name, Clock::now() - m_begin);
}

void StartupProfile::Add(const std::string& phase, Clock::duration duration)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_finished) {
        return;
    }
    const auto found = std::find_if(m_phases.begin(), m_phases.end(),
                                    [&phase](const auto& known) { return known.first == phase; });
    if (found == m_phases.end()) {
        m_phases.emplace_back(phase, duration);
    } else {
        found->second += duration;
    }
}

void StartupProfile::Begin(const std::string& phase)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_finished) {
        m_open.emplace_back(phase, Clock::now());
    }
}

void StartupProfile::End(const std::string& phase)
{
    Clock::duration duration{};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = std::find_if(m_open.begin(), m_open.end(),
                                        [&phase](const auto& open) { return open.first == phase; });
        if (found == m_open.end()) {
            return;
        }
        duration = Clock::now() - found->second;
        m_open.erase(found);
    }
    Add(phase, duration);
}

void StartupProfile::Finish()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finished = true;
    m_open.clear();
}

bool StartupProfile::IsFinished() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_finished;
}

std::string StartupProfile::Describe() const
{
    std::ostringstream line;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const char* separator = "";
        for (const auto& phase : m_phases) {
            const auto ms = std::chrono::duration_cast<std::chrono::microseconds>(phase.second);
            line << separator << phase.first << ' ' << ms.count() / 1000 << '.'
                 << (ms.count() % 1000) / 100 << " ms";
            separator = ", ";
        }
    }
    const long long total = MillisecondsSinceProcessStart();
    if (total >= 0) {
        line << "; " << total << " ms since process start";
    }
    return line.str();
}

void StartupProfile::Log() const
{
    const std::string line = "Start-up phases: " + Describe();
    LOG(INFO) << line;
    bool echo = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        echo = m_echo;
    }
    if (echo) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
}

void StartupProfile::SetEchoToStdout(bool echo)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_echo = echo;
}

long long StartupProfile::MillisecondsSinceProcessStart()
{
    // Field 22 of /proc/self/stat, after the command name in parentheses (which may itself
    // hold spaces and parentheses): clock ticks from boot to the process's start.
    std::ifstream file("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int index = 3; index < 22 && fields >> field; ++index) {
    }
    unsigned long long startTicks = 0;
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    timespec now = {};
    if (!(fields >> startTicks) || ticksPerSecond <= 0 ||
        clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        return -1;
    }
    const long long nowMs = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return nowMs - static_cast<long long>(startTicks * 1000 /
                                          static_cast<unsigned long long>(ticksPerSecond));
}

}  // namespace App
}  // namespace Tavrin
