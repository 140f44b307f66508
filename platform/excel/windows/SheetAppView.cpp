#include "platform/excel/windows/SheetAppView.h"

#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/win/Windows.h"

namespace excel {

SheetAppView::SheetAppView(std::shared_ptr<Application> application)
    : m_main(new SheetMainWindow(application, win::CreateLogicalThread()))
{
}

SheetAppView::~SheetAppView()
{
    // Hidden and unregistered at once, deleted from the event loop: the application may go
    // while one of its window's own events runs.
    if (m_main) win::DestroyWindow(m_main->hwnd());
}

int SheetAppView::hwnd() const
{
    return m_main ? m_main->hwnd() : 0;
}

void SheetAppView::setVisible(bool visible)
{
    if (!m_main) return;
    m_main->setVisible(visible);
    if (!visible) return;
    m_main->grid()->setFocus(Qt::OtherFocusReason);
    m_main->viewChanged();
}

void SheetAppView::viewChanged()
{
    if (m_main) m_main->viewChanged();
}

void SheetAppView::contentChanged()
{
    if (m_main) m_main->contentChanged();
}

QSize SheetAppView::cellArea() const
{
    return m_main ? m_main->grid()->cellArea() : NominalArea;
}

QPoint SheetAppView::cellAreaOnScreen() const
{
    return m_main ? m_main->grid()->cellAreaOnScreen() : QPoint();
}

int SheetAppView::dpi() const
{
    return m_main ? m_main->grid()->dpi() : 96;
}

} // namespace excel
