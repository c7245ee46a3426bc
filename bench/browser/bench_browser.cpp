// GetCurrentProcessMap against the bare /proc walk it wraps (readdir, then readlink of each
// process's executable), and the cost of one browser detection and of a remembered browser.
#include <Tavrin/App/Application/PreferredBrowser.h>
#include <Tavrin/App/Application/ProcessMap.h>

#include <QString>

#include <benchmark/benchmark.h>

#include <cctype>
#include <climits>
#include <cstdio>

#include <dirent.h>
#include <unistd.h>

namespace {

bool IsPid(const char* name)
{
    if (*name == '\0') {
        return false;
    }
    for (; *name; ++name) {
        if (!std::isdigit(static_cast<unsigned char>(*name))) {
            return false;
        }
    }
    return true;
}

// The raw twin: every process's executable link read into a buffer, nothing kept.
void BM_RawProcWalk(benchmark::State& state)
{
    char link[300];  // room for any d_name
    char target[PATH_MAX];
    for (auto _ : state) {
        DIR* proc = opendir("/proc");
        long bytes = 0;
        while (const dirent* entry = readdir(proc)) {
            if (!IsPid(entry->d_name)) {
                continue;
            }
            std::snprintf(link, sizeof link, "/proc/%s/exe", entry->d_name);
            const ssize_t length = readlink(link, target, sizeof target);
            bytes += length > 0 ? length : 0;
        }
        closedir(proc);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_RawProcWalk);

// As the browser detection asks: almost every process is turned away.
void BM_ProcessMapFewAccepted(benchmark::State& state)
{
    for (auto _ : state) {
        auto map = Tavrin::App::GetCurrentProcessMap(
            [](const QString& name) { return name.startsWith(QLatin1String("chrom")); });
        benchmark::DoNotOptimize(map);
    }
}
BENCHMARK(BM_ProcessMapFewAccepted);

void BM_ProcessMapAllAccepted(benchmark::State& state)
{
    for (auto _ : state) {
        auto map = Tavrin::App::GetCurrentProcessMap([](const QString&) { return true; });
        benchmark::DoNotOptimize(map);
    }
}
BENCHMARK(BM_ProcessMapAllAccepted);

// Without an application object: no installer setting and the default priorities, so this
// is the process scan and the ranking.
void BM_FindBrowserPath(benchmark::State& state)
{
    Tavrin::App::PreferredBrowser browser;
    for (auto _ : state) {
        benchmark::DoNotOptimize(browser.FindBrowserPath());
    }
}
BENCHMARK(BM_FindBrowserPath);

// What opening a link costs once a browser is remembered: one file-existence test.
void BM_GetRememberedBrowserPath(benchmark::State& state)
{
    struct Remembering : Tavrin::App::AbstractPreferredBrowser
    {
        QString FindBrowserPath() override { return QStringLiteral("/bin/sh"); }
    } browser;
    browser.UpdateBrowserPath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(browser.GetBrowserPath());
    }
}
BENCHMARK(BM_GetRememberedBrowserPath);

}  // namespace

BENCHMARK_MAIN();
