#pragma once

#include "core/ClsMap.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <memory>

// One walk over a window's descendants, kept in the process-wide enumeration map (decimal
// handles in the order found), and the search for a scroll bar among them.
class ClsEnumWindow
{
public:
    ClsEnumWindow() = default;
    // Lets go of the process-wide enumeration map.
    ~ClsEnumWindow();
    ClsEnumWindow(const ClsEnumWindow &) = delete;
    ClsEnumWindow &operator=(const ClsEnumWindow &) = delete;

    // Fills the map with every descendant of the window (not only its children).
    void BeginEnum(win::HWND hWndParent);
    // The first window found whose style has bit 0 equal to `style` (1: a vertical bar, 0: a
    // horizontal one); 0 when none. The window class is not looked at.
    win::HWND GetScrollWnd(std::int32_t style) const;

    // The process-wide enumeration map (null until first used) and the enumeration's callback,
    // which adds each window to it.
    static std::shared_ptr<ClsMap> &EnumMap();
    static win::BOOL EnumChildProc(win::HWND hWnd, win::LPARAM lParam);

private:
    std::shared_ptr<ClsMap> m_map;
};
