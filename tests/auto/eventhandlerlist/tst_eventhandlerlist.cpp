// The observer list: delivery in registration order, once per observer, a throwing observer,
// changes and deliveries from inside a delivery, and several threads at once.
#include <Tavrin/App/Application/EventHandlerList.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>

using Tavrin::Core::EventHandlerList;

namespace {

// Notes every call as "<name>:<value> " and runs `onFirst` inside its call of notification 1.
// The list only stores and calls pointers, so observers need no interface here.
struct Listener
{
    void OnEvent(int value)
    {
        journal += name + ":" + std::to_string(value) + " ";
        if (value == 1 && onFirst)
            onFirst();
    }
    std::string name;
    std::string& journal;
    std::function<void()> onFirst = nullptr;
};

// Delivery goes in registration order to the observers registered when it started; a nested
// one to those of its own start, before the outer one goes on. A throwing observer stops only
// that delivery and releases the delivery lock: another thread can deliver at once.
TEST(EventHandlerListTest, DeliversInOrderToASnapshotAndAThrowStopsOnlyThatDelivery)
{
    std::string journal;
    Listener a{"A", journal}, b{"B", journal}, c{"C", journal}, d{"D", journal};
    EventHandlerList<Listener> list;
    const auto notify = [&list](int value) {
        list.Notify([value](Listener* l) { l->OnEvent(value); });
    };
    // A, B and C registered in that order; a second registration and null ones change nothing.
    for (Listener* listener : {&a, &b, &c, &a, static_cast<Listener*>(nullptr)})
        list.AddHandler(listener);
    list.RemoveHandler(nullptr);
    list.RemoveHandler(&d);  // never registered

    a.onFirst = [&] { list.RemoveHandler(&c); };
    b.onFirst = [&] { notify(2); };
    c.onFirst = [&] { list.AddHandler(&d); };
    notify(0);
    notify(1);
    notify(3);
    b.onFirst = [] { throw 42; };
    EXPECT_THROW(notify(1), int);
    std::async(std::launch::async, [&] { notify(4); }).get();
    EXPECT_EQ(journal, "A:0 B:0 C:0 A:1 B:1 A:2 B:2 C:1 A:3 B:3 D:3 A:1 B:1 A:4 B:4 D:4 ");
}

// Several threads notify while each registers and removes an observer of its own: deliveries
// never overlap, and every stable observer sees every notification. An observer here is the
// count of its calls.
TEST(EventHandlerListThreads, ConcurrentNotifyAddAndRemove)
{
    constexpr int kThreads = 4, kRounds = 2000;
    std::vector<std::atomic<int>> stable(3), churning(kThreads);
    EventHandlerList<std::atomic<int>> list;
    for (auto& calls : stable)
        list.AddHandler(&calls);
    std::atomic<bool> inDelivery{false};  // set while an observer is called
    const auto count = [&inDelivery](std::atomic<int>* calls) {
        EXPECT_FALSE(inDelivery.exchange(true)) << "deliveries overlap";
        ++*calls;
        inDelivery = false;
    };
    std::vector<std::future<void>> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.push_back(std::async(std::launch::async, [&, t] {
            for (int i = 0; i < kRounds; ++i) {
                list.AddHandler(&churning[t]);
                list.Notify(count);
                list.RemoveHandler(&churning[t]);
            }
        }));
    threads.clear();  // waits for them
    EXPECT_EQ(list.Count(), stable.size());
    for (auto& calls : stable)
        EXPECT_EQ(calls, kThreads * kRounds);
}

}  // namespace
