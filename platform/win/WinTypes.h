#pragma once

#include <cstdint>

// Types, numbers and structures of the window layer, with the values and layouts that callers
// written against the window system expect (message numbers, style bits, hook kinds).
namespace win {

// Window handles are 32-bit and never reused; 0 is no window.
using HWND = std::int32_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
// Message parameters and results are pointer-sized: WM_COPYDATA carries an address.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using COLORREF = std::uint32_t; // 0x00BBGGRR
// Hook and drawing-object handles are process-wide table keys.
using HHOOK = std::uintptr_t;
using HGDIOBJ = std::uintptr_t;
using HDC = HGDIOBJ;
using HPEN = HGDIOBJ;
using HBRUSH = HGDIOBJ;
using HBITMAP = HGDIOBJ;
// Module handles are whatever the loader hands out (addresses on this platform).
using HINSTANCE = void *;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HOOKPROC = LRESULT (*)(int code, WPARAM, LPARAM);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct POINT
{
    LONG x = 0;
    LONG y = 0;
};

struct RECT
{
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct MSG
{
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// What a call-window-procedure hook sees of a sent message.
struct CWPSTRUCT
{
    LPARAM lParam = 0;
    WPARAM wParam = 0;
    UINT message = 0;
    HWND hwnd = 0;
};

// What a mouse hook sees; pt is in screen coordinates.
struct MOUSEHOOKSTRUCT
{
    POINT pt;
    HWND hwnd = 0;
    UINT wHitTestCode = 0;
    ULONG_PTR dwExtraInfo = 0;
};

struct COPYDATASTRUCT
{
    ULONG_PTR dwData = 0;
    DWORD cbData = 0;
    void *lpData = nullptr;
};

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_USER = 0x0400;

// Scroll-bar request codes (low word of WM_HSCROLL / WM_VSCROLL) and bars.
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int WHEEL_DELTA = 120;

// Window styles.
constexpr LONG WS_OVERLAPPED = 0x00000000;
constexpr LONG WS_POPUP = LONG(0x80000000u);
constexpr LONG WS_CHILD = 0x40000000;
constexpr LONG WS_MINIMIZE = 0x20000000;
constexpr LONG WS_VISIBLE = 0x10000000;
constexpr LONG WS_DISABLED = 0x08000000;
constexpr LONG WS_CLIPSIBLINGS = 0x04000000;
constexpr LONG WS_CLIPCHILDREN = 0x02000000;
constexpr LONG WS_MAXIMIZE = 0x01000000;
constexpr LONG WS_CAPTION = 0x00C00000; // title bar and border
constexpr LONG WS_BORDER = 0x00800000;
constexpr LONG WS_DLGFRAME = 0x00400000;
constexpr LONG WS_VSCROLL = 0x00200000;
constexpr LONG WS_HSCROLL = 0x00100000;
constexpr LONG WS_SYSMENU = 0x00080000;
constexpr LONG WS_THICKFRAME = 0x00040000; // the sizing frame
constexpr LONG WS_MINIMIZEBOX = 0x00020000;
constexpr LONG WS_MAXIMIZEBOX = 0x00010000;
constexpr LONG WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// Scroll-bar control styles: bit 0 tells a vertical bar from a horizontal one.
constexpr LONG SBS_HORZ = 0x0000;
constexpr LONG SBS_VERT = 0x0001;

// GetWindowLong / SetWindowLong indexes.
constexpr int GWL_WNDPROC = -4;
constexpr int GWLP_WNDPROC = -4;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;

// SetWindowPos.
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// Hooks.
constexpr int WH_GETMESSAGE = 3;
constexpr int WH_CALLWNDPROC = 4;
constexpr int WH_MOUSE = 7;
constexpr int HC_ACTION = 0;
constexpr WPARAM PM_REMOVE = 1;
constexpr UINT HTCLIENT = 1;

// Drawing.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_NULL = 5;
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr DWORD SRCCOPY = 0x00CC0020;

// Word helpers. HIWORD and LOWORD give unsigned 16-bit values, as the window system's do.
constexpr WPARAM MAKEWPARAM(unsigned lo, unsigned hi)
{
    return WPARAM((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16));
}
constexpr LPARAM MAKELPARAM(unsigned lo, unsigned hi)
{
    return LPARAM(std::int32_t((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16)));
}
constexpr unsigned LOWORD(std::uintptr_t value)
{
    return unsigned(value & 0xFFFFu);
}
constexpr unsigned HIWORD(std::uintptr_t value)
{
    return unsigned((value >> 16) & 0xFFFFu);
}
// The signed wheel distance of WM_MOUSEWHEEL (120 a notch; positive away from the user).
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wParam)
{
    return int(std::int16_t(HIWORD(wParam)));
}
constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return COLORREF((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

} // namespace win
