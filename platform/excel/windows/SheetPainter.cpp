#include "platform/excel/windows/SheetPainter.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/SheetMetrics.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/XmlText.h"
#include "platform/excel/windows/TextCache.h"
#include "platform/text/BasicText.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace excel {

namespace {

const QColor kGridLine(0xD4, 0xD4, 0xD4);
const QColor kHeaderFill(0xF2, 0xF2, 0xF2);
const QColor kHeaderSelected(0xD2, 0xDF, 0xEE);
const QColor kHeaderLine(0xB8, 0xB8, 0xB8);
const QColor kSelectionBorder(0x21, 0x73, 0x46);
const QColor kSelectionFill(0x21, 0x73, 0x46, 36);
const QColor kCommentMark(0xD0, 0x00, 0x00);
constexpr int kPadding = 2;
constexpr double kGreekedBelowPixels = 5;

QColor rgbColor(std::int32_t rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int mod4(int v)
{
    return ((v % 4) + 4) % 4;
}

// Whether pixel (x, y) of an 8 x 8 tile is set for a fill pattern.
bool patternBit(int pattern, int x, int y)
{
    switch (pattern) {
    case -4126: // darkGray, 75 %
        return !(x % 2 == 1 && y % 2 == 1);
    case -4125: // mediumGray, 50 %
        return (x + y) % 2 == 0;
    case -4124: // lightGray, 25 %
        return x % 2 == 0 && y % 2 == 0;
    case 17: // gray125
        return y % 2 == 0 && mod4(x) == (y % 4 == 0 ? 0 : 2);
    case 18: // gray0625
        return mod4(x) == 0 && mod4(y) == 0;
    case -4128: // darkHorizontal
        return mod4(y) < 2;
    case 11: // lightHorizontal
        return mod4(y) == 0;
    case -4166: // darkVertical
        return mod4(x) < 2;
    case 12: // lightVertical
        return mod4(x) == 0;
    case -4121: // darkDown: thick lines from top left to bottom right
        return mod4(x - y) < 2;
    case 13: // lightDown
        return mod4(x - y) == 0;
    case -4162: // darkUp: thick lines from bottom left to top right
        return mod4(x + y) < 2;
    case 14: // lightUp
        return mod4(x + y) == 0;
    case 9: // darkGrid: a checkerboard of 2 x 2 squares
        return ((x / 2) + (y / 2)) % 2 == 0;
    case 10: // darkTrellis
        return mod4(x + y) < 2 || mod4(x - y) == 0;
    case 15: // lightGrid
        return mod4(x) == 0 || mod4(y) == 0;
    case 16: // lightTrellis
        return mod4(x + y) == 0 || mod4(x - y) == 0;
    default:
        return true;
    }
}

const QImage &patternTile(int pattern, QRgb ink)
{
    static QHash<QPair<int, QRgb>, QImage> tiles;
    auto key = qMakePair(pattern, ink);
    auto it = tiles.find(key);
    if (it != tiles.end()) return *it;
    QImage tile(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixel(x, y, patternBit(pattern, x, y) ? ink : qRgb(255, 255, 255));
    return *tiles.insert(key, tile);
}

bool hasValue(const Cell &cell)
{
    return cell.kind() != CellKind::Blank || cell.hasFormula;
}

// Upper case in place ("1E+20", "INF"), as the window writes numbers.
void upper(char *first, char *last)
{
    for (char *p = first; p < last; ++p)
        if (*p >= 'a' && *p <= 'z') *p = char(*p - 'a' + 'A');
}

// The number with as many significant digits as fit (exponent form where that is shorter), or
// "#" all across when not even one digit does: into out, its length returned. Numbers are
// written into buffers, not QStrings, as a zoomed-out window shows thousands of them.
int fittedNumber(double value, TextCache &texts, int width, int written, char (&out)[256])
{
    // Start from as many digits as there is room for, and no more than the number has.
    const int room = width / std::max(1, texts.width(QLatin1StringView("0")));
    for (int digits = std::clamp(std::min(room + 1, written), 1, 14); digits >= 1; --digits) {
        const auto r = std::to_chars(out, out + 64, value, std::chars_format::general, digits);
        if (r.ec != std::errc()) break;
        upper(out, r.ptr);
        const int length = int(r.ptr - out);
        if (texts.width(QLatin1StringView(out, length)) <= width) return length;
    }
    const int hashes =
        std::clamp(width / std::max(1, texts.width(QLatin1StringView("#"))), 1, int(sizeof out));
    std::fill(out, out + hashes, '#');
    return hashes;
}

// A number as the runtime writes it (15 significant digits, plain between 1E-05 and 1E+15), into
// out, its length returned. The shortest text that reads back as the number is that text
// whenever it has at most 15 significant digits, since a double carries more than 15; other
// numbers take the long way.
int numberChars(double value, char (&out)[64])
{
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e-5 && magnitude < 1e15) {
        const auto result = std::to_chars(out, out + sizeof out, value, std::chars_format::fixed);
        if (result.ec == std::errc()) {
            int significant = 0;
            bool leading = true;
            for (const char *p = out; p < result.ptr; ++p) {
                if (*p < '0' || *p > '9') continue;
                if (leading && *p == '0') continue;
                leading = false;
                ++significant;
            }
            if (significant <= 15) return int(result.ptr - out);
        }
    }
    const QByteArray text = BasicText::fromDouble(value).toLatin1();
    const int length = int(std::min<qsizetype>(text.size(), qsizetype(sizeof out)));
    std::copy(text.constData(), text.constData() + length, out);
    return length;
}

// The significant digits of a number as numberChars writes it.
int significantDigits(QLatin1StringView written)
{
    int digits = 0;
    bool leading = true;
    for (char c : written) {
        if (c == 'E' || c == 'e') break;
        if (c < '0' || c > '9' || (leading && c == '0')) continue;
        leading = false;
        ++digits;
    }
    return digits;
}

QString numberText(double value)
{
    char buf[64];
    return QString::fromLatin1(buf, numberChars(value, buf));
}

} // namespace

SheetPainter::SheetPainter(QPainter &painter, const WorkbookData &book, const SheetData &sheet,
                           const GridGeometry &geometry, const Areas &areas, TextCache &texts)
    : m_p(painter), m_texts(texts), m_book(book), m_sheet(sheet), m_g(geometry), m_areas(areas)
{
    const CellRect visible{m_g.firstRow(), m_g.firstColumn(), m_g.lastVisibleRow(),
                           m_g.lastVisibleColumn()};
    for (const CellRect &m : m_sheet.merges)
        if (CellStore::intersects(m, visible)) m_visibleMerges.push_back(&m);
}

void SheetPainter::setSelection(const CellRect &selection, int activeRow, int activeColumn)
{
    m_selection = selection;
    m_activeRow = activeRow;
    m_activeColumn = activeColumn;
}

QString SheetPainter::displayText(const WorkbookData &book, const SheetData &sheet, int row,
                                  const Cell &cell)
{
    switch (cell.kind()) {
    case CellKind::String:
        return cell.string() < book.strings.size() ? book.strings[cell.string()] : QString();
    case CellKind::Number: {
        const CellStyle &style =
            cell.style < book.styles.size() ? book.styles[cell.style] : book.styles.front();
        if (style.isDate) return CellStore::value(book, cell).toText();
        return numberText(cell.number());
    }
    case CellKind::Boolean:
        return cell.boolean() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellKind::Error:
        return XmlText::errorText(cell.error());
    case CellKind::Blank:
        return CellStore::formulaText(sheet, row, cell);
    }
    return QString();
}

QBrush SheetPainter::fillBrush(const CellStyle &style)
{
    if (style.fillPattern == StyleCodes::PatternNone) return Qt::NoBrush;
    if (style.fillPattern == StyleCodes::PatternSolid)
        return style.fillColor >= 0 ? QBrush(rgbColor(style.fillColor)) : QBrush(Qt::NoBrush);
    const QRgb ink = style.fillColor >= 0 ? rgbColor(style.fillColor).rgb() : qRgb(0, 0, 0);
    return QBrush(patternTile(style.fillPattern, ink));
}

Qt::Alignment SheetPainter::alignment(const WorkbookData &, const Cell &cell)
{
    switch (cell.kind()) {
    case CellKind::Number:
        return Qt::AlignRight;
    case CellKind::Boolean:
    case CellKind::Error:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

const CellStyle &SheetPainter::styleOf(const Cell &cell) const
{
    return cell.style < m_book.styles.size() ? m_book.styles[cell.style] : m_book.styles.front();
}

QRect SheetPainter::cellRect(int row, int column) const
{
    const int x = m_areas.cells.left() + m_g.columnLeft(column);
    const int y = m_areas.cells.top() + m_g.rowTop(row);
    return QRect(x, y, m_g.columnLeft(column + 1) - m_g.columnLeft(column),
                 m_g.rowTop(row + 1) - m_g.rowTop(row));
}

QRect SheetPainter::areaRect(const CellRect &area) const
{
    // A merged area may reach beyond what is visible: its corners come from the points.
    const double left = SheetMetrics::left(m_sheet, area.firstColumn);
    const double right = SheetMetrics::left(m_sheet, area.lastColumn + 1);
    const double top = SheetMetrics::top(m_sheet, area.firstRow);
    const double bottom = SheetMetrics::top(m_sheet, area.lastRow + 1);
    const int x = m_areas.cells.left() + m_g.originX() + m_g.pixels(left);
    const int y = m_areas.cells.top() + m_g.originY() + m_g.pixels(top);
    return QRect(QPoint(x, y),
                 QPoint(m_areas.cells.left() + m_g.originX() + m_g.pixels(right) - 1,
                        m_areas.cells.top() + m_g.originY() + m_g.pixels(bottom) - 1));
}

bool SheetPainter::coveredByMerge(int row, int column) const
{
    for (const CellRect *m : m_visibleMerges)
        if (row >= m->firstRow && row <= m->lastRow && column >= m->firstColumn &&
            column <= m->lastColumn)
            return true;
    return false;
}

void SheetPainter::paint()
{
    m_p.save();
    m_p.setClipRect(m_areas.cells);
    m_p.fillRect(m_areas.cells, Qt::white);
    paintGridLines();
    paintFills();
    paintMerges();
    paintTexts();
    paintComments();
    paintSelection();
    m_p.restore();
    paintHeaders();
}

void SheetPainter::paintGridLines()
{
    // One-pixel rectangles: a plain span fill, cheaper than stroking lines.
    const QRect &a = m_areas.cells;
    const int bottom = std::min(a.bottom(), a.top() + m_g.rowTop(m_g.lastVisibleRow() + 1) - 1);
    const int right =
        std::min(a.right(), a.left() + m_g.columnLeft(m_g.lastVisibleColumn() + 1) - 1);
    for (int c = m_g.firstColumn(); c <= m_g.lastVisibleColumn(); ++c) {
        const int x = a.left() + m_g.columnLeft(c + 1) - 1;
        if (m_g.columnLeft(c + 1) > m_g.columnLeft(c))
            m_p.fillRect(QRect(x, a.top(), 1, bottom - a.top() + 1), kGridLine);
    }
    for (int r = m_g.firstRow(); r <= m_g.lastVisibleRow(); ++r) {
        const int y = a.top() + m_g.rowTop(r + 1) - 1;
        if (m_g.rowTop(r + 1) > m_g.rowTop(r))
            m_p.fillRect(QRect(a.left(), y, right - a.left() + 1, 1), kGridLine);
    }
}

void SheetPainter::paintFills()
{
    const int lastRow = m_g.lastVisibleRow();
    const int firstColumn = m_g.firstColumn(), lastColumn = m_g.lastVisibleColumn();
    m_p.setBrushOrigin(0, 0);
    // Neighbouring cells of one format are filled as one rectangle.
    std::uint32_t runStyle = 0;
    int runRow = 0, runFirst = 0, runLast = -1;
    auto flush = [&] {
        if (runLast < runFirst) return;
        const QBrush brush = fillBrush(m_book.styles[runStyle]);
        const QRect rect = cellRect(runRow, runFirst).united(cellRect(runRow, runLast));
        if (brush.style() == Qt::TexturePattern) m_p.fillRect(rect, Qt::white);
        m_p.fillRect(rect, brush);
        runLast = runFirst - 1;
    };
    for (int r = m_g.firstRow(); r <= lastRow && std::size_t(r) <= m_sheet.rows.size(); ++r) {
        const std::vector<Cell> &cells = m_sheet.rows[std::size_t(r - 1)];
        auto it = std::lower_bound(cells.begin(), cells.end(), firstColumn,
                                   [](const Cell &c, int col) { return c.column < col; });
        for (; it != cells.end() && it->column <= lastColumn; ++it) {
            const std::uint32_t style = it->style < m_book.styles.size() ? it->style : 0;
            const CellStyle &format = m_book.styles[style];
            const bool filled =
                format.fillPattern != StyleCodes::PatternNone &&
                (format.fillPattern != StyleCodes::PatternSolid || format.fillColor >= 0) &&
                (m_visibleMerges.empty() || !coveredByMerge(r, it->column));
            if (filled && runLast >= runFirst && runRow == r && runStyle == style &&
                it->column == runLast + 1) {
                runLast = it->column;
                continue;
            }
            flush();
            if (!filled) continue;
            runStyle = style;
            runRow = r;
            runFirst = runLast = it->column;
        }
        flush();
    }
}

void SheetPainter::paintMerges()
{
    for (const CellRect *m : m_visibleMerges) {
        const QRect rect = areaRect(*m);
        const Cell *first = CellStore::find(m_sheet, m->firstRow, m->firstColumn);
        m_p.fillRect(rect.adjusted(0, 0, -1, -1), Qt::white);
        if (first) {
            const QBrush brush = fillBrush(styleOf(*first));
            if (brush.style() != Qt::NoBrush) m_p.fillRect(rect.adjusted(0, 0, -1, -1), brush);
        }
        m_p.setPen(kGridLine);
        m_p.setBrush(Qt::NoBrush);
        m_p.drawLine(rect.topRight(), rect.bottomRight());
        m_p.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
}

void SheetPainter::paintTexts()
{
    const double fontPixels = m_fontPixels * m_g.scale() * 72.0 / 96.0;
    if (fontPixels < 3) return; // too small to see: the cells show their colours only
    // Below five pixels glyphs are smudges nobody reads, and a zoomed-out page has tens of
    // thousands of them: a bar where each text stands shows the sheet's shape at a fraction of
    // the cost.
    m_greeked = fontPixels < kGreekedBelowPixels;
    QFont font = m_p.font();
    font.setPixelSize(std::max(1, int(fontPixels + 0.5)));
    m_p.setFont(font);
    m_texts.setFont(font);
    m_texts.begin(m_p);
    const QFontMetrics fm(font);
    m_ascent = fm.ascent();
    m_descent = fm.descent();
    const int lastRow = m_g.lastVisibleRow();
    const int firstColumn = m_g.firstColumn(), lastColumn = m_g.lastVisibleColumn();
    const int areaRight = m_areas.cells.right() + 1;
    for (int r = m_g.firstRow(); r <= lastRow && std::size_t(r) <= m_sheet.rows.size(); ++r) {
        const std::vector<Cell> &cells = m_sheet.rows[std::size_t(r - 1)];
        if (cells.empty()) continue;
        auto it = std::lower_bound(cells.begin(), cells.end(), firstColumn,
                                   [](const Cell &c, int col) { return c.column < col; });
        // Text that starts left of the view may run into it.
        auto before = it;
        while (before != cells.begin()) {
            --before;
            if (!hasValue(*before)) continue;
            if (before->kind() == CellKind::String && !coveredByMerge(r, before->column) &&
                SheetMetrics::columnWidth(m_sheet, before->column) > 0) {
                const double leftPts = SheetMetrics::left(m_sheet, before->column);
                const int x = m_areas.cells.left() + m_g.originX() + m_g.pixels(leftPts);
                const int w = m_g.pixels(SheetMetrics::columnWidth(m_sheet, before->column));
                const QRect rect(x, cellRect(r, firstColumn).top(), w,
                                 m_g.rowTop(r + 1) - m_g.rowTop(r));
                int clip = areaRight;
                if (it != cells.end()) {
                    auto next = std::find_if(it, cells.end(), hasValue);
                    if (next != cells.end() && next->column <= lastColumn)
                        clip = cellRect(r, next->column).left();
                }
                paintText(*before, rect, clip, r);
            }
            break;
        }
        for (; it != cells.end() && it->column <= lastColumn; ++it) {
            if (!hasValue(*it)) continue;
            if (!m_visibleMerges.empty() && coveredByMerge(r, it->column)) continue;
            const QRect rect = cellRect(r, it->column);
            if (rect.width() <= 0) continue; // a hidden column shows nothing
            int clip = rect.right() + 1;
            if (it->kind() == CellKind::String) {
                auto next = std::find_if(it + 1, cells.end(), hasValue);
                clip = next != cells.end() && next->column <= lastColumn
                           ? cellRect(r, next->column).left()
                           : areaRight;
                for (const CellRect *m : m_visibleMerges)
                    if (r >= m->firstRow && r <= m->lastRow && m->firstColumn > it->column)
                        clip = std::min(clip, areaRect(*m).left());
            }
            paintText(*it, rect, clip, r);
        }
    }
    for (const CellRect *m : m_visibleMerges) {
        const Cell *first = CellStore::find(m_sheet, m->firstRow, m->firstColumn);
        if (!first || !hasValue(*first)) continue;
        const QRect rect = areaRect(*m);
        paintText(*first, rect, rect.right() + 1, m->firstRow);
    }
    m_texts.flush(m_p);
}

void SheetPainter::paintText(const Cell &cell, const QRect &rect, int clipRight, int row)
{
    if (rect.height() < 4) return;
    const int top = rect.bottom() - 1 - m_descent - m_ascent;
    if (top < rect.top() - 2) return; // the row is too low for the text
    const int inner = rect.width() - 2 * kPadding;
    const CellStyle &style = styleOf(cell);
    QRgb ink = style.fontColor >= 0 ? rgbColor(style.fontColor).rgb() : qRgb(0, 0, 0);
    if (cell.kind() == CellKind::Blank) ink = qRgb(128, 128, 128); // a formula without a result
    // Glyphs that would cross into the next filled cell are left out; numbers always fit.
    const int right = std::max(clipRight, rect.right() + 1);
    const Qt::Alignment align = alignment(m_book, cell);
    auto place = [&](int width) {
        if (align == Qt::AlignRight) return rect.right() - kPadding - width;
        if (align == Qt::AlignHCenter) return rect.left() + (rect.width() - width) / 2;
        return rect.left() + kPadding;
    };
    if (cell.kind() == CellKind::Number && !style.isDate) {
        char written[64];
        QLatin1StringView text(written, numberChars(cell.number(), written));
        if (m_greeked) {
            // A number never runs past its cell.
            const int width = std::min(inner, int(text.size()) * greekedUnit());
            drawGreeked(place(width), top, width, ink, right);
            return;
        }
        int width = m_texts.width(text);
        char fitted[256];
        if (width > inner) {
            text = QLatin1StringView(fitted, fittedNumber(cell.number(), m_texts, inner,
                                                          significantDigits(text), fitted));
            width = m_texts.width(text);
        }
        drawText(place(width), top, width, text, ink, right);
        return;
    }
    const QString text = displayText(m_book, m_sheet, row, cell);
    if (text.isEmpty()) return;
    const int width = m_greeked ? greekedWidth(text) : m_texts.width(text);
    drawText(place(width), top, width, text, ink, right);
}

template <typename Text>
void SheetPainter::drawText(int x, int top, int width, const Text &text, QRgb ink, int clipRight)
{
    if (m_greeked)
        drawGreeked(x, top, width, ink, clipRight);
    else
        m_texts.draw(x, top, text, ink, clipRight);
}

int SheetPainter::greekedWidth(const QString &text) const
{
    // A bar need not be exact: the width of a digit per character, two for the wide scripts,
    // spares laying out texts nobody can read.
    int units = 0;
    for (QChar c : text)
        units += c.unicode() >= 0x1100 ? 2 : 1;
    return units * greekedUnit();
}

int SheetPainter::greekedUnit() const
{
    return std::max(1, m_ascent * 3 / 5);
}

void SheetPainter::drawGreeked(int x, int top, int width, QRgb ink, int clipRight)
{
    // The bar covers the letters' body, between the baseline and the x-height, in the ink
    // softened as thin glyphs look.
    const int right = std::min(x + width, clipRight);
    if (right <= x) return;
    const int height = std::max(1, m_ascent / 2);
    const QColor colour(qRed(ink), qGreen(ink), qBlue(ink), 170);
    m_p.fillRect(QRect(x, top + m_ascent - height, right - x, height), colour);
}

void SheetPainter::paintComments()
{
    if (m_sheet.comments.empty()) return;
    const auto from = m_sheet.comments.lower_bound(SheetData::commentKey(m_g.firstRow(), 0));
    const auto to =
        m_sheet.comments.upper_bound(SheetData::commentKey(m_g.lastVisibleRow(), 0xFFFF));
    m_p.setPen(Qt::NoPen);
    m_p.setBrush(kCommentMark);
    const int size = std::max(3, m_g.pixels(4));
    for (auto it = from; it != to; ++it) {
        const int row = int(it->first >> 16);
        const int column = int(it->first & 0xFFFF);
        if (!m_g.columnVisible(column)) continue;
        const QRect rect = cellRect(row, column);
        const QPoint tr(rect.right() - 1, rect.top());
        const QPoint pts[3] = {tr, QPoint(tr.x() - size, tr.y()), QPoint(tr.x(), tr.y() + size)};
        m_p.drawPolygon(pts, 3);
    }
}

void SheetPainter::paintSelection()
{
    if (m_selection.firstRow < 1) return;
    const CellRect visible{m_g.firstRow(), m_g.firstColumn(), m_g.lastVisibleRow(),
                           m_g.lastVisibleColumn()};
    if (!CellStore::intersects(m_selection, visible)) return;
    const CellRect shown{std::max(m_selection.firstRow, visible.firstRow),
                         std::max(m_selection.firstColumn, visible.firstColumn),
                         std::min(m_selection.lastRow, visible.lastRow),
                         std::min(m_selection.lastColumn, visible.lastColumn)};
    const QRect first = cellRect(shown.firstRow, shown.firstColumn);
    const QRect last = cellRect(shown.lastRow, shown.lastColumn);
    const QRect box(first.topLeft(), last.bottomRight());
    const bool single = m_selection.firstRow == m_selection.lastRow &&
                        m_selection.firstColumn == m_selection.lastColumn;
    if (!single) {
        QRegion shade(box);
        if (m_g.rowVisible(m_activeRow) && m_g.columnVisible(m_activeColumn))
            shade -= QRegion(cellRect(m_activeRow, m_activeColumn));
        m_p.save();
        m_p.setClipRegion(shade, Qt::IntersectClip);
        m_p.fillRect(box, kSelectionFill);
        m_p.restore();
    }
    QPen pen(kSelectionBorder);
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    m_p.setPen(pen);
    m_p.setBrush(Qt::NoBrush);
    m_p.drawRect(box.adjusted(0, 0, -1, -1));
}

void SheetPainter::paintHeaders()
{
    QFont font = m_p.font();
    // Row numbers shrink with the rows when zoomed out, so that they stay apart.
    const double rowPixels = m_g.pixels(m_sheet.defaultRowHeight);
    font.setPixelSize(std::max(6, int(std::min(m_fontPixels * 0.8, rowPixels * 0.75) + 0.5)));
    m_p.setFont(font);
    const QRect &cells = m_areas.cells;
    m_p.fillRect(m_areas.columnHeader, kHeaderFill);
    m_p.fillRect(m_areas.rowHeader, kHeaderFill);
    m_p.fillRect(m_areas.corner, kHeaderFill);
    m_p.setPen(kHeaderLine);
    m_p.drawLine(m_areas.corner.bottomLeft(), m_areas.corner.bottomRight());
    m_p.drawLine(m_areas.corner.topRight(), m_areas.corner.bottomRight());

    m_p.save();
    m_p.setClipRect(m_areas.columnHeader);
    const QRect &ch = m_areas.columnHeader;
    for (int c = m_g.firstColumn(); c <= m_g.lastVisibleColumn(); ++c) {
        const int x0 = cells.left() + m_g.columnLeft(c);
        const int x1 = cells.left() + m_g.columnLeft(c + 1);
        if (x1 <= x0) continue;
        const QRect r(x0, ch.top(), x1 - x0, ch.height());
        if (m_selection.firstRow >= 1 && c >= m_selection.firstColumn &&
            c <= m_selection.lastColumn)
            m_p.fillRect(r, kHeaderSelected);
        m_p.setPen(kHeaderLine);
        m_p.drawLine(x1 - 1, ch.top(), x1 - 1, ch.bottom());
        m_p.setPen(Qt::black);
        m_p.drawText(r, Qt::AlignCenter, CellAddress::columnLetters(c));
    }
    m_p.setPen(kHeaderLine);
    m_p.drawLine(ch.bottomLeft(), ch.bottomRight());
    m_p.restore();

    m_p.save();
    m_p.setClipRect(m_areas.rowHeader);
    const QRect &rh = m_areas.rowHeader;
    for (int r = m_g.firstRow(); r <= m_g.lastVisibleRow(); ++r) {
        const int y0 = cells.top() + m_g.rowTop(r);
        const int y1 = cells.top() + m_g.rowTop(r + 1);
        if (y1 <= y0) continue;
        const QRect rect(rh.left(), y0, rh.width(), y1 - y0);
        if (m_selection.firstRow >= 1 && r >= m_selection.firstRow && r <= m_selection.lastRow)
            m_p.fillRect(rect, kHeaderSelected);
        m_p.setPen(kHeaderLine);
        m_p.drawLine(rh.left(), y1 - 1, rh.right(), y1 - 1);
        if (y1 - y0 >= 6) {
            m_p.setPen(Qt::black);
            m_p.drawText(rect, Qt::AlignCenter, QString::number(r));
        }
    }
    m_p.setPen(kHeaderLine);
    m_p.drawLine(rh.topRight(), rh.bottomRight());
    m_p.restore();
}

} // namespace excel
