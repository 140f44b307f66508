#pragma once

#include "platform/excel/SheetData.h"

namespace excel {

// Where a sheet's rows and columns lie, in points from the top-left corner of cell A1, as the
// window draws them and as Range.Left, Top, Width and Height give them.
class SheetMetrics
{
public:
    // The grid a window shows: rows 1 to 65,536 and columns A to IV, or further when the sheet
    // holds cells beyond.
    static constexpr int StandardRows = 65536;
    static constexpr int StandardColumns = 256;

    static double rowHeight(const SheetData &sheet, int row);
    static double columnWidth(const SheetData &sheet, int column);
    // The top edge of a row and the left edge of a column.
    static double top(const SheetData &sheet, int row);
    static double left(const SheetData &sheet, int column);
    static void gridExtent(const SheetData &sheet, int *rows, int *columns);

    // A file's column width (characters of the standard font's widest digit, padding included)
    // in points: whole pixels at 96 dots per inch, a digit 7 pixels wide.
    static double pointsOfCharacterWidth(double characters);
    // The default width that a base width of so many characters gives (rounded up to whole 8
    // pixels, as spreadsheet programs do): 8 characters make the standard 48 points.
    static double pointsOfBaseWidth(int characters);
};

} // namespace excel
