#pragma once

#include "platform/com/Guid.h"

namespace com {

// The root of every component interface: objects are reached only through interface pointers,
// asked for by identifier, and end when their last reference is released. An interface pointer
// is also its IUnknown: interfaces derive from one another in a single line, so the IUnknown
// part of any interface sits at the same address.
class IUnknown
{
public:
    // On success *ppv holds an added reference; on failure it is set to null.
    virtual HRESULT QueryInterface(REFIID riid, void **ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    // Objects end through Release, never by delete from outside.
    ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace com
