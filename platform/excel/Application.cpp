#include "platform/excel/Application.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"

namespace excel {

Application::Application() : m_window(std::make_shared<Window>()) {}

Application::~Application()
{
    if (m_workbooks && !m_quit) m_workbooks->Close();
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
    return m_window;
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
    if (m_visibleHandler) m_visibleHandler(visible);
}

bool Application::ScreenUpdating() const
{
    check();
    return m_screenUpdating;
}

void Application::setScreenUpdating(bool on)
{
    check();
    m_screenUpdating = on;
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

int Application::Hwnd() const
{
    check();
    return m_hwnd;
}

void Application::setHwnd(int hwnd)
{
    m_hwnd = hwnd;
}

void Application::Quit()
{
    if (m_quit) return;
    if (m_workbooks) m_workbooks->Close();
    if (m_visible && m_visibleHandler) m_visibleHandler(false);
    m_visible = false;
    m_quit = true;
}

void Application::setVisibleHandler(std::function<void(bool)> handler)
{
    m_visibleHandler = std::move(handler);
}

void Application::setActiveWorkbook(const std::shared_ptr<Workbook> &workbook)
{
    m_active = workbook;
}

QString Application::nextBookName()
{
    return QStringLiteral("Book%1").arg(++m_bookCounter);
}

} // namespace excel
