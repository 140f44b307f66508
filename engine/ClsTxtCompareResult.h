#pragma once

#include "core/ClsMap.h"
#include "core/ClsObjMap.h"
#include "engine/ClsOneRowDiff.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

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

    // Records one differing column of a row pair; an empty column records the pair as equal.
    void AddRec(const QString &pairKey, int leftRow, int rightRow, const QString &column,
                const QString &value);

    // The running comparison's way of recording, which meets each row pair once, in order:
    // a pair costs no lookup by its key, and an equal pair no object until someone asks for
    // the result map. The results are those of AddRec under the pair's key.
    // Room for this many row pairs.
    void reserve(int rowPairs) { m_pending.reserve(std::size_t(rowPairs)); }
    // Records a row pair found equal.
    void addEqualPair(int leftRow, int rightRow);
    // Records one differing column of a row pair.
    void addDifferingColumn(int leftRow, int rightRow, const QString &column, const QString &value);
    // The field map of a row pair (null when it has none), found without filing the pending
    // pairs when it is the pair recorded last.
    std::shared_ptr<ClsMap> fieldsOf(int leftRow, int rightRow) const;
    // Writes the difference table, line by line, through the log file.
    void Print2File(ClsLogFile &logFile);
    // The same table, each line handed to writeLine as it is finished.
    void printTable(const std::function<void(const QString &)> &writeLine);
    // The field map of the row pair under the key; null when there is none.
    std::shared_ptr<ClsMap> GetClsMapByKey(const QString &pairKey) const;
    // The result map itself (shared, not copied).
    ResultMap &GetResult()
    {
        fileThePending();
        return m_result;
    }
    const ResultMap &GetResult() const
    {
        fileThePending();
        return m_result;
    }
    void AddLeftSingleRow(int row);
    void AddRightSingleRow(int row);
    ClsMap &GetLeftSingleRows() { return m_leftSingleRows; }
    ClsMap &GetRightSingleRows() { return m_rightSingleRows; }

    // The widest recorded text of a column in CP936 bytes (0 when none was recorded), and of
    // the pair keys.
    int columnWidth(const QString &column) const;
    int keyWidth() const { return m_keyWidth; }

private:
    // A row pair recorded by the running comparison and not yet filed under its key: null for
    // an equal pair.
    struct PendingPair
    {
        int leftRow;
        int rightRow;
        std::shared_ptr<ClsOneRowDiff> row;
    };

    // Files the pending row pairs in the result map, in the order they were recorded; they
    // follow everything filed before them, so the map's order stays the recording order.
    void fileThePending() const;
    void widenKey(int leftRow, int rightRow);
    void widenColumn(const QString &column, const QString &value);

    ClsMap m_colWidths; // column letter -> width as decimal text
    mutable ResultMap m_result;
    mutable std::vector<PendingPair> m_pending;
    int m_keyWidth = 0;
    ClsMap m_leftSingleRows;
    ClsMap m_rightSingleRows;
};
