#pragma once

#include "platform/com/Variant.h"

#include <QList>
#include <QString>
#include <memory>

namespace excel {
class Workbook;
struct SheetData;
struct WorkbookData;
struct Cell;
} // namespace excel

// A read-only window onto one worksheet's compact cell store, addressed by the sheet's own row
// and column numbers, instead of a copy of the range as a 2-D array of Variants: a 65,536 x 256
// block of those per side costs gigabytes, while the store already holds every cell in a few
// bytes. The rectangle records what was asked for; reads are not held
// to it, so a row above it or a column right of it reads as the sheet holds it, exactly as the
// live sheet would answer. Cells that are not stored read as Empty.
//
// The block does not own the store: whoever holds it keeps the workbook open meanwhile (the
// comparison never edits or closes the sheets it compares while a run is going).
class SheetBlock
{
public:
    SheetBlock() = default;
    SheetBlock(const excel::WorkbookData *workbook, const excel::SheetData *sheet, int firstRow,
               int lastRow, int lastColumn, std::shared_ptr<const excel::Workbook> owner = nullptr);

    bool isNull() const { return m_sheet == nullptr; }
    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_lastRow; }
    int lastColumn() const { return m_lastColumn; }
    // Whether (row, column) lies in the block's rectangle.
    bool contains(int row, int column) const;

    // The cell's value as the automation Value would give it (a number in a date format reads
    // as a Date); Empty for a cell that is not stored.
    com::Variant value(int row, int column) const;
    // The value as text, following the Basic runtime's conversion.
    QString text(int row, int column) const;
    // True when the cell's value has no text (Empty, or an empty string).
    bool isEmpty(int row, int column) const;

    // True when every listed column of the row is empty.
    bool isRowEmptyInCols(int row, const QList<int> &columns) const;
    // The first row from firstRow to lastRow with a non-empty cell in columns 1..lastColumn;
    // firstRow itself when there is none.
    int nextNonEmptyRow(int firstRow, int lastRow, int lastColumn) const;

private:
    const excel::Cell *find(int row, int column) const;
    void checkOpen() const;
    bool cellIsEmpty(const excel::Cell &cell) const;

    const excel::WorkbookData *m_workbook = nullptr;
    const excel::SheetData *m_sheet = nullptr;
    std::shared_ptr<const excel::Workbook> m_owner;
    int m_firstRow = 1;
    int m_lastRow = 0;
    int m_lastColumn = 0;
};
