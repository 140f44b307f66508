#pragma once

#include <cstdint>

// Result codes and the integer types of the component interfaces. A negative HRESULT is a
// failure; S_FALSE and counts returned "with success" are not.
namespace com {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using UINT_PTR = std::uintptr_t;

constexpr HRESULT hresultOf(std::uint32_t code)
{
    return static_cast<HRESULT>(code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hresultOf(0x80004001u);
constexpr HRESULT E_NOINTERFACE = hresultOf(0x80004002u);
constexpr HRESULT E_POINTER = hresultOf(0x80004003u);
constexpr HRESULT E_FAIL = hresultOf(0x80004005u);
constexpr HRESULT E_UNEXPECTED = hresultOf(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = hresultOf(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = hresultOf(0x80070057u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresultOf(0x80020003u);
constexpr HRESULT DISP_E_TYPEMISMATCH = hresultOf(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = hresultOf(0x80020006u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hresultOf(0x8002000Eu);
constexpr HRESULT DV_E_FORMATETC = hresultOf(0x80040064u);
constexpr HRESULT DV_E_TYMED = hresultOf(0x80040069u);
constexpr HRESULT CLASS_E_NOAGGREGATION = hresultOf(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hresultOf(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = hresultOf(0x80040154u);
constexpr HRESULT CONNECT_E_NOCONNECTION = hresultOf(0x80040200u);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = hresultOf(0x80040202u);
constexpr HRESULT SELFREG_E_CLASS = hresultOf(0x80040201u);
constexpr HRESULT CO_E_CLASSSTRING = hresultOf(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = hresultOf(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = hresultOf(0x800401F9u);

constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
// A success code that carries a number in its low word (a count of menu commands, say).
constexpr HRESULT MAKE_HRESULT(unsigned severity, unsigned facility, unsigned code)
{
    return hresultOf((std::uint32_t(severity) << 31) | (std::uint32_t(facility) << 16) |
                     std::uint32_t(code));
}
constexpr unsigned HRESULT_CODE(HRESULT hr)
{
    return std::uint32_t(hr) & 0xFFFFu;
}

} // namespace com
