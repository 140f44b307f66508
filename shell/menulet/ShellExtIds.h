#pragma once

#include "platform/com/IUnknown.h"

// Menulet's identity: its library, its class ShellExt and the class's default interface.
namespace menulet {

inline constexpr com::GUID LIBID_Menulet = {
    0xD4767464, 0xE495, 0x49CF, {0x99, 0xC7, 0xBB, 0x30, 0x75, 0x0C, 0xE1, 0xA6}};
inline constexpr com::CLSID CLSID_ShellExt = {
    0x0FD4FE16, 0xCE63, 0x431D, {0xA6, 0x81, 0x16, 0x45, 0x35, 0xAD, 0x80, 0x6B}};
inline constexpr com::IID IID__ShellExt = {
    0xEA03201E, 0x4BDF, 0x4A99, {0xB5, 0x09, 0x56, 0x82, 0x80, 0x5A, 0x19, 0x34}};
inline constexpr char ProgId[] = "Menulet.ShellExt";

// The class's default interface: it has no members of its own.
class _ShellExt : public com::IUnknown
{
protected:
    ~_ShellExt() = default;
};

} // namespace menulet
