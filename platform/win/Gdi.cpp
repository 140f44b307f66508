#include "platform/win/Gdi.h"

#include "platform/win/GdiTable.h"
#include "platform/win/WindowOverlay.h"
#include "platform/win/WindowTable.h"
#include "platform/win/Windows.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace win {

namespace {

using Object = GdiTable::Object;
using Kind = GdiTable::Kind;
using DcKind = GdiTable::DcKind;

constexpr int kMaxBitmapSide = 16384;

GdiTable &gdi()
{
    return GdiTable::instance();
}

QColor colorOf(COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// A memory context's 1x1 bitmap before one is selected.
HGDIOBJ defaultBitmap()
{
    static HGDIOBJ handle = [] {
        auto o = std::make_shared<Object>();
        o->kind = Kind::Bitmap;
        o->stock = true;
        o->image = QImage(1, 1, QImage::Format_RGB32);
        o->image.fill(Qt::black);
        return gdi().add(std::move(o));
    }();
    return handle;
}

std::shared_ptr<Object> newDc(DcKind kind, HWND window)
{
    auto dc = std::make_shared<Object>();
    dc->kind = Kind::Dc;
    dc->dc = kind;
    dc->window = window;
    dc->pen = gdi().stock(BLACK_PEN);
    dc->penObject = gdi().find(dc->pen);
    dc->brush = gdi().stock(WHITE_BRUSH);
    dc->brushObject = gdi().find(dc->brush);
    if (kind == DcKind::Memory) {
        dc->bitmap = defaultBitmap();
        dc->bitmapObject = gdi().find(dc->bitmap);
    }
    return dc;
}

// The image a context draws into, with the overlay to show afterwards for a window context.
QImage *targetOf(Object &dc, WindowOverlay **overlay)
{
    *overlay = nullptr;
    switch (dc.dc) {
    case DcKind::Memory:
        return dc.bitmapObject ? &dc.bitmapObject->image : nullptr;
    case DcKind::Window: {
        QWidget *w = widgetOf(dc.window);
        if (!w) return nullptr;
        *overlay = WindowOverlay::of(w, true);
        return &(*overlay)->image();
    }
    case DcKind::Screen:
        return nullptr;
    }
    return nullptr;
}

// What a window shows of its own, without what was drawn over it: the overlay is left out.
QImage captureBeneath(QWidget *w, const WindowOverlay *overlay)
{
    QImage image(w->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    QPainter p(&image);
    for (QObject *child : w->children()) {
        auto *c = qobject_cast<QWidget *>(child);
        if (!c || c == overlay || c->isHidden() || c->isWindow()) continue;
        c->render(&p, c->pos(), QRegion(), QWidget::DrawChildren);
    }
    return image;
}

// What a window shows: its own painting, its children and what was drawn over it. The part
// beneath the overlay is kept for the copy back onto the window that usually follows.
QImage capture(HWND window)
{
    QWidget *w = widgetOf(window);
    if (!w) return QImage();
    WindowOverlay *overlay = WindowOverlay::of(w, false);
    QImage image = captureBeneath(w, overlay);
    auto &kept = gdi().beneath;
    std::erase_if(kept, [window](const auto &k) { return k.first == window; });
    if (kept.size() >= 4) kept.erase(kept.begin());
    kept.emplace_back(window, image);
    if (overlay && !overlay->isHidden()) {
        QPainter p(&image);
        p.drawImage(0, 0, overlay->image());
    }
    return image;
}

// The window's picture beneath its overlay: the one the last capture of it took, else anew.
QImage beneathOf(HWND window, const WindowOverlay *overlay)
{
    QWidget *w = widgetOf(window);
    auto &kept = gdi().beneath;
    const auto found = std::find_if(kept.begin(), kept.end(),
                                    [window](const auto &k) { return k.first == window; });
    if (found != kept.end()) {
        const QImage image = std::move(found->second);
        kept.erase(found);
        if (image.size() == w->size().expandedTo(QSize(1, 1))) return image;
    }
    return captureBeneath(w, overlay);
}

// A picture copied onto a window covers only the pixels where it differs from what the window
// shows: the rest stays live, so that a cell being edited under the marks shows what is typed,
// as a window's own painting would overwrite a copy on the screen.
void keepOnlyChanges(QImage &drawn, const QImage &beneath)
{
    const int width = std::min(drawn.width(), beneath.width());
    const int height = std::min(drawn.height(), beneath.height());
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(drawn.scanLine(y));
        const auto *under = reinterpret_cast<const QRgb *>(beneath.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if (line[x] == under[x]) line[x] = 0;
    }
}

void setupPainter(QPainter &p, const Object &dc)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const Object *pen = dc.penObject.get();
    if (!pen || pen->style == PS_NULL) {
        p.setPen(Qt::NoPen);
    } else {
        QPen qpen(colorOf(pen->color));
        qpen.setWidth(std::max(1, pen->width));
        qpen.setStyle(pen->style == PS_DASH  ? Qt::DashLine
                      : pen->style == PS_DOT ? Qt::DotLine
                                             : Qt::SolidLine);
        p.setPen(qpen);
    }
    const Object *brush = dc.brushObject.get();
    if (!brush || brush->style == 1)
        p.setBrush(Qt::NoBrush);
    else
        p.setBrush(colorOf(brush->color));
}

BOOL drawShape(HDC handle, int left, int top, int right, int bottom, bool ellipse)
{
    std::shared_ptr<Object> dc = gdi().find(handle, Kind::Dc);
    if (!dc) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (ellipse && gdi().logging) {
        EllipseCall call;
        call.window = dc->window;
        call.memory = dc->dc == DcKind::Memory;
        call.rect = RECT{left, top, right, bottom};
        call.color = dc->penObject ? dc->penObject->color : 0;
        gdi().log.push_back(call);
    }
    WindowOverlay *overlay = nullptr;
    QImage *target = targetOf(*dc, &overlay);
    if (!target) return dc->dc == DcKind::Screen ? TRUE : FALSE;
    if (right - left < 1 || bottom - top < 1) return TRUE; // nothing inside
    {
        QPainter p(target);
        setupPainter(p, *dc);
        // The shape covers left .. right - 1 and top .. bottom - 1.
        const QRect box(left, top, right - left - 1, bottom - top - 1);
        if (ellipse)
            p.drawEllipse(box);
        else
            p.drawRect(box);
    }
    if (overlay) overlay->changed();
    return TRUE;
}

} // namespace

HDC GetDC(HWND hwnd)
{
    if (hwnd == 0) return gdi().add(newDc(DcKind::Screen, 0));
    if (!widgetOf(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return gdi().add(newDc(DcKind::Window, hwnd));
}

int ReleaseDC(HWND, HDC dc)
{
    std::shared_ptr<Object> o = gdi().find(dc, Kind::Dc);
    if (!o || o->dc == DcKind::Memory) return 0;
    gdi().remove(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc)
{
    HWND window = 0;
    if (dc) {
        std::shared_ptr<Object> source = gdi().find(dc, Kind::Dc);
        if (!source) return 0;
        window = source->window;
    }
    return gdi().add(newDc(DcKind::Memory, window));
}

BOOL DeleteDC(HDC dc)
{
    std::shared_ptr<Object> o = gdi().find(dc, Kind::Dc);
    if (!o) return FALSE;
    gdi().remove(dc);
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    if (!gdi().find(dc, Kind::Dc) || width < 1 || height < 1 || width > kMaxBitmapSide ||
        height > kMaxBitmapSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto o = std::make_shared<Object>();
    o->kind = Kind::Bitmap;
    o->image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    o->image.fill(Qt::black);
    return gdi().add(std::move(o));
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto o = std::make_shared<Object>();
    o->kind = Kind::Pen;
    o->style = style;
    o->width = width;
    o->color = color;
    return gdi().add(std::move(o));
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto o = std::make_shared<Object>();
    o->kind = Kind::Brush;
    o->color = color;
    return gdi().add(std::move(o));
}

HGDIOBJ GetStockObject(int object)
{
    return gdi().stock(object);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    std::shared_ptr<Object> d = gdi().find(dc, Kind::Dc);
    std::shared_ptr<Object> o = gdi().find(object);
    if (!d || !o) return 0;
    HGDIOBJ old = 0;
    switch (o->kind) {
    case Kind::Pen:
        old = d->pen;
        d->pen = object;
        d->penObject = o;
        break;
    case Kind::Brush:
        old = d->brush;
        d->brush = object;
        d->brushObject = o;
        break;
    case Kind::Bitmap:
        if (d->dc != DcKind::Memory) return 0;
        old = d->bitmap;
        d->bitmap = object;
        d->bitmapObject = o;
        break;
    case Kind::Dc:
        return 0;
    }
    return old;
}

BOOL DeleteObject(HGDIOBJ object)
{
    std::shared_ptr<Object> o = gdi().find(object);
    if (!o || o->kind == Kind::Dc) return FALSE;
    return gdi().remove(object) ? TRUE : FALSE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop)
{
    std::shared_ptr<Object> d = gdi().find(dest, Kind::Dc);
    std::shared_ptr<Object> s = gdi().find(source, Kind::Dc);
    if (!d || !s || rop != SRCCOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (width <= 0 || height <= 0) return TRUE;
    QImage from;
    if (s->dc == DcKind::Memory) {
        if (!s->bitmapObject) return FALSE;
        from = s->bitmapObject->image;
    } else if (s->dc == DcKind::Window) {
        from = capture(s->window);
    } else {
        return FALSE;
    }
    WindowOverlay *overlay = nullptr;
    QImage *target = targetOf(*d, &overlay);
    if (!target) return d->dc == DcKind::Screen ? TRUE : FALSE;
    if (overlay) {
        // The same format as the window's own picture, so that equal pixels compare equal.
        from = from.copy(QRect(sx, sy, width, height))
                   .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        sx = sy = 0;
        keepOnlyChanges(from, beneathOf(d->window, overlay).copy(QRect(x, y, width, height)));
    }
    {
        QPainter p(target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(x, y), from, QRect(sx, sy, width, height));
    }
    if (overlay) overlay->changed();
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    return drawShape(dc, left, top, right, bottom, true);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    return drawShape(dc, left, top, right, bottom, false);
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!gdi().find(dc, Kind::Dc)) return 0;
    QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                          ? QGuiApplication::primaryScreen()
                          : nullptr;
    switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: {
        if (gdi().dpiOverride > 0) return gdi().dpiOverride;
        if (!screen) return 96;
        const qreal dpi =
            index == LOGPIXELSX ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
        return dpi > 0 ? int(std::lround(dpi)) : 96;
    }
    case HORZRES:
        return screen ? screen->geometry().width() : 0;
    case VERTRES:
        return screen ? screen->geometry().height() : 0;
    default:
        return 0;
    }
}

void setScreenDpi(int dotsPerInch)
{
    gdi().dpiOverride = dotsPerInch > 0 ? dotsPerInch : 0;
}

void clearOverlays(QWidget *painted)
{
    for (QWidget *w = painted; w; w = w->parentWidget())
        if (WindowOverlay *overlay = WindowOverlay::of(w, false)) overlay->clear();
}

void setEllipseLogging(bool on)
{
    gdi().logging = on;
    if (!on) gdi().log.clear();
}

std::vector<EllipseCall> takeEllipseLog()
{
    std::vector<EllipseCall> out;
    out.swap(gdi().log);
    return out;
}

QImage overlayImage(HWND hwnd)
{
    QWidget *w = widgetOf(hwnd);
    WindowOverlay *overlay = w ? WindowOverlay::of(w, false) : nullptr;
    if (!overlay || overlay->isHidden()) return QImage();
    return overlay->image();
}

QImage bitmapImage(HBITMAP bitmap)
{
    std::shared_ptr<Object> o = gdi().find(bitmap, Kind::Bitmap);
    return o ? o->image : QImage();
}

} // namespace win
