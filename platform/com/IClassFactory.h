#pragma once

#include "platform/com/IUnknown.h"

namespace com {

// Makes the objects of one class; what a server module hands out for each class it serves.
class IClassFactory : public IUnknown
{
public:
    // A new object asked for by interface; `outer` must be null (no aggregation).
    virtual HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **ppv) = 0;
    // Keeps the module loaded while a caller means to create more objects.
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace com
