// A product process for the crash tracker tests. Usage:
//   crash_product <application name> <how it ends>
// It sets the organization and application name like a product, constructs a crash tracker and
// prints one line, flushed: "ready <its session id> <the crashed sessions it collected>...",
// separated by spaces. Then it ends:
//   exit      normally (the tracker is destroyed)
//   abort     abnormally, through abort()
//   sleep     waits to be killed (and exits normally after a minute at most)
//   wait      reads a line from stdin: "abort" ends through abort(), anything else (or the end
//             of input) normally
//   crash_product - application
// starts as a product does instead: constructs the application object before it has any name,
// prints the same line, then hands over its identity (which starts logging) and exits.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/CrashTracker.h>

#include "TestCustomization.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

namespace {

void Report(const std::string& session, const std::deque<std::string>& crashed)
{
    std::printf("ready %s", session.c_str());
    for (const std::string& id : crashed) {
        std::printf(" %s", id.c_str());
    }
    std::printf("\n");
    std::fflush(stdout);
}

int RunApplication(int argc, char** argv)
{
    Tavrin::App::Application application(argc, argv);
    Report(application.SessionId(), application.GetCrashedSessions());
    application.SetCustomizationManager(std::make_shared<Tavrin::Test::Customization>());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: crash_product <application name> exit|abort|sleep|wait\n");
        return 64;
    }
    const std::string ending = argv[2];
    if (ending == "application") {
        return RunApplication(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin Test"));
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[1]));
    QCoreApplication application(argc, argv);
    Tavrin::App::CrashTracker tracker;
    Report(tracker.SessionId(), tracker.BadSessionsList());
    std::string order;
    if (ending == "wait") {
        std::getline(std::cin, order);
    }
    if (ending == "abort" || order == "abort") {
        std::abort();
    }
    if (ending == "sleep") {
        std::this_thread::sleep_for(std::chrono::minutes(1));
    }
    return 0;
}
