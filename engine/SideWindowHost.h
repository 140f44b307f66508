#pragma once

#include "platform/win/WinTypes.h"

// Puts a side's spreadsheet window into a frame of the difference view and gives it back. The
// engine holds no window code: the difference view installs the host that does this, and
// without one (a program with no view) a side shows its workbook on its own.
class SideWindowHost
{
public:
    virtual ~SideWindowHost() = default;

    // Takes the caption off the window and makes it a child of the host; the parent it had.
    virtual win::HWND embed(win::HWND window, win::HWND host) = 0;
    // Sizes the window to the host's client area.
    virtual void fit(win::HWND window, win::HWND host) = 0;
    // Makes the window a child of its earlier parent again.
    virtual void giveBack(win::HWND window, win::HWND parent) = 0;

    static SideWindowHost *current();
    // The host for the whole process; nullptr removes it.
    static void install(SideWindowHost *host);
};
