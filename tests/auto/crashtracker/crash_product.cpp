// A product process for the crash tracker tests. Usage:
//   crash_product <application name> <how it ends>
// It sets the organization and application name like a product, constructs a crash tracker and
// prints, one line each and flushed: "session <its session id>", "crashed <session id>" for
// every crashed session it collected, then "ready". Then it ends:
//   exit      normally (the tracker is destroyed)
//   abort     abnormally, through abort()
//   sleep     waits to be killed (and exits normally after a minute at most)
#include <Tavrin/App/Application/CrashTracker.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Report(const Tavrin::App::CrashTracker& tracker)
{
    Say("session " + tracker.SessionId());
    for (const std::string& session : tracker.BadSessionsList()) {
        Say("crashed " + session);
    }
    Say("ready");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: crash_product <application name> exit|abort|sleep\n");
        return 64;
    }
    const std::string ending = argv[2];
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin Test"));
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    QCoreApplication application(argc, argv);
    Tavrin::App::CrashTracker tracker;
    Report(tracker);
    if (ending == "abort") {
        std::abort();
    }
    if (ending == "sleep") {
        std::this_thread::sleep_for(std::chrono::minutes(1));
    }
    return 0;
}
