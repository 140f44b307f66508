#include "engine/ModApiType.h"
#include "core/Twips.h"

#include <gtest/gtest.h>

namespace {

struct ScreenDpi
{
    explicit ScreenDpi(int dpi) { Twips::setDpiOverride(dpi); }
    ~ScreenDpi() { Twips::setDpiOverride(0); }
};

} // namespace

TEST(ModApiType, ConvertsWithTheScreensResolutionAndHalvesToEven)
{
    struct Case
    {
        int dpi, twips, pixels;
    };
    // At 96 dpi a pixel is 15 twips, at 120 dpi 12 twips.
    for (const Case c : {Case{96, 15, 1}, Case{96, 7, 0}, Case{96, 8, 1}, Case{96, 1440, 96},
                         Case{120, 6, 0}, Case{120, 18, 2}, Case{120, 30, 2}, Case{96, -23, -2},
                         Case{144, 5, 0}, Case{144, 15, 2}}) {
        ScreenDpi screen(c.dpi);
        EXPECT_EQ(ModApiType::TwipsToPixels(c.twips), c.pixels) << c.dpi << " dpi " << c.twips;
    }
    ScreenDpi screen(96);
    EXPECT_EQ(ModApiType::GetScreenDpi(true), 96);
    EXPECT_EQ(ModApiType::GetScreenDpi(false), 96);
    EXPECT_EQ(ModApiType::PointsToPixels(12), 16);
    EXPECT_EQ(ModApiType::PointsToPixels(48), 64);
}
