#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <array>
#include <vector>

class QPainter;

namespace excel {

// Draws the cells' texts in one font as batches of glyphs, without shaping a text twice: texts
// of printable ASCII characters (numbers, codes, most names) are set glyph by glyph from a table
// of the font's glyphs; other texts (Chinese, for one, with its fallback font) are laid out once
// and their glyphs kept, until the font changes or too many are kept. The glyphs wait for flush,
// which draws all of one font and colour at once.
class TextCache
{
public:
    void setFont(const QFont &font);
    int width(const QString &text);
    // Queues the text with its top-left corner at (x, top); glyphs that would reach past
    // clipRight are left out.
    void draw(int x, int top, const QString &text, QRgb ink, int clipRight);
    void flush(QPainter &painter);

private:
    struct Glyph
    {
        quint32 index = 0;
        qreal advance = 0;
    };
    struct Run
    {
        QRawFont font;
        QList<quint32> indexes;
        QList<QPointF> positions; // from the text's top-left corner
        QList<qreal> advances;
    };
    struct Laid
    {
        std::vector<Run> runs;
        int width = 0;
    };
    struct Batch
    {
        QRawFont font;
        QRgb ink = 0;
        QList<quint32> indexes;
        QList<QPointF> positions;
    };
    static constexpr int kMaxLaidOut = 20000;

    bool simple(const QString &text) const;
    const Laid &laidOut(const QString &text);
    Batch &batch(const QRawFont &font, QRgb ink);

    QFont m_font;
    QRawFont m_raw;
    qreal m_ascent = 0;
    std::array<Glyph, 95> m_glyphs{}; // ' ' .. '~'
    bool m_glyphsUsable = false;
    QHash<QString, Laid> m_laid;
    std::vector<Batch> m_batches;
};

} // namespace excel
