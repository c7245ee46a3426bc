// SettingsManager against the same work written by hand on a raw QSettings.
#include <Tavrin/App/Application/SettingsManager.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

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

}  // namespace

// Argument: 0 INI format, 1 native format.
BENCHMARK(BM_Set_SettingsManager)->Arg(0)->Arg(1);
BENCHMARK(BM_Set_RawQSettings)->Arg(0)->Arg(1);
BENCHMARK(BM_Get_SettingsManager)->Arg(0)->Arg(1);
BENCHMARK(BM_Get_RawQSettings)->Arg(0)->Arg(1);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
