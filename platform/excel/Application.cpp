#include "platform/excel/Application.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/Window.h"
#include "platform/excel/WindowView.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"

namespace excel {

Application::Application() = default;

Application::~Application()
{
    if (m_workbooks && !m_quit) m_workbooks->Close();
    m_view.reset();
}

std::shared_ptr<Application> Application::create()
{
    return std::shared_ptr<Application>(new Application());
}

void Application::check() const
{
    if (m_quit) ModelErrors::gone(QStringLiteral("The application"));
}

std::shared_ptr<Workbooks> Application::Workbooks()
{
    check();
    if (!m_workbooks) m_workbooks = std::make_shared<excel::Workbooks>(weak_from_this());
    return m_workbooks;
}

std::shared_ptr<Workbook> Application::ActiveWorkbook()
{
    check();
    std::shared_ptr<Workbook> active = m_active.lock();
    if (active && !active->isClosed()) return active;
    // the last opened workbook that is still open
    if (m_workbooks && m_workbooks->Count() > 0) return m_workbooks->Item(m_workbooks->Count());
    return nullptr;
}

std::shared_ptr<Window> Application::ActiveWindow()
{
    check();
    if (!m_window) m_window = std::make_shared<Window>(weak_from_this());
    return m_window;
}

std::shared_ptr<Worksheet> Application::ActiveSheet()
{
    std::shared_ptr<Workbook> book = ActiveWorkbook();
    return book ? book->ActiveSheet() : nullptr;
}

WindowView *Application::windowView(bool create)
{
    if (!m_view && create && !m_quit && WindowView::factory())
        m_view = WindowView::factory()(shared_from_this());
    return m_view.get();
}

void Application::notifyViewChanged()
{
    if (m_view && m_screenUpdating) m_view->viewChanged();
}

void Application::notifyContentChanged()
{
    if (m_view && m_screenUpdating) m_view->contentChanged();
}

bool Application::Visible() const
{
    check();
    return m_visible;
}

void Application::setVisible(bool visible)
{
    check();
    m_visible = visible;
    if (WindowView *view = windowView(visible)) view->setVisible(visible);
}

bool Application::ScreenUpdating() const
{
    check();
    return m_screenUpdating;
}

void Application::setScreenUpdating(bool on)
{
    check();
    const bool was = m_screenUpdating;
    m_screenUpdating = on;
    if (on && !was) notifyViewChanged();
}

bool Application::DisplayAlerts() const
{
    check();
    return m_displayAlerts;
}

void Application::setDisplayAlerts(bool on)
{
    check();
    m_displayAlerts = on;
}

bool Application::EnableEvents() const
{
    return m_enableEvents;
}

void Application::setEnableEvents(bool on)
{
    check();
    m_enableEvents = on;
}

int Application::Hwnd()
{
    check();
    WindowView *view = windowView(true);
    return view ? view->hwnd() : 0;
}

void Application::Quit()
{
    if (m_quit) return;
    if (m_workbooks) m_workbooks->Close();
    m_visible = false;
    m_quit = true;
    m_view.reset();
}

void Application::setActiveWorkbook(const std::shared_ptr<Workbook> &workbook)
{
    m_active = workbook;
    notifyContentChanged();
}

QString Application::nextBookName()
{
    return QStringLiteral("Book%1").arg(++m_bookCounter);
}

} // namespace excel
