#include "ui/ScreenDpi.h"

#include "core/Twips.h"
#include "platform/win/Gdi.h"

namespace ScreenDpi {

int screenDpi()
{
    // The window layer's answer, so that a resolution fixed there holds for the twips as well.
    win::HDC screen = win::GetDC(0);
    const int dpi = win::GetDeviceCaps(screen, win::LOGPIXELSX);
    win::ReleaseDC(0, screen);
    return dpi > 0 ? dpi : 96;
}

void install()
{
    Twips::setDpiProvider(&screenDpi);
}

} // namespace ScreenDpi
