#pragma once

#include "platform/win/WinTypes.h"

// Hooks on one logical thread's windows (see win::GetWindowThreadProcessId):
// WH_CALLWNDPROC sees every sent message (lParam: CWPSTRUCT *) before the window procedure;
// WH_GETMESSAGE sees posted messages and input (lParam: MSG *, which it may change) before
// they are dispatched; WH_MOUSE sees mouse input (wParam: the message, lParam:
// MOUSEHOOKSTRUCT *); a non-zero result swallows it.
namespace win {

// A hook for one existing logical thread (0, the whole desktop, is refused); 0 on failure
// with GetLastError set. The module handle is not used: procedures are plain addresses.
HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
BOOL UnhookWindowsHookEx(HHOOK hook);
// Passes the call to the next hook of the chain being run; 0 at its end. The hook handle is
// not needed (callers may pass 0).
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

} // namespace win
