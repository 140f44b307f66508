#pragma once

// The interfaces of the test server module: a counter that raises an event each time it
// changes, through an early-bound outgoing interface and through a source dispatch interface.
#include "platform/com/IDispatch.h"
#include "platform/com/IUnknown.h"

namespace countertest {

using namespace com;

inline constexpr CLSID CLSID_Counter = {
    0x5D0C64A1, 0x2B7E, 0x4C39, {0x9A, 0x41, 0x6E, 0x0F, 0x21, 0x83, 0xC7, 0x10}};
inline constexpr IID IID_ICounter = {
    0x5D0C64A2, 0x2B7E, 0x4C39, {0x9A, 0x41, 0x6E, 0x0F, 0x21, 0x83, 0xC7, 0x10}};
inline constexpr IID IID_ICounterEvents = {
    0x5D0C64A3, 0x2B7E, 0x4C39, {0x9A, 0x41, 0x6E, 0x0F, 0x21, 0x83, 0xC7, 0x10}};
inline constexpr IID DIID_DCounterEvents = {
    0x5D0C64A4, 0x2B7E, 0x4C39, {0x9A, 0x41, 0x6E, 0x0F, 0x21, 0x83, 0xC7, 0x10}};
inline constexpr char ProgId[] = "QuorvaTest.Counter";
// Dispatch identifier of the Changed event (one argument: the new value).
constexpr DISPID DISPID_Changed = 1;

class ICounter : public IUnknown
{
public:
    virtual HRESULT Add(int by) = 0;
    virtual HRESULT Value(int *value) = 0;

protected:
    ~ICounter() = default;
};

class ICounterEvents : public IUnknown
{
public:
    virtual HRESULT OnChanged(int value) = 0;

protected:
    ~ICounterEvents() = default;
};

} // namespace countertest
