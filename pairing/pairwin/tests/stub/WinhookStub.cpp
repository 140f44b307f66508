// A hook library that lacks its mouse procedure, for the tests of a broken installation.
#include "platform/win/Hooks.h"

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

STUB_EXPORT win::LRESULT SpyGetMsgProc(int code, win::WPARAM wParam, win::LPARAM lParam)
{
    return win::CallNextHookEx(0, code, wParam, lParam);
}

STUB_EXPORT win::LRESULT SpyCallWndProc(int code, win::WPARAM wParam, win::LPARAM lParam)
{
    return win::CallNextHookEx(0, code, wParam, lParam);
}
