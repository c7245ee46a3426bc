// Start-up settings and the once-per-process logging. Both are set up once per process, so
// most cases run startupchild.cpp, with an environment and working directory of their own.
#include "TestSupport.h"

#include <Tavrin/App/Application/LoggingGuard_p.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>

using namespace Tavrin::App;
using Tavrin::Test::NewTempDir;

namespace {

// Runs the child with `commands` in `root` (a new directory when empty); it must exit cleanly.
// Returns its "key=value" answers and its standard error.
// Its environment holds little more than USERNAME=tester and `settings` ("NAME=value"). "@" in
// settings and commands stands for root.
std::pair<QStringList, std::string> RunChild(QStringList settings, QStringList commands,
                                             const QString& root = {})
{
    const QStringList inherited = QProcessEnvironment::systemEnvironment().toStringList().filter(
        QRegularExpression("^(PATH|[A-Z]*SAN_OPTIONS)="));
    QProcessEnvironment environment;
    for (const QString& setting : inherited + QStringList("USERNAME=tester") + settings)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1).replace("@", root));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(root.isEmpty() ? NewTempDir("cwd") : root);
    process.start(TAVRIN_STARTUP_CHILD, commands.replaceInStrings("@", root));
    EXPECT_TRUE(process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
                process.exitCode() == 0)
        << process.readAllStandardError().toStdString();  // read only on failure
    return {QString(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            process.readAllStandardError().toStdString()};
}

// The contents of the file "<prefix>.*", e.g. prefix "<directory>/app.user.INFO".
QString LogText(const QString& prefix)
{
    const QFileInfo name(prefix);
    QFile log(name.path() + '/' + name.dir().entryList({name.fileName() + ".*"}).value(0));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QString();
}

// Logs go to a file per severity below the base and product the environment names. Without a
// base, or with one where no directory can be made, the process runs on without logs and leaves
// nothing behind. Later calls keep the first result, whatever the environment says by then.
// HighDpiFix lets Qt scale unless switched off exactly.
TEST(StartupEnvironment, LogsBelowTheBaseAndProductTheEnvironmentNamesOrRunsOnWithoutAndScales)
{
    // The settings and "<log directory>/<log file prefix>"; nothing for no logs.
    const std::pair<QStringList, QString> cases[] = {
        {{"LOCALAPPDATA=@/local", "USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h",
          "GLOG_PRODUCT_NAME=Vendor\\Product/Name"},
         "/local/Tavrin/Logs/Name/startupchild.tester"},
        {{"USERPROFILE=@/p", "XDG_DATA_HOME=@/x", "HOME=@/h", "GLOG_PRODUCT_NAME=Vendor/.."},
         "/p/Local settings/Application Data/Tavrin/Logs/UnknownProduct/startupchild.tester"},
        {{"XDG_DATA_HOME=@/x", "HOME=@/h"}, "/x/Tavrin/Logs/UnknownProduct/startupchild.tester"},
        {{"HOME=@/h", "GLOG_PRODUCT_NAME=Acme", "USERNAME=", "USER=u2"},
         "/h/.local/share/Tavrin/Logs/Acme/startupchild.u2"},
        {{"LOCALAPPDATA=@/blocked", "TAVRIN_DPI_POLICY=NOSCALE"}, ""},
        {{"XDG_DATA_HOME=relative", "TAVRIN_DPI_POLICY=NOSCALE "}, ""},
        {{}, ""}};
    for (const auto& [settings, log] : cases) {
        SCOPED_TRACE(settings.join(' ').toStdString());
        const QString root = NewTempDir("base");
        Tavrin::Test::WriteFile(root + "/blocked/Tavrin", "in the way");
        const QString directory = log.isEmpty() ? "" : root + log.section('/', 0, -2) + '/';
        const QString on = log.isEmpty() ? "0" : "1";
        const QString scaling = settings.contains("TAVRIN_DPI_POLICY=NOSCALE") ? "0" : "1";
        const auto [answers, errors] =
            RunChild(settings,
                     {"init", "set", "HOME=@/home", "init", "state", "log", "marker", "qwarn",
                      "libpng warning: iCCP", "qwarn", "Libpng warning: capital", "highdpi", "dpi",
                      "highdpi"},
                     root);
        EXPECT_EQ(answers, QStringList({"init=" + on, "init=" + on, "logdir=" + directory,
                                        "logpath=" + directory, "stacklogs=" + on, "highdpi=0",
                                        "highdpi=" + scaling}));
        if (log.isEmpty()) {  // Qt's own handler prints it; nothing is left behind
            EXPECT_NE(errors.find("Libpng warning: capital"), std::string::npos);
            EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                      QStringList{"blocked"});
            continue;
        }
        // A file per severity, which takes the ones above too; Qt's messages but libpng's
        // warnings come in as well.
        const QString info = LogText(root + log + ".INFO");
        const QString error = LogText(root + log + ".ERROR");
        EXPECT_TRUE(info.contains("INFO marker") && info.contains("ERROR marker"));
        EXPECT_TRUE(error.contains("ERROR marker") && !error.contains("WARNING marker"));
        EXPECT_TRUE(info.contains("Libpng warning: capital") && !info.contains("iCCP"));
    }
}

// The first call sweeps this executable's files created more than ten days ago; later ones do not.
TEST(Logging, FirstCallSweepsThisExecutablesOldFiles)
{
    const QString root = NewTempDir("sweep"), directory = root + "/Tavrin/Logs/Acme/";
    QDir().mkpath(directory);
    const QString expired = directory + "startupchild.tester.INFO.old";
    const QStringList kept{directory + "startupchild.tester.INFO.recent",
                           directory + "other.tester.INFO.old", directory + "startupchild",
                           directory + "startupchild.tester.INFO.aged"};
    EXPECT_EQ(RunChild({"LOCALAPPDATA=@", "GLOG_PRODUCT_NAME=Acme"},
                       QString("age %1 11 age %2 9 age %3 11 age %4 11 init age %5 11 init")
                           .arg(expired, kept[0], kept[1], kept[2], kept[3])
                           .split(' '),
                       root)
                  .first,
              QStringList({"init=1", "init=1"}));
    for (const QString& file : kept)
        EXPECT_TRUE(QFile::exists(file)) << file.toStdString();
    // utimes cannot date back a creation time: where the file system keeps one, the file
    // stays young.
    struct statx info = {};
    EXPECT_EQ(QFile::exists(expired),
              statx(AT_FDCWD, QFile::encodeName(expired).constData(), 0, STATX_BTIME, &info) == 0 &&
                  (info.stx_mask & STATX_BTIME));

    // Eleven days on by the child's clock, every file of this executable has expired.
    const QString clockAhead = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";
    if (!QFile::exists(clockAhead))
        GTEST_SKIP() << "libfaketime is not installed; scripts/setup installs it";
    RunChild(
        {"LOCALAPPDATA=@", "GLOG_PRODUCT_NAME=Acme", "LD_PRELOAD=" + clockAhead, "FAKETIME=+11d",
         "ASAN_OPTIONS=" + qgetenv("ASAN_OPTIONS") + ":verify_asan_link_order=0"},
        {"init"}, root);
    QStringList left;
    for (const QString& file : QStringList{expired} + kept)
        left << (QFile::exists(file) ? QFileInfo(file).fileName() : QString());
    EXPECT_EQ(left.join(' ').simplified().toStdString(), "other.tester.INFO.old startupchild");
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

}  // namespace
