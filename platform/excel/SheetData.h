#pragma once

#include "platform/excel/CellRow.h"

#include <QString>
#include <cstdint>
#include <map>
#include <vector>

namespace excel {

// A rectangle of cells, 1-based and inclusive.
struct CellRect
{
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
};

// Rows inserted (count > 0) or deleted (count < 0) at a row.
struct RowMove
{
    int row = 0;
    int count = 0;
};

// A cell comment.
struct CellComment
{
    QString text;
    QString author;
};

// The cells and sheet-level facts of one worksheet as read from a file. Rows are kept densely
// by number (index = row - 1), each row's cells sorted by column.
struct SheetData
{
    QString name;
    int visible = -1; // -1 visible, 0 hidden, 2 very hidden
    std::vector<CellRow> rows;
    std::vector<QString> formulas;                 // "=..." texts in A1 style
    std::map<std::uint64_t, CellComment> comments; // key: (row << 16) | column
    std::vector<CellRect> merges;
    std::map<int, double> rowHeights; // points, for rows with their own height
    double defaultRowHeight = 15.0;
    // The default height was set on purpose (the file says so, or RowHeight was set on whole
    // rows): programs must show rows without a height of their own at it, not fit them to
    // their contents.
    bool defaultRowHeightSet = false;
    // Column widths in points (a file's character widths converted on reading; 0 for a hidden
    // column), for columns with their own width; 48 points is the standard column.
    std::map<int, double> columnWidths;
    double defaultColumnWidth = 48.0;

    // Where the sheet came from in its file ("xl/worksheets/sheet1.xml"); empty for a new sheet.
    QString partName;
    // The rows inserted and deleted since the sheet was read, in order: what a save keeps of
    // the file by row number (row attributes, hyperlinks, validations, names...) moves with them.
    std::vector<RowMove> rowMoves;
    // Set by every change to cells, comments, merges or row heights, so that a save rewrites
    // only the sheets that changed.
    bool modified = false;
    // Counts those changes, so that what is worked out from the cells can be kept until the next.
    std::uint64_t version = 0;

    static std::uint64_t commentKey(int row, int column)
    {
        return (std::uint64_t(row) << 16) | std::uint64_t(column);
    }
};

} // namespace excel
