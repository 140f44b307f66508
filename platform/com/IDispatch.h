#pragma once

#include "platform/com/IUnknown.h"
#include "platform/com/Variant.h"

#include <vector>

namespace com {

using DISPID = std::int32_t;

constexpr quint16 DISPATCH_METHOD = 1;
constexpr quint16 DISPATCH_PROPERTYGET = 2;
constexpr quint16 DISPATCH_PROPERTYPUT = 4;

// Members reached by dispatch identifier: how events of a source dispatch interface reach their
// sinks, and how a dual interface is called without binding to its table of operations.
class IDispatch : public IUnknown
{
public:
    // The identifier of a member named without regard to case; DISP_E_UNKNOWNNAME otherwise.
    virtual HRESULT GetIDsOfNames(const QString &name, DISPID *dispId) = 0;
    // Calls the member with its arguments in their declared order (not reversed). `result`
    // may be null. DISP_E_MEMBERNOTFOUND for an identifier the object does not have.
    virtual HRESULT Invoke(DISPID dispId, quint16 flags, std::vector<Variant> &args,
                           Variant *result) = 0;

protected:
    ~IDispatch() = default;
};

inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace com
