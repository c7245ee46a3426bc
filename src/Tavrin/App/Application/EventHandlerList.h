#pragma once

#include <Tavrin/App/Application/EventPublisher.h>

#include <boost/container/small_vector.hpp>

#include <algorithm>
#include <functional>
#include <mutex>
#include <vector>

namespace Tavrin {
namespace Core {

// Runs a call at once on the calling thread. It takes any callable, a std::function<void()>
// included, so the synchronous path does not pay for type erasure.
struct SyncExecutePolicy
{
    template <typename Call>
    static void Execute(Call&& call)
    {
        call();
    }
};

// The observer list that notifying services embed by value.
//
// Observers are called in registration order, each at most once per notification, on the
// notifying thread. Delivery goes to a snapshot taken when Notify starts, so an observer
// may add or remove observers, or notify again, from inside its call: both locks are
// recursive and the list lock is not held while observers run. Deliveries from different
// threads are serialised by the delivery lock. An exception thrown by an observer leaves
// Notify at once; the observers after it miss that one notification.
template <typename Observer, typename ExecutePolicy = SyncExecutePolicy>
class EventHandlerList : public virtual EventPublisher<Observer>
{
public:
    EventHandlerList() = default;
    EventHandlerList(const EventHandlerList&) = delete;
    EventHandlerList& operator=(const EventHandlerList&) = delete;

    void AddHandler(Observer* observer) override
    {
        if (!observer) {
            return;
        }
        std::lock_guard<std::recursive_mutex> lock(m_listLock);
        if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
            m_observers.push_back(observer);
        }
    }

    void RemoveHandler(Observer* observer) override
    {
        if (!observer) {
            return;
        }
        std::lock_guard<std::recursive_mutex> lock(m_listLock);
        const auto found = std::find(m_observers.begin(), m_observers.end(), observer);
        if (found != m_observers.end()) {
            m_observers.erase(found);
        }
    }

    // Calls `callable(observer)` for every observer of the snapshot, in order.
    template <typename Callable>
    void Notify(Callable callable)
    {
        const Snapshot snapshot = TakeSnapshot();
        std::lock_guard<std::recursive_mutex> delivery(m_deliveryLock);
        for (Observer* observer : snapshot) {
            // Two pointers: small enough for std::function's inline buffer, should a policy
            // take one, so no observer costs an allocation.
            ExecutePolicy::Execute([&callable, observer] { callable(observer); });
        }
    }

    std::size_t Count() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_listLock);
        return m_observers.size();
    }

private:
    // Lists of up to 16 observers are copied without touching the heap.
    using Snapshot = boost::container::small_vector<Observer*, 16>;

    Snapshot TakeSnapshot() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_listLock);
        return Snapshot(m_observers.begin(), m_observers.end());
    }

    std::vector<Observer*> m_observers;
    mutable std::recursive_mutex m_listLock;
    std::recursive_mutex m_deliveryLock;
};

}  // namespace Core
}  // namespace Tavrin
