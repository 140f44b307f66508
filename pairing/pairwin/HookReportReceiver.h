#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>

// Where the receiver window's procedure (ModHook::WindowProc) sends the decoded reports of the
// hook library: the receiver form, which names itself when it subclasses its window.
class HookReportReceiver
{
public:
    virtual void OnRcv_WM_SCROLL(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                 std::int32_t lParam) = 0;
    virtual void OnRcv_WM_MOUSEWHEEL(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                     std::int32_t lParam) = 0;
    virtual void OnRcv_WM_PAINT(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                std::int32_t lParam) = 0;

protected:
    ~HookReportReceiver() = default;
};
