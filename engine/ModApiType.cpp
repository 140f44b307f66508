#include "engine/ModApiType.h"

#include "core/Twips.h"

namespace ModApiType {

// One resolution for every conversion of the program: the window layer tells Twips the
// screen's, tests fix it there.
int GetScreenDpi(bool)
{
    return Twips::dpi();
}

int TwipsToPixels(int twips)
{
    return Twips::toPixels(twips);
}

int PointsToPixels(int points)
{
    return Twips::pointsToPixels(points);
}

} // namespace ModApiType
