#include <Tavrin/App/Application/EventHandlerList.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using Tavrin::Core::EventHandlerList;

namespace {

struct IListener
{
    virtual void OnEvent(int value) = 0;
    virtual ~IListener() = default;
};

using List = EventHandlerList<IListener>;
using Journal = std::vector<std::string>;

// Records every call as "<name>:<value>" and runs `onFirst` inside its call of notification 1.
struct Listener : IListener
{
    Listener(std::string name, Journal& journal) : name(std::move(name)), journal(journal) {}
    void OnEvent(int value) override
    {
        journal.push_back(name + ":" + std::to_string(value));
        if (value == 1 && onFirst)
            onFirst();
    }
    std::string name;
    Journal& journal;
    std::function<void()> onFirst;
};

void Notify(List& list, int value)
{
    list.Notify(std::bind(&IListener::OnEvent, std::placeholders::_1, value));
}

// A, B and C registered in that order; a second registration and null ones change nothing.
struct EventHandlerListTest : ::testing::Test
{
    EventHandlerListTest()
    {
        for (Listener* listener : {&a, &b, &c, &a, static_cast<Listener*>(nullptr)})
            list.AddHandler(listener);
        list.RemoveHandler(nullptr);
        list.RemoveHandler(&d);  // never registered
    }
    Journal journal;
    Listener a{"A", journal}, b{"B", journal}, c{"C", journal}, d{"D", journal};
    List list;
};

// A throwing observer stops only that delivery and releases the delivery lock: another thread
// can deliver at once.
TEST_F(EventHandlerListTest, CallsInRegistrationOrderOncePerObserverAndAThrowStopsOneDelivery)
{
    b.onFirst = [] { throw std::runtime_error("observer failed"); };
    Notify(list, 0);
    EXPECT_THROW(Notify(list, 1), std::runtime_error);
    list.RemoveHandler(&b);
    std::thread([&] { Notify(list, 2); }).join();
    EXPECT_EQ(journal, (Journal{"A:0", "B:0", "C:0", "A:1", "B:1", "A:2", "C:2"}));
}

// Delivery goes to the observers registered when it started; a nested one to those of its own
// start, before the outer one goes on.
TEST_F(EventHandlerListTest, ChangesAndNotificationsFromInsideADeliveryApplyFromTheNextOne)
{
    a.onFirst = [&] { list.AddHandler(&d); };
    b.onFirst = [&] {
        list.RemoveHandler(&c);
        Notify(list, 2);
    };
    Notify(list, 1);
    Notify(list, 3);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "A:2", "B:2", "D:2", "C:1", "A:3", "B:3", "D:3"}));
}

// Set while a listener runs; a call that finds it set overlaps another delivery.
std::atomic<bool> g_inDelivery{false};
std::atomic<int> g_overlaps{0};

struct CountingListener : IListener
{
    void OnEvent(int) override
    {
        g_overlaps += g_inDelivery.exchange(true);
        ++calls;
        g_inDelivery = false;
    }
    std::atomic<int> calls{0};
};

// Several threads notify while each registers and removes an observer of its own: deliveries
// never overlap, and every stable observer sees every notification.
TEST(EventHandlerListThreads, ConcurrentNotifyAddAndRemove)
{
    constexpr int kThreads = 4, kRounds = 2000;
    std::vector<CountingListener> stable(3), churning(kThreads);
    List list;
    for (auto& listener : stable)
        list.AddHandler(&listener);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                list.AddHandler(&churning[t]);
                Notify(list, i);
                list.RemoveHandler(&churning[t]);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(g_overlaps, 0);
    EXPECT_EQ(list.Count(), stable.size());
    for (auto& listener : stable)
        EXPECT_EQ(listener.calls, kThreads * kRounds);
}

}  // namespace
