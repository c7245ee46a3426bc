// Start-up cost of crash tracking and the temporary-file sweep, each beside what it is
// measured against:
// - CrashTracker construction on an empty session file and on one holding 1,000 entries of
//   processes that no longer exist (each such start collects and removes all of them);
//   target: the 1,000 stale entries add less than 50 ms (median against median);
// - ClearProductTemporaryFiles over a tree of 10,000 files against `find DIR -mtime +10
//   -delete` on an identical tree, for a tree half expired and one fully expired;
//   target: ours / find <= 1.0 (medians; find's time includes starting it).
// Everything happens in a scratch directory (XDG_DATA_HOME and TMPDIR point there).
//   bench_crash [rounds [tracker]]   rounds per measurement, 1..1000, default 7; with
//                                    "tracker", the construction only
// The construction is shown beside the same file work done through QSettings (no process
// checks), as the tracker once did it.
#include <Tavrin/App/Application/ApplicationRestarter.h>
#include <Tavrin/App/Application/CrashTracker.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSettings>

#include <glog/logging.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kDefaultRounds = 7;
constexpr int kMaxRounds = 1000;
constexpr int kStaleEntries = 1000;
constexpr int kTreeDirectories = 100;
constexpr int kFilesPerDirectory = 100;
constexpr int kExpireDays = 10;
constexpr int kOldAgeDays = 20;
constexpr double kAddedStartupTargetMs = 50.0;
constexpr double kSweepRatioTarget = 1.0;
const char kTemporaryFolder[] = "BenchProduct";

using Clock = std::chrono::steady_clock;

double MillisecondsOf(const std::function<void()>& work)
{
    const Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Process ids that no process has right now, as a crashed run leaves behind.
QStringList DeadPids(int count)
{
    QStringList pids;
    for (int pid = 3000000; pids.size() < count; pid += 7) {
        if (!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid))) {
            pids << QString::number(pid);
        }
    }
    return pids;
}

bool WriteSessionFile(const QString& path, const QStringList& pids)
{
    QByteArray content = "[General]\n";
    for (const QString& pid : pids) {
        content += pid.toLatin1() + "=261204-121949-117345\n";
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

// Median construction time of a tracker that finds `stale` dead entries.
double TrackerConstructionMs(int stale, int rounds)
{
    const QString path = Tavrin::App::CrashTracker().SessionFilePath();  // the file trackers use
    const QStringList pids = DeadPids(stale);
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        if (!WriteSessionFile(path, pids)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            std::exit(1);
        }
        // Only the construction is timed: the destructor's write belongs to shutdown.
        std::optional<Tavrin::App::CrashTracker> tracker;
        samples.push_back(MillisecondsOf([&] { tracker.emplace(); }));
        const std::size_t collected = tracker->BadSessionsList().size();
        tracker.reset();
        if (collected != static_cast<std::size_t>(stale)) {
            std::fprintf(stderr, "collected %zu of %d stale sessions\n", collected, stale);
            std::exit(1);
        }
    }
    return Median(samples);
}

// The same file work done through Qt's settings, as the tracker once did it: read the entries,
// remove them, add one and write the file (which Qt guards with a lock file and flushes).
// No process checks: only the file handling is compared.
double QSettingsTwinMs(int stale, int rounds)
{
    const QString path = Tavrin::App::CrashTracker().SessionFilePath();
    const QStringList pids = DeadPids(stale);
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        WriteSessionFile(path, pids);
        samples.push_back(MillisecondsOf([&] {
            QSettings settings(path, QSettings::IniFormat);
            for (const QString& key : settings.allKeys()) {
                settings.value(key).toString();
                settings.remove(key);
            }
            settings.setValue(QString::number(QCoreApplication::applicationPid()),
                              QStringLiteral("261204-121949-117345"));
            settings.sync();
        }));
    }
    QFile::remove(path);
    return Median(samples);
}

void SetAge(int fd, int days)
{
    timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= static_cast<time_t>(days) * 24 * 60 * 60;
    times[1] = times[0];
    futimens(fd, times);
}

// kTreeDirectories directories of kFilesPerDirectory small files; every `oldEvery`-th file
// (and, when all are old, each directory) is kOldAgeDays old, the others new.
void BuildTree(const QString& root, int oldEvery)
{
    for (int d = 0; d < kTreeDirectories; ++d) {
        const QByteArray dir = QFile::encodeName(root + QStringLiteral("/dir%1").arg(d));
        mkdir(dir.constData(), 0755);
        for (int f = 0; f < kFilesPerDirectory; ++f) {
            const std::string path = dir.toStdString() + "/file" + std::to_string(f) + ".tmp";
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                std::perror(path.c_str());
                std::exit(1);
            }
            const char content[] = "temporary content of a product\n";
            if (write(fd, content, sizeof content - 1) < 0) {
                std::perror(path.c_str());
            }
            SetAge(fd, f % oldEvery == 0 ? kOldAgeDays : 0);
            close(fd);
        }
        if (oldEvery == 1) {
            const int fd = open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            SetAge(fd, kOldAgeDays);
            close(fd);
        }
    }
}

QSet<QString> TreeEntries(const QString& root)
{
    QSet<QString> entries;
    const QDir base(root);
    for (const QString& name :
         base.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
        entries << name;
        for (const QString& inner :
             QDir(base.filePath(name)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            entries << name + QLatin1Char('/') + inner;
        }
    }
    return entries;
}

struct SweepResult
{
    double oursMs;
    double findMs;
};

SweepResult CompareSweeps(int oldEvery, int rounds)
{
    const QString ours = Tavrin::App::ProductTemporaryFilesDir(QLatin1String(kTemporaryFolder));
    const QString theirs = QDir::tempPath() + QStringLiteral("/find-tree");
    std::vector<double> oursSamples, findSamples;
    for (int round = 0; round < rounds; ++round) {
        QDir(ours).removeRecursively();
        QDir(theirs).removeRecursively();
        QDir().mkpath(ours);
        QDir().mkpath(theirs);
        BuildTree(ours, oldEvery);
        BuildTree(theirs, oldEvery);
        const auto sweepOurs = [&] {
            oursSamples.push_back(MillisecondsOf([&] {
                Tavrin::App::ClearProductTemporaryFiles(QLatin1String(kTemporaryFolder),
                                                        kExpireDays);
            }));
        };
        const auto sweepFind = [&] {
            findSamples.push_back(MillisecondsOf([&] {
                QProcess find;
                find.start(QStringLiteral("find"),
                           {theirs, QStringLiteral("-mtime"),
                            QStringLiteral("+%1").arg(kExpireDays), QStringLiteral("-delete")});
                find.waitForFinished(120000);
            }));
        };
        // Alternate who goes first, so neither always meets the colder caches.
        if (round % 2 == 0) {
            sweepOurs();
            sweepFind();
        } else {
            sweepFind();
            sweepOurs();
        }
        if (TreeEntries(ours) != TreeEntries(theirs)) {
            std::fprintf(stderr, "the two sweeps left different trees\n");
            std::exit(1);
        }
    }
    return {Median(oursSamples), Median(findSamples)};
}

int RoundsFrom(int argc, char** argv)
{
    if (argc < 2) {
        return kDefaultRounds;
    }
    const int rounds = std::atoi(argv[1]);
    const bool knownMode = argc < 3 || std::string(argv[2]) == "tracker";
    if (rounds < 1 || rounds > kMaxRounds || !knownMode) {
        std::fprintf(stderr, "usage: bench_crash [rounds 1..%d [tracker]]\n", kMaxRounds);
        std::exit(64);
    }
    return rounds;
}

const char* Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = RoundsFrom(argc, argv);
    FLAGS_minloglevel = google::GLOG_WARNING;  // not a line per sweep
    const char* tmp = std::getenv("TMPDIR");
    std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavrin-bench-crash-XXXXXX";
    if (!mkdtemp(scratch.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const QString root = QString::fromStdString(scratch);
    QDir().mkpath(root + QStringLiteral("/data"));
    QDir().mkpath(root + QStringLiteral("/tmp"));
    setenv("XDG_DATA_HOME", (scratch + "/data").c_str(), 1);
    setenv("TMPDIR", (scratch + "/tmp").c_str(), 1);

    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin Bench"));
    QCoreApplication::setApplicationName(QStringLiteral("bench_crash"));
    QCoreApplication application(argc, argv);

    TrackerConstructionMs(0, 3);  // warm-up: libraries, file system caches
    const double empty = TrackerConstructionMs(0, rounds);
    const double stale = TrackerConstructionMs(kStaleEntries, rounds);
    const double added = stale - empty;
    const double twinEmpty = QSettingsTwinMs(0, rounds);
    const double twinStale = QSettingsTwinMs(kStaleEntries, rounds);
    std::printf("CrashTracker construction, median of %d          tracker   QSettings twin\n",
                rounds);
    std::printf("  empty session file                      %8.3f ms   %8.3f ms\n", empty,
                twinEmpty);
    std::printf("  %d stale entries                      %8.3f ms   %8.3f ms\n", kStaleEntries,
                stale, twinStale);
    std::printf("  added by the stale entries  %8.3f ms   target < %.0f ms: %s\n", added,
                kAddedStartupTargetMs, Verdict(added < kAddedStartupTargetMs));
    if (argc > 2) {  // "tracker": the construction only
        QDir(root).removeRecursively();
        return 0;
    }

    bool sweepsMet = true;
    std::printf("\nSweep of %d files (%d directories), median of %d\n",
                kTreeDirectories * kFilesPerDirectory, kTreeDirectories, rounds);
    std::printf("  %-14s %14s %14s %8s\n", "tree", "ours (ms)", "find (ms)", "ratio");
    for (const auto& scenario :
         {std::make_pair("half expired", 2), std::make_pair("all expired", 1)}) {
        const SweepResult result = CompareSweeps(scenario.second, rounds);
        const double ratio = result.oursMs / result.findMs;
        sweepsMet = sweepsMet && ratio <= kSweepRatioTarget;
        std::printf("  %-14s %14.3f %14.3f %8.3f\n", scenario.first, result.oursMs, result.findMs,
                    ratio);
    }
    std::printf("  target ratio <= %.1f: %s\n", kSweepRatioTarget, Verdict(sweepsMet));

    QDir(root).removeRecursively();
    return 0;
}
