#pragma once

#include "core/ClsMap.h"
#include "platform/com/VariantArray.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

#include <QList>
#include <QString>
#include <memory>

namespace excel {
class WorkbookPrefetch;
}

// Free procedures through which the program drives the spreadsheet component: creating the
// application, opening, adding and closing workbooks, finding or adding sheets, reading cell
// texts, copying rows, emptiness tests, used-range extents and sheet visibility. They keep no
// state; the caller owns every reference it passes.
namespace ModExcel {

using AppRef = std::shared_ptr<excel::Application>;
using BookRef = std::shared_ptr<excel::Workbook>;
using SheetRef = std::shared_ptr<excel::Worksheet>;

// Creates the application (invisible) when the reference is empty and opens the file, unless
// the reference holds a live workbook of that very file. A live workbook of another file is
// closed first, so that the file asked for is the one compared. A missing file opens nothing
// and gives True. Failures show one message in the program's language, naming the file and why
// it cannot be read (not a workbook, damaged, unreadable), and give False. A prefetch that
// holds a read of the file hands over what it read.
bool OpenWorkbook(const QString &file, AppRef &app, BookRef &book, bool readOnly,
                  excel::WorkbookPrefetch *prefetch = nullptr);
// Whether OpenWorkbook would read the file: it exists and the reference holds no live
// workbook of it.
bool WouldReadWorkbook(const QString &file, const BookRef &book);
// Creates an application (invisible until the caller shows it) when the reference is empty and
// adds a workbook when the reference holds none that is alive. Failures show one message and
// give False.
bool NewWorkbook(AppRef &app, BookRef &book);
// The message OpenWorkbook shows when the file cannot be read; `failure` is the reader's
// technical reason.
QString OpenFailureText(const QString &file, const QString &failure);
// The worksheet of that name; else Sheet1, Sheet2 or Sheet3 renamed to it; else a new sheet,
// placed last and named.
SheetRef GetOrAddSheet(const BookRef &book, const QString &name);
bool IsWorkbookAlive(const BookRef &book);
// Closes (never saving, never asking) and clears the reference; errors are ignored.
void CloseWorkbook(BookRef &book);
// Closes the workbook and every other workbook of the application, quits it and clears both
// references; errors are ignored.
void QuitExcel(AppRef &app, BookRef &book);

// The cell's value as text; an empty cell of a merged area gives the area's first cell's text.
QString GetCellText(const SheetRef &sheet, int row, int column);
// Values of the source row's used columns into the target row.
void CopyRowValues(const SheetRef &target, int targetRow, const SheetRef &source, int sourceRow);
// Value, then formula, then comment text of `count` cells of the source row into the target
// row from the given column (number or letters) on, never beyond column 256.
void CopyRowCells(const SheetRef &target, int targetRow, const QString &firstTargetColumn,
                  const SheetRef &source, int sourceRow, int count);
// True unless a cell of the row, up to the used range's last column, has a non-empty text.
bool IsSheetRowEmpty(const SheetRef &sheet, int row);
bool IsSheetRowEmptyInCols(const SheetRef &sheet, int row, const QList<int> &columns);
// The same over element (row, column) of a block read from a range's Value.
bool IsArrayRowEmptyInCols(const com::VariantArray &block, int row, const QList<int> &columns);
// The first row from firstRow to the used range's last row that is not empty; firstRow when
// there is none.
int GetNextNonEmptySheetRow(const SheetRef &sheet, int firstRow);
int GetNextNonEmptyArrayRow(const com::VariantArray &block, int firstRow, int lastRow,
                            int lastColumn);
// The array becomes first, first + 1, ..., last (indexes 0 .. last - first); returns last - first.
int FillSequence(int first, int last, QList<int> &array);
void KeepMin(int &value, int limit);
// The range's MergeCells; a mixed range counts as merged.
bool HasMergedCells(const excel::Range &range);
int GetLastUsedRow(const SheetRef &sheet);
int GetLastUsedColumn(const SheetRef &sheet);
void GetUsedColumnSpan(const SheetRef &sheet, int &firstColumn, int &lastColumn);

// Records every worksheet's exact Visible value (-1, 0 or 2), keyed by name, so that
// RestoreVisibleSheets can give each sheet back the state it had, very hidden ones included.
void SaveVisibleSheets(const BookRef &book, ClsMap &map);
// Gives each recorded sheet its recorded Visible value (a key without a value: visible);
// shown sheets first, so that the workbook always keeps a visible sheet.
void RestoreVisibleSheets(const BookRef &book, ClsMap &map);

// True when the workbook has a worksheet of that name (ignoring case); any error gives False.
bool SheetExists(const QString &name, const BookRef &book);
// The text of the cell's comment, "" without one.
QString GetCellCommentText(const excel::Range &cell);

} // namespace ModExcel
