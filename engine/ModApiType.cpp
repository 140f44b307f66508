#include "engine/ModApiType.h"

#include "platform/text/BasicText.h"
#include "platform/win/Gdi.h"

namespace ModApiType {

int GetScreenDpi(bool horizontal)
{
    win::HDC screen = win::GetDC(0);
    const int dpi = win::GetDeviceCaps(screen, horizontal ? win::LOGPIXELSX : win::LOGPIXELSY);
    win::ReleaseDC(0, screen);
    return dpi;
}

int TwipsToPixels(int twips)
{
    return int(BasicText::roundHalfEven(twips / 1440.0 * GetScreenDpi(true)));
}

int PointsToPixels(int points)
{
    return TwipsToPixels(points * 20);
}

} // namespace ModApiType
