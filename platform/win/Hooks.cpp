#include "platform/win/Hooks.h"

#include "platform/win/HookTable.h"
#include "platform/win/WindowTable.h"
#include "platform/win/Windows.h"

namespace win {

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId)
{
    if (idHook != WH_CALLWNDPROC && idHook != WH_GETMESSAGE && idHook != WH_MOUSE) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return 0;
    }
    if (!proc) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return 0;
    }
    WindowTable &table = WindowTable::instance();
    if (threadId == 0 || threadId >= table.newThreadIdPeek()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return 0;
    }
    return HookTable::instance().add(idHook, proc, threadId);
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    if (HookTable::instance().remove(hook)) return TRUE;
    SetLastError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
}

LRESULT CallNextHookEx(HHOOK, int code, WPARAM wParam, LPARAM lParam)
{
    return HookTable::instance().callNext(code, wParam, lParam);
}

} // namespace win
