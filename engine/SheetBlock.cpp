#include "engine/SheetBlock.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookData.h"
#include "platform/text/BasicError.h"

#include <algorithm>

SheetBlock::SheetBlock(const excel::WorkbookData *workbook, const excel::SheetData *sheet,
                       int firstRow, int lastRow, int lastColumn,
                       std::shared_ptr<const excel::Workbook> owner)
    : m_workbook(workbook), m_sheet(sheet), m_owner(std::move(owner)), m_firstRow(firstRow),
      m_lastRow(lastRow), m_lastColumn(lastColumn)
{
}

bool SheetBlock::contains(int row, int column) const
{
    return m_sheet && row >= m_firstRow && row <= m_lastRow && column >= 1 &&
           column <= m_lastColumn;
}

void SheetBlock::checkOpen() const
{
    if (m_owner && m_owner->isClosed())
        throw BasicError(462, QStringLiteral("The compared workbook is no longer available."));
}

const excel::Cell *SheetBlock::find(int row, int column) const
{
    checkOpen();
    if (!m_sheet || row < 1 || column < 1) return nullptr;
    return excel::CellStore::find(*m_sheet, row, column);
}

bool SheetBlock::cellIsEmpty(const excel::Cell &cell) const
{
    switch (cell.kind()) {
    case excel::CellKind::Blank:
        return true;
    case excel::CellKind::String:
        return cell.string() >= m_workbook->strings.size() ||
               m_workbook->strings.view(cell.string()).isEmpty();
    default:
        return false; // numbers, booleans and errors always have a text
    }
}

com::Variant SheetBlock::value(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    return cell ? excel::CellStore::value(*m_workbook, *cell) : com::Variant();
}

QString SheetBlock::text(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    if (!cell) return QString();
    if (cell->kind() == excel::CellKind::String)
        return cell->string() < m_workbook->strings.size() ? m_workbook->strings[cell->string()]
                                                           : QString();
    return excel::CellStore::value(*m_workbook, *cell).toText();
}

bool SheetBlock::isEmpty(int row, int column) const
{
    const excel::Cell *cell = find(row, column);
    return !cell || cellIsEmpty(*cell);
}

bool SheetBlock::isRowEmptyInCols(int row, const QList<int> &columns) const
{
    for (int column : columns) {
        if (!isEmpty(row, column)) return false;
    }
    return true;
}

int SheetBlock::nextNonEmptyRow(int firstRow, int lastRow, int lastColumn) const
{
    if (!m_sheet) return firstRow;
    checkOpen();
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
