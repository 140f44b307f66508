#include "ui/ScreenDpi.h"

#include "core/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace ScreenDpi {

int screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) return 96;
    const int dpi = int(std::lround(screen->logicalDotsPerInchX()));
    return dpi > 0 ? dpi : 96;
}

void install()
{
    Twips::setDpiProvider(&screenDpi);
}

} // namespace ScreenDpi
