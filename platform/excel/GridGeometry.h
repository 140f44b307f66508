#pragma once

#include "platform/excel/SheetData.h"

#include <QSize>
#include <vector>

namespace excel {

// Which rows and columns a sheet window shows and where, in pixels from the top-left corner of
// its cell area, for one scroll position, zoom and screen resolution. Positions scale the
// distance from A1 in points and round it (halves to even), so a cell lies where its Left and
// Top in points say, at any zoom.
class GridGeometry
{
public:
    GridGeometry(const SheetData &sheet, int zoom, int dpi, int scrollRow, int scrollColumn,
                 QSize area, int lastRow, int lastColumn);

    // Pixels per point.
    double scale() const { return m_scale; }
    int pixels(double points) const;

    // The rows and columns at least partly inside the area (at least one of each).
    int firstRow() const { return m_firstRow; }
    int rowCount() const { return int(m_rowEdges.size()) - 1; }
    int firstColumn() const { return m_firstColumn; }
    int columnCount() const { return int(m_columnEdges.size()) - 1; }
    int lastVisibleRow() const { return m_firstRow + rowCount() - 1; }
    int lastVisibleColumn() const { return m_firstColumn + columnCount() - 1; }
    // Rows and columns that fit whole, for paging (at least one).
    int fullRows() const { return m_fullRows; }
    int fullColumns() const { return m_fullColumns; }

    // Edges of visible rows and columns: rowTop(firstRow() + rowCount()) is the last one's
    // bottom.
    int rowTop(int row) const { return m_rowEdges[std::size_t(row - m_firstRow)]; }
    int columnLeft(int column) const { return m_columnEdges[std::size_t(column - m_firstColumn)]; }
    bool rowVisible(int row) const { return row >= m_firstRow && row <= lastVisibleRow(); }
    bool columnVisible(int column) const
    {
        return column >= m_firstColumn && column <= lastVisibleColumn();
    }
    // The visible row or column under a pixel, 0 when none.
    int rowAt(int y) const;
    int columnAt(int x) const;

    // Where A1's top-left corner lies (at or above and left of the area's corner).
    int originX() const { return m_originX; }
    int originY() const { return m_originY; }

private:
    double m_scale;
    int m_firstRow, m_firstColumn;
    int m_fullRows = 1, m_fullColumns = 1;
    int m_originX = 0, m_originY = 0;
    std::vector<int> m_rowEdges, m_columnEdges;
};

} // namespace excel
