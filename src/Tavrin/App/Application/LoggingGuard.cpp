#include "Tavrin/App/Application/LoggingGuard_p.h"

#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Core/StackTrace.h>
#include <Tavrin/Core/ioPath.h>
#include <Tavrin/Util/QtLogHandler.h>

#include <QString>

#include <glog/logging.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tavrin {
namespace App {
namespace Logging {

namespace {

using Clock = std::chrono::system_clock;

constexpr char kUnknownProduct[] = "UnknownProduct";
constexpr int kDefaultRetentionDays = 10;
// Longer than anyone keeps logs, and short enough that the cut-off cannot overflow.
constexpr int kLongestRetentionDays = 100 * 366;

struct State
{
    std::mutex mutex;
    std::string logDirectory;
};

// Never destroyed: logging may be asked about while static objects are torn down.
State& GetState()
{
    static auto* state = new State;
    return *state;
}

// An empty variable counts as unset, as it does where these variables come from.
std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string AfterLast(const std::string& text, char separator)
{
    const std::size_t position = text.rfind(separator);
    return position == std::string::npos ? text : text.substr(position + 1);
}

std::string ProductName(const std::string& explicitName)
{
    std::string name = explicitName.empty() ? Environment("GLOG_PRODUCT_NAME") : explicitName;
    name = AfterLast(AfterLast(name, '\\'), '/');
    // Nothing left, or a name that would put the logs above the product directories.
    if (name.empty() || name == "." || name == "..") {
        return kUnknownProduct;
    }
    return name;
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The per-user application data directory; empty when the environment names none.
std::string BaseDirectory()
{
    const std::string localAppData = Environment("LOCALAPPDATA");
    if (!localAppData.empty()) {
        return localAppData;
    }
    const std::string userProfile = Environment("USERPROFILE");
    if (!userProfile.empty()) {
        return userProfile + "/Local settings/Application Data";
    }
    // XDG asks to ignore relative values.
    const std::string dataHome = Environment("XDG_DATA_HOME");
    if (!dataHome.empty() && dataHome.front() == '/') {
        return dataHome;
    }
    const std::string home = Environment("HOME");
    return home.empty() ? std::string() : home + "/.local/share";
}

// glog only reports files it cannot open on stderr; a directory we cannot write to would
// leave the product believing it has logs.
bool MakeWritableDirectory(const std::string& directory)
{
    return ioPath::create_directories(ioPath(directory)) &&
           access(directory.c_str(), W_OK | X_OK) == 0;
}

// The running program's file name without directory and extension.
std::string ExecutableName()
{
    ioPath path = Core::AppLocations::GetExecutablePath();
    if (path.empty()) {
        path = ioPath(program_invocation_name);  // no /proc: what the program was started as
    }
    return path.stem().utf8string();
}

std::string UserName()
{
    const std::string userName = Environment("USERNAME");
    return userName.empty() ? Environment("USER") : userName;
}

Clock::time_point ToTimePoint(long long seconds, long long nanoseconds)
{
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(
        std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds)));
}

// The creation time where the file system records it, else the last modification, which
// is the nearest it has. False for directories and files that cannot be examined.
bool GetCreationTime(int directoryFd, const char* name, Clock::time_point& createdAt)
{
    struct statx info = {};
    if (statx(directoryFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_BTIME | STATX_MTIME,
              &info) == 0) {
        const statx_timestamp& stamp =
            (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
        createdAt = ToTimePoint(stamp.tv_sec, stamp.tv_nsec);
        return !S_ISDIR(info.stx_mode);
    }
    struct stat status = {};
    if (fstatat(directoryFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {  // kernels without statx
        return false;
    }
    createdAt = ToTimePoint(status.st_mtim.tv_sec, status.st_mtim.tv_nsec);
    return !S_ISDIR(status.st_mode);
}

bool IsOwnLogFileName(const std::string& fileName, const std::string& executableName)
{
    const std::string ownPrefix = executableName + ".";
    return !executableName.empty() && fileName.compare(0, ownPrefix.size(), ownPrefix) == 0;
}

// A file that cannot be deleted stays; the others still go. Only this executable's files are
// examined: the directory is shared with the product's other programs. Names are looked at
// relative to the open directory, which costs about half as much per file as full paths.
void SweepExpiredLogs(const std::string& directory, const std::string& executableName,
                      int retentionDays)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(directory.c_str()), &closedir);
    if (!listing) {
        return;
    }
    const int directoryFd = dirfd(listing.get());
    const Clock::time_point now = Clock::now();
    while (const dirent* entry = readdir(listing.get())) {
        const std::string fileName = entry->d_name;
        Clock::time_point createdAt;
        if (IsOwnLogFileName(fileName, executableName) &&
            GetCreationTime(directoryFd, entry->d_name, createdAt) &&
            IsExpiredLogFile(fileName, executableName, createdAt, now, retentionDays)) {
            unlinkat(directoryFd, entry->d_name, 0);
        }
    }
}

// An empty destination switches that severity's file off. The "latest file" links glog
// adds are named after the executable too, so that the sweep takes them along with it.
void DirectLogFiles(const std::string& prefix, const std::string& linkName, int lowestSeverity)
{
    for (int severity = google::GLOG_INFO; severity < google::NUM_SEVERITIES; ++severity) {
        const bool wanted = severity >= lowestSeverity;
        const std::string destination =
            wanted ? prefix + "." + google::GetLogSeverityName(severity) + "." : std::string();
        google::SetLogDestination(severity, destination.c_str());
        google::SetLogSymlink(severity, wanted ? linkName.c_str() : "");
    }
}

// glog keeps the name it is given for the rest of the process, past static destruction. It
// is started once, so the first name is the only one asked for.
const char* LastingProgramName(const std::string& product)
{
    static const std::string* const name = new std::string(product);
    return name->c_str();
}

void ForgetLogDirectory()
{
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.logDirectory.clear();
}

// libpng reports harmless flaws of images (such as sRGB profiles it dislikes) through Qt,
// often once per image; they would flood the log.
bool IsNotLibpngWarning(const QString& message)
{
    return !message.startsWith(QLatin1String("libpng warning"));
}

// Holds what is logged at WARNING and above while glog is not started, to be logged again
// once it is.
class EarlyWarnings : public google::LogSink
{
public:
    // Never destroyed: glog may still call a sink while static objects are torn down.
    static EarlyWarnings& Instance()
    {
        static auto* warnings = new EarlyWarnings;
        return *warnings;
    }

    void Keep()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_kept || google::IsGoogleLoggingInitialized()) {
                return;
            }
            m_kept = true;
        }
        // Not under our mutex: glog holds its sink lock while it calls send().
        google::AddLogSink(this);
    }

    using google::LogSink::send;
    void send(google::LogSeverity severity, const char* fullFileName, const char*, int line,
              const google::LogMessageTime&, const char* message, size_t length) override
    {
        if (severity < google::GLOG_WARNING || google::IsGoogleLoggingInitialized()) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lines.size() < kMaxLines) {
            m_lines.push_back({severity, fullFileName, line, std::string(message, length)});
        }
    }

    // Logs the kept lines, with their source, and stops keeping them.
    void WriteToLog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_kept) {
                return;
            }
            m_kept = false;
        }
        // Not under our mutex: glog holds its sink lock while it calls send().
        google::RemoveLogSink(this);
        std::vector<Line> lines;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            lines.swap(m_lines);
        }
        for (const Line& kept : lines) {
            google::LogMessage(kept.file.c_str(), kept.line, kept.severity).stream()
                << "Before logging started: " << kept.message;
        }
    }

private:
    struct Line
    {
        google::LogSeverity severity;
        std::string file;
        int line;
        std::string message;
    };
    static constexpr std::size_t kMaxLines = 100;

    std::mutex m_mutex;
    bool m_kept = false;
    std::vector<Line> m_lines;
};

class Guard
{
public:
    Guard() : m_initialized(Initialize(std::string(), google::GLOG_INFO, kDefaultRetentionDays))
    {
        if (!m_initialized) {
            return;
        }
        Core::StackTrace::SetLogsInitialized(true);
        Util::QtLogHandler& handler = Util::QtLogHandler::GetInstance();
        handler.Install();
        handler.AddFilter(&IsNotLibpngWarning);
        EarlyWarnings::Instance().WriteToLog();
    }

    ~Guard()
    {
        if (!m_initialized) {
            return;
        }
        google::ShutdownGoogleLogging();
        Util::QtLogHandler::GetInstance().Uninstall();
        Core::StackTrace::SetLogsInitialized(false);
        ForgetLogDirectory();
    }

    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    bool IsInitialized() const { return m_initialized; }

private:
    const bool m_initialized;
};

}  // namespace

bool Initialize(const std::string& productName, int lowestSeverity, int retentionDays)
{
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    const std::string product = ProductName(productName);
    const std::string base = BaseDirectory();
    if (base.empty()) {
        return false;
    }
    const std::string directory = WithoutTrailingSlashes(base) + "/Tavrin/Logs/" + product + "/";
    if (!MakeWritableDirectory(directory)) {
        return false;
    }
    const std::string executable = ExecutableName();
    SweepExpiredLogs(directory, executable, retentionDays);
    setenv("TavrinLogPath", directory.c_str(), 1);
    DirectLogFiles(directory + executable + "." + UserName(), executable, lowestSeverity);
    // A second InitGoogleLogging aborts the process; the destinations above still apply.
    if (!google::IsGoogleLoggingInitialized()) {
        google::InitGoogleLogging(LastingProgramName(product));
    }
    state.logDirectory = directory;
    return true;
}

bool EnsureInitialized()
{
    // Constructed once, thread-safely; destroyed at process exit.
    static const Guard guard;
    return guard.IsInitialized();
}

void KeepEarlyWarnings()
{
    EarlyWarnings::Instance().Keep();
}

std::string GetLogDirectory()
{
    State& state = GetState();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.logDirectory;
}

bool IsExpiredLogFile(const std::string& fileName, const std::string& executableName,
                      Clock::time_point createdAt, Clock::time_point now, int retentionDays)
{
    if (executableName.empty() || retentionDays < 0 || retentionDays > kLongestRetentionDays) {
        return false;
    }
    return IsOwnLogFileName(fileName, executableName) &&
           createdAt < now - std::chrono::hours(24) * retentionDays;
}

}  // namespace Logging
}  // namespace App
}  // namespace Tavrin
