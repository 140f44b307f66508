#pragma once

#include "platform/excel/Workbook.h"

#include <QString>
#include <memory>

// Sheet display switches for a workbook shown in the difference view; its window-style switches
// are the view's (diffview/ModControlExcelWindows.h).
namespace ModControlExcel {

// Shows the named worksheet (found without regard to case), then hides every other visible
// worksheet; very hidden ones stay as they are.
void ShowOnlySheet(const std::shared_ptr<excel::Workbook> &book, const QString &sheetName);

} // namespace ModControlExcel
