#pragma once

#include "platform/win/WinTypes.h"

#include <memory>

namespace excel {
class Application;
}

// Where a worksheet cell lies in the client area of a spreadsheet application's main window,
// and the ellipse that marks it.
namespace ModDrawInExcel {

// The cell's mark rectangle (one pixel inside its grid lines) in the client coordinates of the
// application's main window, when the cell is on screen in the active window; otherwise, or when
// the application cannot answer (no sheet shown), the rectangle is left as it is.
void GetCellClientRect(const std::shared_ptr<excel::Application> &app, int row, int column,
                       win::RECT &rect);
// An unfilled ellipse in the rectangle, drawn with a one-pixel pen of the colour (0xBBGGRR); the
// context's own pen and brush are put back afterwards.
void DrawEllipseInRect(win::HDC dc, const win::RECT &rect, win::COLORREF colour);

} // namespace ModDrawInExcel
