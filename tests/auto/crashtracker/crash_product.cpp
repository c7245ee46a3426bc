// A product process for the crash tracker tests. Usage:
//   crash_product <application name> <how it ends>
// It sets the organization and application name like a product, constructs a crash tracker and
// prints one line, flushed: "ready <its session id> <the crashed sessions it collected>...",
// separated by spaces. Then it ends:
//   exit      normally (the tracker is destroyed)
//   abort     abnormally, through abort()
//   wait      reads a line from stdin: "abort" ends through abort(), anything else (or the end
//             of input) normally
//   crash_product - application
// starts as a product does instead: constructs the application object before it has any name,
// prints the same line, then hands over its identity (which starts logging) and exits.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/CrashTracker.h>

#include "TestCustomization.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <string>

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

}  // namespace

int main(int argc, char** argv)
{
    const std::string ending = argc == 3 ? argv[2] : "";
    if (ending == "application") {
        Tavrin::App::Application application(argc, argv);
        Report(application.SessionId(), application.GetCrashedSessions());
        application.SetCustomizationManager(std::make_shared<Tavrin::Test::Customization>());
        return 0;
    }
    if (ending != "exit" && ending != "abort" && ending != "wait") {
        std::fprintf(stderr, "usage: crash_product <application name> exit|abort|wait\n");
        return 64;
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
    return 0;
}
