#include "Tavrin/Core/RefCount.h"

#include "Tavrin/Core/StackTrace.h"

namespace Tavrin {

IRefCountable::~IRefCountable() = default;

void intrusive_ptr_add_ref(IRefCountable* object)
{
    object->AddRef();
}

void intrusive_ptr_release(IRefCountable* object)
{
    object->Release();
}

unsigned long RefCountImpl::AddRefImpl()
{
    // Taking a new reference needs no ordering: the caller already holds one.
    return m_count.fetch_add(1, std::memory_order_relaxed) + 1;
}

unsigned long RefCountImpl::ReleaseImpl()
{
    unsigned long current = m_count.load(std::memory_order_relaxed);
    do {
        if (current == 0) {
            Core::StackTrace::LogCallStack("Release() of an object that has no references");
            return 0;
        }
        // acq_rel: the thread that reaches 0 must see every other owner's writes before it
        // destroys the object.
    } while (!m_count.compare_exchange_weak(current, current - 1, std::memory_order_acq_rel,
                                            std::memory_order_relaxed));
    return current - 1;
}

unsigned long RefCountImpl::GetRefCountImpl() const
{
    return m_count.load(std::memory_order_acquire);
}

}  // namespace Tavrin
