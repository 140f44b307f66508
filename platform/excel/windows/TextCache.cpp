#include "platform/excel/windows/TextCache.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace excel {

void TextCache::setFont(const QFont &font)
{
    if (font == m_font && m_raw.isValid()) return;
    m_font = font;
    m_laid.clear();
    m_batches.clear();
    forgetMasks();
    m_maskFonts.clear();
    m_directUsable = false;
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
    m_directUsable = font.pixelSize() <= kDirectMaxPixels && probeDirect();
}

namespace {

unsigned code(QChar c)
{
    return c.unicode();
}

unsigned code(char c)
{
    return static_cast<unsigned char>(c);
}

} // namespace

template <typename Text> bool TextCache::simple(const Text &text) const
{
    if (!m_glyphsUsable) return false;
    for (auto c : text)
        if (code(c) < 32 || code(c) > 126) return false;
    return true;
}

template <typename Text> int TextCache::simpleWidth(const Text &text) const
{
    qreal w = 0;
    for (auto c : text)
        w += m_glyphs[std::size_t(code(c) - 32)].advance;
    return qCeil(w);
}

template <typename Text>
void TextCache::drawSimple(int x, int top, const Text &text, QRgb ink, int clipRight)
{
    qreal pen = x;
    const qreal baseline = top + m_ascent;
    if (m_targetOpen) {
        const int fy = qRound((baseline + m_target.offset.y()) * 64);
        if ((fy & 63) != m_tablePhaseY) {
            m_tableMasks.assign(m_glyphs.size() * 64, nullptr);
            m_tablePhaseY = fy & 63;
        }
        for (auto c : text) {
            const std::size_t slot = code(c) - 32;
            const Glyph &g = m_glyphs[slot];
            if (pen + g.advance > clipRight) break;
            const int fx = qRound((pen + m_target.offset.x()) * 64);
            const std::size_t at = slot * 64 + std::size_t(fx & 63);
            const Mask *m = m_tableMasks[at];
            if (!m) {
                m = &mask(0, g.index, fx & 63, fy & 63);
                if (m_tablePhaseY == (fy & 63)) m_tableMasks[at] = m; // else forgotten meanwhile
            }
            blendMask(*m, (fx >> 6) + m->dx, (fy >> 6) + m->dy, ink);
            pen += g.advance;
        }
        return;
    }
    Batch *b = &batch(m_raw, ink);
    for (auto c : text) {
        const Glyph &g = m_glyphs[std::size_t(code(c) - 32)];
        if (pen + g.advance > clipRight) break;
        b->indexes.append(g.index);
        b->positions.append(QPointF(pen, baseline));
        pen += g.advance;
    }
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
    return simple(text) ? simpleWidth(text) : laidOut(text).width;
}

int TextCache::width(QLatin1StringView text)
{
    return simple(text) ? simpleWidth(text) : width(QString(text));
}

void TextCache::draw(int x, int top, QLatin1StringView text, QRgb ink, int clipRight)
{
    if (simple(text))
        drawSimple(x, top, text, ink, clipRight);
    else
        draw(x, top, QString(text), ink, clipRight);
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
        drawSimple(x, top, text, ink, clipRight);
        return;
    }
    if (m_targetOpen) {
        for (const Run &run : laidOut(text).runs) {
            const int font = fontId(run.font);
            for (qsizetype i = 0; i < run.indexes.size(); ++i) {
                const QPointF p = run.positions[i] + QPointF(x, top);
                if (p.x() + run.advances.value(i) > clipRight) break;
                blendGlyph(font, run.indexes[i], p.x(), p.y(), ink);
            }
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

void TextCache::begin(QPainter &painter)
{
    m_targetOpen =
        direct() && m_font.pixelSize() <= kDirectMaxPixels && openTarget(painter, &m_target);
    if (m_targetOpen) fontId(m_raw); // the table's glyphs are font 0
}

void TextCache::flush(QPainter &painter)
{
    m_targetOpen = false;
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

bool TextCache::openTarget(QPainter &painter, Target *target) const
{
    QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return false;
    QPaintDevice *device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image) return false;
    QImage &image = *static_cast<QImage *>(device);
    if ((image.format() != QImage::Format_RGB32 &&
         image.format() != QImage::Format_ARGB32_Premultiplied) ||
        image.devicePixelRatio() != 1.0 || !image.isDetached())
        return false;
    const QTransform t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != qRound(t.dx()) ||
        t.dy() != qRound(t.dy()) ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    target->offset = QPoint(qRound(t.dx()), qRound(t.dy()));
    QRegion clip(image.rect());
    if (painter.hasClipping()) clip &= painter.clipRegion().translated(target->offset);
    if (!engine->systemClip().isEmpty()) clip &= engine->systemClip();
    target->clips.assign(clip.begin(), clip.end());
    // The image is not shared (checked): writing through its bits is what the painter sees.
    target->bits = const_cast<uchar *>(std::as_const(image).constBits());
    target->stride = image.bytesPerLine();
    return true;
}

int TextCache::fontId(const QRawFont &font)
{
    std::size_t id = 0;
    while (id < m_maskFonts.size() && !(m_maskFonts[id] == font))
        ++id;
    if (id == m_maskFonts.size()) m_maskFonts.push_back(font);
    return int(id);
}

void TextCache::forgetMasks()
{
    m_masks.clear();
    m_recent.assign(kRecent, {~quint64(0), nullptr});
    m_tablePhaseY = -1;
}

const TextCache::Mask &TextCache::mask(int font, quint32 index, int phaseX, int phaseY)
{
    const quint64 key =
        (quint64(font) << 44) | (quint64(index) << 12) | quint64(phaseX << 6) | quint64(phaseY);
    auto &slot = m_recent[(key ^ (key >> 12) * 31) % kRecent];
    if (slot.first == key) return *slot.second;
    auto it = m_masks.find(key);
    if (it == m_masks.end()) {
        if (m_masks.size() >= kMaxMasks) forgetMasks();
        it = m_masks.emplace(key, Mask{}).first;
        Mask &m = it->second;
        const QRawFont &raw = m_maskFonts[std::size_t(font)];
        const QRectF box = raw.boundingRect(index);
        if (!box.isEmpty()) {
            // Qt draws the glyph at the same fraction of a pixel into coverage alone.
            const int ox = 4 - qFloor(box.left()), oy = 4 - qFloor(box.top());
            QImage drawn(qCeil(box.width()) + 10, qCeil(box.height()) + 10, QImage::Format_Alpha8);
            drawn.fill(0);
            {
                QPainter p(&drawn);
                QGlyphRun run;
                run.setRawFont(raw);
                run.setGlyphIndexes({index});
                run.setPositions({QPointF(ox + phaseX / 64.0, oy + phaseY / 64.0)});
                p.setPen(Qt::black);
                p.drawGlyphRun(QPointF(0, 0), run);
            }
            QRect used;
            for (int y = 0; y < drawn.height(); ++y) {
                const uchar *line = drawn.constScanLine(y);
                for (int x = 0; x < drawn.width(); ++x)
                    if (line[x]) used |= QRect(x, y, 1, 1);
            }
            if (!used.isEmpty()) {
                m.width = used.width();
                m.height = used.height();
                m.dx = used.left() - ox;
                m.dy = used.top() - oy;
                m.coverage.resize(std::size_t(m.width) * std::size_t(m.height));
                for (int y = 0; y < m.height; ++y)
                    std::memcpy(m.coverage.data() + std::size_t(y) * std::size_t(m.width),
                                drawn.constScanLine(used.top() + y) + used.left(),
                                std::size_t(m.width));
            }
        }
    }
    slot = {key, &it->second};
    return it->second;
}

namespace {

// x * a / 255 for each byte, rounded as Qt's raster engine rounds.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

} // namespace

void TextCache::blendGlyph(int font, quint32 index, qreal x, qreal y, QRgb ink)
{
    // As Qt places a glyph: in 1/64 pixel steps, the whole part in pixels.
    const int fx = qRound((x + m_target.offset.x()) * 64);
    const int fy = qRound((y + m_target.offset.y()) * 64);
    const Mask &m = mask(font, index, fx & 63, fy & 63);
    blendMask(m, (fx >> 6) + m.dx, (fy >> 6) + m.dy, ink);
}

void TextCache::blendMask(const Mask &m, int x, int y, QRgb ink)
{
    if (m.width == 0) return;
    const QRect glyph(x, y, m.width, m.height);
    const quint32 src = 0xff000000u | ink;
    for (const QRect &clip : m_target.clips) {
        const QRect r = glyph & clip;
        if (r.isEmpty()) continue;
        const uchar *cov =
            m.coverage.data() + std::size_t(r.top() - y) * std::size_t(m.width) + (r.left() - x);
        uchar *line = m_target.bits + r.top() * m_target.stride;
        for (int row = r.top(); row <= r.bottom(); ++row) {
            quint32 *dst = reinterpret_cast<quint32 *>(line) + r.left();
            for (int i = 0, n = r.width(); i < n; ++i) {
                const quint32 a = cov[i];
                if (a == 0) continue;
                dst[i] = a == 255 ? src : byteMul(src, a) + byteMul(dst[i], 255 - a);
            }
            cov += m.width;
            line += m_target.stride;
        }
    }
}

bool TextCache::probeDirect()
{
    // Texts drawn both ways must come out the same, else Qt draws text some other way here
    // (coloured sub-pixel text, for one) and the window keeps to Qt.
    const QString sample = QStringLiteral("Hamburgefonstiv 0123456789 #.,-E+ \u6587\u672C");
    const int w = width(sample);
    const int h = qCeil(m_raw.ascent() + m_raw.descent()) + 8;
    QImage viaQt(w + 16, h, QImage::Format_RGB32);
    viaQt.fill(Qt::white);
    QImage blended = viaQt;
    {
        QPainter p(&viaQt);
        draw(3, 2, sample, qRgb(0, 0, 0), w + 16);
        draw(5, 4, sample, qRgb(255, 0, 0), w / 2);
        flush(p);
    }
    bool same = false;
    {
        QPainter p(&blended);
        m_directUsable = true;
        begin(p);
        same = m_targetOpen;
        draw(3, 2, sample, qRgb(0, 0, 0), w + 16);
        draw(5, 4, sample, qRgb(255, 0, 0), w / 2);
        flush(p);
    }
    for (int y = 0; same && y < viaQt.height(); ++y)
        for (int x = 0; same && x < viaQt.width(); ++x) {
            const QRgb a = viaQt.pixel(x, y), b = blended.pixel(x, y);
            same = std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 &&
                   std::abs(qBlue(a) - qBlue(b)) <= 1;
        }
    return same;
}

} // namespace excel
