#include "ui/ScreenDpi.h"
#include "core/Twips.h"
#include "platform/win/Gdi.h"

#include <gtest/gtest.h>

TEST(ScreenDpi, TheTwipsFollowTheWindowLayersResolution)
{
    ScreenDpi::install();
    win::setScreenDpi(120);
    EXPECT_EQ(Twips::dpi(), 120);
    EXPECT_EQ(Twips::toPixels(1440), 120);
    win::setScreenDpi(96);
    EXPECT_EQ(Twips::toPixels(1440), 96);
    win::setScreenDpi(0);
    EXPECT_EQ(Twips::dpi(), ScreenDpi::screenDpi());
    Twips::setDpiProvider({});
}
