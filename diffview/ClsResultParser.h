#pragma once

#include "core/ClsMap.h"
#include "diffview/FontColourKeeper.h"
#include "engine/ClsTxtCompareResult.h"

#include <QList>
#include <memory>
#include <vector>

class ClsComparePair;
class ClsOneRowDiff;

namespace excel {
class Range;
class Worksheet;
} // namespace excel

// Lines up the two sheets of the difference view so that matched rows face each other: an
// empty, hatched row goes into one sheet wherever the other has a row that nothing matched (a
// single row); every matched pair gets the row numbers it now has (NewLeftRow, NewRightRow);
// single rows' text turns red. It follows the user's edits of inserted rows and, before a side
// is saved, takes its inserted rows out again and gives its cells their own font colours back,
// so that the saved file holds only the user's data and formatting.
//
// Calling order: SetPair, InitDiffObj, InitLeft, InitRight, Deal, CreateDiffArray; Compare
// again repeats it on the same object.
class ClsResultParser
{
public:
    using SheetRef = std::shared_ptr<excel::Worksheet>;
    using ResultMap = ClsTxtCompareResult::ResultMap;

    // The fill that marks an inserted row, and the other constants of the spreadsheet's rows.
    static constexpr int xlPatternUp = -4162;
    static constexpr int xlColorIndexNone = -4142;
    // Rows a sheet can hold for the comparison; single rows below it are not coloured.
    static constexpr int MaxSheetRows = 65536;

    ClsResultParser();
    ~ClsResultParser();
    ClsResultParser(const ClsResultParser &) = delete;
    ClsResultParser &operator=(const ClsResultParser &) = delete;

    // The pair gives the rows left to insert into each sheet (65,536 less its end row); without
    // a pair there is no such limit.
    void SetPair(std::shared_ptr<ClsComparePair> pair);
    // The rows found on one side only (keys: row numbers) and that side's sheet.
    void InitLeft(const ClsMap &leftSingleRows, SheetRef leftSheet);
    void InitRight(const ClsMap &rightSingleRows, SheetRef rightSheet);
    // The matched row pairs in the map's order; their NewLeftRow and NewRightRow are set by Deal.
    void InitDiffObj(const ResultMap &resultMap);

    // Aligns: works out where every row will be, inserts and hatches the empty rows, sets each
    // pair's new rows from the rows actually inserted, colours the single rows red and records
    // the inserted rows. The sheets' Change events are not taken as edits meanwhile.
    void Deal();
    // A development-time self-check: single rows 1, 2, 4 on both sides around the pair 3/3.
    void UnitTest();

    // Before a side is saved: its cells get their own font colours back, and the rows inserted
    // into its sheet that are still hatched and empty are deleted. The side's list is then
    // forgotten, so a second save deletes nothing; rows the user typed into, and rows that
    // moved under the list (the user inserted or deleted rows), stay.
    void DeleteLeftAddedEmptyRows();
    void DeleteRightAddedEmptyRows();
    // Once the side's file is written: the rows just deleted go back, hatched, and the side's
    // single rows turn red again, so that the two sheets face each other as before the save.
    // Nothing happens without a deletion since the last alignment or the last putting back.
    void PutBackLeftAddedEmptyRows();
    void PutBackRightAddedEmptyRows();

    // An edit of a row: an inserted row typed into loses its hatch and is kept when the side is
    // saved. The range forms take every row of the changed range (a paste over several rows).
    void On_LeftSheet_Change(int row);
    void On_RightSheet_Change(int row);
    void On_LeftSheet_Change(const excel::Range &target);
    void On_RightSheet_Change(const excel::Range &target);

    // The rows to visit, ascending: every unequal pair's new left row and every inserted row.
    // Returns the upper bound (-1 when there is none or no pair).
    int CreateDiffArray(QList<int> &rows);

    // Marks by red text (the view's second marking method): the cell's own colour is kept and
    // given back before the side is saved.
    void markLeftCellRed(int row, int column);
    void markRightCellRed(int row, int column);

    // --- what the last alignment found, for the view and for tests ---
    // Final rows of the single rows, each in its own sheet, as the walk worked them out.
    const QList<int> &leftSingleRows() const { return m_leftSingle; }
    const QList<int> &rightSingleRows() const { return m_rightSingle; }
    // Final rows of the matched pairs, in the result map's order, as the walk worked them out.
    const QList<int> &matchedLeftRows() const { return m_matchedLeft; }
    const QList<int> &matchedRightRows() const { return m_matchedRight; }
    // Rows inserted into each sheet and not yet deleted.
    const QList<int> &rowsInsertedIntoLeft() const { return m_insertedLeft; }
    const QList<int> &rowsInsertedIntoRight() const { return m_insertedRight; }
    // The rows that a save of the side would delete (the left map lists rows inserted into the
    // right sheet, as the left single rows face them).
    const ClsMap &leftAddedRows() const { return m_leftAdded; }
    const ClsMap &rightAddedRows() const { return m_rightAdded; }

private:
    void ResetState();
    void BuildMatchArrays();
    // The walk: final rows of every single row and every matched row.
    void CalcInsertRows();
    // Inserts and hatches the runs of rows; returns the rows actually inserted.
    static QList<int> InsertEmptyRows(const SheetRef &sheet, const QList<int> &rows, int room);
    void SetNewRows();
    static void ColorRowFonts(const SheetRef &sheet, const QList<int> &rows, int firstColumn,
                              int lastColumn, FontColourKeeper &keeper);
    // What a save of one side took out of its sheet: the rows inserted before it and the rows
    // deleted, to be put back once the file is written.
    struct Taken
    {
        QList<int> inserted, deleted;
        bool pending = false;
    };
    // A side's single rows where they are, and the columns their red text spans.
    struct RedRows
    {
        QList<int> rows;
        int first = 0, last = 0;
    };
    static void DeleteEmptyRows(const SheetRef &sheet, ClsMap &listed, QList<int> &inserted,
                                Taken &taken);
    static void PutBackEmptyRows(const SheetRef &sheet, ClsMap &listed, QList<int> &inserted,
                                 Taken &taken, const RedRows &red, FontColourKeeper &keeper);
    static void UnmarkEditedRow(int row, const QList<int> &inserted, const SheetRef &sheet);
    void editedRows(int first, int last, bool left);
    std::shared_ptr<ClsOneRowDiff> GetOrAddRowDiff(int leftRow, int rightRow);

    SheetRef m_leftSheet, m_rightSheet;
    std::shared_ptr<ClsComparePair> m_pair;
    std::vector<std::shared_ptr<ClsOneRowDiff>> m_diffs; // the result map's pairs, in order
    std::unique_ptr<ResultMap> m_ownResult;              // UnitTest's result map

    // Single rows as the comparison found them, and their final rows after the walk.
    QList<int> m_leftSingleFound, m_rightSingleFound;
    QList<int> m_leftSingle, m_rightSingle;
    ClsMap m_leftAdded, m_rightAdded;
    QList<int> m_matchedLeft, m_matchedRight;
    int m_leftRoom = -1, m_rightRoom = -1;

    QList<int> m_insertedLeft, m_insertedRight;
    FontColourKeeper m_leftFonts, m_rightFonts;
    Taken m_takenLeft, m_takenRight;
    RedRows m_leftRed, m_rightRed;
    bool m_changingSheets = false; // our own insertions and deletions raise Change too
};
