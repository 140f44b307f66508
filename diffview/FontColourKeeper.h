#pragma once

#include <QtGlobal>
#include <map>
#include <memory>
#include <vector>

namespace excel {
class Worksheet;
}

// Turns cells' text red for the difference view and remembers the colours they had, so that
// they can be given back before the workbook is saved: the saved file then holds the user's own
// formatting, not the view's marks.
class FontColourKeeper
{
public:
    using SheetRef = std::shared_ptr<excel::Worksheet>;

    // Cells' text turns red (palette colour 3) from the first to the last column of the row. A
    // cell's colour is remembered the first time only, so marking it again keeps its own colour.
    // Errors of the sheet reach the caller.
    void paintRed(const SheetRef &sheet, int row, int firstColumn, int lastColumn);
    // Every remembered cell that is still red gets its own colour back (a colour the user chose
    // meanwhile stays); then everything is forgotten. Errors are ignored cell by cell.
    void restore(const SheetRef &sheet);
    void clear() { m_rows.clear(); }
    bool isEmpty() const { return m_rows.empty(); }

private:
    // A run of cells of one row that had one colour.
    struct Span
    {
        int first = 0, last = 0;
        int colorIndex = 0; // the palette number, or automatic
        qint64 colour = 0;  // 0xBBGGRR
    };
    void remember(const SheetRef &sheet, int row, int first, int last, std::vector<Span> &into);

    std::map<int, std::vector<Span>> m_rows; // by row; spans sorted, never overlapping
};
