#pragma once

#include "platform/excel/GridGeometry.h"
#include "platform/excel/WorkbookData.h"

#include <QBrush>
#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace excel {

class TextCache;

// Draws what a sheet window shows of one sheet: cells with their values as text, font and fill
// colours, fill patterns, merged areas, comment marks, grid lines, the selection and the row
// and column headers. Only the visible rows and columns are looked at.
class SheetPainter
{
public:
    struct Areas
    {
        QRect cells;        // the cell area; the geometry's pixels count from its corner
        QRect columnHeader; // above the cells
        QRect rowHeader;    // left of the cells
        QRect corner;       // above the row header
    };

    // The texts are laid out through the cache, which the window keeps from paint to paint.
    SheetPainter(QPainter &painter, const WorkbookData &book, const SheetData &sheet,
                 const GridGeometry &geometry, const Areas &areas, TextCache &texts);
    // The selection and its active cell, drawn over the cells.
    void setSelection(const CellRect &selection, int activeRow, int activeColumn);
    // The size of the cells' text at 100 percent, in pixels.
    void setFontPixels(double pixels) { m_fontPixels = pixels; }
    void paint();

    // A cell's value as the window shows it: numbers and dates as the runtime writes them,
    // TRUE and FALSE, error texts; a formula without a result shows its text.
    static QString displayText(const WorkbookData &book, const SheetData &sheet, int row,
                               const Cell &cell);
    // The fill of a format: solid colour, a pattern over white, or none.
    static QBrush fillBrush(const CellStyle &style);
    // How a value lines up by default: numbers and dates right, logical values and errors in
    // the middle, text left.
    static Qt::Alignment alignment(const WorkbookData &book, const Cell &cell);

private:
    QRect cellRect(int row, int column) const;
    QRect areaRect(const CellRect &area) const;
    void paintFills();
    void paintGridLines();
    void paintMerges();
    void paintTexts();
    void paintText(const Cell &cell, const QRect &rect, int clipRight, int row);
    template <typename Text>
    void drawText(int x, int top, int width, const Text &text, QRgb ink, int clipRight);
    int greekedWidth(const QString &text) const;
    int greekedUnit() const;
    void drawGreeked(int x, int top, int width, QRgb ink, int clipRight);
    void paintComments();
    void paintSelection();
    void paintHeaders();
    const CellStyle &styleOf(const Cell &cell) const;
    bool coveredByMerge(int row, int column) const;

    QPainter &m_p;
    TextCache &m_texts;
    int m_ascent = 0, m_descent = 0;
    // Texts too small to read are drawn as bars where their glyphs would be.
    bool m_greeked = false;
    const WorkbookData &m_book;
    const SheetData &m_sheet;
    const GridGeometry &m_g;
    Areas m_areas;
    CellRect m_selection{0, 0, 0, 0};
    int m_activeRow = 0, m_activeColumn = 0;
    double m_fontPixels = 15;
    std::vector<const CellRect *> m_visibleMerges;
};

} // namespace excel
