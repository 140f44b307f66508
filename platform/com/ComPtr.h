#pragma once

#include "platform/com/IUnknown.h"

#include <utility>

namespace com {

// Holds one reference to an interface and releases it when it ends.
template <class T> class ComPtr
{
public:
    ComPtr() = default;
    // Takes a reference of its own (AddRef).
    explicit ComPtr(T *p) : m_p(p)
    {
        if (m_p) m_p->AddRef();
    }
    ComPtr(const ComPtr &other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr &&other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ComPtr &operator=(ComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already holds (no AddRef).
    static ComPtr attach(T *p)
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    // Hands the reference to the caller.
    T *detach() { return std::exchange(m_p, nullptr); }
    void reset()
    {
        if (T *p = std::exchange(m_p, nullptr)) p->Release();
    }

    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For out-parameters: releases what is held and gives the slot to fill.
    T **put()
    {
        reset();
        return &m_p;
    }
    void **putVoid() { return reinterpret_cast<void **>(put()); }

    // Asks the object for another interface.
    template <class U> HRESULT as(REFIID iid, ComPtr<U> *out) const
    {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(iid, out->putVoid());
    }

private:
    T *m_p = nullptr;
};

} // namespace com
