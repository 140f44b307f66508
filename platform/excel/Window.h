#pragma once

#include "platform/excel/GridGeometry.h"

#include <map>
#include <memory>

namespace excel {

class Application;
class Range;
class Worksheet;

// The view of the application's window onto the active workbook's active sheet: where it is
// scrolled to and how far it is zoomed. Each sheet keeps its own view, as in the file.
class Window
{
public:
    struct View
    {
        int zoom = 100;
        int scrollRow = 1;
        int scrollColumn = 1;
    };

    explicit Window(std::weak_ptr<Application> application);

    int Zoom() const;
    // 10 to 400 percent; anything else is refused (error 1004) and changes nothing.
    void setZoom(int percent);
    // The row and column at the top-left corner of the cell area. Scrolling from code notifies
    // no one; the window redraws.
    int ScrollRow() const;
    void setScrollRow(int row);
    int ScrollColumn() const;
    void setScrollColumn(int column);
    // The rows and columns at least partly visible.
    excel::Range VisibleRange() const;
    // The screen pixel of a distance in points from A1's corner under the current scroll and
    // zoom (so PointsToScreenPixelsX(0) is left of the screen when scrolled right).
    int PointsToScreenPixelsX(double points) const;
    int PointsToScreenPixelsY(double points) const;

    // --- for the window library ---
    // The sheet shown (null without a workbook) and its view.
    std::shared_ptr<Worksheet> shownSheet() const;
    View view() const;
    // Sets the shown sheet's view, scroll positions kept inside the grid; true when it changed.
    bool setView(const View &view);
    GridGeometry geometry() const;
    // The grid's extent for the shown sheet.
    void extent(int *rows, int *columns) const;

private:
    std::shared_ptr<Worksheet> requireSheet() const;
    void changed() const;
    // The sheet's grid extent, worked out again only when the sheet has changed.
    void extentOf(const SheetData &sheet, int *rows, int *columns) const;

    std::weak_ptr<Application> m_application;
    mutable std::map<std::weak_ptr<Worksheet>, View, std::owner_less<std::weak_ptr<Worksheet>>>
        m_views;
    struct Extent
    {
        const SheetData *sheet = nullptr;
        std::uint64_t version = 0;
        std::size_t rowVectors = 0;
        int rows = 0, columns = 0;
    };
    mutable Extent m_extent;
};

} // namespace excel
