#pragma once

#include "platform/win/WinTypes.h"

#include <QString>

// The window switches of a workbook shown in the difference view: its main window's style bits
// and the command bars it carries.
namespace ModControlExcel {

// Sets (on) or clears the caption bits of the window's style.
void SetWindowCaption(win::HWND hwnd, bool on);
// Sets (on) or clears the sizing-frame bit of the window's style.
void SetWindowSizable(win::HWND hwnd, bool on);

} // namespace ModControlExcel

namespace ModExcel {

// The window's class name (at most 127 characters), "" for a window that is not there.
QString GetWindowClassName(win::HWND hwnd);
// Sends WM_CLOSE to every "MsoCommandBar" window below the spreadsheet's main window.
void CloseCommandBars(win::HWND hwnd);
// The enumeration procedure of CloseCommandBars: closes a command bar; always goes on.
win::BOOL EnumCommandBarProc(win::HWND hwnd, win::LPARAM lParam);

} // namespace ModExcel
