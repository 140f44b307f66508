#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class ClsArrayMap;
class ClsMap;

namespace com {
class VariantArray;
}
namespace excel {
class Worksheet;
}

// Free procedures of the comparison that belong to no one object: the process-wide cancel flag,
// sheet pairing, the column-list grammar and key loading.
namespace ModCompare {

// The cancel flag. Setting it to true also tells the listener (the main window hides its
// progress bar); false only stores it.
void SetCancelCompare(bool cancel);
bool IsCancelCompare();
void SetCancelListener(std::function<void()> listener);

// Pairs the selected sheets into the pair map (left name -> right name), emptying it first.
// By name: equal names first (ignoring case; the left name is stored for the right sheet),
// then the leftovers in order. By position: the i-th left with the i-th right.
void PairByName(const QStringList &leftNames, const QStringList &rightNames, ClsMap &pairs);
void PairByPosition(const QStringList &leftNames, const QStringList &rightNames, ClsMap &pairs);

// The column-list grammar, one for every column box and for the run: items separated by ",",
// each one column or two joined by "-" (every column between them, whichever is written
// first); a column is a number (rounded) or one or two letters, from 1 (A) to MaxListColumn
// (IV), the columns the compared sheets have.
constexpr int MaxListColumn = 256;

// The column a text names; 0 when it names none of 1..MaxListColumn.
int ListColumn(const QString &text);
// The columns one item names, first <= last; false when the item names none.
bool ListItemColumns(const QString &item, int &first, int &last);
// Adds the columns of a column list to the map (keys are column numbers as decimal text).
// False when a column is named twice, an item names no column or an item is empty; the columns
// added before the failure stay in the map. An empty list names no column and is valid.
bool ParseColumnList(const QString &list, const QString &separator, ClsMap &columns);

// One row's key texts from a worksheet, one per key column in order. Merged-cell aware: an
// empty cell of a merged area reads as the area's first cell. Trimmed when `trim` is on (the
// session's UseTrimForKey: blanks only, as the runtime's Trim), as the block reader trims, so
// that both paths match alike.
void ReadSheetRowCells(const std::shared_ptr<excel::Worksheet> &sheet, int row,
                       const QList<int> &columns, QStringList &keyRow, bool mergeAware, bool trim);
// Loads the key rows from firstRow to firstRow + rowCount, and on to the sheet's last used
// row when that lies lower (a used range need not start at row 1), never beyond the program's
// row limit. Blank key rows do not end the loading while key rows follow them.
void LoadKeyRowsFromSheet(const std::shared_ptr<excel::Worksheet> &sheet, int &firstRow,
                          int &rowCount, const ClsMap &keyColumns, ClsArrayMap &keyMap,
                          bool mergeAware, bool trim);
// Where the loaders put each key row (its key texts and its row number); the ClsArrayMap
// loaders add the row number as text, keeping the first row of a key.
using AddKeyRow = std::function<void(const QStringList &keyRow, int row)>;
void LoadKeyRowsFromSheet(const std::shared_ptr<excel::Worksheet> &sheet, int &firstRow,
                          int &rowCount, const ClsMap &keyColumns, const AddKeyRow &add,
                          bool mergeAware, bool trim);

// The text of one cell of an in-memory block, by the block's row and column (from 1).
using BlockCellText = std::function<QString(int row, int column)>;

// One row's key texts, one per key column in order, from an in-memory block (a range's Value,
// indexed from 1) or any other block; trimmed when `trim` is on (the session's UseTrimForKey).
void ReadArrayRowCells(const com::VariantArray &block, int row, const QList<int> &columns,
                       QStringList &keyRow, bool trim);
void ReadArrayRowCells(const BlockCellText &block, int row, const QList<int> &columns,
                       QStringList &keyRow, bool trim);

// Loads the key rows firstRow..lastRow of a block into the key map (key row -> row number as
// text; a repeated key keeps its first row). Blank key rows do not end the loading while key
// rows follow them. Key texts are trimmed when `trim` is on (the session's UseTrimForKey).
void LoadKeyRowsFromArray(const com::VariantArray &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, ClsArrayMap &keyMap, bool trim);
void LoadKeyRowsFromArray(const BlockCellText &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, ClsArrayMap &keyMap, bool trim);
void LoadKeyRowsFromArray(const BlockCellText &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, const AddKeyRow &add, bool trim);

} // namespace ModCompare
