#include <Tavrin/Core/AppLocations.h>
#include <Tavrin/Core/ioPath.h>

#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using Tavrin::ioPath;
using Tavrin::Core::AppLocations;

namespace {

ioPath NewTempPath()
{
    return ioPath(Tavrin::Test::NewTempDir().toStdString());
}

void Touch(const ioPath& file)
{
    std::ofstream(file.platformString()) << "x";
}

}  // namespace

TEST(ioPath, ConstructsFromEveryStringKindAlike)
{
    const std::string utf8 = "dir/\xC3\xA9t\xC3\xA9.txt";
    const ioPath path(utf8);
    EXPECT_EQ(ioPath(utf8.c_str()), path);
    EXPECT_EQ(ioPath(std::wstring(L"dir/\u00E9t\u00E9.txt")), path);
    EXPECT_EQ(ioPath(boost::filesystem::path(utf8)), path);
    EXPECT_EQ(path.platformString(), utf8);
    EXPECT_EQ(path.wstring(), L"dir/\u00E9t\u00E9.txt");
    std::ostringstream out;
    out << path;
    EXPECT_EQ(out.str(), utf8);
    EXPECT_TRUE(ioPath(static_cast<const char*>(nullptr)).empty());
    // Comparison is by element, so a doubled separator changes nothing.
    EXPECT_EQ(ioPath("a/b"), ioPath("a//b"));
    EXPECT_LT(ioPath("a/b"), ioPath("a/c"));
    EXPECT_GT(ioPath("b"), ioPath("a/z"));
}

TEST(ioPath, JoinsAndSplits)
{
    EXPECT_EQ((ioPath("a/") / "b" / std::string("c.txt")).utf8string(), "a/b/c.txt");
    EXPECT_EQ(("a" / ioPath("b")).utf8string(), "a/b");
    EXPECT_EQ((ioPath() / "b" / ioPath()).utf8string(), "b");

    const ioPath path("/data/set/archive.tar.gz");
    EXPECT_EQ(path.parent_path().utf8string(), "/data/set");
    EXPECT_EQ(path.filename().utf8string(), "archive.tar.gz");
    EXPECT_EQ(path.stem().utf8string(), "archive.tar");
    EXPECT_EQ(path.extension().utf8string(), ".gz");
    EXPECT_TRUE(ioPath("file").parent_path().empty());
}

TEST(ioPath, BackslashPathsNameNestedFiles)
{
    ioPath relative("Sub\\Inner\\my file.txt");
    EXPECT_EQ(&relative.make_preferred(), &relative);
    EXPECT_EQ(relative.filename().utf8string(), "my file.txt");
    const ioPath base = NewTempPath();
    const ioPath file = base / ioPath("Sub\\Inner\\f.txt").make_preferred();
    ASSERT_TRUE(ioPath::create_directories(file.parent_path()));
    Touch(file);
    EXPECT_TRUE((base / "Sub" / "Inner" / "f.txt").exists());
    EXPECT_FALSE((base / "Sub\\Inner\\f.txt").exists());
}

TEST(ioPath, FileSystemQueriesNeverThrow)
{
    const ioPath base = NewTempPath();
    const ioPath nested = base / "\xC3\xA9" / "b";
    EXPECT_FALSE(nested.exists());
    EXPECT_TRUE(ioPath::create_directories(nested));
    EXPECT_TRUE(nested.is_directory());
    EXPECT_TRUE(ioPath::create_directories(nested)) << "an existing directory is success";

    const ioPath file = base / "plain";
    Touch(file);
    EXPECT_TRUE(file.exists());
    EXPECT_FALSE(file.is_directory());
    EXPECT_FALSE(ioPath::create_directories(file));
    EXPECT_FALSE(ioPath::create_directories(file / "below"));
    EXPECT_FALSE((file / "below").exists());
    EXPECT_FALSE(ioPath::create_directories(ioPath()));
    EXPECT_FALSE(ioPath().exists());
}

TEST(AppLocations, FollowTheExecutableAndTheEnvironment)
{
    const AppLocations& locations = AppLocations::GetLocations();
    EXPECT_EQ(&locations, &AppLocations::GetLocations());
    const ioPath directory = locations.GetApplicationDirectory();
    EXPECT_EQ(directory.utf8string(), QCoreApplication::applicationDirPath().toStdString());

    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        unset ? setenv("TAVRIN_RESOURCES_DIR", unset, 1) : unsetenv("TAVRIN_RESOURCES_DIR");
        EXPECT_EQ(locations.GetResourcesPath(), directory / "resources");
        EXPECT_EQ(locations.GetFontConfigFile(), directory / "resources" / "fonts.conf");
    }
    setenv("TAVRIN_RESOURCES_DIR", "/opt/res dir", 1);
    EXPECT_EQ(locations.GetFontConfigFile().utf8string(), "/opt/res dir/fonts.conf");
    unsetenv("TAVRIN_RESOURCES_DIR");

    // A product relocates its resources by overriding one operation.
    struct Relocated : AppLocations
    {
        ioPath GetResourcesPath() const override { return "/elsewhere"; }
    };
    const AppLocations& relocated = Relocated();
    EXPECT_EQ(relocated.GetFontConfigFile().utf8string(), "/elsewhere/fonts.conf");
}
