#include "TestSupport.h"

#include <Tavrin/Util/Process.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using Tavrin::Util::IsProcessRunning;

namespace {

constexpr int kTimeoutMs = 30000;

// The helper, started from `program`, sleeping; killed and reaped at the end.
struct Sleeper
{
    explicit Sleeper(const QString& program)
    {
        process.start(program, {"sleep", "60000"});
        process.waitForReadyRead(kTimeoutMs);
        ready = process.readLine().trimmed() == "ready";
        pid = static_cast<unsigned long>(process.processId());
    }
    ~Sleeper() { KillAndWait(); }
    void KillAndWait()
    {
        process.kill();
        process.waitForFinished(kTimeoutMs);
    }
    QProcess process;
    bool ready = false;
    unsigned long pid = 0;
};

// A copy of the helper that the test may delete or replace.
QString CopyOfHelper()
{
    const QString copy = Tavrin::Test::NewTempDir("exe") + "/helper-copy";
    QFile::copy(Tavrin::Test::HelperExecutable(), copy);
    return copy;
}

bool BecomesZombie(pid_t pid)
{
    const QDeadlineTimer deadline(kTimeoutMs);
    while (!deadline.hasExpired()) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        if (line.find(") Z ") != std::string::npos) {
            return true;
        }
        QThread::msleep(5);
    }
    return false;
}

}  // namespace

TEST(IsProcessRunning, RunningProcessMatchesOnlyItsOwnExecutable)
{
    Sleeper helper(Tavrin::Test::HelperExecutable());
    ASSERT_TRUE(helper.ready);
    const QString link = Tavrin::Test::NewTempDir("link") + "/helper-link";
    ASSERT_TRUE(QFile::link(Tavrin::Test::HelperExecutable(), link));

    EXPECT_TRUE(IsProcessRunning(helper.pid, Tavrin::Test::HelperExecutable()));
    EXPECT_TRUE(IsProcessRunning(helper.pid, link));
    EXPECT_FALSE(IsProcessRunning(helper.pid, QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(IsProcessRunning(helper.pid, "/no/such/program"));
    EXPECT_FALSE(IsProcessRunning(helper.pid, QString()));

    helper.KillAndWait();
    EXPECT_FALSE(IsProcessRunning(helper.pid, Tavrin::Test::HelperExecutable()));
}

TEST(IsProcessRunning, ZombieIsNotRunning)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (;;) {
            pause();
        }
    }
    const QString self = QCoreApplication::applicationFilePath();
    EXPECT_TRUE(IsProcessRunning(static_cast<unsigned long>(child), self));
    kill(child, SIGKILL);
    EXPECT_TRUE(BecomesZombie(child));
    EXPECT_FALSE(IsProcessRunning(static_cast<unsigned long>(child), self));
    EXPECT_EQ(waitpid(child, nullptr, 0), child);
}

TEST(IsProcessRunning, ExecutableDeletedOrReplacedAfterStartStillCounts)
{
    const QString deleted = CopyOfHelper();
    Sleeper first(deleted);
    ASSERT_TRUE(first.ready);
    ASSERT_TRUE(QFile::remove(deleted));
    EXPECT_TRUE(IsProcessRunning(first.pid, deleted));

    // An update writes the new file beside the old one and renames it into place.
    const QString replaced = CopyOfHelper();
    Sleeper second(replaced);
    ASSERT_TRUE(second.ready);
    ASSERT_TRUE(Tavrin::Test::WriteFile(replaced + ".new", "#!/bin/sh\n"));
    ASSERT_EQ(std::rename(QFile::encodeName(replaced + ".new").constData(),
                          QFile::encodeName(replaced).constData()),
              0);
    EXPECT_TRUE(IsProcessRunning(second.pid, replaced));
    EXPECT_FALSE(IsProcessRunning(second.pid, Tavrin::Test::HelperExecutable()));
}

TEST(IsProcessRunning, ImpossiblePidsAreNotRunning)
{
    const QString self = QCoreApplication::applicationFilePath();
    std::ifstream pidMax("/proc/sys/kernel/pid_max");
    unsigned long highest = 0;
    ASSERT_TRUE(pidMax >> highest);
    for (unsigned long pid : {0ul, highest + 1, 0x80000000ul, ~0ul}) {
        EXPECT_FALSE(IsProcessRunning(pid, self)) << pid;
    }
}
