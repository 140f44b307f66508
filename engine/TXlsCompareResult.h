#pragma once

#include "core/ClsMap.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class SheetBlock;

namespace excel {
class Worksheet;
}

// One sheet of a pair's report workbook: the differing row pairs, the left-only rows or the
// right-only rows. Rows are queued while the comparison runs and written in one go at the end;
// differing cells of the last queued row pair can be coloured meanwhile.
//
// Output row k holds the k-th queued row. With a start column beyond B, column A holds the
// side's label and column B "row" and the source row number; the source row's cells follow
// from the start column on, never beyond column IV.
class TXlsCompareResult
{
public:
    using SheetRef = std::shared_ptr<excel::Worksheet>;

    TXlsCompareResult();
    ~TXlsCompareResult();

    // The output sheet in the report workbook; null when the sheet was not asked for.
    SheetRef m_OutSheet;

    // Sets the name and starts counting rows from 0; MaxCol becomes 0.
    void Initialize(const QString &outSheetName);
    void InitInputSheet(SheetRef firstSheet, SheetRef secondSheet);
    // The input sheets' last used columns, when the caller knows them already (a comparison
    // does, and its sheets do not change while it runs): writing then costs what the queued
    // rows cost, not a walk over each input sheet. Unless given, EndWrite finds them.
    void setInputLastColumns(int first, int second);
    SheetRef GetleftInputSheet() const { return m_firstSheet; }
    int MaxCol() const { return m_maxCol; }
    // Lowered to 256.
    void setMaxCol(int column);
    bool UseMemory() const { return m_useMemory; }
    void setUseMemory(bool on) { m_useMemory = on; }
    QString LeftName() const { return m_leftName; }
    void setLeftName(const QString &name) { m_leftName = name; }
    QString RightName() const { return m_rightName; }
    void setRightName(const QString &name) { m_rightName = name; }
    QString OutSheetName() const { return m_outSheetName; }
    void setOutSheetName(const QString &name) { m_outSheetName = name; }

    // Queues a source row for the next output row. The output row is taken even when nothing
    // is queued (MaxCol 0, or a sheet that is neither input sheet). The first two arguments are
    // kept for the callers' sake: the data sources are given to EndWrite.
    void CopyRowFrom(bool useMemory, const SheetBlock *dataSource, const SheetRef &sourceSheet,
                     int sourceRow, const QString &startColumn);
    // Writes every queued row. Each data source is the in-memory copy of its input sheet, null
    // when there is none; rows of a side without a copy, and every row when writing through the
    // copies fails, are copied cell by cell from the live sheet (values, formulas, comments).
    void EndWrite(const SheetBlock *firstDataSource, const SheetBlock *secondDataSource);
    // Colours the differing cells of the last queued row pair: the left row red (3), the right
    // row blue (5), in the columns of the field map moved right by the differences sheet's two
    // label columns.
    void SetForeColor(const ClsMap &fieldMap);

    int rowCount() const { return m_rowCount; }
    int rowsWritten() const { return m_rowsWritten; }

    // The report sheets' names made distinct, in order: a name equal (ignoring case, as sheet
    // names compare) to an earlier one gets "_1", "_2", ... within the 31 characters a sheet
    // name may have. Two equal names would otherwise share one sheet and overwrite each other.
    static QStringList DistinctSheetNames(const QStringList &names);

private:
    void WriteRowsToBuffer(const ClsMap &queue, const SheetBlock &dataSource,
                           const SheetRef &sourceSheet, const QString &label);
    void WriteRowsToSheet(const ClsMap &queue, const SheetRef &sourceSheet, const QString &label);
    int lastColumnOf(const SheetRef &sourceSheet) const;
    void writeSide(const ClsMap &queue, const SheetBlock *dataSource, const SheetRef &sourceSheet,
                   const QString &label);

    QString m_outSheetName;
    int m_rowCount = 0;
    int m_rowsWritten = 0;
    int m_maxCol = 0;
    bool m_useMemory = false;
    SheetRef m_firstSheet;
    SheetRef m_secondSheet;
    ClsMap m_firstQueue; // output row -> source row, both as decimal text
    ClsMap m_secondQueue;
    QString m_leftName;
    QString m_rightName;
    int m_startColumn = 1;
    int m_firstLastColumn = 0; // 0: not given
    int m_secondLastColumn = 0;
};
