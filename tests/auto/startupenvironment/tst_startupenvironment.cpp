// Start-up settings and the once-per-process logging. Both are set up once per process, so
// most cases run startupchild.cpp, with an environment and working directory of their own.
#include "TestSupport.h"

#include <Tavrin/App/Application/LoggingGuard_p.h>

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>

using namespace Tavrin::App;
using Tavrin::Test::NewTempDir;

namespace {

struct Child
{
    bool exitedCleanly = false;
    QStringList answers;  // its "key=value" lines
    std::string errors;
};

// Runs the child with `commands` in `root` (a new directory when empty). Its environment holds
// little more than USERNAME=tester and `settings` ("NAME=value"; "" is none). "@" in settings
// and commands stands for root.
Child RunChild(QStringList settings, QStringList commands, const QString& root = {})
{
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment;
    for (const QString& name : system.keys()) {
        if (name == "PATH" || name.endsWith("SAN_OPTIONS")) {
            environment.insert(name, system.value(name));
        }
    }
    for (const QString& setting : QStringList("USERNAME=tester") + settings.filter("=")) {
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1).replace("@", root));
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(root.isEmpty() ? NewTempDir("cwd") : root);
    process.start(TAVRIN_STARTUP_CHILD, commands.replaceInStrings("@", root));
    Child child;
    child.exitedCleanly = process.waitForFinished(60000) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    child.answers = QString(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    child.errors = process.readAllStandardError().toStdString();
    return child;
}

// The contents of the file "<prefix>.*" in the directory, e.g. prefix "app.user.INFO".
QString LogText(const QString& directory, const QString& prefix)
{
    QFile log(directory + QDir(directory).entryList({prefix + ".*"}).value(0));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QString();
}

TEST(Logging, WritesAFilePerSeverityBelowTheBaseAndProductTheEnvironmentNames)
{
    const struct
    {
        QStringList settings;
        QString directory;
        QString user;
    } cases[] = {
        {{"LOCALAPPDATA=@/local", "USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h",
          "GLOG_PRODUCT_NAME=Vendor\\Product/Name"},
         "/local/Tavrin/Logs/Name/",
         "tester"},
        {{"USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h", "GLOG_PRODUCT_NAME=Vendor/.."},
         "/p/Local settings/Application Data/Tavrin/Logs/UnknownProduct/",
         "tester"},
        {{"XDG_DATA_HOME=@/x", "HOME=@/h"}, "/x/Tavrin/Logs/UnknownProduct/", "tester"},
        {{"HOME=@/h", "GLOG_PRODUCT_NAME=Acme", "USERNAME=", "USER=u2"},
         "/h/.local/share/Tavrin/Logs/Acme/",
         "u2"},
    };
    for (const auto& c : cases) {
        const QString root = NewTempDir("base");
        const QString directory = root + c.directory;
        const Child child = RunChild(c.settings,
                                     {"init", "state", "log", "marker", "qwarn",
                                      "libpng warning: iCCP", "qwarn", "Libpng warning: capital"},
                                     root);
        EXPECT_TRUE(child.exitedCleanly) << child.errors;
        EXPECT_EQ(child.answers, QStringList({"init=1", "logdir=" + directory,
                                              "logpath=" + directory, "stacklogs=1"}));
        // A file per severity, which takes the ones above too; Qt's messages but libpng's
        // warnings come in as well.
        const QString info = LogText(directory, "startupchild." + c.user + ".INFO");
        const QString error = LogText(directory, "startupchild." + c.user + ".ERROR");
        EXPECT_TRUE(info.contains("INFO marker") && info.contains("ERROR marker"));
        EXPECT_TRUE(error.contains("ERROR marker") && !error.contains("WARNING marker"));
        EXPECT_TRUE(info.contains("Libpng warning: capital") && !info.contains("iCCP"));
    }
}

// The first call sweeps this executable's files created more than ten days ago; later calls
// keep its result, whatever the environment says by then.
TEST(Logging, FirstCallSweepsThisExecutablesOldFilesAndLaterCallsKeepItsResult)
{
    const QString root = NewTempDir("sweep");
    const QString directory = root + "/Tavrin/Logs/Acme/";
    QDir().mkpath(directory);
    const QString expired = directory + "startupchild.tester.INFO.old";
    const QStringList kept{directory + "startupchild.tester.INFO.recent",
                           directory + "other.tester.INFO.old", directory + "startupchild",
                           directory + "startupchild.tester.INFO.aged"};
    const Child child =
        RunChild({"LOCALAPPDATA=@", "GLOG_PRODUCT_NAME=Acme"}, {"age",   expired,
                                                                "11",    "age",
                                                                kept[0], "9",
                                                                "age",   kept[1],
                                                                "11",    "age",
                                                                kept[2], "11",
                                                                "init",  "age",
                                                                kept[3], "11",
                                                                "set",   "LOCALAPPDATA=@/second",
                                                                "set",   "GLOG_PRODUCT_NAME=Other",
                                                                "init",  "state"},
                 root);
    EXPECT_EQ(child.answers, QStringList({"init=1", "init=1", "logdir=" + directory,
                                          "logpath=" + directory, "stacklogs=1"}));
    EXPECT_FALSE(QDir(root + "/second").exists());
    for (const QString& file : kept) {
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    }
    // utimes cannot date back a creation time: where the file system keeps one, the file
    // stays young.
    struct statx info = {};
    const bool keepsCreationTime =
        statx(AT_FDCWD, QFile::encodeName(expired).constData(), 0, STATX_BTIME, &info) == 0 &&
        (info.stx_mask & STATX_BTIME);
    EXPECT_EQ(QFile::exists(expired), keepsCreationTime);
}

// One of this executable's files ("<executable>.") created more than the retention ago.
TEST(Logging, ExpiresByExecutableNameAndCreationTime)
{
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const auto expired = [now](const char* file, const char* executable, seconds age, int days) {
        return Logging::IsExpiredLogFile(file, executable, now - age, now, days);
    };
    const hours day(24);
    EXPECT_TRUE(expired("app.u.INFO.1", "app", 10 * day + seconds(1), 10));
    EXPECT_FALSE(expired("app.u.INFO.1", "app", 10 * day, 10));
    EXPECT_FALSE(expired("apple.u.INFO.1", "app", 11 * day, 10));
    EXPECT_FALSE(expired(".u.INFO.1", "", 11 * day, 10));
    EXPECT_FALSE(expired("app.1", "app", 11 * day, -1));       // negative: none
    EXPECT_FALSE(expired("app.1", "app", 11 * day, INT_MAX));  // no overflow
}

// Without a base directory, or with one where no directory can be made, the process runs on
// without logs, leaves nothing behind, and does not try again once there would be one.
TEST(Logging, RunsOnWithoutLogsWhenThereIsNoDirectoryForThem)
{
    for (const char* setting : {"LOCALAPPDATA=@/blocked", "XDG_DATA_HOME=relative", ""}) {
        const QString root = NewTempDir("nolog");
        Tavrin::Test::WriteFile(root + "/blocked/Tavrin", "in the way");
        const Child child = RunChild(QStringList(setting),
                                     {"init", "set", "HOME=@/home", "init", "state", "qwarn",
                                      "unlogged marker", "log", "marker"},
                                     root);
        SCOPED_TRACE(setting);
        EXPECT_TRUE(child.exitedCleanly) << child.errors;
        EXPECT_EQ(child.answers,
                  QStringList({"init=0", "init=0", "logdir=", "logpath=", "stacklogs=0"}));
        EXPECT_NE(child.errors.find("unlogged marker"), std::string::npos);  // Qt's own handler
        EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"blocked"});
        EXPECT_TRUE(QFileInfo(root + "/blocked/Tavrin").isFile());
    }
}

TEST(StartupEnvironment, HighDpiFixLetsQtScaleUnlessSwitchedOffExactly)
{
    const std::pair<QString, QString> cases[] = {
        {"", "1"}, {"TAVRIN_DPI_POLICY=NOSCALE", "0"}, {"TAVRIN_DPI_POLICY=NOSCALE ", "1"}};
    for (const auto& [policy, scaling] : cases) {
        EXPECT_EQ(RunChild(QStringList(policy), {"highdpi", "dpi", "highdpi"}).answers,
                  QStringList({"highdpi=0", "highdpi=" + scaling}))
            << policy.toStdString();
    }
}

}  // namespace
