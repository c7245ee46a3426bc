#include "TestSupport.h"

#include <Tavrin/Util/FileSystem.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Tavrin::Util::RemoveDir;

namespace {

constexpr int kHour = 60 * 60;
constexpr int kDay = 24 * kHour;

// Ages the path itself: a symlink's own time, not its target's.
void SetAge(const QString& path, int seconds)
{
    const timespec time{std::time(nullptr) - seconds, 0};
    const timespec times[2] = {time, time};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW),
              0)
        << path.toStdString();
}

void MakeFile(const QString& path, int age)
{
    ASSERT_TRUE(Tavrin::Test::WriteFile(path, "content"));
    SetAge(path, age);
}

void MakeLink(const QString& target, const QString& link, int age)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(link).path()) && QFile::link(target, link));
    SetAge(link, age);
}

bool Exists(const QString& path)
{
    struct stat info;
    return lstat(QFile::encodeName(path).constData(), &info) == 0;
}

}  // namespace

TEST(RemoveDir, RemovesWhatIsOlderThanTheLimitAtAnyDepth)
{
    const QString dir = Tavrin::Test::NewTempDir("age");
    MakeFile(dir + "/just-over.log", 2 * kDay + kHour);
    MakeFile(dir + "/just-under.log", 2 * kDay - kHour);
    MakeFile(dir + "/mixed/old.log", 5 * kDay);
    MakeFile(dir + "/mixed/new.log", 0);
    MakeFile(dir + "/a/b/c/old.log", 5 * kDay);
    MakeFile(dir + "/emptied/old.log", 5 * kDay);
    SetAge(dir + "/emptied", 0);
    ASSERT_TRUE(QDir().mkpath(dir + "/fresh-empty"));
    ASSERT_TRUE(QDir().mkpath(dir + "/old-empty"));
    SetAge(dir + "/old-empty", 5 * kDay);

    RemoveDir(dir, 2, true);

    EXPECT_FALSE(Exists(dir + "/just-over.log"));
    EXPECT_TRUE(Exists(dir + "/just-under.log"));
    EXPECT_FALSE(Exists(dir + "/mixed/old.log"));
    EXPECT_TRUE(Exists(dir + "/mixed/new.log"));
    EXPECT_FALSE(Exists(dir + "/a"));        // emptied by the sweep, innermost first
    EXPECT_FALSE(Exists(dir + "/emptied"));  // although itself new
    EXPECT_TRUE(Exists(dir + "/fresh-empty"));
    EXPECT_FALSE(Exists(dir + "/old-empty"));
}

TEST(RemoveDir, ZeroOrNegativeDaysRemoveEverythingAndRemoveSelfTheDirectory)
{
    for (int days : {0, -3}) {
        const QString dir = Tavrin::Test::NewTempDir("all");
        MakeFile(dir + "/new.log", 0);
        MakeFile(dir + "/from-the-future.log", -kDay);
        MakeFile(dir + "/sub/deeper/.hidden", 0);

        RemoveDir(dir, days, false);
        EXPECT_TRUE(QFileInfo(dir).isDir());
        EXPECT_TRUE(QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        RemoveDir(dir, days, true);
        EXPECT_FALSE(Exists(dir)) << days;
    }
}

TEST(RemoveDir, SymlinksGoByTheirOwnAgeAndAreNeverFollowed)
{
    const QString outside = Tavrin::Test::NewTempDir("outside");
    MakeFile(outside + "/target.txt", 10 * kDay);
    MakeFile(outside + "/target-dir/old.txt", 10 * kDay);
    const QString dir = Tavrin::Test::NewTempDir("links");
    MakeLink(outside + "/target.txt", dir + "/old-link-to-file", 3 * kDay);
    MakeLink(outside + "/target-dir", dir + "/old-link-to-dir", 3 * kDay);
    MakeLink(outside + "/missing", dir + "/old-dangling", 3 * kDay);
    MakeLink(outside + "/target.txt", dir + "/sub/new-link", 0);

    RemoveDir(dir, 1, true);
    EXPECT_FALSE(Exists(dir + "/old-link-to-file"));
    EXPECT_FALSE(Exists(dir + "/old-link-to-dir"));
    EXPECT_FALSE(Exists(dir + "/old-dangling"));
    EXPECT_TRUE(Exists(dir + "/sub/new-link"));

    RemoveDir(dir, 0, true);
    EXPECT_FALSE(Exists(dir));
    EXPECT_TRUE(Exists(outside + "/target.txt"));
    EXPECT_TRUE(Exists(outside + "/target-dir/old.txt"));
}

TEST(RemoveDir, MissingDirectoryOrAFileIsLeftAsItIs)
{
    const QString parent = Tavrin::Test::NewTempDir("missing");
    RemoveDir(parent + "/not-there", 0, true);
    EXPECT_FALSE(Exists(parent + "/not-there"));
    MakeFile(parent + "/plain-file", 3 * kDay);
    RemoveDir(parent + "/plain-file", 0, true);
    RemoveDir(QString(), 0, true);
    EXPECT_TRUE(Exists(parent + "/plain-file"));
}

TEST(RemoveDir, UnreadableSubdirectoryIsLeftAndTheSweepGoesOn)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    const QString dir = Tavrin::Test::NewTempDir("locked");
    MakeFile(dir + "/a-locked/old.log", 3 * kDay);
    MakeFile(dir + "/b-open/old.log", 3 * kDay);
    const QByteArray locked = QFile::encodeName(dir + "/a-locked");
    ASSERT_EQ(chmod(locked.constData(), 0), 0);
    RemoveDir(dir, 1, true);
    chmod(locked.constData(), 0700);
    EXPECT_TRUE(Exists(dir + "/a-locked/old.log"));
    EXPECT_FALSE(Exists(dir + "/b-open"));
}
