#include "platform/excel/Window.h"

#include "platform/excel/Application.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/Range.h"
#include "platform/excel/SheetMetrics.h"
#include "platform/excel/WindowView.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicText.h"

#include <algorithm>

namespace excel {

Window::Window(std::weak_ptr<Application> application) : m_application(std::move(application)) {}

std::shared_ptr<Worksheet> Window::shownSheet() const
{
    std::shared_ptr<Application> app = m_application.lock();
    if (!app) ModelErrors::gone(QStringLiteral("The window's application"));
    return app->ActiveSheet();
}

std::shared_ptr<Worksheet> Window::requireSheet() const
{
    std::shared_ptr<Worksheet> sheet = shownSheet();
    if (!sheet)
        ModelErrors::refuse(QStringLiteral("The window shows no workbook: open or add one first."));
    return sheet;
}

Window::View Window::view() const
{
    std::shared_ptr<Worksheet> sheet = shownSheet();
    if (!sheet) return View();
    auto it = m_views.find(sheet);
    return it == m_views.end() ? View() : it->second;
}

void Window::extent(int *rows, int *columns) const
{
    std::shared_ptr<Worksheet> sheet = shownSheet();
    if (!sheet) {
        *rows = SheetMetrics::StandardRows;
        *columns = SheetMetrics::StandardColumns;
        return;
    }
    extentOf(sheet->data(), rows, columns);
}

void Window::extentOf(const SheetData &sheet, int *rows, int *columns) const
{
    if (m_extent.sheet != &sheet || m_extent.version != sheet.version ||
        m_extent.rowVectors != sheet.rows.size()) {
        m_extent.sheet = &sheet;
        m_extent.version = sheet.version;
        m_extent.rowVectors = sheet.rows.size();
        SheetMetrics::gridExtent(sheet, &m_extent.rows, &m_extent.columns);
    }
    *rows = m_extent.rows;
    *columns = m_extent.columns;
}

bool Window::setView(const View &wanted)
{
    std::shared_ptr<Worksheet> sheet = requireSheet();
    int rows = 0, columns = 0;
    extentOf(sheet->data(), &rows, &columns);
    View v = wanted;
    v.zoom = std::clamp(v.zoom, 10, 400);
    v.scrollRow = std::clamp(v.scrollRow, 1, rows);
    v.scrollColumn = std::clamp(v.scrollColumn, 1, columns);
    // Forget the views of sheets whose workbooks are gone.
    for (auto it = m_views.begin(); it != m_views.end();)
        it = it->first.expired() ? m_views.erase(it) : std::next(it);
    View &stored = m_views[sheet];
    const bool differs = stored.zoom != v.zoom || stored.scrollRow != v.scrollRow ||
                         stored.scrollColumn != v.scrollColumn;
    stored = v;
    if (differs) changed();
    return differs;
}

void Window::changed() const
{
    if (std::shared_ptr<Application> app = m_application.lock()) app->notifyViewChanged();
}

int Window::Zoom() const
{
    requireSheet();
    return view().zoom;
}

void Window::setZoom(int percent)
{
    if (percent < 10 || percent > 400)
        ModelErrors::refuse(
            QStringLiteral("Zoom must lie between 10 and 400 percent; %1 was given.").arg(percent));
    View v = view();
    v.zoom = percent;
    setView(v);
}

int Window::ScrollRow() const
{
    requireSheet();
    return view().scrollRow;
}

void Window::setScrollRow(int row)
{
    if (row < 1) ModelErrors::refuse(QStringLiteral("There is no row %1 to scroll to.").arg(row));
    View v = view();
    v.scrollRow = row;
    setView(v);
}

int Window::ScrollColumn() const
{
    requireSheet();
    return view().scrollColumn;
}

void Window::setScrollColumn(int column)
{
    if (column < 1)
        ModelErrors::refuse(QStringLiteral("There is no column %1 to scroll to.").arg(column));
    View v = view();
    v.scrollColumn = column;
    setView(v);
}

GridGeometry Window::geometry() const
{
    std::shared_ptr<Worksheet> sheet = requireSheet();
    std::shared_ptr<Application> app = m_application.lock();
    WindowView *w = app ? app->windowView(false) : nullptr;
    const QSize area = w ? w->cellArea() : WindowView::NominalArea;
    const int dpi = w ? w->dpi() : 96;
    int rows = 0, columns = 0;
    extentOf(sheet->data(), &rows, &columns);
    const View v = view();
    return GridGeometry(sheet->data(), v.zoom, dpi, v.scrollRow, v.scrollColumn, area, rows,
                        columns);
}

Range Window::VisibleRange() const
{
    std::shared_ptr<Worksheet> sheet = requireSheet();
    const GridGeometry g = geometry();
    return excel::Range(
        sheet, CellRect{g.firstRow(), g.firstColumn(), g.lastVisibleRow(), g.lastVisibleColumn()});
}

int Window::PointsToScreenPixelsX(double points) const
{
    std::shared_ptr<Application> app = m_application.lock();
    WindowView *w = app ? app->windowView(false) : nullptr;
    const GridGeometry g = geometry();
    return (w ? w->cellAreaOnScreen().x() : 0) + g.originX() + g.pixels(points);
}

int Window::PointsToScreenPixelsY(double points) const
{
    std::shared_ptr<Application> app = m_application.lock();
    WindowView *w = app ? app->windowView(false) : nullptr;
    const GridGeometry g = geometry();
    return (w ? w->cellAreaOnScreen().y() : 0) + g.originY() + g.pixels(points);
}

} // namespace excel
