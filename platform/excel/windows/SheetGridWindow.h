#pragma once

#include "platform/excel/SheetData.h"
#include "platform/excel/windows/SheetPainter.h"
#include "platform/excel/windows/TextCache.h"
#include "platform/win/WindowHandler.h"

#include <QWidget>
#include <memory>

class QLineEdit;
class QScrollBar;
class QTabBar;

namespace excel {

class Application;
class Window;
class Worksheet;

// The sheet window (class "EXCEL7"): the active sheet's cells with row and column headers, a
// vertical and a horizontal scroll bar (its only child windows), and the sheet tabs. The user
// scrolls with the bars, the wheel and the keys, zooms with Ctrl and the wheel, selects with the
// mouse and the keys, and edits a cell by typing into it.
//
// Scrolling by a bar reaches the window as WM_VSCROLL / WM_HSCROLL sent to it (then
// SB_ENDSCROLL when the bar is let go); the wheel passes the mouse hooks and scrolls three rows
// a notch; scrolling from code sends nothing. Whatever changes what the window shows ends with
// a WM_PAINT sent to it, which repaints it at once.
class SheetGridWindow : public QWidget, public win::WindowHandler
{
public:
    SheetGridWindow(std::weak_ptr<Application> application, win::DWORD thread, QWidget *parent);
    ~SheetGridWindow() override;

    win::HWND hwnd() const { return m_hwnd; }
    QScrollBar *verticalBar() const { return m_vbar; }
    QScrollBar *horizontalBar() const { return m_hbar; }
    QTabBar *tabBar() const { return m_tabs; }
    // The cell editor while a cell is being edited, else null.
    QLineEdit *editor() const;

    // The scroll position, zoom, sheet or selection changed: repaint now (through WM_PAINT).
    void viewChanged();
    // Cells or sheets changed: repaint from the event loop, once for many changes.
    void contentChanged();
    QSize cellArea() const;
    QPoint cellAreaOnScreen() const;
    int dpi() const { return m_dpi; }
    // The rectangle of a visible cell in this widget's coordinates (empty when not visible).
    QRect cellRect(int row, int column) const;
    int activeRow() const { return m_activeRow; }
    int activeColumn() const { return m_activeColumn; }
    // Ends editing, keeping what was typed; false when the text was refused.
    bool commitEdit();

    bool windowMessage(win::HWND hwnd, win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                       win::LRESULT *result) override;
    bool scrollPos(int bar, int *pos) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    enum class Hit { None, Cell, ColumnHeader, RowHeader, Corner };

    std::shared_ptr<Application> application() const;
    std::shared_ptr<Window> window() const;
    std::shared_ptr<Worksheet> sheet() const;
    SheetPainter::Areas areas() const;
    // The strip at the bottom with the tabs and the horizontal bar.
    int bottomHeight() const;
    void layOutChildren();
    void syncBars();
    void refreshTabs();
    void tabChosen(int index);
    Hit hitTest(const QPoint &pos, int *row, int *column) const;
    bool passMouseHooks(win::UINT message, QMouseEvent *event);

    void scroll(bool vertical, int code, int pos);
    void barAction(bool vertical, int action);
    void barReleased(bool vertical);
    void wheel(int delta, bool control);
    void scrollTo(int row, int column);
    void ensureVisible(int row, int column);

    CellRect selection() const;
    void syncActiveCell();
    void select(const CellRect &rect, int activeRow, int activeColumn, bool notify);
    void moveActive(int row, int column, bool extend);
    // Hands a key or composed text to the cell editor; one the editor leaves comes back to this
    // window, its parent, and goes on from here instead of round again.
    void forwardToEditor(QEvent *event);
    void pageActive(int direction, bool extend);

    void beginEdit(const QString &text, bool typed);
    void cancelEdit();
    void placeEditor();
    void copySelection();
    void clearSelection();
    void showError(const QString &message);

    std::weak_ptr<Application> m_application;
    TextCache m_texts;
    QScrollBar *m_vbar;
    QScrollBar *m_hbar;
    QTabBar *m_tabs;
    QLineEdit *m_editor = nullptr;
    bool m_forwarding = false; // an input event is being handed to the editor
    win::HWND m_hwnd = 0;
    win::HWND m_vbarHwnd = 0;
    win::HWND m_hbarHwnd = 0;
    int m_dpi = 96;
    int m_headerHeight = 20;
    int m_headerWidth = 40;
    int m_barExtent = 16;
    // The active cell inside the selection, and the corner that Shift with the keys moves.
    int m_activeRow = 1, m_activeColumn = 1;
    int m_anchorRow = 1, m_anchorColumn = 1;
    CellRect m_knownSelection{1, 1, 1, 1};
    Hit m_dragging = Hit::None;
    CellRect m_dragSelection{0, 0, 0, 0};
    bool m_thumbMoved[2] = {false, false};
    int m_wheelRest = 0;
    bool m_contentPending = false;
    bool m_refreshingTabs = false;
    bool m_editTyped = false;
    bool m_committing = false;
};

} // namespace excel
