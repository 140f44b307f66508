#pragma once

#include "platform/com/IUnknown.h"

namespace com {

class IConnectionPointContainer;

// One outgoing interface of an object: sinks connect with Advise and get a cookie, which
// Unadvise takes back. Cookies are never reused.
class IConnectionPoint : public IUnknown
{
public:
    virtual HRESULT GetConnectionInterface(IID *iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer **container) = 0;
    // The sink is asked for the outgoing interface; CONNECT_E_CANNOTCONNECT when it has none.
    virtual HRESULT Advise(IUnknown *sink, DWORD *cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie that is not connected.
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

inline constexpr IID IID_IConnectionPoint = {
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

} // namespace com
