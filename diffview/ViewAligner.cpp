#include "diffview/ViewAligner.h"

#include "engine/ClsComparePair.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

ViewAligner::ViewAligner() = default;
ViewAligner::~ViewAligner() = default;

int ViewAligner::align(const std::shared_ptr<ClsComparePair> & /*pair*/, QList<int> &rows)
{
    // The row aligner is not part of this build yet: nothing is lined up or listed.
    rows.clear();
    return -1;
}

void ViewAligner::deleteAddedRows(bool /*left*/) {}

void ViewAligner::sheetChanged(bool /*left*/, const excel::Range & /*target*/) {}

void ViewAligner::markCellRed(bool /*left*/, const SheetRef &sheet, int row, int column)
{
    if (sheet) sheet->Cells(row, column).Font().setColorIndex(3);
}
