#include <Tavrin/Core/DyLib.h>
#include <Tavrin/Core/Sleep.h>

#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>

using Tavrin::ioPath;
using Tavrin::Core::DyLib;

TEST(DyLib, LoadsALibraryAndFindsOnlyItsFunctions)
{
    DyLib library;
    EXPECT_FALSE(library.IsOpen());
    ASSERT_TRUE(library.Open("libm.so.6")) << library.GetLastError();
    EXPECT_TRUE(library.IsOpen());
    const auto cosine = reinterpret_cast<double (*)(double)>(library.GetProc("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.GetProc("no_such_function"), nullptr);
    EXPECT_NE(library.GetLastError(), "");

    // Reopening replaces the library; lookups never reach other loaded libraries.
    ASSERT_TRUE(library.Open("libdl.so.2")) << library.GetLastError();
    EXPECT_EQ(library.GetProc("cos"), nullptr);
    library.Close();
    EXPECT_FALSE(library.IsOpen());
    EXPECT_EQ(library.GetProc("cos"), nullptr);
}

TEST(DyLib, MissingOrBrokenLibrariesJustFail)
{
    DyLib library;
    ASSERT_TRUE(library.Open("libm.so.6"));
    EXPECT_FALSE(library.Open("Shcore.dll"));
    EXPECT_FALSE(library.IsOpen()) << "a failed reopen leaves nothing open";
    EXPECT_NE(library.GetLastError().find("Shcore.dll"), std::string::npos);
    EXPECT_EQ(library.GetProc("GetDpiForMonitor"), nullptr);

    // dlopen of an empty name would hand out the program itself.
    EXPECT_FALSE(library.Open(ioPath()));
    EXPECT_FALSE(library.IsOpen());

    const std::string junk = QDir(Tavrin::Test::NewTempDir()).filePath("junk.so").toStdString();
    std::ofstream(junk) << "not an ELF file";
    EXPECT_FALSE(library.Open(junk));
    EXPECT_NE(library.GetLastError(), "");
}

TEST(SleepFor, WaitsAtLeastTheRequestedTime)
{
    // Only the lower bound is guaranteed; how much longer depends on the machine.
    const auto start = std::chrono::steady_clock::now();
    Tavrin::Core::SleepFor(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}
