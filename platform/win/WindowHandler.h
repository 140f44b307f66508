#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// The behaviour of a window class written in C++: the class's window procedure hands each
// message to the window's handler first and falls back to the default handling. Subclassing
// replaces the procedure in front of it, so a subclass sees every message first.
class WindowHandler
{
public:
    virtual ~WindowHandler() = default;
    // True when the message was handled; *result is what the window procedure returns.
    virtual bool windowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               LRESULT *result) = 0;
    // The position of a standard scroll bar (SB_HORZ or SB_VERT) of the window, for
    // GetScrollPos; false when the window has no such bar.
    virtual bool scrollPos(int bar, int *pos) const
    {
        (void)bar;
        (void)pos;
        return false;
    }
};

} // namespace win
