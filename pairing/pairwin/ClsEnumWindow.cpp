#include "pairing/pairwin/ClsEnumWindow.h"

#include "pairing/pairwin/ModHook.h"
#include "platform/win/Windows.h"

ClsEnumWindow::~ClsEnumWindow()
{
    m_map.reset();
    ModHook::EnumMap().reset();
}

void ClsEnumWindow::BeginEnum(win::HWND hWndParent)
{
    std::shared_ptr<ClsMap> &map = ModHook::EnumMap();
    if (!map) map = std::make_shared<ClsMap>();
    m_map = map;
    m_map->RemoveAll();
    win::EnumChildWindows(hWndParent, ModHook::EnumChildProc, 0);
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
