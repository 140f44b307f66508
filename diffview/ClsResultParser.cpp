#include "diffview/ClsResultParser.h"

#include "core/ModCommon.h"
#include "core/ModStl.h"
#include "core/ModString.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ModExcel.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"

#include <algorithm>

namespace {

// Our own insertions and deletions raise the sheets' Change events; they are not the user's
// edits.
class ChangingSheets
{
public:
    explicit ChangingSheets(bool &flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~ChangingSheets() { m_flag = m_was; }

private:
    bool &m_flag;
    bool m_was;
};

QList<int> sortedRows(const ClsMap &map)
{
    QList<int> rows;
    map.ToArray(rows);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// Where a row of the sheet as it was lies after empty rows were inserted at `inserted`
// (ascending rows of the sheet as it is now): it is the row-th row that was not inserted.
int shiftedRow(int row, const QList<int> &inserted)
{
    // inserted[k] - k never decreases: find the first k whose insertion lies below the row
    qsizetype low = 0, high = inserted.size();
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (inserted[mid] - mid > row)
            high = mid;
        else
            low = mid + 1;
    }
    return row + int(low);
}

QString rowsAddress(int first, int last)
{
    return QString::number(first) + QLatin1Char(':') + QString::number(last);
}

// The last column that a whole row's format reaches, as the spreadsheet formats whole rows: at
// least column IV, further when the sheet's cells do. Worked out once per pass: asking the sheet
// for whole rows row by row would walk the sheet every time.
int rowFormatLastColumn(const ClsResultParser::SheetRef &sheet)
{
    const excel::Range used = sheet->UsedRange();
    return std::max(used.Column() + used.Columns().Count() - 1, excel::CellAddress::GridColumns);
}

// Whole rows first to last, up to that column.
excel::Range rowBlock(const ClsResultParser::SheetRef &sheet, int first, int last, int lastColumn)
{
    return sheet->Range(sheet->Cells(first, 1), sheet->Cells(last, lastColumn));
}

// Holds no value, formula or comment up to the column.
bool isRowEmpty(const ClsResultParser::SheetRef &sheet, int row, int lastColumn)
{
    for (int column = 1; column <= lastColumn; ++column) {
        const excel::Range cell = sheet->Cells(row, column);
        if (!cell.Formula().isEmpty() || cell.Comment()) return false;
    }
    return true;
}

bool isHatched(const excel::Range &rows)
{
    const com::Variant pattern = rows.Interior().Pattern();
    return !pattern.isNull() && pattern.toLong() == ClsResultParser::xlPatternUp;
}

// How many of the ascending single rows lie above a row that both sheets show side by side
// (matched, or not compared at all) and is the `rank`-th such row of its sheet (from 0): the
// single row at index i has row - 1 - i such rows above it, a number that never decreases.
int singlesAbove(const QList<int> &singles, int rank)
{
    qsizetype low = 0, high = singles.size();
    while (low < high) {
        const qsizetype mid = (low + high) / 2;
        if (singles[mid] - 1 - mid <= rank)
            low = mid + 1;
        else
            high = mid;
    }
    return int(low);
}

} // namespace

ClsResultParser::ClsResultParser()
{
    ResetState();
}

ClsResultParser::~ClsResultParser()
{
    ResetState();
}

void ClsResultParser::ResetState()
{
    m_leftSingleFound.clear();
    m_rightSingleFound.clear();
    m_leftSingle.clear();
    m_rightSingle.clear();
    m_matchedLeft.clear();
    m_matchedRight.clear();
}

void ClsResultParser::SetPair(std::shared_ptr<ClsComparePair> pair)
{
    m_pair = std::move(pair);
}

void ClsResultParser::InitLeft(const ClsMap &leftSingleRows, SheetRef leftSheet)
{
    m_leftSingleFound = sortedRows(leftSingleRows);
    m_leftSingle = m_leftSingleFound;
    m_leftSheet = std::move(leftSheet);
}

void ClsResultParser::InitRight(const ClsMap &rightSingleRows, SheetRef rightSheet)
{
    m_rightSingleFound = sortedRows(rightSingleRows);
    m_rightSingle = m_rightSingleFound;
    m_rightSheet = std::move(rightSheet);
}

void ClsResultParser::InitDiffObj(const ResultMap &resultMap)
{
    m_diffs = resultMap.GetObject().values();
}

void ClsResultParser::BuildMatchArrays()
{
    m_matchedLeft.clear();
    m_matchedRight.clear();
    m_matchedLeft.reserve(qsizetype(m_diffs.size()));
    m_matchedRight.reserve(qsizetype(m_diffs.size()));
    for (const auto &diff : m_diffs) {
        m_matchedLeft.append(diff ? diff->LeftRow() : 0);
        m_matchedRight.append(diff ? diff->RightRow() : 0);
    }
}

void ClsResultParser::CalcInsertRows()
{
    BuildMatchArrays();
    m_leftSingle = m_leftSingleFound;
    m_rightSingle = m_rightSingleFound;
    if (m_pair) {
        m_leftRoom = std::max(0, MaxSheetRows - m_pair->LeftEndRow());
        m_rightRoom = std::max(0, MaxSheetRows - m_pair->RightEndRow());
    } else {
        m_leftRoom = m_rightRoom = -1;
    }

    // Every single row faces an empty row of the other sheet, and the rows that are not single
    // face each other in their order, so the sheets are merged like two sorted lists: a single
    // row comes before the other sheet's next shared row, and where both sheets have single rows
    // between the same shared rows the left ones come first. Matched pairs that keep their order
    // then face each other; pairs that cross cannot, but no single row is ever left facing the
    // other sheet's data, nor an empty row facing another.
    const QList<int> &left = m_leftSingleFound, &right = m_rightSingleFound;
    qsizetype i = 0, j = 0;
    while (i < left.size() || j < right.size()) {
        if (j >= right.size() || (i < left.size() && left[i] - i <= right[j] - j)) {
            m_leftSingle[i] = left[i] + int(j); // below the j empty rows put in before it
            ++i;
        } else {
            m_rightSingle[j] = right[j] + int(i);
            ++j;
        }
    }
    // A shared row moves down by the other sheet's single rows placed above it.
    const auto sharedRank = [](int row, const QList<int> &ownSingles) {
        return row - 1 -
               int(std::lower_bound(ownSingles.begin(), ownSingles.end(), row) -
                   ownSingles.begin());
    };
    for (qsizetype k = 0; k < m_matchedLeft.size(); ++k) {
        m_matchedLeft[k] += singlesAbove(right, sharedRank(m_matchedLeft[k], left));
        m_matchedRight[k] += singlesAbove(left, sharedRank(m_matchedRight[k], right));
    }
}

QList<int> ClsResultParser::InsertEmptyRows(const SheetRef &sheet, const QList<int> &rows, int room)
{
    QList<int> done;
    if (!sheet || rows.isEmpty()) return done;
    QStringList runs;
    ModString::JoinAsRanges(rows, runs);
    int inserted = 0, lastColumn = excel::CellAddress::GridColumns;
    try {
        lastColumn = rowFormatLastColumn(sheet);
    } catch (const BasicError &) {
    }
    for (const QString &run : runs) {
        QString a, b;
        ModCommon::SplitOnce(run, QStringLiteral("-"), a, b);
        const int first = a.toInt(), last = b.toInt();
        const int count = last - first + 1;
        // A run that does not fit is left out whole, and so is every run below it: they were
        // placed counting on the rows above them.
        if (room != -1 && inserted + count > room) break;
        const QString address = rowsAddress(first, last);
        try {
            sheet->Rows(address).Insert();
        } catch (const BasicError &) {
            break;
        }
        inserted += count;
        for (int row = first; row <= last; ++row)
            done.append(row);
        try {
            rowBlock(sheet, first, last, lastColumn).Interior().setPattern(xlPatternUp);
        } catch (const BasicError &) {
            // an inserted row without its hatch stays empty; it is not deleted at saving
        }
    }
    return done;
}

void ClsResultParser::SetNewRows()
{
    // The rows actually inserted decide: where a run could not be inserted, the rows below it
    // stayed where they were, and the marks must find them there.
    for (const auto &diff : m_diffs) {
        if (!diff) continue;
        diff->setNewLeftRow(shiftedRow(diff->LeftRow(), m_insertedLeft));
        diff->setNewRightRow(shiftedRow(diff->RightRow(), m_insertedRight));
    }
}

void ClsResultParser::ColorRowFonts(const SheetRef &sheet, const QList<int> &rows, int firstColumn,
                                    int lastColumn, FontColourKeeper &keeper)
{
    if (!sheet || firstColumn < 1 || lastColumn < firstColumn) return;
    for (int row : rows) {
        if (row > MaxSheetRows) break;
        try {
            keeper.paintRed(sheet, row, firstColumn, lastColumn);
        } catch (const BasicError &) {
            // the row keeps its colours
        }
    }
}

void ClsResultParser::Deal()
{
    ChangingSheets guard(m_changingSheets);
    // Colours remembered for sheets of an earlier alignment belong to workbooks since reopened.
    m_leftFonts.clear();
    m_rightFonts.clear();
    CalcInsertRows();

    // The used columns as the user's data spans them, before the hatched rows widen them.
    auto usedColumns = [](const SheetRef &sheet, int &first, int &last) {
        first = last = 0;
        if (!sheet) return;
        try {
            ModExcel::GetUsedColumnSpan(sheet, first, last);
        } catch (const BasicError &) {
            first = last = 0;
        }
    };
    int leftFirst, leftLast, rightFirst, rightLast;
    usedColumns(m_leftSheet, leftFirst, leftLast);
    usedColumns(m_rightSheet, rightFirst, rightLast);

    m_insertedRight = InsertEmptyRows(m_rightSheet, m_leftSingle, m_rightRoom);
    m_insertedLeft = InsertEmptyRows(m_leftSheet, m_rightSingle, m_leftRoom);
    SetNewRows();

    m_leftRed = RedRows{{}, leftFirst, leftLast};
    m_rightRed = RedRows{{}, rightFirst, rightLast};
    for (int row : std::as_const(m_leftSingleFound))
        m_leftRed.rows.append(shiftedRow(row, m_insertedLeft));
    for (int row : std::as_const(m_rightSingleFound))
        m_rightRed.rows.append(shiftedRow(row, m_insertedRight));
    ColorRowFonts(m_leftSheet, m_leftRed.rows, leftFirst, leftLast, m_leftFonts);
    ColorRowFonts(m_rightSheet, m_rightRed.rows, rightFirst, rightLast, m_rightFonts);
    m_takenLeft = m_takenRight = Taken{};

    // Only the rows really inserted are listed for deletion.
    m_leftAdded.FromLongArray(m_insertedRight);
    m_rightAdded.FromLongArray(m_insertedLeft);
}

std::shared_ptr<ClsOneRowDiff> ClsResultParser::GetOrAddRowDiff(int leftRow, int rightRow)
{
    if (!m_ownResult) m_ownResult = std::make_unique<ResultMap>();
    const QString key = ClsTxtCompareResult::PairKey(leftRow, rightRow);
    std::shared_ptr<ClsOneRowDiff> diff = m_ownResult->GetValue(key);
    if (!diff) {
        diff = std::make_shared<ClsOneRowDiff>();
        m_ownResult->Add(key, diff);
    }
    diff->setLeftRow(leftRow);
    diff->setRightRow(rightRow);
    return diff;
}

void ClsResultParser::UnitTest()
{
    m_leftSingleFound = m_rightSingleFound = QList<int>{1, 2, 4};
    m_ownResult = std::make_unique<ResultMap>();
    GetOrAddRowDiff(3, 3);
    InitDiffObj(*m_ownResult);
    CalcInsertRows();
}

void ClsResultParser::DeleteEmptyRows(const SheetRef &sheet, ClsMap &listed, QList<int> &inserted,
                                      Taken &taken)
{
    QList<int> doomed;
    if (sheet) {
        // Looked at before anything is deleted, so that every row is judged where the list
        // says it is.
        try {
            const int lastColumn = rowFormatLastColumn(sheet);
            for (int row : sortedRows(listed))
                if (isHatched(rowBlock(sheet, row, row, lastColumn)) &&
                    isRowEmpty(sheet, row, lastColumn))
                    doomed.append(row);
        } catch (const BasicError &) {
            doomed.clear(); // a sheet that cannot be read loses no row
        }
    }
    taken = Taken{inserted, {}, true};
    if (!doomed.isEmpty()) {
        QStringList runs;
        ModString::JoinAsRanges(doomed, runs);
        int deleted = 0;
        for (const QString &run : runs) {
            QString a, b;
            ModCommon::SplitOnce(run, QStringLiteral("-"), a, b);
            const int first = a.toInt(), last = b.toInt();
            try {
                sheet->Rows(rowsAddress(first - deleted, last - deleted)).Delete();
                deleted += last - first + 1; // only rows really gone move the later runs up
                for (int row = first; row <= last; ++row)
                    taken.deleted.append(row);
            } catch (const BasicError &) {
            }
        }
    }
    // Deleted or kept, the list no longer names rows of this sheet.
    listed.RemoveAll();
    inserted.clear();
}

void ClsResultParser::DeleteLeftAddedEmptyRows()
{
    ChangingSheets guard(m_changingSheets);
    m_leftFonts.restore(m_leftSheet);
    DeleteEmptyRows(m_leftSheet, m_rightAdded, m_insertedLeft, m_takenLeft);
}

void ClsResultParser::DeleteRightAddedEmptyRows()
{
    ChangingSheets guard(m_changingSheets);
    m_rightFonts.restore(m_rightSheet);
    DeleteEmptyRows(m_rightSheet, m_leftAdded, m_insertedRight, m_takenRight);
}

void ClsResultParser::PutBackEmptyRows(const SheetRef &sheet, ClsMap &listed, QList<int> &inserted,
                                       Taken &taken, const RedRows &red, FontColourKeeper &keeper)
{
    if (!taken.pending) return;
    taken.pending = false;
    // The deleted rows, ascending as they stood, go back to the same places: the sheet is
    // then as it was before the save, and faces the other sheet again.
    const QList<int> done = InsertEmptyRows(sheet, taken.deleted, -1);
    listed.FromLongArray(done);
    if (done != taken.deleted) {
        inserted = done; // what did not go back leaves the rows below it out of line
        return;
    }
    inserted = taken.inserted;
    ColorRowFonts(sheet, red.rows, red.first, red.last, keeper);
}

void ClsResultParser::PutBackLeftAddedEmptyRows()
{
    ChangingSheets guard(m_changingSheets);
    PutBackEmptyRows(m_leftSheet, m_rightAdded, m_insertedLeft, m_takenLeft, m_leftRed,
                     m_leftFonts);
}

void ClsResultParser::PutBackRightAddedEmptyRows()
{
    ChangingSheets guard(m_changingSheets);
    PutBackEmptyRows(m_rightSheet, m_leftAdded, m_insertedRight, m_takenRight, m_rightRed,
                     m_rightFonts);
}

void ClsResultParser::UnmarkEditedRow(int row, const QList<int> &inserted, const SheetRef &sheet)
{
    if (!sheet || !std::binary_search(inserted.begin(), inserted.end(), row)) return;
    try {
        const excel::Range whole = sheet->Rows(rowsAddress(row, row));
        if (isHatched(whole)) whole.Interior().setColorIndex(xlColorIndexNone);
    } catch (const BasicError &) {
    }
}

void ClsResultParser::On_LeftSheet_Change(int row)
{
    if (m_changingSheets) return;
    UnmarkEditedRow(row, m_insertedLeft, m_leftSheet);
    m_rightAdded.Remove(row);
}

void ClsResultParser::On_RightSheet_Change(int row)
{
    if (m_changingSheets) return;
    UnmarkEditedRow(row, m_insertedRight, m_rightSheet);
    m_leftAdded.Remove(row);
}

void ClsResultParser::editedRows(int first, int last, bool left)
{
    // Only inserted rows need anything; a whole column changed must not walk a million rows.
    const QList<int> rows = left ? m_insertedLeft : m_insertedRight;
    for (auto it = std::lower_bound(rows.begin(), rows.end(), first);
         it != rows.end() && *it <= last; ++it)
        left ? On_LeftSheet_Change(*it) : On_RightSheet_Change(*it);
}

void ClsResultParser::On_LeftSheet_Change(const excel::Range &target)
{
    if (target.isNull() || m_changingSheets) return;
    editedRows(target.rect().firstRow, target.rect().lastRow, true);
}

void ClsResultParser::On_RightSheet_Change(const excel::Range &target)
{
    if (target.isNull() || m_changingSheets) return;
    editedRows(target.rect().firstRow, target.rect().lastRow, false);
}

int ClsResultParser::CreateDiffArray(QList<int> &rows)
{
    rows.clear();
    if (!m_pair || !m_pair->GetTxtRecorder()) return -1;
    ClsMap visit;
    for (const auto &diff : m_diffs)
        if (diff && !diff->Equal()) visit.Add(QString::number(diff->NewLeftRow()), QString());
    ModStl::AppendMap(visit, m_leftAdded);
    ModStl::AppendMap(visit, m_rightAdded);
    visit.ToArray(rows);
    // Ascending, as a selection sort would leave them, without its quadratic time on long lists.
    std::sort(rows.begin(), rows.end());
    return int(rows.size()) - 1;
}

void ClsResultParser::markLeftCellRed(int row, int column)
{
    if (m_leftSheet) m_leftFonts.paintRed(m_leftSheet, row, column, column);
}

void ClsResultParser::markRightCellRed(int row, int column)
{
    if (m_rightSheet) m_rightFonts.paintRed(m_rightSheet, row, column, column);
}
