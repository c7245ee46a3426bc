#pragma once

#include <Tavrin/App/TavrinAppExport.h>

#include <atomic>

namespace Tavrin {

// An object shared through reference counting (boost::intrusive_ptr finds the two free
// functions below). Whoever brings the count to 0 lets the object delete itself, so the
// destructor is not for callers.
class TAVRIN_APP_EXPORT IRefCountable
{
public:
    // Each returns the count after the call.
    virtual unsigned long AddRef() = 0;
    virtual unsigned long Release() = 0;
    virtual unsigned long GetRefCount() const = 0;

protected:
    virtual ~IRefCountable();
};

TAVRIN_APP_EXPORT void intrusive_ptr_add_ref(IRefCountable* object);
TAVRIN_APP_EXPORT void intrusive_ptr_release(IRefCountable* object);

// A thread-safe counter starting at 0. Releasing at 0 is a caller's bug: it is logged with
// the call stack and the count stays 0. A copy is a new object, so it starts at 0 again.
class TAVRIN_APP_EXPORT RefCountImpl
{
public:
    RefCountImpl() = default;
    RefCountImpl(const RefCountImpl&) {}
    RefCountImpl& operator=(const RefCountImpl&) { return *this; }

    unsigned long AddRefImpl();
    unsigned long ReleaseImpl();
    unsigned long GetRefCountImpl() const;

private:
    std::atomic<unsigned long> m_count{0};
};

// Implements IRefCountable (or an interface derived from it) for a class created with new:
//   class Document final : public RefCounted<IDocument> { ... };
// The object deletes itself when the last reference is released.
template <class Interface>
class RefCounted : public Interface
{
public:
    using Interface::Interface;

    unsigned long AddRef() override { return m_refCount.AddRefImpl(); }

    unsigned long Release() override
    {
        // Without any reference there is nothing to give up; deleting here would free an
        // object that may still be in use (ReleaseImpl reports the misuse).
        if (m_refCount.GetRefCountImpl() == 0) {
            return m_refCount.ReleaseImpl();
        }
        const unsigned long remaining = m_refCount.ReleaseImpl();
        if (remaining == 0) {
            delete this;
        }
        return remaining;
    }

    unsigned long GetRefCount() const override { return m_refCount.GetRefCountImpl(); }

protected:
    RefCounted() = default;
    ~RefCounted() override = default;

private:
    RefCountImpl m_refCount;
};

}  // namespace Tavrin
