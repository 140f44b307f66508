#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <array>
#include <unordered_map>
#include <vector>

class QPainter;

namespace excel {

// Draws the cells' texts in one font as batches of glyphs, without shaping a text twice: texts
// of printable ASCII characters (numbers, codes, most names) are set glyph by glyph from a table
// of the font's glyphs; other texts (Chinese, for one, with its fallback font) are laid out once
// and their glyphs kept, until the font changes or too many are kept. The glyphs wait for flush,
// which draws all of one font and colour at once.
//
// When the painter paints on an image without scaling (the window's backing store), texts go
// straight into the image instead: each glyph's coverage, as Qt renders it at that fraction of a
// pixel, is kept and blended in at once. Qt's own way costs more per glyph than a small glyph
// costs to blend, which tells when a zoomed-out sheet shows a hundred thousand of them.
class TextCache
{
public:
    void setFont(const QFont &font);
    int width(const QString &text);
    // The same for texts of Latin-1 characters (numbers as the window writes them), without
    // making a QString of them.
    int width(QLatin1StringView text);
    // Texts drawn until flush go to this painter, straight into its image where it can.
    void begin(QPainter &painter);
    // Draws the text with its top-left corner at (x, top); glyphs that would reach past
    // clipRight are left out.
    void draw(int x, int top, const QString &text, QRgb ink, int clipRight);
    void draw(int x, int top, QLatin1StringView text, QRgb ink, int clipRight);
    void flush(QPainter &painter);
    // Whether texts may be blended straight into the painter's image (on when the kept coverage
    // gives what Qt draws); off draws through Qt only.
    void setDirect(bool on) { m_directAllowed = on; }
    bool direct() const { return m_directAllowed && m_directUsable; }

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
    // One glyph's coverage at one fraction of a pixel: width x height bytes from (dx, dy) off
    // the whole-pixel part of the glyph's position.
    struct Mask
    {
        std::vector<uchar> coverage;
        int width = 0, height = 0;
        int dx = 0, dy = 0;
    };
    // The image that texts are blended into, between begin and flush.
    struct Target
    {
        uchar *bits = nullptr;
        qsizetype stride = 0;
        QPoint offset;
        std::vector<QRect> clips;
    };
    static constexpr int kMaxLaidOut = 20000;
    static constexpr std::size_t kMaxMasks = 50000;
    static constexpr std::size_t kRecent = 4096;
    // Past this size Qt blends a glyph faster than blendGlyph; below it Qt's cost per glyph is
    // most of the cost.
    static constexpr int kDirectMaxPixels = 9;

    bool openTarget(QPainter &painter, Target *target) const;
    int fontId(const QRawFont &font);
    const Mask &mask(int font, quint32 index, int phaseX, int phaseY);
    void blendGlyph(int font, quint32 index, qreal x, qreal y, QRgb ink);
    void blendMask(const Mask &mask, int x, int y, QRgb ink);
    void forgetMasks();
    bool probeDirect();

    template <typename Text> bool simple(const Text &text) const;
    template <typename Text> int simpleWidth(const Text &text) const;
    template <typename Text>
    void drawSimple(int x, int top, const Text &text, QRgb ink, int clipRight);
    const Laid &laidOut(const QString &text);
    Batch &batch(const QRawFont &font, QRgb ink);

    QFont m_font;
    QRawFont m_raw;
    qreal m_ascent = 0;
    std::array<Glyph, 95> m_glyphs{}; // ' ' .. '~'
    bool m_glyphsUsable = false;
    QHash<QString, Laid> m_laid;
    std::vector<Batch> m_batches;
    std::vector<QRawFont> m_maskFonts; // the fonts that the masks' keys number
    std::unordered_map<quint64, Mask> m_masks;
    std::vector<std::pair<quint64, const Mask *>> m_recent; // by key modulo kRecent
    // The table's glyphs at its baseline's fraction of a pixel, by character and fraction of x.
    std::vector<const Mask *> m_tableMasks;
    int m_tablePhaseY = -1;
    Target m_target;
    bool m_targetOpen = false;
    bool m_directAllowed = true;
    bool m_directUsable = false;
};

} // namespace excel
