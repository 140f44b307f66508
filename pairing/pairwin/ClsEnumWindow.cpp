#include "pairing/pairwin/ClsEnumWindow.h"

#include "platform/win/Windows.h"

ClsEnumWindow::~ClsEnumWindow()
{
    m_map.reset();
    EnumMap().reset();
}

void ClsEnumWindow::BeginEnum(win::HWND hWndParent)
{
    std::shared_ptr<ClsMap> &map = EnumMap();
    if (!map) map = std::make_shared<ClsMap>();
    m_map = map;
    m_map->RemoveAll();
    win::EnumChildWindows(hWndParent, EnumChildProc, 0);
}

win::HWND ClsEnumWindow::GetScrollWnd(std::int32_t style) const
{
    if (!m_map) return 0;
    for (const QString &key : m_map->GetObject().keys()) {
        const win::HWND hWnd = win::HWND(key.toInt());
        if ((win::GetWindowLong(hWnd, win::GWL_STYLE) & 1) == style) return hWnd;
    }
    return 0;
}

std::shared_ptr<ClsMap> &ClsEnumWindow::EnumMap()
{
    static std::shared_ptr<ClsMap> map;
    return map;
}

win::BOOL ClsEnumWindow::EnumChildProc(win::HWND hWnd, win::LPARAM)
{
    if (std::shared_ptr<ClsMap> &map = EnumMap()) map->Add(QString::number(hWnd), QString());
    return win::TRUE;
}
