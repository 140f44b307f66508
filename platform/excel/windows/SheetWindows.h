#pragma once

namespace excel {

// Gives spreadsheet applications their windows: once installed (a program with Qt Widgets
// calls install after making its QApplication), every application gets a main window on first
// use of Hwnd or Visible. Without it applications have no windows.
class SheetWindows
{
public:
    static void install();
    static void uninstall();
};

} // namespace excel
