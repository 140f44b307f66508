#include "platform/excel/GridGeometry.h"

#include "platform/excel/SheetMetrics.h"
#include "platform/text/BasicText.h"

#include <algorithm>

namespace excel {

namespace {

// Edges of the lines (rows or columns) from `first` on that start inside `extent` pixels, and
// the end of the last; at least one line. `size(i)` is line i's size in points.
template <typename Size>
void layOut(int first, int last, double firstStart, int extent, const GridGeometry &g, Size size,
            std::vector<int> *edges, int *whole)
{
    const int base = g.pixels(firstStart);
    double start = firstStart;
    edges->clear();
    edges->push_back(0);
    *whole = 0;
    for (int line = first; line <= last; ++line) {
        start += size(line);
        const int end = g.pixels(start) - base;
        edges->push_back(end);
        if (end <= extent) ++*whole;
        if (end >= extent) break;
    }
    *whole = std::max(1, *whole);
}

} // namespace

GridGeometry::GridGeometry(const SheetData &sheet, int zoom, int dpi, int scrollRow,
                           int scrollColumn, QSize area, int lastRow, int lastColumn)
    : m_scale(zoom / 100.0 * dpi / 72.0), m_firstRow(std::clamp(scrollRow, 1, lastRow)),
      m_firstColumn(std::clamp(scrollColumn, 1, lastColumn))
{
    const double top = SheetMetrics::top(sheet, m_firstRow);
    const double left = SheetMetrics::left(sheet, m_firstColumn);
    m_originY = -pixels(top);
    m_originX = -pixels(left);
    auto it = sheet.rowHeights.lower_bound(m_firstRow);
    layOut(
        m_firstRow, lastRow, top, std::max(1, area.height()), *this,
        [&](int row) {
            while (it != sheet.rowHeights.end() && it->first < row)
                ++it;
            return it != sheet.rowHeights.end() && it->first == row ? it->second
                                                                    : sheet.defaultRowHeight;
        },
        &m_rowEdges, &m_fullRows);
    layOut(
        m_firstColumn, lastColumn, left, std::max(1, area.width()), *this,
        [&](int column) { return SheetMetrics::columnWidth(sheet, column); }, &m_columnEdges,
        &m_fullColumns);
}

int GridGeometry::pixels(double points) const
{
    return int(BasicText::roundHalfEven(points * m_scale));
}

int GridGeometry::rowAt(int y) const
{
    if (y < 0) return 0;
    auto it = std::upper_bound(m_rowEdges.begin(), m_rowEdges.end(), y);
    if (it == m_rowEdges.begin() || it == m_rowEdges.end()) return 0;
    return m_firstRow + int(it - m_rowEdges.begin()) - 1;
}

int GridGeometry::columnAt(int x) const
{
    if (x < 0) return 0;
    auto it = std::upper_bound(m_columnEdges.begin(), m_columnEdges.end(), x);
    if (it == m_columnEdges.begin() || it == m_columnEdges.end()) return 0;
    return m_firstColumn + int(it - m_columnEdges.begin()) - 1;
}

} // namespace excel
