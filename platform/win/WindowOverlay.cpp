#include "platform/win/WindowOverlay.h"

#include <QEvent>
#include <QPainter>

namespace win {

WindowOverlay::WindowOverlay(QWidget *window) : QWidget(window)
{
    setObjectName(QStringLiteral("qx_overlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window->rect());
    window->installEventFilter(this);
    hide();
}

WindowOverlay *WindowOverlay::of(QWidget *window, bool create)
{
    for (QObject *child : window->children())
        if (auto *overlay = dynamic_cast<WindowOverlay *>(child)) return overlay;
    return create ? new WindowOverlay(window) : nullptr;
}

QImage &WindowOverlay::image()
{
    const QSize size = parentWidget()->size();
    if (m_image.size() != size) {
        m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
    }
    return m_image;
}

void WindowOverlay::changed()
{
    setGeometry(parentWidget()->rect());
    raise();
    show();
    update();
}

void WindowOverlay::clear()
{
    if (m_image.isNull() && isHidden()) return;
    m_image = QImage();
    hide();
}

void WindowOverlay::paintEvent(QPaintEvent *)
{
    if (m_image.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

bool WindowOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) clear();
    return QWidget::eventFilter(watched, event);
}

} // namespace win
