// Shared main of the test executables: enters the private sandbox before Qt reads any
// path, then runs GoogleTest inside a QApplication. Tests that build their own application
// object, one per test (a process has one at a time), are built with
// TAVRIN_TEST_WITHOUT_APPLICATION: the sandbox alone, no QApplication.
#include "TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    ::testing::InitGoogleTest(&argc, argv);
#ifndef TAVRIN_TEST_WITHOUT_APPLICATION
    QApplication app(argc, argv);
#endif
    Tavrin::Test::PointSettingsAtSandbox();
    const int result = RUN_ALL_TESTS();
    Tavrin::Test::LeaveSandbox();
    return result;
}
