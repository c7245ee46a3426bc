// What another user of the machine can plant in shared places: directories and symlinks in the
// system's temporary directory, lock directories, programs named like browsers. Run as root,
// the other user is `nobody`, acting through setpriv from a directory like /tmp; otherwise
// those cases are skipped and only the ones a user can stage alone (wrong modes, symlinks of
// its own) run.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/ApplicationRestarter.h>
#include <Tavrin/App/Application/ProcessMap.h>
#include <Tavrin/Util/AppMutexLocker.h>
#include <Tavrin/Util/FileSystem.h>

#include "LogCapture.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <list>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using namespace Tavrin;
using Tavrin::Test::LogCapture;
using Tavrin::Test::NewTempDir;
using Tavrin::Test::WriteFile;
using Tavrin::Util::AppMutexLocker;

const int kWaitMs = 30000;
const uid_t kNobody = 65534;

// A directory every user may write to, like /tmp (mode 1777), outside the private sandbox so
// that the other user can reach it. Removed with its content.
struct SharedDirectory : QTemporaryDir
{
    SharedDirectory() : QTemporaryDir("/tmp/tavrin-shared-XXXXXX"), path(QTemporaryDir::path())
    {
        chmod(QFile::encodeName(path).constData(), 01777);
    }
    const QString path;
};

// Runs a shell script as `nobody` in `directory`; its exit code (-1: did not run).
int AsOtherUser(const QString& directory, const QString& script)
{
    QProcess shell;
    shell.setWorkingDirectory(directory);
    shell.start(QStringLiteral("setpriv"),
                {"--reuid=65534", "--regid=65534", "--clear-groups", "/bin/sh", "-c", script});
    const bool ran = shell.waitForFinished(kWaitMs) && shell.exitStatus() == QProcess::NormalExit;
    return ran ? shell.exitCode() : -1;
}

// Sets an environment variable (unsets it for a null value) until the scope ends.
auto SetEnvironment(const char* name, const QString& value)
{
    auto restore = qScopeGuard([name, old = qgetenv(name), set = qEnvironmentVariableIsSet(name)] {
        set ? qputenv(name, old) : qunsetenv(name);
    });
    value.isNull() ? qunsetenv(name) : qputenv(name, QFile::encodeName(value));
    return restore;
}

QString ModeOf(const QString& path)
{
    struct stat info;
    return lstat(QFile::encodeName(path).constData(), &info) == 0
               ? QString::number(info.st_mode & 07777, 8)
               : QStringLiteral("missing");
}

// Another user makes the product's temporary directory first, to have the user's files swept
// through a symlink or to read and replace what the product keeps there.
TEST(TemporaryFiles, AnotherUsersDirectoryIsRefusedAndNothingOfTheUserIsSwept)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    const SharedDirectory shared;
    const QString home = NewTempDir("home");
    ASSERT_TRUE(WriteFile(home + "/thesis.txt", "the user's own"));  // swept at 0 days
    chmod(QFile::encodeName(home).constData(), 0755);                // the other user may see it
    const QString own = "Prod-" + QString::number(geteuid());
    const QString plants[] = {
        "mkdir " + own + " && ln -s '" + home + "' " + own + "/temp", "ln -s '" + home + "' " + own,
        "mkdir -p " + own + "/temp",  // modes that would pass: refused as another user's
    };
    const auto tmpdir = SetEnvironment("TMPDIR", shared.path);
    for (const QString& plant : plants) {
        SCOPED_TRACE(plant.toStdString());
        ASSERT_EQ(AsOtherUser(shared.path, plant), 0);
        LogCapture log(google::GLOG_ERROR);
        EXPECT_EQ(App::ProductTemporaryFilesDir("Prod"), QString());
        App::ClearProductTemporaryFiles("Prod", 0);
        EXPECT_TRUE(QFileInfo::exists(home + "/thesis.txt"));
        EXPECT_EQ(log.Count("ERROR: Refusing the temporary directory: " +
                            QFile::encodeName(shared.path + "/" + own).toStdString()),
                  2);
        ASSERT_EQ(AsOtherUser(shared.path, "rm -rf " + own), 0);
    }

    // Other users' directories of the same product are theirs; ours is made private.
    ASSERT_EQ(AsOtherUser(shared.path, "mkdir -m 777 Prod-65534 Prod"), 0);
    EXPECT_EQ(App::ProductTemporaryFilesDir("Prod"), shared.path + "/" + own + "/temp/");
    EXPECT_EQ(ModeOf(shared.path + "/" + own) + ModeOf(shared.path + "/" + own + "/temp"),
              "700700");
}

// What the user alone can get wrong: every component from the per-user directory down must be
// a real directory of the user that nobody else may write to; the base only needs a sticky bit.
TEST(TemporaryFiles, EveryComponentFromThePerUserDirectoryDownIsChecked)
{
    const QString tmp = NewTempDir("tmp"), own = tmp + "/Vendor-" + QString::number(geteuid());
    const QString elsewhere = NewTempDir("elsewhere");
    // A directory made, one whose mode is then set, a symlink to elsewhere, and whether the
    // directory is used.
    const std::tuple<QString, QString, int, QString, bool> cases[] = {
        {"", "", 0, "", true},
        {own, own, 0755, "", true},
        {own, own, 0777, "", false},
        {own, own, 0720, "", false},
        {own + "/Prod/temp", own + "/Prod", 0702, "", false},
        {own + "/Prod", "", 0, own + "/Prod/temp", false},
        {"", "", 0, own, false},
        {"", tmp, 0777, "", false},
        {"", tmp, 01777, "", true},
    };
    const auto tmpdir = SetEnvironment("TMPDIR", tmp);
    for (const auto& [made, changed, mode, link, used] : cases) {
        if (!made.isEmpty())
            QDir().mkpath(made);
        chmod(qPrintable(changed), mode);
        QFile::link(elsewhere, link);
        SCOPED_TRACE(QString("%1 %2 %3").arg(changed).arg(mode, 0, 8).arg(link).toStdString());
        EXPECT_EQ(App::ProductTemporaryFilesDir("Vendor/Prod"), used ? own + "/Prod/temp/" : "");
        if (used && QFileInfo(own + "/Prod/temp").isDir()) {
            EXPECT_EQ(ModeOf(own) + ModeOf(own + "/Prod/temp"), mode == 0755 ? "755700" : "700700");
        }
        chmod(qPrintable(tmp), 0700);
        QFile::remove(own);
        QDir(own).removeRecursively();
    }
    EXPECT_TRUE(QFileInfo(elsewhere).isDir());
}

// The sweep never goes through a symlink in place of its directory, nor into a directory that
// belongs to someone else.
TEST(RemoveDir, RefusesASymlinkInPlaceOfTheDirectoryAndAnotherUsersDirectory)
{
    const QString dir = NewTempDir("sweep"), target = NewTempDir("target");
    ASSERT_TRUE(WriteFile(target + "/kept.txt", "kept"));
    ASSERT_TRUE(QFile::link(target, dir + "/link"));
    for (const QString& path : {dir + "/link", dir + "/link/", dir + "/link//"}) {
        LogCapture log(google::GLOG_ERROR);
        Util::RemoveDir(path, 0, true);
        EXPECT_EQ(log.Count("is a symlink"), 1) << path.toStdString();
    }
    EXPECT_TRUE(QFileInfo::exists(target + "/kept.txt"));
    EXPECT_TRUE(QFileInfo(dir + "/link").isSymLink());

    if (geteuid() != 0)
        return;
    ASSERT_EQ(chown(qPrintable(target), kNobody, kNobody), 0);
    LogCapture log(google::GLOG_ERROR);
    Util::RemoveDir(target, 0, false);
    EXPECT_EQ(log.Count("belongs to another user"), 1);
    EXPECT_TRUE(QFileInfo::exists(target + "/kept.txt"));
}

// Without a runtime directory the named mutexes live in the user's cache, where no other user
// can make the directory first; the old place in /tmp may hold anything.
TEST(AppMutexLocker, WithoutARuntimeDirectoryTheLocksLiveInTheUsersCache)
{
    const QString cache = QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME"));
    auto runtime = SetEnvironment("XDG_RUNTIME_DIR", QString());
    auto cacheHome = SetEnvironment("XDG_CACHE_HOME", cache);
    AppMutexLocker locker({"cache-held"});
    ASSERT_EQ(locker.TryLock(), AppMutexLocker::LockResult::Locked);
    QProcess other;
    other.start(Tavrin::Test::HelperExecutable(), {"hold-mutex", "0", "cache-held"});
    other.waitForFinished(kWaitMs);
    EXPECT_EQ(other.readAllStandardOutput().trimmed(), "busy");
    EXPECT_EQ(ModeOf(cache + "/tavrin-mutex") + ModeOf(cache + "/tavrin-mutex/cache-held"),
              "700600");

    // Runtime and cache directories that another user owns are passed over: HOME/.cache.
    if (geteuid() != 0)
        return;
    const QString foreignRuntime = NewTempDir("runtime"), foreignCache = NewTempDir("cache");
    for (const QString& foreign : {foreignRuntime, foreignCache})
        ASSERT_EQ(chown(qPrintable(foreign), kNobody, kNobody), 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(foreignRuntime));  // restored by the guards
    qputenv("XDG_CACHE_HOME", QFile::encodeName(foreignCache));
    EXPECT_EQ(AppMutexLocker({"home-cache"}).TryLock(), AppMutexLocker::LockResult::Locked);
    EXPECT_EQ(ModeOf(QDir::homePath() + "/.cache/tavrin-mutex/home-cache"), "600");
    EXPECT_EQ(QDir(foreignRuntime).entryList(QDir::NoDotAndDotDot | QDir::AllEntries) +
                  QDir(foreignCache).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

// A lock that cannot be made is no busy name: no installer is taken to run, no script starts,
// callers that wait for a name go on, and one warning says so however often it is tried.
TEST(AppMutexLocker, ALockThatCannotBeMadeIsNeitherBusyNorARunningInstaller)
{
    const QString directory = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR")) + "/tavrin-mutex";
    const QString installerLock = directory + "/%7BEE65A714-5EFA-43DE-B97B-439C0B1B2D5D%7D";
    ASSERT_TRUE(QDir().mkpath(installerLock + "/in-the-way"));
    // A symlink in place of a lock file is never followed, not even to a file of the user.
    const QString target = NewTempDir("target") + "/file";
    ASSERT_TRUE(WriteFile(target, "kept"));
    ASSERT_TRUE(QFile::link(target, directory + "/blocked"));
    const QString script = QCoreApplication::applicationDirPath() + "/InstallerMessage.vbs";
    ASSERT_TRUE(WriteFile(script, "#!/bin/sh\ntouch \"$0.ran\"\n"));
    chmod(qPrintable(script), 0755);

    LogCapture log(google::GLOG_WARNING);
    const QDeadlineTimer noWait(400);
    EXPECT_FALSE(App::Application::CheckRunnedInstaller());
    EXPECT_FALSE(noWait.hasExpired());
    for (int i = 0; i < 50; ++i) {
        AppMutexLocker locker({"blocked", "fine"});
        EXPECT_EQ(locker.TryLock(), AppMutexLocker::LockResult::Unavailable);
        EXPECT_TRUE(locker.TryLockAppMutex());
        EXPECT_FALSE(locker.IsLocked());
    }
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(
        log.Count("Cannot open the mutex file " + QFile::encodeName(installerLock).toStdString()),
        1);
    QProcess other;
    other.start(Tavrin::Test::HelperExecutable(), {"hold-mutex", "0", "blocked"});
    other.waitForFinished(kWaitMs);
    EXPECT_EQ(other.readAllStandardOutput().trimmed(), "unavailable");
    // A name still free after all that was not left held.
    EXPECT_EQ(AppMutexLocker({"fine"}).TryLock(), AppMutexLocker::LockResult::Locked);

    QFile::remove(script);
    EXPECT_FALSE(QFileInfo::exists(script + ".ran"));
    EXPECT_EQ(Tavrin::Test::ReadLines(target), QStringList{"kept"});
}

// Programs named like browsers: another user's never count, and as root neither does one that
// another user could change, through the file or a directory above it.
TEST(ProcessMap, OnlyTheUsersOwnProcessesAndAsRootOnlyExecutablesRootAloneMayChange)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    const SharedDirectory shared;
    // Names of this process's own: other tests may run browsers meanwhile.
    const QString tag = "-browser-" + QString::number(getpid());
    ASSERT_EQ(AsOtherUser(shared.path, "mkdir theirs && cp /bin/sleep theirs/firefox" + tag), 0);
    std::list<QProcess> running;
    const auto start = [&running](const QString& program, const QStringList& arguments) {
        running.emplace_back().start(program, arguments);
        EXPECT_TRUE(running.back().waitForStarted(kWaitMs)) << program.toStdString();
    };
    start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                      shared.path + "/theirs/firefox" + tag, "60"});
    // setpriv is started; the other user's program runs once it has replaced it.
    const QString theirExe = QString("/proc/%1/exe").arg(running.back().processId());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QFile::symLinkTarget(theirExe).endsWith("/theirs/firefox" + tag); }, kWaitMs));

    // Root's copies: in a directory of its own, group-writable, in a directory others may
    // write to, and in a sticky one.
    const QString mine = NewTempDir("mine");
    chmod(qPrintable(mine), 0755);
    const std::tuple<QString, int, int, bool> copies[] = {
        {mine + "/ok/opera" + tag, 0755, 0755, true},
        {mine + "/group/chrome" + tag, 0775, 0755, false},
        {mine + "/open/safari" + tag, 0755, 0777, false},
        {mine + "/sticky/browser" + tag, 0755, 01777, true},
    };
    for (const auto& [path, fileMode, dirMode, counted] : copies) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::copy("/bin/sleep", path));
        chmod(qPrintable(path), fileMode);
        chmod(qPrintable(QFileInfo(path).path()), dirMode);
        start(path, {"60"});
    }
    const auto map =
        App::GetCurrentProcessMap([&tag](const QString& name) { return name.endsWith(tag); });
    EXPECT_EQ(map.count("firefox" + tag), 0u);
    for (const auto& [path, fileMode, dirMode, counted] : copies) {
        const QString name = QFileInfo(path).fileName();
        EXPECT_EQ(map.count(name), counted ? 1u : 0u) << name.toStdString();
    }
    for (QProcess& process : running) {
        process.kill();
        process.waitForFinished(kWaitMs);
    }
}

}  // namespace
