#pragma once

// The hook library's contract with the library that loads it and with the window that receives
// its reports. The loader takes the three procedures by name (dlsym) and installs them as hooks
// of a spreadsheet window's thread; each procedure reports the messages worth knowing about by
// sending WM_COPYDATA to the top-level window titled SpyWindowTitle.
//
// A report: WM_COPYDATA's wParam is the window that got the message, its lParam points to a
// COPYDATASTRUCT whose dwData is the message number (WM_PAINT, WM_HSCROLL, WM_VSCROLL,
// WM_MOUSEWHEEL), cbData is 8 and lpData points to a SpyParams: the message's wParam and lParam
// as 32-bit values (for the wheel, the cursor's x and y on the screen).
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace winhook {

inline constexpr char SpyWindowTitle[] = "Qx_SpyHookWindow";

struct SpyParams
{
    std::int32_t wParam = 0;
    std::int32_t lParam = 0;
};
static_assert(sizeof(SpyParams) == 8);

inline constexpr char SpyGetMsgProcName[] = "SpyGetMsgProc";
inline constexpr char SpyCallWndProcName[] = "SpyCallWndProc";
inline constexpr char QxSpyMouseName[] = "QxSpyMouse";

} // namespace winhook

#define WINHOOK_EXPORT extern "C" __attribute__((visibility("default")))

// A get-message hook (lParam: MSG *): reports, then passes the call on.
WINHOOK_EXPORT win::LRESULT SpyGetMsgProc(int code, win::WPARAM wParam, win::LPARAM lParam);
// A call-window-procedure hook (lParam: CWPSTRUCT *): reports, then passes the call on.
WINHOOK_EXPORT win::LRESULT SpyCallWndProc(int code, win::WPARAM wParam, win::LPARAM lParam);
// A mouse hook (wParam: the mouse message, lParam: MOUSEHOOKSTRUCT *): passes the call on,
// then reports a wheel turn.
WINHOOK_EXPORT win::LRESULT QxSpyMouse(int code, win::WPARAM wParam, win::LPARAM lParam);
