#pragma once

#include "platform/shell/Menu.h"

#include "platform/com/IUnknown.h"

#include <cstdint>

namespace shell {

using com::HRESULT;
using com::UINT_PTR;

// QueryContextMenu's uFlags.
constexpr UINT CMF_NORMAL = 0x0000;
constexpr UINT CMF_DEFAULTONLY = 0x0001;
constexpr UINT CMF_VERBSONLY = 0x0002;
constexpr UINT CMF_EXPLORE = 0x0004;

// GetCommandString's uType: ANSI (UTF-8 here) forms 0 to 2, UTF-16 forms 4 to 6.
constexpr UINT GCS_VERBA = 0x0;
constexpr UINT GCS_HELPTEXTA = 0x1;
constexpr UINT GCS_VALIDATEA = 0x2;
constexpr UINT GCS_VERBW = 0x4;
constexpr UINT GCS_HELPTEXTW = 0x5;
constexpr UINT GCS_VALIDATEW = 0x6;

constexpr int SW_SHOWNORMAL = 1;

// What the host hands InvokeCommand. lpVerb is either a verb text or, when its value is below
// 0x10000, the command's offset from idCmdFirst (MAKEINTRESOURCE).
struct CMINVOKECOMMANDINFO
{
    quint32 cbSize = sizeof(CMINVOKECOMMANDINFO);
    quint32 fMask = 0;
    quint32 hwnd = 0;
    const char *lpVerb = nullptr;
    const char *lpParameters = nullptr;
    const char *lpDirectory = nullptr;
    int nShow = SW_SHOWNORMAL;
    quint32 dwHotKey = 0;
    void *hIcon = nullptr;
};

inline const char *MAKEINTRESOURCE(UINT offset)
{
    return reinterpret_cast<const char *>(std::uintptr_t(offset & 0xFFFFu));
}
inline bool IS_INTRESOURCE(const char *verb)
{
    return (reinterpret_cast<std::uintptr_t>(verb) >> 16) == 0;
}

// A shell extension that adds commands to a context menu.
class IContextMenu : public com::IUnknown
{
public:
    // Inserts the handler's items at indexMenu with identifiers from idCmdFirst to idCmdLast;
    // answers success with the count of identifiers used (MAKE_HRESULT(0, 0, count)).
    virtual HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT uFlags) = 0;
    virtual HRESULT InvokeCommand(const CMINVOKECOMMANDINFO *info) = 0;
    // Writes a NUL-terminated text of at most cchMax units into pszName: UTF-8 for the A
    // forms, UTF-16 (pszName pointing at char16_t) for the W forms.
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT uType, UINT *reserved, char *pszName,
                                     UINT cchMax) = 0;

protected:
    ~IContextMenu() = default;
};

inline constexpr com::IID IID_IContextMenu = {
    0x000214E4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace shell
