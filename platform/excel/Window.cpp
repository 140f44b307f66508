#include "platform/excel/Window.h"

#include "platform/text/BasicError.h"

namespace excel {

void Window::setZoom(int percent)
{
    if (percent < 10 || percent > 400)
        throw BasicError(
            1004,
            QStringLiteral("Zoom must lie between 10 and 400 percent; %1 was given.").arg(percent));
    m_zoom = percent;
}

} // namespace excel
