#pragma once

#include "platform/com/IConnectionPoint.h"

namespace com {

// An object that raises events: its connection points, found by their outgoing interface.
class IConnectionPointContainer : public IUnknown
{
public:
    // CONNECT_E_NOCONNECTION when the object has no such outgoing interface.
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint **point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

inline constexpr IID IID_IConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

} // namespace com
