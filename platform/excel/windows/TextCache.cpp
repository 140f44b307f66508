#include "platform/excel/windows/TextCache.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

namespace excel {

void TextCache::setFont(const QFont &font)
{
    if (font == m_font && m_raw.isValid()) return;
    m_font = font;
    m_laid.clear();
    m_batches.clear();
    m_raw = QRawFont::fromFont(font);
    m_glyphsUsable = m_raw.isValid();
    m_ascent = m_raw.isValid() ? m_raw.ascent() : 0;
    if (!m_glyphsUsable) return;
    QString all;
    for (char16_t c = 32; c < 127; ++c)
        all += QChar(c);
    const QList<quint32> indexes = m_raw.glyphIndexesForString(all);
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(indexes);
    if (indexes.size() != 95 || advances.size() != 95) {
        m_glyphsUsable = false;
        return;
    }
    for (int i = 0; i < 95; ++i) {
        m_glyphs[std::size_t(i)] = Glyph{indexes[i], advances[i].x()};
        // A font without one of these characters leaves them to the full layout.
        if (indexes[i] == 0 && i != 0) m_glyphsUsable = false;
    }
}

bool TextCache::simple(const QString &text) const
{
    if (!m_glyphsUsable) return false;
    for (QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126) return false;
    return true;
}

const TextCache::Laid &TextCache::laidOut(const QString &text)
{
    auto it = m_laid.constFind(text);
    if (it != m_laid.constEnd()) return *it;
    if (m_laid.size() >= kMaxLaidOut) m_laid.clear();
    Laid laid;
    QTextLayout layout(text, m_font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    layout.endLayout();
    if (line.isValid()) {
        laid.width = qCeil(line.naturalTextWidth());
        for (const QGlyphRun &g : layout.glyphRuns()) {
            Run run;
            run.font = g.rawFont();
            run.indexes = g.glyphIndexes();
            run.positions = g.positions();
            const QList<QPointF> advances = run.font.advancesForGlyphIndexes(run.indexes);
            for (const QPointF &a : advances)
                run.advances.append(a.x());
            laid.runs.push_back(std::move(run));
        }
    }
    return *m_laid.insert(text, std::move(laid));
}

int TextCache::width(const QString &text)
{
    if (!simple(text)) return laidOut(text).width;
    qreal w = 0;
    for (QChar c : text)
        w += m_glyphs[std::size_t(c.unicode() - 32)].advance;
    return qCeil(w);
}

TextCache::Batch &TextCache::batch(const QRawFont &font, QRgb ink)
{
    for (Batch &b : m_batches)
        if (b.ink == ink && b.font == font) return b;
    m_batches.push_back(Batch{font, ink, {}, {}});
    return m_batches.back();
}

void TextCache::draw(int x, int top, const QString &text, QRgb ink, int clipRight)
{
    if (simple(text)) {
        Batch &b = batch(m_raw, ink);
        qreal pen = x;
        const qreal baseline = top + m_ascent;
        for (QChar c : text) {
            const Glyph &g = m_glyphs[std::size_t(c.unicode() - 32)];
            if (pen + g.advance > clipRight) break;
            b.indexes.append(g.index);
            b.positions.append(QPointF(pen, baseline));
            pen += g.advance;
        }
        return;
    }
    for (const Run &run : laidOut(text).runs) {
        Batch &b = batch(run.font, ink);
        for (qsizetype i = 0; i < run.indexes.size(); ++i) {
            const QPointF p = run.positions[i] + QPointF(x, top);
            if (p.x() + run.advances.value(i) > clipRight) break;
            b.indexes.append(run.indexes[i]);
            b.positions.append(p);
        }
    }
}

void TextCache::flush(QPainter &painter)
{
    for (Batch &b : m_batches) {
        if (b.indexes.isEmpty()) continue;
        QGlyphRun run;
        run.setRawFont(b.font);
        run.setGlyphIndexes(b.indexes);
        run.setPositions(b.positions);
        painter.setPen(QColor(b.ink));
        painter.drawGlyphRun(QPointF(0, 0), run);
        b.indexes.clear();
        b.positions.clear();
    }
}

} // namespace excel
