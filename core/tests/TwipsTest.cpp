#include "core/Twips.h"

#include <gtest/gtest.h>

namespace {

struct DpiGuard
{
    explicit DpiGuard(int dpi) { Twips::setDpiOverride(dpi); }
    ~DpiGuard()
    {
        Twips::setDpiOverride(0);
        Twips::setDpiProvider({});
    }
};

TEST(Twips, ConvertsAtCommonResolutionsWithHalvesToEven)
{
    struct Case
    {
        int dpi;
        double twips;
        int pixels;
    };
    const Case cases[] = {
        {96, 1440, 96},   {96, 15, 1},  {96, 7.5, 0}, {96, 22.5, 2}, {96, 900, 60},
        {120, 1440, 120}, {120, 18, 2}, {144, 5, 0},  {144, 15, 2},  {96, -22.5, -2},
    };
    for (const Case &c : cases) {
        DpiGuard guard(c.dpi);
        EXPECT_EQ(Twips::toPixels(c.twips), c.pixels) << c.dpi << " dpi, " << c.twips << " twips";
    }
}

TEST(Twips, RoundTripsWholePixelsAndPoints)
{
    DpiGuard guard(96);
    EXPECT_DOUBLE_EQ(Twips::perPixel(), 15.0);
    for (int px : {0, 1, 7, 640, 1920})
        EXPECT_EQ(Twips::toPixels(Twips::fromPixels(px)), px);
    EXPECT_EQ(Twips::pointsToPixels(12), 16);
    EXPECT_EQ(Twips::pointsToPixels(15), 20);
}

TEST(Twips, OverrideWinsOverProviderAndBadAnswersFallBack)
{
    DpiGuard guard(0);
    EXPECT_EQ(Twips::dpi(), 96);
    Twips::setDpiProvider([] { return 120; });
    EXPECT_EQ(Twips::dpi(), 120);
    Twips::setDpiOverride(144);
    EXPECT_EQ(Twips::dpi(), 144);
    Twips::setDpiOverride(0);
    Twips::setDpiProvider([] { return 0; });
    EXPECT_EQ(Twips::dpi(), 96);
}

} // namespace
