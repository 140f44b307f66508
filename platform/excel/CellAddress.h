#pragma once

#include "platform/excel/SheetData.h"

#include <QString>
#include <QStringView>

namespace excel {

// A1-style cell addresses: column letters, cells, ranges, whole rows and whole columns.
class CellAddress
{
public:
    // The largest sheet an .xlsx file can describe.
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    // The grid that comparisons and .xls files use (column letters have at most two letters).
    static constexpr int GridRows = 65536;
    static constexpr int GridColumns = 256;

    enum class Kind { Cells, WholeRows, WholeColumns };

    // "A" for 1, "IV" for 256, "XFD" for 16384; "" outside 1..MaxColumns.
    static QString columnLetters(int column);
    // The column of one to three letters (either case); 0 when the text is not a column.
    static int columnNumber(QStringView letters);

    // "C5", "$C$5": row and column; false when the text is no cell inside the sheet.
    static bool parseCell(QStringView text, int *row, int *column);
    // "A1", "C3:C120", "B7:A2" (corners in either order), "A:C", "3:4"; a rectangle with its
    // corners ordered. Whole rows span every column, whole columns every row.
    static bool parseRange(QStringView text, CellRect *rect, Kind *kind = nullptr);
    // Latin-1 fast path for the sheet reader: a cell reference such as "AB12".
    static bool parseCell(const char *text, std::size_t length, int *row, int *column);

    // "$C$5", "$A$1:$C$5", "$3:$4" for whole rows, "$A:$C" for whole columns.
    static QString address(const CellRect &rect, Kind kind = Kind::Cells, bool rowAbsolute = true,
                           bool columnAbsolute = true);
};

} // namespace excel
