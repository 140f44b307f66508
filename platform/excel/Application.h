#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace excel {

class Workbooks;
class Workbook;
class Window;

// The spreadsheet application object ("excel.Application"): its workbooks and the switches
// that callers set. Each application is independent of the others; quitting closes its
// workbooks without saving and makes every later call on it raise.
class Application : public std::enable_shared_from_this<Application>
{
public:
    // The class name callers create it by.
    static constexpr const char *ClassName = "excel.Application";
    static std::shared_ptr<Application> create();
    ~Application();

    std::shared_ptr<excel::Workbooks> Workbooks();
    std::shared_ptr<Workbook> ActiveWorkbook();
    // The window showing the active workbook (its view settings; drawn by the window layer).
    std::shared_ptr<Window> ActiveWindow();

    bool Visible() const;
    void setVisible(bool visible);
    bool ScreenUpdating() const;
    void setScreenUpdating(bool on);
    bool DisplayAlerts() const;
    void setDisplayAlerts(bool on);
    bool EnableEvents() const;
    void setEnableEvents(bool on);
    // The main window's handle, 0 until the window layer gives the application a window.
    int Hwnd() const;
    void setHwnd(int hwnd);

    void Quit();
    bool hasQuit() const { return m_quit; }

    // Called by Visible changes so that the window layer can show or hide the main window.
    void setVisibleHandler(std::function<void(bool)> handler);

    void setActiveWorkbook(const std::shared_ptr<Workbook> &workbook);
    // A new workbook's name: Book1, Book2, ...
    QString nextBookName();

private:
    Application();
    void check() const;

    std::shared_ptr<excel::Workbooks> m_workbooks;
    std::weak_ptr<Workbook> m_active;
    std::shared_ptr<Window> m_window;
    std::function<void(bool)> m_visibleHandler;
    bool m_visible = false;
    bool m_screenUpdating = true;
    bool m_displayAlerts = true;
    bool m_enableEvents = true;
    bool m_quit = false;
    int m_hwnd = 0;
    int m_bookCounter = 0;
};

} // namespace excel
