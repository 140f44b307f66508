#pragma once

#include "platform/com/Variant.h"
#include "platform/excel/WorkbookData.h"

#include <QString>
#include <functional>

namespace excel {

// Operations on the compact cell store that the object model is built from: finding and
// creating cells, reading a cell as a Variant, the used area, merged areas, row insertion and
// deletion, and deriving styles.
class CellStore
{
public:
    static const Cell *find(const SheetData &sheet, int row, int column);
    static Cell *find(SheetData &sheet, int row, int column);
    // The cell, created blank with the default style when missing.
    static Cell &obtain(SheetData &sheet, int row, int column);
    static void erase(SheetData &sheet, int row, int column);
    // The "=..." text of the formula of `cell` (a cell of `row`), or null for a constant.
    static const QString *formula(const SheetData &sheet, int row, const Cell &cell);
    static QString formulaText(const SheetData &sheet, int row, const Cell &cell)
    {
        const QString *text = formula(sheet, row, cell);
        return text ? *text : QString();
    }

    // The cell's value as the automation model gives it: a number in a date format is a Date,
    // texts come from the pool, a formula gives its cached result.
    static com::Variant value(const WorkbookData &book, const Cell &cell);
    static com::Variant value(const WorkbookData &book, const SheetData &sheet, int row,
                              int column);

    // The bounding box of cells with a value, formula or format, of comments and of merged
    // areas; false when the sheet has none.
    static bool usedArea(const SheetData &sheet, CellRect *area);
    // The merged area holding the cell, or null.
    static const CellRect *mergeAt(const SheetData &sheet, int row, int column);

    // Shifts cells, comments, merged areas, row heights and references in formulas (on this
    // and the other sheets) down by count rows from `row` on. False, changing nothing, when
    // filled cells would pass the sheet's last row.
    static bool insertRows(WorkbookData &book, SheetData &sheet, int row, int count);
    // Removes rows row .. row + count - 1 and shifts what follows up.
    static void deleteRows(WorkbookData &book, SheetData &sheet, int row, int count);

    // The style that is `base` changed by `change`: an existing equal style when there is one,
    // else a new style that remembers which file style it came from.
    static std::uint32_t deriveStyle(WorkbookData &book, std::uint32_t base,
                                     const std::function<void(CellStyle &)> &change);
    static std::uint32_t addString(WorkbookData &book, const QString &text);

    static bool intersects(const CellRect &a, const CellRect &b)
    {
        return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow &&
               a.firstColumn <= b.lastColumn && b.firstColumn <= a.lastColumn;
    }
};

} // namespace excel
