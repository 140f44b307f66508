#include "diffview/ViewSideWindowHost.h"

#include "diffview/ModControlExcelWindows.h"
#include "platform/win/Windows.h"

win::HWND ViewSideWindowHost::embed(win::HWND window, win::HWND host)
{
    ModControlExcel::SetWindowCaption(window, false);
    return win::SetParent(window, host);
}

void ViewSideWindowHost::fit(win::HWND window, win::HWND host)
{
    win::RECT rect;
    if (!win::GetWindowRect(host, &rect)) return;
    win::POINT topLeft{rect.left, rect.top};
    win::POINT bottomRight{rect.right, rect.bottom};
    win::ScreenToClient(host, &topLeft);
    win::ScreenToClient(host, &bottomRight);
    win::SetWindowPos(window, 0, 0, 0, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y,
                      win::SWP_FRAMECHANGED | win::SWP_NOACTIVATE | win::SWP_NOZORDER);
}

void ViewSideWindowHost::giveBack(win::HWND window, win::HWND parent)
{
    win::SetParent(window, parent);
}

void ViewSideWindowHost::install()
{
    static ViewSideWindowHost host;
    SideWindowHost::install(&host);
}
