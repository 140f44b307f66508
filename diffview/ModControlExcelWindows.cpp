#include "diffview/ModControlExcelWindows.h"

#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

namespace ModControlExcel {

namespace {

void setStyleBits(win::HWND hwnd, win::LONG bits, bool on)
{
    const win::LONG style = win::GetWindowLong(hwnd, win::GWL_STYLE);
    win::SetWindowLong(hwnd, win::GWL_STYLE, on ? style | bits : style & ~bits);
}

} // namespace

void SetWindowCaption(win::HWND hwnd, bool on)
{
    setStyleBits(hwnd, win::WS_CAPTION, on);
}

void SetWindowSizable(win::HWND hwnd, bool on)
{
    setStyleBits(hwnd, win::WS_THICKFRAME, on);
}

} // namespace ModControlExcel

namespace ModExcel {

QString GetWindowClassName(win::HWND hwnd)
{
    char name[128];
    const int length = win::GetClassName(hwnd, name, int(sizeof name));
    return QString::fromUtf8(name, length);
}

void CloseCommandBars(win::HWND hwnd)
{
    win::EnumChildWindows(hwnd, &EnumCommandBarProc, 0);
}

win::BOOL EnumCommandBarProc(win::HWND hwnd, win::LPARAM)
{
    if (GetWindowClassName(hwnd) == QLatin1String("MsoCommandBar"))
        win::SendMessage(hwnd, win::WM_CLOSE, 0, 0);
    return win::TRUE;
}
} // namespace ModExcel
