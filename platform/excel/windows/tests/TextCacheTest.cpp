#include "platform/excel/windows/TextCache.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <gtest/gtest.h>

namespace {

struct Scene
{
    const char *name;
    QRegion clip; // empty: none
    QPoint shift; // the painter's translation
    QRgb background;
};

// Texts drawn at one size through Qt's glyph runs or blended straight into the image.
QImage drawn(int pixels, bool direct, const Scene &scene)
{
    QImage image(240, 60, QImage::Format_RGB32);
    image.fill(scene.background);
    excel::TextCache texts;
    texts.setDirect(direct);
    QFont font;
    font.setPixelSize(pixels);
    texts.setFont(font);
    QPainter p(&image);
    p.translate(scene.shift);
    if (!scene.clip.isEmpty()) p.setClipRegion(scene.clip);
    texts.begin(p);
    texts.draw(2, 1, QStringLiteral("item 42 Wg"), qRgb(0, 0, 0), 200);
    texts.draw(5, 15, QLatin1StringView("-1234.5E+07"), qRgb(255, 0, 0), 200);
    texts.draw(1, 30, QStringLiteral("文本12 数量"), qRgb(128, 128, 128), 200);
    texts.draw(3, 42, QStringLiteral("cut short by the next cell"), qRgb(0, 0, 255), 60);
    texts.flush(p);
    return image;
}

int worstChannelDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace

// The window blends small glyphs itself: what it draws must be what Qt draws, whatever the
// size, colour, background, clipping and translation.
TEST(TextCache, BlendedGlyphsLookAsQtDrawsThem)
{
    const Scene scenes[] = {
        {"plain", QRegion(), QPoint(0, 0), qRgb(255, 255, 255)},
        {"filled", QRegion(), QPoint(0, 0), qRgb(255, 255, 0)},
        {"clipped", QRegion(10, 0, 50, 60), QPoint(0, 0), qRgb(255, 255, 255)},
        {"two clip rects", QRegion(0, 0, 30, 60) + QRegion(70, 5, 40, 40), QPoint(0, 0),
         qRgb(255, 255, 255)},
        {"translated", QRegion(), QPoint(7, 3), qRgb(255, 255, 255)},
    };
    for (int pixels : {3, 4, 6, 7, 9})
        for (const Scene &scene : scenes) {
            SCOPED_TRACE(std::string(scene.name) + " at " + std::to_string(pixels) + " px");
            const QImage viaQt = drawn(pixels, false, scene);
            const QImage blended = drawn(pixels, true, scene);
            EXPECT_NE(viaQt, QImage(240, 60, QImage::Format_RGB32)); // something was drawn
            EXPECT_LE(worstChannelDifference(viaQt, blended), 1);
        }
}

TEST(TextCache, BlendsOnlySmallTextsWhereItMatchesQt)
{
    excel::TextCache texts;
    QFont font;
    for (const auto &[pixels, direct] : {std::pair{3, true}, {9, true}, {13, false}, {40, false}}) {
        font.setPixelSize(pixels);
        texts.setFont(font);
        EXPECT_EQ(texts.direct(), direct) << pixels << " px";
    }
    texts.setDirect(false);
    font.setPixelSize(5);
    texts.setFont(font);
    EXPECT_FALSE(texts.direct());
}
