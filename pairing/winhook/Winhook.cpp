// The hook procedures that watch a spreadsheet's windows and report their scrolling, painting
// and wheel turns to the pairing library's receiver window.
#include "pairing/winhook/Winhook.h"

#include "platform/win/Hooks.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QString>

using namespace win;

namespace {

HWND g_spyWindow = 0;

// One report, reused: it is filled and sent synchronously, so the receiver has read it before
// the next report can fill it again.
winhook::SpyParams g_spyParams;
COPYDATASTRUCT g_SpyCopyData{0, sizeof(winhook::SpyParams), &g_spyParams};

void FindSpyWindow()
{
    g_spyWindow = FindWindow(QString(), QString::fromLatin1(winhook::SpyWindowTitle));
}

bool IsSpiedMessage(UINT message)
{
    return message == WM_PAINT || message == WM_HSCROLL || message == WM_VSCROLL;
}

int ForwardToSpyWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!g_spyWindow || !IsWindow(g_spyWindow)) FindSpyWindow();
    if (!g_spyWindow || hwnd == g_spyWindow) return 0;
    g_spyParams.wParam = std::int32_t(wParam);
    g_spyParams.lParam = std::int32_t(lParam);
    g_SpyCopyData.dwData = message;
    g_SpyCopyData.cbData = sizeof(winhook::SpyParams);
    g_SpyCopyData.lpData = &g_spyParams;
    SendMessage(g_spyWindow, WM_COPYDATA, WPARAM(std::uint32_t(hwnd)),
                reinterpret_cast<LPARAM>(&g_SpyCopyData));
    return 1;
}

// What attaching the library to the process does: look for the receiver once.
struct Attach
{
    Attach() { FindSpyWindow(); }
} g_attach;

} // namespace

LRESULT SpyGetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG *msg = reinterpret_cast<const MSG *>(lParam);
    if (code >= 0 && msg && msg->hwnd && IsSpiedMessage(msg->message))
        ForwardToSpyWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    return CallNextHookEx(0, code, wParam, lParam);
}

LRESULT SpyCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *cwp = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code >= 0 && cwp && cwp->hwnd && IsSpiedMessage(cwp->message))
        ForwardToSpyWindow(cwp->hwnd, cwp->message, cwp->wParam, cwp->lParam);
    return CallNextHookEx(0, code, wParam, lParam);
}

LRESULT QxSpyMouse(int code, WPARAM wParam, LPARAM lParam)
{
    const MOUSEHOOKSTRUCT *mouse = reinterpret_cast<const MOUSEHOOKSTRUCT *>(lParam);
    if (code >= 0 && mouse && mouse->hwnd && wParam == WM_MOUSEWHEEL) {
        // The rest of the chain first: the report follows what the others made of the turn.
        const LRESULT result = CallNextHookEx(0, code, wParam, lParam);
        ForwardToSpyWindow(mouse->hwnd, WM_MOUSEWHEEL, WPARAM(std::uint32_t(mouse->pt.x)),
                           LPARAM(mouse->pt.y));
        return result;
    }
    return CallNextHookEx(0, code, wParam, lParam);
}
