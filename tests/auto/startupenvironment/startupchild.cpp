// Logging and Qt's start-up attributes are set once per process, so the tests run them here.
// The arguments are commands, run in order; answers are "key=value" lines on stdout:
//   init                 Logging::EnsureInitialized(): init=<0|1>
//   state                logdir=, logpath= ($TavrinLogPath), stacklogs=<0|1>
//   set <NAME>=<value>   changes the environment
//   log <text>           "<SEVERITY> <text>" at INFO, WARNING and ERROR
//   qwarn <text>         qWarning(<text>)
//   age <file> <days>    writes the file, then dates its modification back
//   highdpi              highdpi=<0|1>: whether Qt scales for high DPI
//   dpi                  HighDpiFix()
#include <Tavrin/App/Application/LoggingGuard_p.h>
#include <Tavrin/App/Application/StartupEnvironment.h>
#include <Tavrin/Core/StackTrace.h>

#include <QCoreApplication>

#include <glog/logging.h>

#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main(int argc, char** argv)
{
    using namespace Tavrin::App;
    // Answers are read once the child has ended, which flushes them.
    const auto Say = [](const char* key, const std::string& value) {
        std::printf("%s=%s\n", key, value.c_str());
    };
    for (int i = 1; i < argc; ++i) {
        const std::string command = argv[i];
        const auto next = [&]() { return std::string(i + 1 < argc ? argv[++i] : ""); };
        if (command == "init") {
            Say("init", Logging::EnsureInitialized() ? "1" : "0");
        } else if (command == "state") {
            const char* logPath = std::getenv("TavrinLogPath");
            Say("logdir", Logging::GetLogDirectory());
            Say("logpath", logPath ? logPath : "");
            Say("stacklogs", Tavrin::Core::StackTrace::AreLogsInitialized() ? "1" : "0");
        } else if (command == "set") {
            const std::string assignment = next();
            const std::size_t equals = assignment.find('=');
            setenv(assignment.substr(0, equals).c_str(), assignment.substr(equals + 1).c_str(), 1);
        } else if (command == "log") {
            const std::string text = next();
            LOG(INFO) << "INFO " << text;
            LOG(WARNING) << "WARNING " << text;
            LOG(ERROR) << "ERROR " << text;
        } else if (command == "qwarn") {
            qWarning("%s", next().c_str());
        } else if (command == "age") {
            const std::string file = next();
            const time_t then = std::time(nullptr) - std::stol(next()) * 24 * 3600;
            const timeval times[2] = {{then, 0}, {then, 0}};
            std::fclose(std::fopen(file.c_str(), "w"));
            utimes(file.c_str(), times);
        } else if (command == "highdpi") {
            Say("highdpi",
                QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling) ? "1" : "0");
        } else if (command == "dpi") {
            HighDpiFix();
        } else {
            std::fprintf(stderr, "unknown command %s\n", command.c_str());
            return 2;
        }
    }
    return 0;
}
