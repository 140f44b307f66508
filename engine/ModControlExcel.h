#pragma once

#include "platform/excel/Workbook.h"
#include "platform/win/WinTypes.h"

#include <QString>
#include <memory>

// Window-style and sheet display switches for a workbook shown in the difference view.
namespace ModControlExcel {

// Sets (on) or clears the caption bits of the window's style.
void SetWindowCaption(win::HWND hwnd, bool on);
// Sets (on) or clears the sizing-frame bit of the window's style.
void SetWindowSizable(win::HWND hwnd, bool on);

// Shows the named worksheet (found without regard to case), then hides every other visible
// worksheet; very hidden ones stay as they are.
void ShowOnlySheet(const std::shared_ptr<excel::Workbook> &book, const QString &sheetName);

} // namespace ModControlExcel
