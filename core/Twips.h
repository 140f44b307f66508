#pragma once

#include <functional>

// Window geometry is stored and laid out in twips (1/1440 inch); the window system works in
// pixels. Every conversion between the two goes through here, so that a test can fix the
// screen's resolution and get the same numbers on any machine.
class Twips
{
public:
    // Dots per inch of the screen: the override when one is set, else the provider's answer,
    // else 96.
    static int dpi();
    // Fixes the resolution (tests, or a user's setting); 0 removes the override.
    static void setDpiOverride(int dotsPerInch);
    // Where the resolution comes from when there is no override; the window layer installs one
    // that asks the screen. An empty function puts back the fixed 96.
    static void setDpiProvider(std::function<int()> provider);

    // 1440 / dpi: 15 at 96 DPI.
    static double perPixel();
    // Twips to whole pixels, rounded to the nearest whole number with halves to even.
    static int toPixels(double twips);
    // Pixels to twips, rounded the same way.
    static int fromPixels(double pixels);
    // Points (1/72 inch) to whole pixels: 20 twips a point.
    static int pointsToPixels(double points);
};
