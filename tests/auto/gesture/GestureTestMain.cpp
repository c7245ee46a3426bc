// Main of the gesture tests: one application object for the whole run, so that messages go
// through its real native event filter and every shown widget through its notify.
#include "GestureTestSupport.h"
#include "TestSupport.h"

#include <Tavrin/App/Application/Application.h>

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    Tavrin::Test::PointSettingsAtSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        Tavrin::App::Application app(argc, argv, Tavrin::App::Application::AppContext{false});
        result = RUN_ALL_TESTS();
    }
    Tavrin::Test::LeaveSandbox();
    return result;
}
