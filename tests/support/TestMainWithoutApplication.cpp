// Main of the tests that build their own application object, one per test (a process has one
// at a time): the sandbox alone, no QApplication.
#include "TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    Tavrin::Test::PointSettingsAtSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}
