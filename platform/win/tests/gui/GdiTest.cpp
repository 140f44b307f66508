#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

using namespace win;

namespace {

class White : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), Qt::white); }
};

// The box of pixels that are not `background`.
QRect inkBox(const QImage &image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(Gdi, EllipseLeavesOutTheRightAndBottomEdgesAndIsNotAntialiased)
{
    HDC screen = GetDC(0);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 40, 30);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    EXPECT_NE(oldBmp, 0u);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(mem, pen);
    HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(Ellipse(mem, 5, 4, 35, 24));
    const QImage img = bitmapImage(bmp);
    EXPECT_EQ(inkBox(img, qRgb(0, 0, 0)), QRect(QPoint(5, 4), QPoint(34, 23)));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            EXPECT_TRUE(p == qRgb(0, 0, 0) || p == qRgb(255, 0, 0)) << x << "," << y;
        }
    EXPECT_EQ(img.pixel(20, 14), qRgb(0, 0, 0)); // outline only
    SelectObject(mem, oldPen);
    SelectObject(mem, oldBrush);
    DeleteObject(pen);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(0, screen);
}

TEST(Gdi, EmptyRectanglesDrawNothingAndEveryCallIsLogged)
{
    QWidget w;
    w.resize(50, 50);
    const HWND h = hwndOf(&w);
    HDC dc = GetDC(h);
    HDC mem = CreateCompatibleDC(dc);
    setEllipseLogging(true);
    Ellipse(mem, 0, 0, 0, 0);
    Ellipse(dc, 30, 30, 10, 10); // corners given backwards
    const std::vector<EllipseCall> log = takeEllipseLog();
    setEllipseLogging(false);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].window, h);
    EXPECT_TRUE(log[0].memory);
    EXPECT_EQ(log[0].rect.right, 0);
    EXPECT_FALSE(log[1].memory);
    EXPECT_EQ(log[1].rect.left, 10);
    EXPECT_EQ(log[1].rect.right, 30);
    EXPECT_EQ(log[1].color, 0u); // the default black pen
    DeleteDC(mem);
    ReleaseDC(h, dc);
}

TEST(Gdi, MarksCopiedOntoAWindowShowUntilItsNextPaint)
{
    QWidget top;
    top.resize(120, 80);
    auto *content = new White;
    content->setParent(&top);
    content->setGeometry(0, 0, 120, 80);
    top.show();
    const HWND h = hwndOf(&top);

    HDC wdc = GetDC(h);
    HDC mem = CreateCompatibleDC(wdc);
    HBITMAP bmp = CreateCompatibleBitmap(wdc, 120, 80);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    ASSERT_TRUE(BitBlt(mem, 0, 0, 120, 80, wdc, 0, 0, SRCCOPY));
    EXPECT_EQ(bitmapImage(bmp).pixel(60, 40), qRgb(255, 255, 255)); // the window's picture
    HPEN pen = CreatePen(PS_SOLID, 1, 255);
    HGDIOBJ oldPen = SelectObject(mem, pen);
    HGDIOBJ oldBrush = SelectObject(mem, GetStockObject(NULL_BRUSH));
    Ellipse(mem, 10, 10, 50, 30);
    ASSERT_TRUE(BitBlt(wdc, 0, 0, 120, 80, mem, 0, 0, SRCCOPY));
    SelectObject(mem, oldPen);
    SelectObject(mem, oldBrush);
    SelectObject(mem, oldBmp);
    DeleteObject(pen);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(h, wdc);

    QImage shown = top.grab().toImage();
    EXPECT_EQ(shown.pixel(10, 20), qRgb(255, 0, 0));
    EXPECT_EQ(overlayImage(h).pixel(10, 20), qRgb(255, 0, 0));
    // Copying the window's picture again keeps the marks (they are on screen) ...
    HDC again = GetDC(h);
    HDC mem2 = CreateCompatibleDC(again);
    HBITMAP bmp2 = CreateCompatibleBitmap(again, 120, 80);
    SelectObject(mem2, bmp2);
    BitBlt(mem2, 0, 0, 120, 80, again, 0, 0, SRCCOPY);
    EXPECT_EQ(bitmapImage(bmp2).pixel(10, 20), qRgb(255, 0, 0));
    DeleteDC(mem2);
    DeleteObject(bmp2);
    ReleaseDC(h, again);
    // ... Qt's own repaints keep them, and the content painted anew wipes them.
    content->repaint();
    EXPECT_FALSE(overlayImage(h).isNull());
    SendMessage(hwndOf(content), WM_PAINT, 0, 0);
    EXPECT_TRUE(overlayImage(h).isNull());
    EXPECT_EQ(top.grab().toImage().pixel(10, 20), qRgb(255, 255, 255));
}

TEST(Gdi, ScreenResolution)
{
    HDC screen = GetDC(0);
    setScreenDpi(120);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 120);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 120);
    setScreenDpi(0);
    EXPECT_GT(GetDeviceCaps(screen, LOGPIXELSX), 0);
    EXPECT_EQ(GetDeviceCaps(0, LOGPIXELSX), 0); // not a context
    ReleaseDC(0, screen);
}

TEST(Gdi, BadHandlesAndSizesAreRefused)
{
    HDC screen = GetDC(0);
    EXPECT_EQ(GetDC(0x7FFFFFF0), 0u);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 0, 10), 0u);
    EXPECT_EQ(CreateCompatibleBitmap(screen, 100000, 10), 0u);
    EXPECT_FALSE(BitBlt(screen, 0, 0, 1, 1, screen, 0, 0, 0x00EE0086));        // only SRCCOPY
    EXPECT_EQ(SelectObject(screen, CreateCompatibleBitmap(screen, 2, 2)), 0u); // not a memory DC
    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));                     // stock stays
    EXPECT_NE(GetStockObject(NULL_BRUSH), 0u);
    EXPECT_FALSE(Ellipse(0x1234, 0, 0, 5, 5));
    ReleaseDC(0, screen);
}
