#include "ui/ClsSplitWnd.h"

#include "core/Twips.h"
#include "platform/text/BasicText.h"
#include "ui/TwipsGeometry.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

int rounded(double value)
{
    return int(BasicText::roundHalfEven(value));
}

} // namespace

ClsSplitWnd::ClsSplitWnd(QObject *parent) : QObject(parent) {}

void ClsSplitWnd::Initialize(QWidget *bar, QWidget *leftPane, QWidget *rightPane)
{
    if (m_bar) m_bar->removeEventFilter(this);
    m_bar = bar;
    m_leftPane = leftPane;
    m_rightPane = rightPane;
    m_anchor = NoDrag;
    if (!m_bar) return;
    m_BackColor = m_bar->palette().color(m_bar->backgroundRole());
    m_bar->raise();
    m_bar->setCursor(Qt::SplitHCursor);
    m_bar->installEventFilter(this);
}

void ClsSplitWnd::setBarColor(const QColor &color)
{
    if (!m_bar || !color.isValid()) return;
    QPalette palette = m_bar->palette();
    palette.setColor(m_bar->backgroundRole(), color);
    m_bar->setPalette(palette);
}

void ClsSplitWnd::LayoutPanes()
{
    if (!m_rightPane || !m_bar) return;
    const int x = rounded(TwipsGeometry::left(m_bar) + TwipsGeometry::width(m_bar));
    const int w = rounded(m_Width - x);
    TwipsGeometry::move(m_rightPane, x, m_Top, w, m_Height);
}

void ClsSplitWnd::OnParentResize()
{
    if (m_leftPane)
        TwipsGeometry::move(m_leftPane, m_Left, m_Top, TwipsGeometry::width(m_leftPane), m_Height);
    if (m_bar && m_leftPane)
        TwipsGeometry::move(m_bar,
                            TwipsGeometry::left(m_leftPane) + TwipsGeometry::width(m_leftPane),
                            m_Top, m_SplitWidth, m_Height);
    LayoutPanes();
}

void ClsSplitWnd::mouseDown(Qt::MouseButton button, double x)
{
    if (button == Qt::LeftButton) {
        setBarColor(m_BackColor);
        m_anchor = rounded(x);
        return;
    }
    // Another button ends a drag as letting go would.
    if (dragging()) mouseUp(x);
    m_anchor = NoDrag;
}

void ClsSplitWnd::mouseMove(Qt::MouseButtons buttons, double x)
{
    if (!(buttons & Qt::LeftButton) || !dragging() || rounded(x) == m_anchor) return;
    if (!m_bar) return;
    const double pos = TwipsGeometry::left(m_bar) + x;
    if (pos < m_MinWidth || pos > m_MaxWidth) return;
    if (m_leftPane && pos > TwipsGeometry::left(m_leftPane))
        TwipsGeometry::setWidth(m_leftPane, pos - TwipsGeometry::left(m_leftPane));
    TwipsGeometry::move(m_bar, pos, m_Top);
    LayoutPanes();
    m_anchor = rounded(x);
}

void ClsSplitWnd::mouseUp(double x)
{
    if (!dragging() || !m_bar) return;
    const double pos = TwipsGeometry::left(m_bar) + x;
    // Let go beyond the limit: the bar stays where it last was and the drag is not over.
    if (pos > m_MaxWidth) return;
    if (rounded(x) != m_anchor) {
        int p = rounded(pos);
        if (p < rounded(m_MinWidth)) p = rounded(m_MinWidth);
        if (m_leftPane) TwipsGeometry::setWidth(m_leftPane, p);
        TwipsGeometry::move(m_bar, p, m_Top, m_SplitWidth, m_Height);
    }
    m_anchor = NoDrag;

    const int b = TwipsGeometry::left(m_bar);
    if (m_leftPane) {
        const int paneLeft = TwipsGeometry::left(m_leftPane);
        if (b > m_MinWidth && b < m_Width - m_MinWidth)
            TwipsGeometry::setWidth(m_leftPane, b > paneLeft ? b - paneLeft : 0);
        else if (b < m_MinWidth)
            TwipsGeometry::setWidth(m_leftPane, m_MinWidth);
    }
    // The bar stays at the drop position b (it already is there).
    TwipsGeometry::move(m_bar, b, TwipsGeometry::top(m_bar));
    LayoutPanes();
    emit Resize();
}

bool ClsSplitWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_bar) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        mouseDown(e->button(), e->position().x() * Twips::perPixel());
        return true;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        mouseMove(e->buttons(), e->position().x() * Twips::perPixel());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        mouseUp(e->position().x() * Twips::perPixel());
        return true;
    }
    default:
        return false;
    }
}
