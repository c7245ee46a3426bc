#pragma once

#include <stdexcept>
#include <type_traits>
#include <utility>

namespace Tavrin {

// A pointer-like value (std::shared_ptr and alike) that is known not to be null: the check
// happens once, where the value is made, so the holder never has to repeat it.
template <typename T>
class NotNull
{
public:
    // Implicit on purpose: a plain pointer passed where a NotNull is expected gets checked.
    // Any pointer convertible to T will do (a derived class's shared_ptr included).
    template <typename U,
              typename = std::enable_if_t<!std::is_same<std::decay_t<U>, NotNull>::value &&
                                          std::is_convertible<U&&, T>::value>>
    NotNull(U&& pointer) : m_pointer(std::forward<U>(pointer))
    {
        if (m_pointer == nullptr)
            throw std::logic_error("NotNull can not initialized by null");
    }

    // Already checked.
    template <typename U>
    NotNull(const NotNull<U>& other) : m_pointer(other.get())
    {
    }

    const T& get() const { return m_pointer; }
    operator const T&() const { return m_pointer; }

    decltype(auto) operator->() const { return &*m_pointer; }
    decltype(auto) operator*() const { return *m_pointer; }

private:
    T m_pointer;
};

}  // namespace Tavrin
