#pragma once

namespace Tavrin {
namespace Core {

// What a notifying service offers its observers: registration and removal. Observers are
// raw, unowned pointers; an observer that dies before the service must remove itself.
template <typename Observer>
class EventPublisher
{
public:
    virtual void AddHandler(Observer* observer) = 0;
    virtual void RemoveHandler(Observer* observer) = 0;
    virtual ~EventPublisher() = default;
};

}  // namespace Core
}  // namespace Tavrin
