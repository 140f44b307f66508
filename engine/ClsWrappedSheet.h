#pragma once

#include "core/ClsMap.h"
#include "engine/SheetBlock.h"

#include <QList>
#include <QString>
#include <memory>

class ClsSessionOption;
class TSingleSideConfig;

namespace excel {
class Worksheet;
}

// One side's worksheet during a comparison. Cell texts, empty-row tests and searches for the
// next non-empty row are answered from an in-memory view of the sheet's cells when it could be
// taken, else from the live sheet. Also holds the side's data columns, cut to the sheet's used
// columns.
class ClsWrappedSheet
{
public:
    ClsWrappedSheet();
    ~ClsWrappedSheet();

    // The in-memory copy: a view onto the sheet's cell store, addressed by the sheet's own row
    // and column numbers, covering the side's start row to the end row.
    SheetBlock m_memData;

    // Keeps the worksheet and the end row and takes the in-memory copy.
    void Init(std::shared_ptr<excel::Worksheet> sheet, int endRow);
    // Keeps the side and builds the data columns: 1..EndCol when all columns are compared,
    // else the side's own list; columns beyond EndCol are dropped. Set EndCol and the options
    // first.
    void SetUserConfigObj(TSingleSideConfig &side);
    // The same from what the side gives: its start row and its data columns (GetDataCol).
    void SetUserConfigObj(int startRow, const ClsMap &dataColumns);
    int EndCol() const { return m_endCol; }
    void setEndCol(int column) { m_endCol = column; }
    void SetAppendOpt(std::shared_ptr<ClsSessionOption> options);

    // The cell's text; "" for a row after the end row when read from memory.
    QString GetCell(int row, int column) const;
    // True when the listed columns of the row are all empty.
    bool IsEmptyRow(int row, const QList<int> &columns) const;
    // The data columns in order into `columns`; returns the upper bound (-1 for none).
    int GetDataColArray(QList<int> &columns) const;
    // The first row at or after `row` with any non-empty cell; `row` itself when none.
    int GetNotEmptyRowFrom(int row) const;
    // Takes the view of the sheet's used columns (plus two, at most 256) from the side's start
    // row to endRow into `data`; false when the sheet's store cannot be reached.
    bool Sheet2Memory(const std::shared_ptr<excel::Worksheet> &sheet, int endRow,
                      SheetBlock &data) const;

    bool inMemory() const { return m_inMemory; }
    // The in-memory copy when it was taken, else null (what the report sheets are given).
    const SheetBlock *memoryCopy() const { return m_inMemory ? &m_memData : nullptr; }
    // Reads through the live sheet from now on, as after a failed load.
    void useLiveSheet() { m_inMemory = false; }
    int endRow() const { return m_endRow; }
    int startRow() const { return m_startRow; }
    std::shared_ptr<excel::Worksheet> worksheet() const { return m_sheet; }
    ClsMap &dataColumns() { return m_dataCols; }

private:
    std::shared_ptr<ClsSessionOption> m_options;
    std::shared_ptr<excel::Worksheet> m_sheet;
    bool m_inMemory = true;
    int m_startRow = 1;
    int m_endRow = 0;
    int m_endCol = 0;
    ClsMap m_dataCols;
};
