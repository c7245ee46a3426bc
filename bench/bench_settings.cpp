// SettingsManager against the same work written by hand on a raw QSettings.
#include <Tavrin/App/Application/SettingsManager.h>

#include <QCoreApplication>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using Tavrin::App::ISettingsManagerObserver;
using Tavrin::App::SettingsManager;

struct Observer : ISettingsManagerObserver
{
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override {}
    void OnIntChanged(const std::string&, int value, const boost::optional<int>&) override
    {
        last = value;
    }
    void OnStringChanged(const std::string&, const std::string&,
                         const boost::optional<std::string>&) override
    {
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, std::int64_t,
                        const boost::optional<std::int64_t>&) override
    {
    }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}
    int last = 0;
};

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QSettings::Format FormatOf(const benchmark::State& state)
{
    return state.range(0) == 0 ? QSettings::IniFormat : QSettings::NativeFormat;
}

QString FileOf(const benchmark::State& state, const char* name)
{
    return Scratch().filePath(QString::fromLatin1(name) + QString::number(state.range(0)));
}

// A store with a few dozen keys, like a product's.
template <typename Write>
void Populate(Write write)
{
    for (int i = 0; i < 40; ++i) {
        write(QStringLiteral("group%1/key%2").arg(i % 4).arg(i), i);
    }
}

void BM_Set_SettingsManager(benchmark::State& state)
{
    SettingsManager store(FileOf(state, "manager-set"), FormatOf(state));
    Populate([&](const QString& key, int v) { store.SetInt(key.toStdString(), v); });
    Observer observer;
    store.RegisterObserver(&observer);
    const std::string key = "group1/counter";
    int value = 0;
    for (auto _ : state) {
        store.SetInt(key, ++value);
    }
    benchmark::DoNotOptimize(observer.last);
}

void BM_Set_RawQSettings(benchmark::State& state)
{
    QSettings store(FileOf(state, "raw-set"), FormatOf(state));
    Populate([&](const QString& key, int v) { store.setValue(key, v); });
    Observer observer;
    ISettingsManagerObserver* registered = &observer;
    const QString key = QStringLiteral("group1/counter");
    const std::string stdKey = "group1/counter";
    int value = 0;
    for (auto _ : state) {
        const QVariant newValue(++value);
        const QVariant old = store.value(key);
        if (newValue != old) {
            store.setValue(key, newValue);
            registered->OnIntChanged(stdKey, value,
                                     old.isValid() ? boost::optional<int>(old.toInt())
                                                   : boost::optional<int>());
        }
    }
    benchmark::DoNotOptimize(observer.last);
}

void BM_Get_SettingsManager(benchmark::State& state)
{
    SettingsManager store(FileOf(state, "manager-get"), FormatOf(state));
    Populate([&](const QString& key, int v) { store.SetInt(key.toStdString(), v); });
    const std::string key = "group2/key10";
    int sum = 0;
    for (auto _ : state) {
        sum += store.GetInt(key, -1);
    }
    benchmark::DoNotOptimize(sum);
}

void BM_Get_RawQSettings(benchmark::State& state)
{
    QSettings store(FileOf(state, "raw-get"), FormatOf(state));
    Populate([&](const QString& key, int v) { store.setValue(key, v); });
    const QString key = QStringLiteral("group2/key10");
    int sum = 0;
    for (auto _ : state) {
        sum += store.value(key, -1).toInt();
    }
    benchmark::DoNotOptimize(sum);
}

// The same write and read with the watching of other processes' changes switched off, to
// show what the watching costs on these paths (INI).
void BM_Set_SettingsManagerUnwatched(benchmark::State& state)
{
    SettingsManager store(Scratch().filePath(QStringLiteral("manager-set-unwatched")), QSettings::IniFormat);
    store.SetWatchExternalChanges(false);
    Observer observer;
    store.RegisterObserver(&observer);
    const std::string key = "group1/counter";
    int value = 0;
    for (auto _ : state) {
        store.SetInt(key, ++value);
    }
    benchmark::DoNotOptimize(observer.last);
}

void BM_Get_SettingsManagerUnwatched(benchmark::State& state)
{
    SettingsManager store(Scratch().filePath(QStringLiteral("manager-get-unwatched")), QSettings::IniFormat);
    store.SetWatchExternalChanges(false);
    Populate([&](const QString& key, int v) { store.SetInt(key.toStdString(), v); });
    const std::string key = "group2/key10";
    int sum = 0;
    for (auto _ : state) {
        sum += store.GetInt(key, -1);
    }
    benchmark::DoNotOptimize(sum);
}

// An INI file of `keys` keys in ten groups whose key "group0/key0" holds `value`.
QByteArray BigStore(int keys, int value)
{
    QByteArray text;
    for (int group = 0; group < 10; ++group) {
        text += "[group" + QByteArray::number(group) + "]\n";
        for (int i = group; i < keys; i += 10) {
            text += "key" + QByteArray::number(i) + "=" +
                    QByteArray::number(i == 0 ? value : i * 7) + "\n";
        }
    }
    return text;
}

void ReplaceFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.commit();
}

// QSettings reads a file again only when its size or its modification time in milliseconds
// changed.
void NextMillisecond()
{
    std::this_thread::sleep_for(std::chrono::microseconds(1100));
}

// Another process changed one key of a big store: ours reads the file back and compares
// every key with what it knew, notifying the one change.
void BM_Reread_SettingsManager(benchmark::State& state)
{
    const QString file = Scratch().filePath(QStringLiteral("manager-reread"));
    const int keys = static_cast<int>(state.range(0));
    ReplaceFile(file, BigStore(keys, 0));
    SettingsManager store(file, QSettings::IniFormat);
    Observer observer;
    store.RegisterObserver(&observer);
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ReplaceFile(file, BigStore(keys, ++value));
        NextMillisecond();
        state.ResumeTiming();
        store.CheckExternalChanges();
    }
    if (observer.last != value) {
        state.SkipWithError("the change was not seen");
    }
}

// The raw twin: QSettings reads the file back and every value is fetched (the least any
// comparison needs).
void BM_Reread_RawQSettings(benchmark::State& state)
{
    const QString file = Scratch().filePath(QStringLiteral("raw-reread"));
    const int keys = static_cast<int>(state.range(0));
    ReplaceFile(file, BigStore(keys, 0));
    QSettings store(file, QSettings::IniFormat);
    int value = 0;
    int sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ReplaceFile(file, BigStore(keys, ++value));
        NextMillisecond();
        state.ResumeTiming();
        store.sync();
        for (const QString& key : store.allKeys()) {
            sum += store.value(key).toString().size();
        }
    }
    benchmark::DoNotOptimize(sum);
}

}  // namespace

// Argument: 0 INI format, 1 native format.
BENCHMARK(BM_Set_SettingsManager)->Arg(0)->Arg(1);
BENCHMARK(BM_Set_RawQSettings)->Arg(0)->Arg(1);
BENCHMARK(BM_Get_SettingsManager)->Arg(0)->Arg(1);
BENCHMARK(BM_Get_RawQSettings)->Arg(0)->Arg(1);
BENCHMARK(BM_Set_SettingsManagerUnwatched);
BENCHMARK(BM_Get_SettingsManagerUnwatched);
// Argument: keys in the store.
BENCHMARK(BM_Reread_SettingsManager)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reread_RawQSettings)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
