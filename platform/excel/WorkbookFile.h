#pragma once

#include "platform/excel/WorkbookData.h"

#include <QString>

namespace excel {

// Reads a workbook file of any format the component knows, telling formats apart by content
// (a zip package is .xlsx/.xlsm, a compound file is legacy .xls) rather than by extension.
class WorkbookFile
{
public:
    // What a file holds, told by its first bytes.
    enum class Content { Missing, Folder, Special, Unreadable, Package, Compound, Other };
    static Content contentOf(const QString &path);

    static bool read(const QString &path, WorkbookData *out, QString *error);
};

} // namespace excel
