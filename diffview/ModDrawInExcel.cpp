#include "diffview/ModDrawInExcel.h"

#include "engine/ModApiType.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Window.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

namespace ModDrawInExcel {

namespace {

int roundToLong(double value)
{
    return int(BasicText::roundHalfEven(value));
}

} // namespace

void GetCellClientRect(const std::shared_ptr<excel::Application> &app, int row, int column,
                       win::RECT &rect)
{
    if (!app) return;
    try {
        const std::shared_ptr<excel::Window> window = app->ActiveWindow();
        const std::shared_ptr<excel::Worksheet> sheet = app->ActiveSheet();
        if (!window || !sheet) return;
        const excel::Range visible = window->VisibleRange();
        const int firstRow = visible.Row(), rowCount = visible.Rows().Count();
        const int firstColumn = visible.Column(), columnCount = visible.Columns().Count();
        if (row < firstRow || row > firstRow + rowCount - 1 || column < firstColumn ||
            column > firstColumn + columnCount - 1)
            return;

        const float scale = float(window->Zoom()) / 100.0f;
        const excel::Range cell = sheet->Cells(row, column);
        auto scaled = [scale](double points) {
            return double(scale) * ModApiType::PointsToPixels(roundToLong(points));
        };
        const int left = roundToLong(window->PointsToScreenPixelsX(0) + scaled(cell.Left()));
        const int top = roundToLong(window->PointsToScreenPixelsY(0) + scaled(cell.Top()));
        const int right = roundToLong(left + scaled(cell.Width()));
        const int bottom = roundToLong(top + scaled(cell.Height()));

        const win::HWND hwnd = app->Hwnd();
        win::POINT topLeft{left, top}, bottomRight{right, bottom};
        win::ScreenToClient(hwnd, &topLeft);
        win::ScreenToClient(hwnd, &bottomRight);
        rect.left = topLeft.x + 1;
        rect.top = topLeft.y + 1;
        rect.right = bottomRight.x - 1;
        rect.bottom = bottomRight.y - 1;
    } catch (const BasicError &) {
        // A window without a worksheet (or a closed workbook) has no cell to mark: a half
        // worked-out rectangle would put a mark where no cell is.
    }
}

void DrawEllipseInRect(win::HDC dc, const win::RECT &rect, win::COLORREF colour)
{
    const win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, colour);
    const win::HGDIOBJ oldPen = win::SelectObject(dc, pen);
    const win::HGDIOBJ oldBrush = win::SelectObject(dc, win::GetStockObject(win::NULL_BRUSH));
    win::Ellipse(dc, rect.left, rect.top, rect.right, rect.bottom);
    win::SelectObject(dc, oldPen);
    win::DeleteObject(pen);
    win::SelectObject(dc, oldBrush);
}

} // namespace ModDrawInExcel
