#pragma once

#include "core/ClsMap.h"
#include "core/ClsObjMap.h"
#include "engine/ClsOneRowDiff.h"

#include <QString>
#include <functional>
#include <memory>

class ClsLogFile;

// The results of one sheet pair: one ClsOneRowDiff per matched row pair under its pair key, the
// rows found on one side only, and the widths of the text report's columns. Prints the
// fixed-width difference table of the text report.
class ClsTxtCompareResult
{
public:
    using ResultMap = ClsObjMap<ClsOneRowDiff>;

    ClsTxtCompareResult();

    // The key of a matched row pair, e.g. "左边row:12,匹配右边row:15:". Everything that looks a
    // row pair up (the difference view too) builds it here.
    static QString PairKey(int leftRow, int rightRow);

    // Room for this many row pairs (a comparison knows how many rows it will walk).
    void reserve(int rowPairs) { m_result.GetObject().reserve(rowPairs); }
    // Records one differing column of a row pair; an empty column records the pair as equal.
    void AddRec(const QString &pairKey, int leftRow, int rightRow, const QString &column,
                const QString &value);
    // Writes the difference table, line by line, through the log file.
    void Print2File(ClsLogFile &logFile);
    // The same table, each line handed to writeLine as it is finished.
    void printTable(const std::function<void(const QString &)> &writeLine);
    // The field map of the row pair under the key; null when there is none.
    std::shared_ptr<ClsMap> GetClsMapByKey(const QString &pairKey) const;
    // The result map itself (shared, not copied).
    ResultMap &GetResult() { return m_result; }
    const ResultMap &GetResult() const { return m_result; }
    void AddLeftSingleRow(int row);
    void AddRightSingleRow(int row);
    ClsMap &GetLeftSingleRows() { return m_leftSingleRows; }
    ClsMap &GetRightSingleRows() { return m_rightSingleRows; }

    // The widest recorded text of a column in CP936 bytes (0 when none was recorded), and of
    // the pair keys.
    int columnWidth(const QString &column) const;
    int keyWidth() const { return m_keyWidth; }

private:
    ClsMap m_colWidths; // column letter -> width as decimal text
    ResultMap m_result;
    int m_keyWidth = 0;
    ClsMap m_leftSingleRows;
    ClsMap m_rightSingleRows;
};
