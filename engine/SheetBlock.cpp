#include "engine/SheetBlock.h"

#include "platform/excel/WorkbookData.h"

#include <algorithm>

SheetBlock::SheetBlock(const excel::WorkbookData *workbook, const excel::SheetData *sheet,
                       int firstRow, int lastRow, int lastColumn)
    : m_workbook(workbook), m_sheet(sheet), m_firstRow(firstRow), m_lastRow(lastRow),
      m_lastColumn(lastColumn)
{
}

bool SheetBlock::contains(int row, int column) const
{
    return m_sheet && row >= m_firstRow && row <= m_lastRow && column >= 1 &&
           column <= m_lastColumn;
}

const excel::Cell *SheetBlock::find(int row, int column) const
{
    if (!m_sheet || row < 1 || column < 1 || std::size_t(row) > m_sheet->rows.size())
        return nullptr;
    const std::vector<excel::Cell> &cells = m_sheet->rows[std::size_t(row) - 1];
    // Rows are short and sorted by column: a binary search beats anything fancier.
    auto it = std::lower_bound(cells.begin(), cells.end(), column,
                               [](const excel::Cell &c, int col) { return c.column < col; });
    if (it == cells.end() || it->column != column) return nullptr;
    return &*it;
}

com::Variant SheetBlock::cellValue(const excel::Cell &cell) const
{
    switch (cell.kind) {
    case excel::CellKind::Blank:
        return {};
    case excel::CellKind::Number:
        if (cell.style < m_workbook->styles.size() && m_workbook->styles[cell.style].isDate)
            return com::Variant::fromDate(cell.value.number);
        return com::Variant(cell.value.number);
    case excel::CellKind::String:
        if (cell.value.string < m_workbook->strings.size())
            return com::Variant(m_workbook->strings[cell.value.string]);
        return com::Variant(QString());
    case excel::CellKind::Boolean:
        return com::Variant(cell.value.boolean);
    case excel::CellKind::Error:
        return com::Variant::fromError(cell.value.error);
    }
    return {};
}

bool SheetBlock::cellIsEmpty(const excel::Cell &cell) const
{
    switch (cell.kind) {
    case excel::CellKind::Blank:
        return true;
    case excel::CellKind::String:
        return cell.value.string >= m_workbook->strings.size() ||
               m_workbook->strings[cell.value.string].isEmpty();
    default:
        return false; // numbers, booleans and errors always have a text
    }
}

com::Variant SheetBlock::value(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    return cell ? cellValue(*cell) : com::Variant();
}

QString SheetBlock::text(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    if (!cell) return QString();
    if (cell->kind == excel::CellKind::String)
        return cell->value.string < m_workbook->strings.size()
                   ? m_workbook->strings[cell->value.string]
                   : QString();
    return cellValue(*cell).toText();
}

bool SheetBlock::isEmpty(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    return !cell || cellIsEmpty(*cell);
}

bool SheetBlock::isRowEmptyInCols(int row, const std::vector<int> &columns) const
{
    for (int column : columns) {
        if (!isEmpty(row, column)) return false;
    }
    return true;
}

int SheetBlock::nextNonEmptyRow(int firstRow, int lastRow, int lastColumn) const
{
    if (!m_sheet) return firstRow;
    const int stored = int(m_sheet->rows.size());
    for (int row = std::max(firstRow, 1); row <= lastRow && row <= stored; ++row) {
        // Walk the stored cells of the row rather than probing every column.
        for (const excel::Cell &cell : m_sheet->rows[std::size_t(row) - 1]) {
            if (cell.column > lastColumn) break;
            if (!cellIsEmpty(cell)) return row;
        }
    }
    return firstRow;
}
