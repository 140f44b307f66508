#pragma once

#include "platform/com/IUnknown.h"

#include <atomic>

namespace com {

// What every component object does the same way: it counts its references, ends itself at the
// last Release, and answers QueryInterface with an added reference from the one place that knows
// its interfaces, `interfaceFor`. An object of several interfaces lists them all; AddRef, Release
// and QueryInterface here serve each of them.
template <class... Interfaces> class ComObject : public Interfaces...
{
public:
    HRESULT QueryInterface(REFIID riid, void **ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = interfaceFor(riid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        const ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }

protected:
    // A server's objects start at 0 (the class factory's QueryInterface adds the caller's
    // reference); an object handed out by `new` starts at 1.
    explicit ComObject(ULONG initialReferences) : m_refs(initialReferences) {}
    virtual ~ComObject() = default;

    // The pointer that answers `riid` (IUnknown included), or null.
    virtual void *interfaceFor(REFIID riid) = 0;

private:
    std::atomic<ULONG> m_refs;
};

} // namespace com
