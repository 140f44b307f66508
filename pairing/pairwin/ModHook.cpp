#include "pairing/pairwin/ModHook.h"

#include "pairing/pairwin/ClsEnumWindow.h"
#include "pairing/pairwin/HookReportReceiver.h"
#include "pairing/winhook/Winhook.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <cstring>

using namespace win;

namespace ModHook {

namespace {

HWND g_hWndSubclassed = 0;
WNDPROC g_oldWindowProc = nullptr;
HookReportReceiver *g_receiver = nullptr;

HWND handleOf(WPARAM wParam)
{
    return HWND(std::int32_t(std::uint32_t(wParam)));
}

} // namespace

void SubclassWindow(HWND hWnd, HookReportReceiver *receiver)
{
    if (g_hWndSubclassed) UnsubclassWindow();
    g_hWndSubclassed = hWnd;
    g_receiver = receiver;
    g_oldWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
}

void UnsubclassWindow()
{
    if (!g_hWndSubclassed || !g_oldWindowProc) return;
    // A window that is gone has nothing to put back.
    if (IsWindow(g_hWndSubclassed))
        SetWindowLongPtr(g_hWndSubclassed, GWLP_WNDPROC,
                         reinterpret_cast<LONG_PTR>(g_oldWindowProc));
}

HWND SubclassedWindow()
{
    return g_hWndSubclassed;
}

LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COPYDATA:
        OnCopyData(hWnd, wParam, lParam);
        return 0;
    case WM_RCV_MOUSEWHEEL:
        if (g_receiver) g_receiver->OnRcv_WM_MOUSEWHEEL(handleOf(wParam), WM_MOUSEWHEEL, 0, 0);
        break;
    case WM_RCV_PAINT:
        if (g_receiver) g_receiver->OnRcv_WM_PAINT(handleOf(wParam), WM_PAINT, 0, 0);
        break;
    default:
        break;
    }
    return CallWindowProc(g_oldWindowProc, hWnd, msg, wParam, lParam);
}

void OnCopyData(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    if (!lParam) return;
    COPYDATASTRUCT data;
    std::memcpy(&data, reinterpret_cast<const void *>(lParam), sizeof data);
    if (data.dwData != WM_PAINT && data.dwData != WM_HSCROLL && data.dwData != WM_VSCROLL &&
        data.dwData != WM_MOUSEWHEEL)
        return;
    // A record without its two values would be read past its end.
    if (!data.lpData || data.cbData < sizeof(winhook::SpyParams)) return;
    winhook::SpyParams params;
    std::memcpy(&params, data.lpData, sizeof params);
    const HWND reported = handleOf(wParam);
    switch (data.dwData) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        // At once, while the spreadsheet waits: the follower is moved before this one scrolls.
        if (g_receiver)
            g_receiver->OnRcv_WM_SCROLL(reported, std::int32_t(data.dwData), params.wParam,
                                        params.lParam);
        break;
    case WM_MOUSEWHEEL:
        PostMessage(hWnd, WM_RCV_MOUSEWHEEL, WPARAM(std::uint32_t(reported)), params.lParam);
        break;
    case WM_PAINT:
        PostMessage(hWnd, WM_RCV_PAINT, WPARAM(std::uint32_t(reported)), params.lParam);
        break;
    default:
        break;
    }
}

HWND GetExcel7Wnd(HWND hWndExcel)
{
    if (hWndExcel == 0) return 0; // window 0 would search the top-level windows
    const HWND desk = FindWindowEx(hWndExcel, 0, QStringLiteral("XLDESK"), QString());
    if (!desk) return 0;
    return FindWindowEx(desk, 0, QStringLiteral("EXCEL7"), QString());
}

HWND GetScrollBarWnd(HWND hWnd, std::int32_t style)
{
    if (hWnd == 0) return 0;
    ClsEnumWindow walk;
    walk.BeginEnum(hWnd);
    return walk.GetScrollWnd(style);
}

BOOL EnumChildProc(HWND hWnd, LPARAM lParam)
{
    return ClsEnumWindow::EnumChildProc(hWnd, lParam);
}

std::shared_ptr<ClsMap> &EnumMap()
{
    return ClsEnumWindow::EnumMap();
}

} // namespace ModHook
