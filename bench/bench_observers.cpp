// Notify of the observer list against a plain loop making the same virtual calls.
#include <Tavrin/App/Application/EventHandlerList.h>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <vector>

// Observers of two different kinds, as in a real service, so that both sides make true
// virtual calls that the compiler cannot resolve ahead of time.
namespace bench {

struct IListener
{
    virtual void OnChanged(int key, double value) = 0;
    virtual ~IListener() = default;
    double sum = 0;
};

struct Adder : IListener
{
    void OnChanged(int key, double value) override { sum += key + value; }
};

struct Multiplier : IListener
{
    void OnChanged(int key, double value) override { sum += key * value; }
};

}  // namespace bench

namespace {

using bench::IListener;

std::vector<std::unique_ptr<IListener>> MakeListeners(int count)
{
    std::vector<std::unique_ptr<IListener>> listeners;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            listeners.push_back(std::make_unique<bench::Adder>());
        } else {
            listeners.push_back(std::make_unique<bench::Multiplier>());
        }
    }
    return listeners;
}

void BM_Notify_EventHandlerList(benchmark::State& state)
{
    auto listeners = MakeListeners(static_cast<int>(state.range(0)));
    Tavrin::Core::EventHandlerList<IListener> list;
    for (auto& listener : listeners) {
        list.AddHandler(listener.get());
    }
    int key = 0;
    for (auto _ : state) {
        list.Notify(std::bind(&IListener::OnChanged, std::placeholders::_1, ++key, 0.5));
    }
    benchmark::DoNotOptimize(listeners.front()->sum);
}

void BM_Notify_PlainLoop(benchmark::State& state)
{
    auto listeners = MakeListeners(static_cast<int>(state.range(0)));
    std::vector<IListener*> plain;
    for (auto& listener : listeners) {
        plain.push_back(listener.get());
    }
    benchmark::DoNotOptimize(plain.data());
    int key = 0;
    for (auto _ : state) {
        ++key;
        for (IListener* listener : plain) {
            listener->OnChanged(key, 0.5);
        }
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(listeners.front()->sum);
}

}  // namespace

BENCHMARK(BM_Notify_EventHandlerList)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(BM_Notify_PlainLoop)->Arg(1)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
