#pragma once

#include "platform/excel/CellStyle.h"
#include "platform/excel/SheetData.h"

#include <QString>
#include <memory>
#include <vector>

namespace excel {

// A workbook as its file readers deliver it: sheets in order, one string pool and one style
// table shared by every sheet. Style 0 is the default format.
struct WorkbookData
{
    enum class Format { New, Xlsx, Xlsm, Xls };

    Format format = Format::New;
    QString path;
    std::vector<QString> strings;
    std::vector<CellStyle> styles{CellStyle{}};
    std::vector<std::unique_ptr<SheetData>> sheets;
    // Set when sheets were added, removed, renamed, moved or shown/hidden.
    bool structureModified = false;
};

} // namespace excel
