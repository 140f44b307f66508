#include "engine/ClsWrappedSheet.h"

#include "core/ModCommon.h"
#include "core/ModStl.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModExcel.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Worksheet.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int GridColumns = 256; // the copy never goes beyond column IV

} // namespace

ClsWrappedSheet::ClsWrappedSheet() = default;
ClsWrappedSheet::~ClsWrappedSheet() = default;

void ClsWrappedSheet::SetAppendOpt(std::shared_ptr<ClsSessionOption> options)
{
    m_options = std::move(options);
}

void ClsWrappedSheet::SetUserConfigObj(TSingleSideConfig &side)
{
    SetUserConfigObj(side.StartRow(), side.GetDataCol());
}

void ClsWrappedSheet::SetUserConfigObj(int startRow, const ClsMap &dataColumns)
{
    m_startRow = startRow < 1 ? 1 : startRow;
    m_dataCols.RemoveAll();
    if (m_options && m_options->CompareAllCol())
        ModStl::FillMapWithNumbers(m_endCol, m_dataCols);
    else
        ModStl::CopyMap(m_dataCols, dataColumns);

    QList<int> columns;
    m_dataCols.ToArray(columns);
    for (int column : columns) {
        if (column > m_endCol) m_dataCols.Remove(column);
    }
}

void ClsWrappedSheet::Init(std::shared_ptr<excel::Worksheet> sheet, int endRow)
{
    m_sheet = std::move(sheet);
    m_endRow = endRow;
    m_inMemory = Sheet2Memory(m_sheet, endRow, m_memData);
}

bool ClsWrappedSheet::Sheet2Memory(const std::shared_ptr<excel::Worksheet> &sheet, int endRow,
                                   SheetBlock &data) const
{
    if (!sheet) return false;
    try {
        const int used = sheet->UsedRange().Columns().Count();
        const int lastColumn = std::min(used + 2, GridColumns);
        data = SheetBlock(&sheet->book(), &sheet->data(), m_startRow, endRow, lastColumn,
                          sheet->workbook());
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

QString ClsWrappedSheet::GetCell(int row, int column) const
{
    if (m_inMemory) return row > m_endRow ? QString() : m_memData.text(row, column);
    return m_sheet->Cells(row, column).Value().toText();
}

bool ClsWrappedSheet::IsEmptyRow(int row, const QList<int> &columns) const
{
    if (m_inMemory) {
        if (row > m_endRow) return true; // past the copy, as GetCell reads it
        return m_memData.isRowEmptyInCols(row, columns);
    }
    return ModExcel::IsSheetRowEmptyInCols(m_sheet, row, columns);
}

int ClsWrappedSheet::GetDataColArray(QList<int> &columns) const
{
    return m_dataCols.ToArray(columns);
}

int ClsWrappedSheet::GetNotEmptyRowFrom(int row) const
{
    if (m_inMemory) return m_memData.nextNonEmptyRow(row, m_endRow, m_endCol);
    return ModExcel::GetNextNonEmptySheetRow(m_sheet, row);
}
