// Whole-process start-up of the demo product against a bare Qt Widgets program that shows the
// same main window (bench_bare_window), and against itself with its start-up phases neither
// measured nor logged (TAVRIN_STARTUP_PROFILE=off). Each program is started `runs` times,
// alternating, after one unmeasured warm-up each: wall time from spawn until the child is reaped,
// and the child's peak resident set from wait4. The demo runs `--offscreen-smoke
// --quit-after-start`, so it quits as soon as ApplicationStarted has been handled in its event
// loop.
//   bench_startup [runs]        runs per program, 1..1000, default 20
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kDefaultRuns = 20;
constexpr int kMaxRuns = 1000;
constexpr int kChildTimeoutMs = 60000;
constexpr double kTimeRatioTarget = 1.15;
constexpr double kExtraMemoryTargetMiB = 5.0;

struct Sample
{
    double milliseconds = 0;
    // User and system time: less at the mercy of other load on the machine than wall time.
    double cpuMilliseconds = 0;
    long peakRssKiB = 0;
};

struct Program
{
    const char* label;
    std::vector<std::string> command;      // the executable, then its arguments
    std::vector<std::string> environment;  // NAME=value added to this process's environment
    std::vector<Sample> samples;
};

double NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// A private HOME, XDG directories and temporary directory that every child inherits, so the
// runs neither read nor write the user's settings and logs; removed afterwards.
class Sandbox
{
public:
    Sandbox()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-startup-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("cannot create a sandbox: " + std::string(strerror(errno)));
        }
        m_root = pattern;
        Point("HOME", "/home");
        Point("XDG_CONFIG_HOME", "/home/.config");
        Point("XDG_DATA_HOME", "/home/.local/share");
        Point("XDG_CACHE_HOME", "/home/.cache");
        Point("XDG_STATE_HOME", "/home/.local/state");
        Point("XDG_RUNTIME_DIR", "/run");
        chmod((m_root + "/run").c_str(), 0700);
        Point("TMPDIR", "/tmp");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const char* name : {"TavrinLogPath", "LOCALAPPDATA", "USERPROFILE"}) {
            unsetenv(name);
        }
    }
    ~Sandbox()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string ErrorLog() const { return m_root + "/child-stderr.txt"; }

private:
    void Point(const char* name, const char* below)
    {
        const std::string path = m_root + below;
        std::filesystem::create_directories(path);
        setenv(name, path.c_str(), 1);
    }

    std::string m_root;
};

// Waits for the child, killing it when it takes longer than kChildTimeoutMs. Returns whether
// it ended on its own; `status` and `usage` come from wait4 either way.
bool WaitBounded(pid_t pid, int& status, rusage& usage)
{
    bool timedOut = false;
    // Through syscall: this glibc's <sys/pidfd.h> cannot be used from C++.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidfd >= 0) {
        pollfd exited{pidfd, POLLIN, 0};
        int ready = 0;
        do {
            ready = poll(&exited, 1, kChildTimeoutMs);
        } while (ready < 0 && errno == EINTR);
        close(pidfd);
        timedOut = ready == 0;
    } else {
        // Without pidfd: look every 0.2 ms, which keeps the timing error small.
        const double deadline = NowMs() + kChildTimeoutMs;
        for (siginfo_t info{}; !timedOut; usleep(200)) {
            info.si_pid = 0;
            if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid) {
                break;
            }
            timedOut = NowMs() > deadline;
        }
    }
    if (timedOut) {
        kill(pid, SIGKILL);
    }
    pid_t reaped = 0;
    do {
        reaped = wait4(pid, &status, 0, &usage);
    } while (reaped < 0 && errno == EINTR);
    return !timedOut && reaped == pid;
}

std::string ReadTail(const std::string& path)
{
    std::ifstream file(path);
    std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::size_t keep = 2000;
    return text.size() > keep ? text.substr(text.size() - keep) : text;
}

// One start of the program; nothing, with `error` set, when it did not start or end cleanly.
std::optional<Sample> RunOnce(const Program& program, const Sandbox& sandbox, std::string& error)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, sandbox.ErrorLog().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const std::string& part : program.command) {
        argv.push_back(const_cast<char*>(part.c_str()));
    }
    argv.push_back(nullptr);

    const double start = NowMs();
    pid_t pid = 0;
    std::vector<char*> envp;
    for (const std::string& entry : program.environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    for (char** entry = environ; *entry; ++entry) {
        envp.push_back(*entry);
    }
    envp.push_back(nullptr);
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = "cannot start " + program.command[0] + ": " + strerror(spawned);
        return std::nullopt;
    }
    int status = 0;
    rusage usage{};
    const bool ended = WaitBounded(pid, status, usage);
    const double elapsed = NowMs() - start;
    if (!ended) {
        error = program.command[0] + " did not end within " +
                std::to_string(kChildTimeoutMs / 1000) + " s";
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = program.command[0] + " failed (" +
                (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                   : "signal " + std::to_string(WTERMSIG(status))) +
                "):\n" + ReadTail(sandbox.ErrorLog());
        return std::nullopt;
    }
    const auto toMs = [](const timeval& time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; };
    return Sample{elapsed, toMs(usage.ru_utime) + toMs(usage.ru_stime), usage.ru_maxrss};
}

template <typename Value>
double Median(const std::vector<Sample>& samples, Value value)
{
    std::vector<double> values;
    for (const Sample& sample : samples) {
        values.push_back(static_cast<double>(value(sample)));
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double MedianMs(const Program& program)
{
    return Median(program.samples, [](const Sample& sample) { return sample.milliseconds; });
}

double MedianCpuMs(const Program& program)
{
    return Median(program.samples, [](const Sample& sample) { return sample.cpuMilliseconds; });
}

double MedianRssMiB(const Program& program)
{
    return Median(program.samples, [](const Sample& sample) { return sample.peakRssKiB; }) / 1024;
}

void PrintRow(const char* label, const std::string& wall, const std::string& cpu,
              const std::string& rss)
{
    std::printf("%-20s %14s %14s %14s\n", label, wall.c_str(), cpu.c_str(), rss.c_str());
}

std::string Format(const char* format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintTable(const Program& bare, const Program& demo, const Program& unmeasured, int runs)
{
    const double ratio = MedianMs(demo) / MedianMs(bare);
    const double extraMiB = MedianRssMiB(demo) - MedianRssMiB(bare);
    std::printf("Start-up to the event loop and out, %d runs each, medians\n\n", runs);
    PrintRow("", "wall time", "cpu time", "peak RSS");
    for (const Program* program : {&bare, &demo, &unmeasured}) {
        PrintRow(program->label, Format("%.1f ms", MedianMs(*program)),
                 Format("%.1f ms", MedianCpuMs(*program)),
                 Format("%.1f MiB", MedianRssMiB(*program)));
    }
    PrintRow("demo against bare", Format("%.3fx", ratio),
             Format("%.3fx", MedianCpuMs(demo) / MedianCpuMs(bare)), Format("%+.1f MiB", extraMiB));
    PrintRow("target", Format("<= %.2fx", kTimeRatioTarget), "",
             Format("<= +%.1f MiB", kExtraMemoryTargetMiB));
    PrintRow("", ratio <= kTimeRatioTarget ? "met" : "MISSED", "",
             extraMiB <= kExtraMemoryTargetMiB ? "met" : "MISSED");
    PrintRow("measured/unmeasured", Format("%.3fx", MedianMs(demo) / MedianMs(unmeasured)),
             Format("%.3fx", MedianCpuMs(demo) / MedianCpuMs(unmeasured)),
             Format("%+.1f MiB", MedianRssMiB(demo) - MedianRssMiB(unmeasured)));
}

int ParseRuns(int argc, char** argv)
{
    if (argc < 2) {
        return kDefaultRuns;
    }
    char* end = nullptr;
    errno = 0;
    const long runs = std::strtol(argv[1], &end, 10);
    if (argc > 2 || errno != 0 || end == argv[1] || *end != '\0' || runs < 1 || runs > kMaxRuns) {
        return -1;
    }
    return static_cast<int>(runs);
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = ParseRuns(argc, argv);
    if (runs < 0) {
        std::fprintf(stderr, "usage: %s [runs]   (runs per program, 1..%d, default %d)\n", argv[0],
                     kMaxRuns, kDefaultRuns);
        return 2;
    }
    try {
        Sandbox sandbox;
        // Styled like the demo's starting theme and language, by hand.
        Program bare{"bench_bare_window",
                     {BARE_WINDOW_EXECUTABLE, KESTREL_RESOURCES "/themes/light",
                      KESTREL_RESOURCES "/locales/en_US/kestrel_en_US.qm"},
                     {},
                     {}};
        const std::vector<std::string> demoCommand{KESTREL_EXECUTABLE, "--offscreen-smoke",
                                                   "--quit-after-start"};
        Program demo{"tavrin-kestrel", demoCommand, {}, {}};
        // The same start with its phases neither measured nor logged.
        Program unmeasured{"  profile off", demoCommand, {"TAVRIN_STARTUP_PROFILE=off"}, {}};
        std::string error;
        // The warm-up fills the page cache and makes the demo's first launch, which writes
        // its settings, so every measured run is a regular launch.
        for (int run = -1; run < runs; ++run) {
            // The order turns every run, so no program always follows the same one.
            Program* order[] = {&bare, &demo, &unmeasured};
            std::rotate(order, order + (run + 1) % 3, order + 3);
            for (Program* program : order) {
                const std::optional<Sample> sample = RunOnce(*program, sandbox, error);
                if (!sample) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return 1;
                }
                if (run >= 0) {
                    program->samples.push_back(*sample);
                }
            }
        }
        PrintTable(bare, demo, unmeasured, runs);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
