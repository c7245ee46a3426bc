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

// Records every call into a shared journal and runs an optional action inside the call.
struct Listener : IListener
{
    Listener(std::string name, std::vector<std::string>& journal)
        : name(std::move(name)), journal(journal)
    {
    }
    void OnEvent(int value) override
    {
        journal.push_back(name + ":" + std::to_string(value));
        if (action) {
            action(value);
        }
    }
    std::string name;
    std::vector<std::string>& journal;
    std::function<void(int)> action;
};

void Notify(List& list, int value)
{
    list.Notify(std::bind(&IListener::OnEvent, std::placeholders::_1, value));
}

using Journal = std::vector<std::string>;

TEST(EventHandlerList, CallsInRegistrationOrderOncePerObserver)
{
    Journal journal;
    Listener a("A", journal), b("B", journal), c("C", journal);
    List list;
    list.AddHandler(&a);
    list.AddHandler(&b);
    list.AddHandler(&a);  // a second registration is ignored
    list.AddHandler(nullptr);
    list.AddHandler(&c);
    list.RemoveHandler(nullptr);
    Listener never("N", journal);
    list.RemoveHandler(&never);

    Notify(list, 1);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "C:1"}));
    EXPECT_EQ(list.Count(), 3u);

    list.RemoveHandler(&b);
    Notify(list, 2);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "C:1", "A:2", "C:2"}));
}

TEST(EventHandlerList, ChangesDuringDeliveryTakeEffectOnTheNextOne)
{
    Journal journal;
    Listener a("A", journal), b("B", journal), c("C", journal), d("D", journal);
    List list;
    list.AddHandler(&a);
    list.AddHandler(&b);
    list.AddHandler(&c);
    a.action = [&](int value) {
        if (value == 1) {
            list.AddHandler(&d);
        }
    };
    b.action = [&](int value) {
        if (value == 1) {
            list.RemoveHandler(&c);
        }
    };

    Notify(list, 1);
    Notify(list, 2);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "C:1", "A:2", "B:2", "D:2"}));
}

TEST(EventHandlerList, NestedNotificationIsDeliveredBeforeTheOuterOneGoesOn)
{
    Journal journal;
    Listener a("A", journal), b("B", journal), c("C", journal);
    List list;
    list.AddHandler(&a);
    list.AddHandler(&b);
    list.AddHandler(&c);
    b.action = [&](int value) {
        if (value == 1) {
            Notify(list, 2);
        }
    };

    Notify(list, 1);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "A:2", "B:2", "C:2", "C:1"}));
}

TEST(EventHandlerList, ThrowingObserverStopsOnlyThatDelivery)
{
    Journal journal;
    Listener a("A", journal), b("B", journal), c("C", journal);
    List list;
    list.AddHandler(&a);
    list.AddHandler(&b);
    list.AddHandler(&c);
    b.action = [](int value) {
        if (value == 1) {
            throw std::runtime_error("observer failed");
        }
    };

    EXPECT_THROW(Notify(list, 1), std::runtime_error);
    EXPECT_EQ(journal, (Journal{"A:1", "B:1"}));

    // The delivery lock was released: another thread can deliver at once.
    std::thread other([&] { Notify(list, 2); });
    other.join();
    EXPECT_EQ(journal, (Journal{"A:1", "B:1", "A:2", "B:2", "C:2"}));
}

// Several threads notify while others register and remove observers. Deliveries must never
// overlap, and every stable observer sees every notification.
struct CountingListener : IListener
{
    void OnEvent(int) override
    {
        if (inDelivery->exchange(true)) {
            overlaps->fetch_add(1);
        }
        calls.fetch_add(1);
        inDelivery->store(false);
    }
    std::atomic<bool>* inDelivery = nullptr;
    std::atomic<int>* overlaps = nullptr;
    std::atomic<int> calls{0};
};

TEST(EventHandlerList, ConcurrentNotifyAddAndRemove)
{
    constexpr int kNotifiers = 4;
    constexpr int kRounds = 2000;
    std::atomic<bool> inDelivery{false};
    std::atomic<int> overlaps{0};
    std::vector<CountingListener> stable(3), churning(8);
    for (auto* group : {&stable, &churning}) {
        for (auto& listener : *group) {
            listener.inDelivery = &inDelivery;
            listener.overlaps = &overlaps;
        }
    }
    List list;
    for (auto& listener : stable) {
        list.AddHandler(&listener);
    }

    std::atomic<bool> stop{false};
    std::thread churner([&] {
        while (!stop.load()) {
            for (auto& listener : churning) {
                list.AddHandler(&listener);
            }
            for (auto& listener : churning) {
                list.RemoveHandler(&listener);
            }
        }
    });
    std::vector<std::thread> notifiers;
    for (int t = 0; t < kNotifiers; ++t) {
        notifiers.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                Notify(list, i);
            }
        });
    }
    for (auto& thread : notifiers) {
        thread.join();
    }
    stop.store(true);
    churner.join();

    EXPECT_EQ(overlaps.load(), 0);
    for (auto& listener : stable) {
        EXPECT_EQ(listener.calls.load(), kNotifiers * kRounds);
    }
    EXPECT_EQ(list.Count(), stable.size());
}

}  // namespace
