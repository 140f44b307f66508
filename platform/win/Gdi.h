#pragma once

#include "platform/win/WinTypes.h"

#include <QImage>
#include <vector>

class QWidget;

// A subset of the drawing functions over Qt images. A window's device context draws into the
// window's overlay (above its children), which is cleared when the window's content is next
// painted; memory device contexts draw into bitmaps. Shapes are drawn without antialiasing;
// a rectangle's right and bottom edges lie outside what is drawn.
namespace win {

// GetDC(0) is the screen: only GetDeviceCaps means anything there.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// A bitmap of the given size (1 to 16384 pixels each way), black; 0 otherwise.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HGDIOBJ GetStockObject(int object);
// Selects a pen, brush or (into a memory context) bitmap; returns the one of the same kind it
// replaces, 0 on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Stock objects are never deleted; deleting an object still selected somewhere leaves it
// working there until it is replaced.
BOOL DeleteObject(HGDIOBJ object);
// SRCCOPY only. From a window's context it copies what the window shows (its children and
// what was drawn on it); to a window's context it draws on the window.
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// LOGPIXELSX / LOGPIXELSY (the screen's logical resolution), HORZRES / VERTRES.
int GetDeviceCaps(HDC dc, int index);

// --- for the windows of this layer and for tests ---
// Fixes the logical resolution that GetDeviceCaps reports (0: ask the screen; 96 without one).
void setScreenDpi(int dotsPerInch);
// A window's content is painted anew (WM_PAINT does this): what was drawn on it and its
// ancestors through device contexts is gone. Qt's own repaints (exposure, the overlay itself)
// leave the drawing in place.
void clearOverlays(QWidget *painted);
// Every Ellipse call, when logging is on: the window whose context (or whose compatible memory
// context) it drew into, its rectangle and pen colour.
struct EllipseCall
{
    HWND window = 0;
    bool memory = false;
    RECT rect;
    COLORREF color = 0;
};
void setEllipseLogging(bool on);
std::vector<EllipseCall> takeEllipseLog();
// What a window shows drawn over it now (a null image when nothing), and a bitmap's pixels.
QImage overlayImage(HWND hwnd);
QImage bitmapImage(HBITMAP bitmap);

} // namespace win
