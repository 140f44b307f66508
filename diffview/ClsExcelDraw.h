#pragma once

#include "platform/win/WinTypes.h"

#include <memory>

class ClsMap;

namespace excel {
class Application;
}

// Draws one pass of difference marks over a spreadsheet application's main window: the window's
// picture is copied into a memory bitmap, every mark is drawn there, and the bitmap is copied
// back at once, so the window does not flicker. The marks live on the screen only; the window's
// next repaint wipes them. Use a new object for every pass: Initialize, BeginDraw, DrawDiffCols
// for each row, EndDraw.
class ClsExcelDraw
{
public:
    ClsExcelDraw();
    // Frees what a BeginDraw took when no EndDraw followed (without drawing).
    ~ClsExcelDraw();
    ClsExcelDraw(const ClsExcelDraw &) = delete;
    ClsExcelDraw &operator=(const ClsExcelDraw &) = delete;

    // The application whose main window is drawn on.
    void Initialize(std::shared_ptr<excel::Application> app);
    // Copies the window's client area into a new memory bitmap. An application without a window
    // gives nothing to draw on, and the drawing members then do nothing.
    void BeginDraw();
    // Copies the bitmap back onto the window and frees the drawing objects.
    void EndDraw();
    // An ellipse for every differing column of the row: the field map's keys are column letters
    // or numbers; empty keys are skipped.
    void DrawDiffCols(int row, const ClsMap &fieldMap);
    // An ellipse around one cell, when it is on screen.
    void DrawCellInMemDc(int row, int column);

    win::COLORREF colour() const { return m_colour; }

private:
    void release();

    std::shared_ptr<excel::Application> m_app;
    win::HWND m_hwnd = 0;
    win::HDC m_windowDc = 0;
    win::HDC m_memDc = 0;
    win::HBITMAP m_bitmap = 0;
    win::HGDIOBJ m_oldBitmap = 0;
    int m_width = 0;
    int m_height = 0;
    win::COLORREF m_colour = 255; // pure red
};
