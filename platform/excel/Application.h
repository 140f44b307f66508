#pragma once

#include <QString>
#include <memory>

namespace excel {

class Workbooks;
class Workbook;
class Window;
class WindowView;
class Worksheet;

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
    // The window showing the active workbook (its view settings; drawn by the window library).
    std::shared_ptr<Window> ActiveWindow();
    // The active workbook's active sheet; null without a workbook.
    std::shared_ptr<Worksheet> ActiveSheet();

    bool Visible() const;
    // Shows or hides the main window (made on first use when the window library is there).
    void setVisible(bool visible);
    bool ScreenUpdating() const;
    // While off, the window is not redrawn; switching it on redraws it.
    void setScreenUpdating(bool on);
    bool DisplayAlerts() const;
    void setDisplayAlerts(bool on);
    bool EnableEvents() const;
    void setEnableEvents(bool on);
    // The main window's handle; the window is made (hidden) on first use. 0 without the window
    // library.
    int Hwnd();

    // Closes the workbooks without saving and the main window; every later call raises.
    void Quit();
    bool hasQuit() const { return m_quit; }

    // The main window (made when `create` is set and the window library is there), or null.
    WindowView *windowView(bool create = true);
    // For the model: what the window shows changed (its view now; its content soon).
    void notifyViewChanged();
    void notifyContentChanged();

    void setActiveWorkbook(const std::shared_ptr<Workbook> &workbook);
    // A new workbook's name: Book1, Book2, ...
    QString nextBookName();

private:
    Application();
    void check() const;

    std::shared_ptr<excel::Workbooks> m_workbooks;
    std::weak_ptr<Workbook> m_active;
    std::shared_ptr<Window> m_window;
    std::unique_ptr<WindowView> m_view;
    bool m_visible = false;
    bool m_screenUpdating = true;
    bool m_displayAlerts = true;
    bool m_enableEvents = true;
    bool m_quit = false;
    int m_bookCounter = 0;
};

} // namespace excel
