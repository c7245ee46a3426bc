// A product process for the crash tracker tests. Usage:
//   crash_product <application name> <how it ends>
// It sets the organization and application name like a product, constructs a crash tracker and
// prints one line, flushed: "ready <its session id> <the crashed sessions it collected>...",
// separated by spaces. Then it ends:
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
    std::printf("ready %s", tracker.SessionId().c_str());
    for (const std::string& session : tracker.BadSessionsList()) {
        std::printf(" %s", session.c_str());
    }
    std::printf("\n");
    std::fflush(stdout);
    if (ending == "abort") {
        std::abort();
    }
    if (ending == "sleep") {
        std::this_thread::sleep_for(std::chrono::minutes(1));
    }
    return 0;
}
