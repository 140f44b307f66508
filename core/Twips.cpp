#include "core/Twips.h"

#include "platform/text/BasicText.h"

namespace {
int g_override = 0;
std::function<int()> g_provider;
} // namespace

int Twips::dpi()
{
    if (g_override > 0) return g_override;
    if (g_provider) {
        const int d = g_provider();
        if (d > 0) return d;
    }
    return 96;
}

void Twips::setDpiOverride(int dotsPerInch)
{
    g_override = dotsPerInch > 0 ? dotsPerInch : 0;
}

void Twips::setDpiProvider(std::function<int()> provider)
{
    g_provider = std::move(provider);
}

double Twips::perPixel()
{
    return 1440.0 / dpi();
}

int Twips::toPixels(double twips)
{
    return static_cast<int>(BasicText::roundHalfEven(twips * dpi() / 1440.0));
}

int Twips::fromPixels(double pixels)
{
    return static_cast<int>(BasicText::roundHalfEven(pixels * 1440.0 / dpi()));
}

int Twips::pointsToPixels(double points)
{
    return toPixels(points * 20.0);
}
