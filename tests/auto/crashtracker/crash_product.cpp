// A product process for the crash tracker tests. Usage:
//   crash_product <application name>
// It sets the organization and application name like a product, constructs a crash tracker and
// prints one line, flushed: "ready <its session id> <the crashed sessions it collected>...",
// separated by spaces. Then it reads a line from stdin: "abort" ends it through abort(),
// anything else (or the end of input) normally, destroying the tracker.
//   crash_product - application
// starts as a product does instead: constructs the application object before it has any name,
// prints the same line, then hands over its identity (which starts logging) and exits.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/CrashTracker.h>

#include "TestCustomization.h"

#include <QCoreApplication>

#include <cstdlib>
#include <deque>
#include <iostream>
#include <memory>
#include <string>

namespace {

void Report(const std::string& session, const std::deque<std::string>& crashed)
{
    std::cout << "ready " << session;
    for (const std::string& id : crashed)
        std::cout << ' ' << id;
    std::cout << std::endl;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && argv[2] == std::string("application")) {
        Tavrin::App::Application application(argc, argv);
        Report(application.SessionId(), application.GetCrashedSessions());
        application.SetCustomizationManager(std::make_shared<Tavrin::Test::Customization>());
        return 0;
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin Test"));
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    QCoreApplication application(argc, argv);
    Tavrin::App::CrashTracker tracker;
    Report(tracker.SessionId(), tracker.BadSessionsList());
    std::string order;
    std::getline(std::cin, order);
    if (order == "abort")
        std::abort();
    return 0;
}
