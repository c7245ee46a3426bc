// Start-up settings and the once-per-process logging. Both are set up once per process, so
// most cases run startupchild.cpp, with an environment and working directory of their own.
#include "TestSupport.h"

#include <Tavrin/App/Application/LoggingGuard_p.h>
#include <Tavrin/App/Application/StartupEnvironment.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include <glog/logging.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>

using namespace Tavrin::App;
using Tavrin::Test::NewTempDir;

namespace {

// Variables the code under test reads; each case sets those it wants.
const QStringList kOwnVariables{"LOCALAPPDATA", "USERPROFILE",   "XDG_DATA_HOME",    "HOME", "USER",
                                "USERNAME",     "TavrinLogPath", "TAVRIN_DPI_POLICY"};
const QStringList kAcme{"LOCALAPPDATA=@", "GLOG_PRODUCT_NAME=Acme"};

struct Child
{
    bool exitedCleanly = false;
    QStringList lines;
    QString errors;

    QStringList Answers(const QString& key) const
    {
        return lines.filter(QRegExp('^' + key + '=')).replaceInStrings(key + '=', "");
    }
    QString Answer(const QString& key) const { return Answers(key).value(0); }
};

// Settings are "NAME=value" or "-NAME" (removed); "@" in settings and commands stands for root.
Child RunChild(QStringList settings, QStringList commands, const QString& root = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys()) {
        if (name.startsWith("GLOG_") || kOwnVariables.contains(name)) {
            environment.remove(name);
        }
    }
    environment.insert("USERNAME", "tester");
    for (const QString& setting : settings.replaceInStrings("@", root)) {
        if (setting.startsWith('-')) {
            environment.remove(setting.mid(1));
        } else {
            environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
        }
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(root.isEmpty() ? NewTempDir("cwd") : root);
    process.start(TAVRIN_STARTUP_CHILD, commands.replaceInStrings("@", root));
    Child child;
    if (process.waitForFinished(60000)) {
        child.exitedCleanly =
            process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    } else {
        process.kill();
        process.waitForFinished(10000);
    }
    child.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    child.errors = QString::fromUtf8(process.readAllStandardError());
    return child;
}

// The contents of the files "<prefix>.*" in the directory, e.g. prefix "app.user.INFO".
QString LogText(const QString& directory, const QString& prefix)
{
    QString text;
    for (const QFileInfo& file : QDir(directory).entryInfoList({prefix + ".*"}, QDir::Files)) {
        QFile log(file.filePath());
        log.open(QIODevice::ReadOnly);
        text += QString::fromUtf8(log.readAll());
    }
    return text;
}

TEST(Logging, WritesAFilePerSeverityBelowTheBaseAndProductTheEnvironmentNames)
{
    struct Case
    {
        QStringList settings;
        QString directory;
        QString user;
    };
    const Case cases[] = {
        {{"LOCALAPPDATA=@/local", "USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h",
          "GLOG_PRODUCT_NAME=Vendor\\Product/Name"},
         "/local/Tavrin/Logs/Name/",
         "tester"},
        {{"USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h", "GLOG_PRODUCT_NAME=Vendor/.."},
         "/p/Local settings/Application Data/Tavrin/Logs/UnknownProduct/",
         "tester"},
        {{"XDG_DATA_HOME=@/x", "HOME=@/h"}, "/x/Tavrin/Logs/UnknownProduct/", "tester"},
        {{"HOME=@/h", "GLOG_PRODUCT_NAME=Acme", "-USERNAME", "USER=u2"},
         "/h/.local/share/Tavrin/Logs/Acme/",
         "u2"},
    };
    for (const Case& c : cases) {
        const QString root = NewTempDir("base");
        const QString directory = root + c.directory;
        SCOPED_TRACE(directory.toStdString());
        const Child child = RunChild(c.settings,
                                     {"init", "state", "log", "marker", "qwarn",
                                      "libpng warning: iCCP", "qwarn", "Libpng warning: capital"},
                                     root);
        EXPECT_TRUE(child.exitedCleanly) << child.errors.toStdString();
        EXPECT_EQ(child.Answer("init"), "1");
        EXPECT_EQ(child.Answer("logdir"), directory);
        EXPECT_EQ(child.Answer("logpath"), directory);
        EXPECT_EQ(child.Answer("stacklogs"), "1");
        // Each file takes its severity and the ones above; Qt's messages come in too.
        const QString info = LogText(directory, "startupchild." + c.user + ".INFO");
        const QString warning = LogText(directory, "startupchild." + c.user + ".WARNING");
        const QString error = LogText(directory, "startupchild." + c.user + ".ERROR");
        EXPECT_TRUE(info.contains("INFO marker") && info.contains("ERROR marker"));
        EXPECT_TRUE(warning.contains("WARNING marker") && !warning.contains("INFO marker"));
        EXPECT_TRUE(error.contains("ERROR marker") && !error.contains("WARNING marker"));
        EXPECT_TRUE(info.contains("Libpng warning: capital") && !info.contains("iCCP"));
    }
}

TEST(Logging, InitializeTakesAnExplicitProductAndLeavesOutLowerSeverities)
{
    const QString root = NewTempDir("explicit");
    const QString directory = root + "/Tavrin/Logs/Explicit/";
    qputenv("LOCALAPPDATA", root.toUtf8());
    qputenv("GLOG_PRODUCT_NAME", "Environment");
    EXPECT_TRUE(Logging::Initialize("Vendor\\Explicit", google::GLOG_ERROR, 10));
    qunsetenv("LOCALAPPDATA");
    EXPECT_EQ(Logging::GetLogDirectory(), directory.toStdString());
    LOG(WARNING) << "WARNING marker";
    LOG(ERROR) << "ERROR marker";
    google::FlushLogFiles(google::GLOG_INFO);
    EXPECT_TRUE(LogText(directory, "tst_startupenvironment.*.ERROR").contains("ERROR marker"));
    EXPECT_EQ(QDir(directory).entryList({"*WARNING*", "*INFO*"}), QStringList());
}

TEST(Logging, SweepsThisExecutablesFilesCreatedMoreThanTenDaysAgo)
{
    const QString root = NewTempDir("sweep");
    const QString directory = root + "/Tavrin/Logs/Acme/";
    QDir().mkpath(directory);
    const QString expired = directory + "startupchild.tester.INFO.old";
    const QStringList kept{directory + "startupchild.tester.INFO.recent",
                           directory + "other.tester.INFO.old", directory + "startupchild"};
    RunChild({}, {"age", expired, "11", "age", kept[0], "9", "age", kept[1], "11", "age", kept[2],
                  "11"});
    // utimes cannot date back a creation time: where the file system keeps one, the file
    // stays young.
    struct statx info = {};
    const bool keepsCreationTime =
        statx(AT_FDCWD, QFile::encodeName(expired).constData(), 0, STATX_BTIME, &info) == 0 &&
        (info.stx_mask & STATX_BTIME);

    EXPECT_EQ(RunChild(kAcme, {"init"}, root).Answer("init"), "1");
    EXPECT_EQ(QFile::exists(expired), keepsCreationTime);
    for (const QString& file : kept) {
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    }
}

TEST(Logging, ExpiresByExecutableNameAndCreationTime)
{
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const hours day(24);
    struct Case
    {
        const char* file;
        const char* executable;
        system_clock::duration age;
        int retentionDays;
        bool expired;
    };
    const Case cases[] = {
        {"app.u.INFO.1", "app", 10 * day + seconds(1), 10, true},
        {"app.u.INFO.1", "app", 10 * day, 10, false},
        {"apple.u.INFO.1", "app", 11 * day, 10, false},
        {"app", "app", 11 * day, 10, false},
        {".u.INFO.1", "", 11 * day, 10, false},
        {"app.1", "app", 11 * day, -1, false},
        {"app.1", "app", 11 * day, INT_MAX, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            Logging::IsExpiredLogFile(c.file, c.executable, now - c.age, now, c.retentionDays),
            c.expired)
            << c.file << " of " << c.executable << ", kept " << c.retentionDays << " days";
    }
}

TEST(Logging, KeepsTheFirstResultForTheRestOfTheProcess)
{
    const QString root = NewTempDir("again");
    const QString first = root + "/first/Tavrin/Logs/Acme/";
    const Child child =
        RunChild({"LOCALAPPDATA=@/first", "GLOG_PRODUCT_NAME=Acme"},
                 {"init", "age", first + "startupchild.tester.INFO.aged", "11", "set",
                  "LOCALAPPDATA=@/second", "set", "GLOG_PRODUCT_NAME=Other", "init", "state"},
                 root);
    EXPECT_EQ(child.Answers("init"), QStringList({"1", "1"}));
    EXPECT_EQ(child.Answer("logdir") + child.Answer("logpath"), first + first);
    EXPECT_TRUE(QFile::exists(first + "startupchild.tester.INFO.aged"));
    EXPECT_FALSE(QDir(root + "/second").exists());

    const Child failed = RunChild({}, {"init", "set", "HOME=@/home", "init", "state"}, root);
    EXPECT_EQ(failed.Answers("init"), QStringList({"0", "0"}));
    EXPECT_EQ(failed.Answer("logdir"), "");
    EXPECT_FALSE(QDir(root + "/home").exists());
}

TEST(Logging, RunsOnWithoutLogsWhenThereIsNoDirectoryForThem)
{
    const QStringList blocked{"LOCALAPPDATA=@/blocked"};
    const QStringList relativeDataHome{"XDG_DATA_HOME=relative"};
    for (const QStringList& settings : {blocked, relativeDataHome, QStringList()}) {
        const QString root = NewTempDir("nolog");
        Tavrin::Test::WriteFile(root + "/blocked/Tavrin", "in the way");
        const Child child = RunChild(
            settings, {"init", "state", "qwarn", "unlogged marker", "log", "marker"}, root);
        SCOPED_TRACE(settings.join(' ').toStdString());
        EXPECT_TRUE(child.exitedCleanly) << child.errors.toStdString();
        EXPECT_EQ(child.Answer("init") + child.Answer("stacklogs"), "00");
        EXPECT_EQ(child.Answer("logdir") + child.Answer("logpath"), "");
        EXPECT_TRUE(child.errors.contains("unlogged marker"));  // Qt's own handler has it
        QStringList entries;
        for (QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            entries << it.next().mid(root.size());
        }
        entries.sort();
        EXPECT_EQ(entries, QStringList({"/blocked", "/blocked/Tavrin"}));
    }
}

TEST(StartupEnvironment, HighDpiFixLetsQtScaleUnlessSwitchedOffExactly)
{
    const std::pair<QString, QString> cases[] = {{"-TAVRIN_DPI_POLICY", "1"},
                                                 {"TAVRIN_DPI_POLICY=NOSCALE", "0"},
                                                 {"TAVRIN_DPI_POLICY=noscale", "1"},
                                                 {"TAVRIN_DPI_POLICY=NOSCALE ", "1"}};
    for (const auto& [policy, scaling] : cases) {
        const Child child = RunChild({policy}, {"attributes", "dpi", "attributes"});
        EXPECT_EQ(child.Answers("highdpi"), QStringList({"0", scaling})) << policy.toStdString();
        EXPECT_EQ(child.Answers("desktopgl"), QStringList({"0", "0"}));
    }
    const Child child = RunChild({}, {"opengl", "attributes"});
    EXPECT_EQ(child.Answer("desktopgl") + child.Answer("highdpi"), "10");
}

}  // namespace
