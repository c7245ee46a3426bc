#include "TestSupport.h"

#include <Tavrin/Util/AppMutexLocker.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using Tavrin::Util::AppMutexLocker;

namespace {

constexpr int kTimeoutMs = 30000;

// The helper program as another process; killed and reaped when it goes out of scope.
struct Helper
{
    explicit Helper(const QStringList& arguments)
    {
        process.start(Tavrin::Test::HelperExecutable(), arguments);
        process.waitForStarted(kTimeoutMs);
    }
    ~Helper() { Kill(); }
    // The line it answers with ("locked", "busy", "ready"), or "" when none comes in time.
    QString Answer()
    {
        process.waitForReadyRead(kTimeoutMs);
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    void Kill()
    {
        process.kill();
        process.waitForFinished(kTimeoutMs);
    }
    QProcess process;
};

QString OtherProcessGets(const QStringList& names)
{
    return Helper(QStringList{"hold-mutex", "0"} + names).Answer();
}

// Mode bits of a directory that is not a symlink, or -1.
int DirectoryMode(const QString& path)
{
    struct stat info;
    const bool ok = lstat(QFile::encodeName(path).constData(), &info) == 0 &&
                    S_ISDIR(info.st_mode) && info.st_uid == geteuid();
    return ok ? static_cast<int>(info.st_mode & 0777) : -1;
}

}  // namespace

TEST(AppMutexLocker, NameHeldElsewhereIsBusyUntilThatProcessIsKilledAndLockIsAllOrNothing)
{
    Helper holder({"hold-mutex", "60000", "second"});
    ASSERT_EQ(holder.Answer(), "locked");
    AppMutexLocker both({"first", "second"});
    EXPECT_FALSE(both.TryLockAppMutex());
    EXPECT_FALSE(both.IsLocked());
    EXPECT_EQ(OtherProcessGets({"first"}), "locked");  // the free name was let go again

    holder.Kill();  // SIGKILL: the lock must go without any clean-up
    EXPECT_TRUE(both.TryLockAppMutex());
    EXPECT_TRUE(both.IsLocked());
}

TEST(AppMutexLocker, NameIsBusyElsewhereUntilTheLastLockerInThisProcessLetsGo)
{
    auto twice = std::make_unique<AppMutexLocker>(std::vector<std::string>{"shared", "shared"});
    AppMutexLocker other({"shared"});
    ASSERT_TRUE(twice->TryLockAppMutex());
    ASSERT_TRUE(twice->TryLockAppMutex());
    ASSERT_TRUE(other.TryLockAppMutex());
    EXPECT_EQ(OtherProcessGets({"shared"}), "busy");

    twice.reset();
    EXPECT_EQ(OtherProcessGets({"shared"}), "busy");
    other.Unlock();
    EXPECT_FALSE(other.IsLocked());
    EXPECT_EQ(OtherProcessGets({"shared"}), "locked");
}

TEST(AppMutexLocker, ThreadsLockingTheSameNamesAllSucceed)
{
    std::vector<std::thread> threads;
    std::atomic<int> locked{0};
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&locked] {
            for (int round = 0; round < 200; ++round) {
                AppMutexLocker locker({"threads", "threads-" + std::to_string(round % 3)});
                locked += locker.TryLockAppMutex() ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(locked, 8 * 200);
    EXPECT_EQ(OtherProcessGets({"threads", "threads-1"}), "locked");
}

TEST(AppMutexLocker, ProgramStartedWhileLockedDoesNotInheritTheLock)
{
    AppMutexLocker locker({"not-inherited"});
    ASSERT_TRUE(locker.TryLockAppMutex());
    Helper child({"sleep", "60000"});
    ASSERT_EQ(child.Answer(), "ready");
    locker.Unlock();
    // Had the child inherited the descriptor, it would still hold the name.
    EXPECT_EQ(OtherProcessGets({"not-inherited"}), "locked");
}

TEST(AppMutexLocker, AnyNonEmptyNameIsAFileOfItsOwnInAPrivateDirectory)
{
    const QString windowsStyle = "Global\\{9AD44BF8-23F1-4D2C-9B1E-0C5F5E0A1B2C}";
    AppMutexLocker locker({windowsStyle.toStdString(), "a/b", "..", std::string(600, 'n')});
    ASSERT_TRUE(locker.TryLockAppMutex());
    const QString directory = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/tavrin-mutex";
    EXPECT_EQ(DirectoryMode(directory), 0700);
    EXPECT_TRUE(QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

    EXPECT_EQ(OtherProcessGets({windowsStyle}), "busy");
    EXPECT_EQ(OtherProcessGets({"a/b"}), "busy");
    EXPECT_EQ(OtherProcessGets({QString(600, 'n')}), "busy");
    // Names an encoding could confuse with the held ones are still free.
    EXPECT_EQ(OtherProcessGets({"a%2Fb", "a_b", "%2E%2E", QString(601, 'n')}), "locked");

    EXPECT_FALSE(AppMutexLocker(std::vector<std::string>{}).TryLockAppMutex());
    EXPECT_FALSE(AppMutexLocker({"fine", ""}).TryLockAppMutex());
}

TEST(AppMutexLocker, WithoutRuntimeDirectoryUsesAPrivateDirectoryInTmp)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");  // the helper inherits our environment
    const QString name = QStringLiteral("no-runtime-dir-%1").arg(getpid());
    {
        AppMutexLocker locker({name.toStdString()});
        EXPECT_TRUE(locker.TryLockAppMutex());
        EXPECT_EQ(OtherProcessGets({name}), "busy");
        EXPECT_EQ(DirectoryMode(QStringLiteral("/tmp/tavrin-mutex-%1").arg(geteuid())), 0700);
    }
    EXPECT_EQ(OtherProcessGets({name}), "locked");
    qputenv("XDG_RUNTIME_DIR", runtime);
}
