// Shared main of the test executables: enters the private sandbox before Qt reads any
// path, then runs GoogleTest inside a QApplication.
#include "TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Tavrin::Test::PointSettingsAtSandbox();
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}
