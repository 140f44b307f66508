#pragma once

#include "platform/win/WinTypes.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;

namespace excel {

class Application;
class Range;
class SheetCommandBar;
class SheetGridWindow;

// The spreadsheet application's main window: two command bars ("MsoCommandBar"), a formula bar,
// and the desk ("XLDESK") that holds the sheet window ("EXCEL7"). It starts with a caption and
// a sizing frame. Closing it hides it (after asking whether to save a changed workbook); the
// application, which the program owns, stays.
class SheetMainWindow : public QWidget
{
public:
    SheetMainWindow(std::weak_ptr<Application> application, win::DWORD thread);
    ~SheetMainWindow() override;

    win::HWND hwnd() const { return m_hwnd; }
    SheetGridWindow *grid() const { return m_grid; }
    QLineEdit *formulaBar() const { return m_formula; }
    // Caption, formula bar and zoom box follow the view; the sheet window repaints.
    void viewChanged();
    void contentChanged();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::shared_ptr<Application> application() const;
    void refreshBars();
    void save();
    void enterFormula();
    void applyToSelection(const std::function<void(const Range &)> &change);
    void zoomChosen(int index);

    std::weak_ptr<Application> m_application;
    win::HWND m_hwnd = 0;
    // The command bars go for good when they are closed (as in the difference view), and the
    // zoom box with them.
    QPointer<SheetCommandBar> m_standard;
    QPointer<SheetCommandBar> m_formatting;
    QPointer<QComboBox> m_zoom;
    QLabel *m_address = nullptr;
    QLineEdit *m_formula = nullptr;
    QWidget *m_desk = nullptr;
    SheetGridWindow *m_grid = nullptr;
    bool m_contentPending = false;
};

} // namespace excel
