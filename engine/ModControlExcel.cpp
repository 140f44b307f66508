#include "engine/ModControlExcel.h"

#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"

namespace ModControlExcel {

void ShowOnlySheet(const std::shared_ptr<excel::Workbook> &book, const QString &sheetName)
{
    auto sheets = book->Worksheets();
    std::shared_ptr<excel::Worksheet> shown = sheets->Item(sheetName);
    shown->setVisible(-1);
    // Compared by identity, not by name: a name typed in another case still names this sheet,
    // and hiding it would hide the last visible sheet.
    for (int i = 1; i <= sheets->Count(); ++i) {
        std::shared_ptr<excel::Worksheet> ws = sheets->Item(i);
        if (ws != shown && ws->Visible() == -1) // very hidden sheets stay very hidden
            ws->setVisible(0);
    }
}

} // namespace ModControlExcel
