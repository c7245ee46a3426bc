// RemoveDir: the age limit at any depth, symlinks removed by their own age and never followed,
// unreadable directories passed over, and a file in place of the directory left alone.
#include "TestSupport.h"

#include <Tavrin/Util/FileSystem.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Tavrin::Util::RemoveDir;

constexpr int kDay = 24 * 60 * 60;

// Creates `path` last modified `age` seconds ago: a symlink to `target` when one is given (aged
// itself, not its target), else a directory when the path ends in '/', else a file.
static void Make(const QString& path, int age, const QString& target = QString())
{
    ASSERT_TRUE(!target.isEmpty()    ? QFile::link(target, path)
                : path.endsWith('/') ? QDir().mkpath(path)
                                     : Tavrin::Test::WriteFile(path, "content"));
    const timespec time{std::time(nullptr) - age, 0}, times[2] = {time, time};
    ASSERT_EQ(utimensat(AT_FDCWD, qPrintable(path), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Every entry below `dir` (symlinks listed, not followed), relative and sorted.
static QStringList Tree(const QString& dir)
{
    QStringList tree;
    const auto filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    for (QDirIterator it(dir, filters, QDirIterator::Subdirectories); it.hasNext();)
        tree << it.next().mid(dir.size() + 1);
    tree.sort();
    return tree;
}

TEST(RemoveDir, RemovesWhatIsOlderThanTheLimitAtAnyDepthNeverFollowsSymlinksNorRemovesAFile)
{
    const QString dir = Tavrin::Test::NewTempDir("sweep"), outside = Tavrin::Test::NewTempDir();
    Make(outside + "/old.txt", 10 * kDay);
    Make(dir + "/just-over.log", 2 * kDay + 3600);
    Make(dir + "/just-under.log", 2 * kDay - 3600);
    Make(dir + "/a/b/c/.old", 5 * kDay);
    Make(dir + "/a/new.log", 0);
    Make(dir + "/emptied/old.log", 5 * kDay);
    Make(dir + "/emptied/", 0);  // new itself, but emptied by the sweep
    Make(dir + "/new-empty/", 0);
    Make(dir + "/old-empty/", 5 * kDay);
    Make(dir + "/old-link", 5 * kDay, outside);
    Make(dir + "/new-link", 0, outside);
    Make(dir + "/old-dangling-link", 5 * kDay, outside + "/missing");
    Make(dir + "/unreadable/old.log", 5 * kDay);
    ASSERT_EQ(chmod(qPrintable(dir + "/unreadable"), 0), 0);
    RemoveDir(dir, 2, true);
    chmod(qPrintable(dir + "/unreadable"), 0700);
    // Root may read anything; anyone else cannot sweep that directory but goes on elsewhere.
    EXPECT_EQ(
        Tree(dir),
        QStringList({"a", "a/new.log", "just-under.log", "new-empty", "new-link"}) +
            (geteuid() == 0 ? QStringList() : QStringList{"unreadable", "unreadable/old.log"}));
    EXPECT_EQ(Tree(outside), QStringList{"old.txt"});

    // Zero days remove everything, and the directory itself when asked, but never a file.
    Make(dir + "/from-the-future.log", -kDay);
    RemoveDir(dir, 0, true);
    EXPECT_FALSE(QFileInfo::exists(dir));
    Make(dir, 3 * kDay);
    RemoveDir(dir, 0, true);
    EXPECT_TRUE(QFileInfo::exists(dir));
}
