#include "platform/excel/windows/SheetGridWindow.h"

#include "platform/excel/Application.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/Range.h"
#include "platform/excel/SheetMetrics.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"
#include "platform/win/Gdi.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <algorithm>

namespace excel {

namespace {

constexpr win::WPARAM MK_SHIFT = 0x0004;
constexpr win::WPARAM MK_CONTROL = 0x0008;
constexpr double kCellFontPixels = 13.0; // the cells' text at 96 dots per inch and 100 percent
constexpr int kRowsPerNotch = 3;
constexpr std::int64_t kMaxCopiedCells = 1000000;

int screenDpi()
{
    win::HDC screen = win::GetDC(0);
    const int dpi = win::GetDeviceCaps(screen, win::LOGPIXELSX);
    win::ReleaseDC(0, screen);
    return dpi > 0 ? dpi : 96;
}

CellRect box(int r1, int c1, int r2, int c2)
{
    return CellRect{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
}

bool sameRect(const CellRect &a, const CellRect &b)
{
    return a.firstRow == b.firstRow && a.lastRow == b.lastRow && a.firstColumn == b.firstColumn &&
           a.lastColumn == b.lastColumn;
}

win::WPARAM keyFlags(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? MK_SHIFT : 0) |
           (modifiers & Qt::ControlModifier ? MK_CONTROL : 0);
}

} // namespace

SheetGridWindow::SheetGridWindow(std::weak_ptr<Application> application, win::DWORD thread,
                                 QWidget *parent)
    : QWidget(parent), m_application(std::move(application))
{
    setObjectName(QStringLiteral("EXCEL7"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    m_dpi = screenDpi();
    m_headerHeight = int(20.0 * m_dpi / 96.0 + 0.5);
    QFont header = font();
    header.setPixelSize(std::max(8, int(m_headerHeight * 0.55 + 0.5)));
    m_headerWidth = QFontMetrics(header).horizontalAdvance(QStringLiteral("1048576")) + 10;
    m_hwnd =
        win::registerWindow(this, QStringLiteral("EXCEL7"),
                            win::WS_CHILD | win::WS_VISIBLE | win::WS_CLIPCHILDREN, thread, this);

    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_barExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_vbar);
    m_vbarHwnd = win::registerWindow(m_vbar, QStringLiteral("ScrollBar"),
                                     win::WS_CHILD | win::WS_VISIBLE | win::SBS_VERT, thread);
    m_hbarHwnd = win::registerWindow(m_hbar, QStringLiteral("ScrollBar"),
                                     win::WS_CHILD | win::WS_VISIBLE | win::SBS_HORZ, thread);
    for (QScrollBar *bar : {m_vbar, m_hbar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->installEventFilter(this);
        const bool vertical = bar == m_vbar;
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, vertical](int action) { barAction(vertical, action); });
    }

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("qx_sheet_tabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) { tabChosen(index); });
    layOutChildren();
}

SheetGridWindow::~SheetGridWindow() = default;

std::shared_ptr<Application> SheetGridWindow::application() const
{
    std::shared_ptr<Application> app = m_application.lock();
    return app && !app->hasQuit() ? app : nullptr;
}

std::shared_ptr<Window> SheetGridWindow::window() const
{
    std::shared_ptr<Application> app = application();
    return app ? app->ActiveWindow() : nullptr;
}

std::shared_ptr<Worksheet> SheetGridWindow::sheet() const
{
    std::shared_ptr<Application> app = application();
    return app ? app->ActiveSheet() : nullptr;
}

QLineEdit *SheetGridWindow::editor() const
{
    return m_editor && !m_editor->isHidden() ? m_editor : nullptr;
}

int SheetGridWindow::bottomHeight() const
{
    return std::max(m_barExtent, QFontMetrics(m_tabs->font()).height() + 8);
}

SheetPainter::Areas SheetGridWindow::areas() const
{
    SheetPainter::Areas a;
    const int w = std::max(0, width() - m_headerWidth - m_barExtent);
    const int h = std::max(0, height() - m_headerHeight - bottomHeight());
    a.cells = QRect(m_headerWidth, m_headerHeight, w, h);
    a.columnHeader = QRect(m_headerWidth, 0, w, m_headerHeight);
    a.rowHeader = QRect(0, m_headerHeight, m_headerWidth, h);
    a.corner = QRect(0, 0, m_headerWidth, m_headerHeight);
    return a;
}

void SheetGridWindow::layOutChildren()
{
    const int bottom = bottomHeight();
    const int tabsWidth = std::max(0, int(width() * 0.4));
    m_vbar->setGeometry(width() - m_barExtent, 0, m_barExtent, std::max(0, height() - bottom));
    m_tabs->setGeometry(0, height() - bottom, tabsWidth, bottom);
    m_hbar->setGeometry(tabsWidth, height() - bottom,
                        std::max(0, width() - tabsWidth - m_barExtent), bottom);
}

QSize SheetGridWindow::cellArea() const
{
    return areas().cells.size();
}

QPoint SheetGridWindow::cellAreaOnScreen() const
{
    return mapToGlobal(areas().cells.topLeft());
}

QRect SheetGridWindow::cellRect(int row, int column) const
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return QRect();
    const GridGeometry g = w->geometry();
    if (!g.rowVisible(row) || !g.columnVisible(column)) return QRect();
    const QRect cells = areas().cells;
    return QRect(cells.left() + g.columnLeft(column), cells.top() + g.rowTop(row),
                 g.columnLeft(column + 1) - g.columnLeft(column),
                 g.rowTop(row + 1) - g.rowTop(row));
}

// --- what the window shows ---

void SheetGridWindow::viewChanged()
{
    syncActiveCell();
    syncBars();
    refreshTabs();
    placeEditor();
    if (isVisible()) win::SendMessage(m_hwnd, win::WM_PAINT, 0, 0);
}

void SheetGridWindow::contentChanged()
{
    if (m_contentPending) return;
    m_contentPending = true;
    QTimer::singleShot(0, this, [this] {
        m_contentPending = false;
        if (std::shared_ptr<Application> app = application())
            if (app->ScreenUpdating()) viewChanged();
    });
}

void SheetGridWindow::syncBars()
{
    std::shared_ptr<Window> w = window();
    const bool shown = w && sheet();
    m_vbar->setEnabled(shown);
    m_hbar->setEnabled(shown);
    if (!shown) return;
    int rows = 0, columns = 0;
    w->extent(&rows, &columns);
    const Window::View v = w->view();
    const GridGeometry g = w->geometry();
    QSignalBlocker quietV(m_vbar), quietH(m_hbar);
    m_vbar->setRange(0, rows - 1);
    m_vbar->setPageStep(g.fullRows());
    m_vbar->setSliderPosition(v.scrollRow - 1);
    m_vbar->setValue(v.scrollRow - 1);
    m_hbar->setRange(0, columns - 1);
    m_hbar->setPageStep(g.fullColumns());
    m_hbar->setSliderPosition(v.scrollColumn - 1);
    m_hbar->setValue(v.scrollColumn - 1);
}

void SheetGridWindow::refreshTabs()
{
    std::shared_ptr<Worksheet> active = sheet();
    QStringList names;
    QList<int> indexes;
    int current = -1;
    if (active) {
        std::shared_ptr<Workbook> book = active->Parent();
        const auto &sheets = book->data().sheets;
        for (std::size_t i = 0; i < sheets.size(); ++i) {
            if (sheets[i]->visible != -1) continue;
            if (sheets[i].get() == &active->data()) current = names.size();
            names.append(sheets[i]->name);
            indexes.append(int(i));
        }
    }
    m_refreshingTabs = true;
    bool same = m_tabs->count() == names.size();
    for (int i = 0; same && i < names.size(); ++i)
        same = m_tabs->tabText(i) == names[i] && m_tabs->tabData(i).toInt() == indexes[i];
    if (!same) {
        while (m_tabs->count() > 0)
            m_tabs->removeTab(0);
        for (int i = 0; i < names.size(); ++i) {
            m_tabs->addTab(names[i]);
            m_tabs->setTabData(i, indexes[i]);
        }
    }
    if (current >= 0) m_tabs->setCurrentIndex(current);
    m_refreshingTabs = false;
}

void SheetGridWindow::tabChosen(int index)
{
    if (m_refreshingTabs || index < 0) return;
    if (!commitEdit()) {
        refreshTabs();
        return;
    }
    std::shared_ptr<Worksheet> active = sheet();
    if (!active) return;
    std::shared_ptr<Workbook> book = active->Parent();
    const int at = m_tabs->tabData(index).toInt();
    const auto &sheets = book->data().sheets;
    if (at < 0 || at >= int(sheets.size())) return;
    try {
        book->sheetObject(sheets[std::size_t(at)].get())->Activate();
    } catch (const BasicError &e) {
        showError(e.description());
    }
}

void SheetGridWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const SheetPainter::Areas a = areas();
    const QRect strip(0, height() - bottomHeight(), width(), bottomHeight());
    p.fillRect(strip, palette().window());
    p.fillRect(QRect(width() - m_barExtent, height() - bottomHeight(), m_barExtent, bottomHeight()),
               palette().window());
    std::shared_ptr<Worksheet> ws = sheet();
    std::shared_ptr<Window> w = window();
    if (!ws || !w) {
        p.fillRect(QRect(0, 0, width(), strip.top()), palette().dark());
        return;
    }
    const GridGeometry g = w->geometry();
    SheetPainter painter(p, ws->book(), ws->data(), g, a, m_texts);
    painter.setFontPixels(kCellFontPixels);
    painter.setSelection(m_dragging != Hit::None ? m_dragSelection : selection(), m_activeRow,
                         m_activeColumn);
    painter.paint();
}

void SheetGridWindow::resizeEvent(QResizeEvent *)
{
    layOutChildren();
    if (isVisible() && sheet()) viewChanged();
}

// --- messages ---

bool SheetGridWindow::windowMessage(win::HWND, win::UINT message, win::WPARAM wParam, win::LPARAM,
                                    win::LRESULT *result)
{
    *result = 0;
    switch (message) {
    case win::WM_VSCROLL:
    case win::WM_HSCROLL:
        scroll(message == win::WM_VSCROLL, int(win::LOWORD(wParam)), int(win::HIWORD(wParam)));
        return true;
    case win::WM_MOUSEWHEEL:
        wheel(win::GET_WHEEL_DELTA_WPARAM(wParam), (win::LOWORD(wParam) & MK_CONTROL) != 0);
        return true;
    case win::WM_PAINT:
        // The bars and the tabs repaint themselves when they change: a scroll repaints the
        // cells and headers only.
        win::clearOverlays(this);
        if (isVisible()) repaint(QRect(0, 0, width() - m_barExtent, height() - bottomHeight()));
        return true;
    case win::WM_CLOSE:
        return true; // the sheet window closes with its main window only
    default:
        return false;
    }
}

bool SheetGridWindow::scrollPos(int bar, int *pos) const
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return false;
    const Window::View v = w->view();
    *pos = bar == win::SB_VERT ? v.scrollRow - 1 : v.scrollColumn - 1;
    return true;
}

void SheetGridWindow::scroll(bool vertical, int code, int pos)
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    Window::View v = w->view();
    int rows = 0, columns = 0;
    w->extent(&rows, &columns);
    const GridGeometry g = w->geometry();
    int &line = vertical ? v.scrollRow : v.scrollColumn;
    const int page = vertical ? g.fullRows() : g.fullColumns();
    switch (code) {
    case win::SB_LINEUP:
        line -= 1;
        break;
    case win::SB_LINEDOWN:
        line += 1;
        break;
    case win::SB_PAGEUP:
        line -= page;
        break;
    case win::SB_PAGEDOWN:
        line += page;
        break;
    case win::SB_THUMBPOSITION:
    case win::SB_THUMBTRACK:
        line = pos + 1;
        break;
    case win::SB_TOP:
        line = 1;
        break;
    case win::SB_BOTTOM:
        line = vertical ? rows : columns;
        break;
    default:
        return; // SB_ENDSCROLL
    }
    w->setView(v);
}

void SheetGridWindow::barAction(bool vertical, int action)
{
    QScrollBar *bar = vertical ? m_vbar : m_hbar;
    int code = -1;
    int pos = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = win::SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = win::SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = win::SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = win::SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = win::SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = win::SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = win::SB_THUMBTRACK;
        pos = bar->sliderPosition();
        m_thumbMoved[vertical ? 1 : 0] = true;
        break;
    default:
        return;
    }
    // The bar only asks; the window decides where it scrolls to and sets the bar.
    win::SendMessage(m_hwnd, vertical ? win::WM_VSCROLL : win::WM_HSCROLL,
                     win::MAKEWPARAM(unsigned(code), unsigned(pos)),
                     win::LPARAM(vertical ? m_vbarHwnd : m_hbarHwnd));
    if (std::shared_ptr<Window> w = window()) {
        if (!sheet()) return;
        const Window::View v = w->view();
        QSignalBlocker quiet(bar);
        bar->setSliderPosition(vertical ? v.scrollRow - 1 : v.scrollColumn - 1);
    }
}

void SheetGridWindow::barReleased(bool vertical)
{
    QScrollBar *bar = vertical ? m_vbar : m_hbar;
    const win::UINT message = vertical ? win::WM_VSCROLL : win::WM_HSCROLL;
    const win::LPARAM handle = win::LPARAM(vertical ? m_vbarHwnd : m_hbarHwnd);
    bool &moved = m_thumbMoved[vertical ? 1 : 0];
    if (moved) {
        moved = false;
        win::SendMessage(m_hwnd, message,
                         win::MAKEWPARAM(win::SB_THUMBPOSITION, unsigned(bar->sliderPosition())),
                         handle);
    }
    win::SendMessage(m_hwnd, message, win::MAKEWPARAM(win::SB_ENDSCROLL, 0), handle);
}

void SheetGridWindow::wheel(int delta, bool control)
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    m_wheelRest += delta;
    const int notches = m_wheelRest / win::WHEEL_DELTA;
    m_wheelRest -= notches * win::WHEEL_DELTA;
    if (notches == 0) return;
    Window::View v = w->view();
    if (control)
        v.zoom += notches * 15;
    else
        v.scrollRow -= notches * kRowsPerNotch;
    w->setView(v);
}

void SheetGridWindow::scrollTo(int row, int column)
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    Window::View v = w->view();
    v.scrollRow = row;
    v.scrollColumn = column;
    w->setView(v);
}

void SheetGridWindow::ensureVisible(int row, int column)
{
    std::shared_ptr<Window> w = window();
    std::shared_ptr<Worksheet> ws = sheet();
    if (!w || !ws) return;
    const GridGeometry g = w->geometry();
    const QSize area = cellArea();
    Window::View v = w->view();
    const SheetData &data = ws->data();
    if (row < g.firstRow()) {
        v.scrollRow = row;
    } else if (row >= g.firstRow() + g.fullRows()) {
        // the highest top row that still shows the row whole
        double used = SheetMetrics::rowHeight(data, row);
        int top = row;
        while (top > 1 && g.pixels(used + SheetMetrics::rowHeight(data, top - 1)) <= area.height())
            used += SheetMetrics::rowHeight(data, --top);
        v.scrollRow = top;
    }
    if (column < g.firstColumn()) {
        v.scrollColumn = column;
    } else if (column >= g.firstColumn() + g.fullColumns()) {
        double used = SheetMetrics::columnWidth(data, column);
        int left = column;
        while (left > 1 &&
               g.pixels(used + SheetMetrics::columnWidth(data, left - 1)) <= area.width())
            used += SheetMetrics::columnWidth(data, --left);
        v.scrollColumn = left;
    }
    w->setView(v);
}

// --- selection ---

CellRect SheetGridWindow::selection() const
{
    std::shared_ptr<Worksheet> ws = sheet();
    return ws ? ws->Selection().rect() : CellRect{0, 0, 0, 0};
}

void SheetGridWindow::syncActiveCell()
{
    const CellRect sel = selection();
    // No sheet shown (an application made visible before its first workbook): there is no
    // selection to follow, and the active cell stays a cell.
    if (sel.firstRow < 1 || sel.firstColumn < 1) return;
    if (sameRect(sel, m_knownSelection)) return;
    m_knownSelection = sel;
    // A selection made from code: its top-left cell becomes the active cell.
    if (m_activeRow < sel.firstRow || m_activeRow > sel.lastRow ||
        m_activeColumn < sel.firstColumn || m_activeColumn > sel.lastColumn) {
        m_activeRow = m_anchorRow = sel.firstRow;
        m_activeColumn = m_anchorColumn = sel.firstColumn;
    }
}

void SheetGridWindow::select(const CellRect &rect, int activeRow, int activeColumn, bool notify)
{
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) return;
    m_activeRow = activeRow;
    m_activeColumn = activeColumn;
    m_knownSelection = rect;
    if (!notify) {
        update();
        return;
    }
    Range::CountBy by = Range::CountBy::Cells;
    if (rect.firstColumn == 1 && rect.lastColumn == CellAddress::MaxColumns)
        by = Range::CountBy::Rows;
    else if (rect.firstRow == 1 && rect.lastRow == CellAddress::MaxRows)
        by = Range::CountBy::Columns;
    try {
        ws->setSelection(Range(ws, rect, by)); // SelectionChange; the window repaints
    } catch (const BasicError &e) {
        showError(e.description());
    }
}

void SheetGridWindow::moveActive(int row, int column, bool extend)
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    int rows = 0, columns = 0;
    w->extent(&rows, &columns);
    row = std::clamp(row, 1, rows);
    column = std::clamp(column, 1, columns);
    if (extend) {
        m_anchorRow = row;
        m_anchorColumn = column;
        select(box(m_activeRow, m_activeColumn, row, column), m_activeRow, m_activeColumn, true);
    } else {
        CellRect rect{row, column, row, column};
        if (const CellRect *m = CellStore::mergeAt(sheet()->data(), row, column)) {
            rect = *m;
            row = m->firstRow;
            column = m->firstColumn;
        }
        m_anchorRow = row;
        m_anchorColumn = column;
        select(rect, row, column, true);
    }
    ensureVisible(m_anchorRow, m_anchorColumn);
}

void SheetGridWindow::pageActive(int direction, bool extend)
{
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    const int page = w->geometry().fullRows();
    Window::View v = w->view();
    v.scrollRow += direction * page;
    w->setView(v);
    moveActive((extend ? m_anchorRow : m_activeRow) + direction * page,
               extend ? m_anchorColumn : m_activeColumn, extend);
}

SheetGridWindow::Hit SheetGridWindow::hitTest(const QPoint &pos, int *row, int *column) const
{
    *row = *column = 0;
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return Hit::None;
    const SheetPainter::Areas a = areas();
    const GridGeometry g = w->geometry();
    if (a.corner.contains(pos)) return Hit::Corner;
    if (a.columnHeader.contains(pos)) {
        *column = g.columnAt(pos.x() - a.cells.left());
        return *column ? Hit::ColumnHeader : Hit::None;
    }
    if (a.rowHeader.contains(pos)) {
        *row = g.rowAt(pos.y() - a.cells.top());
        return *row ? Hit::RowHeader : Hit::None;
    }
    if (a.cells.contains(pos)) {
        *row = g.rowAt(pos.y() - a.cells.top());
        *column = g.columnAt(pos.x() - a.cells.left());
        return *row && *column ? Hit::Cell : Hit::None;
    }
    return Hit::None;
}

bool SheetGridWindow::passMouseHooks(win::UINT message, QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    const QPoint local = event->position().toPoint();
    return win::DispatchInput(m_hwnd, message, keyFlags(event->modifiers()),
                              win::MAKELPARAM(unsigned(local.x()), unsigned(local.y())),
                              win::POINT{global.x(), global.y()});
}

void SheetGridWindow::mousePressEvent(QMouseEvent *event)
{
    const bool left = event->button() == Qt::LeftButton;
    if (!passMouseHooks(left ? win::WM_LBUTTONDOWN : win::WM_RBUTTONDOWN, event) || !left) return;
    if (!commitEdit()) return;
    setFocus(Qt::MouseFocusReason);
    int row = 0, column = 0;
    const Hit hit = hitTest(event->position().toPoint(), &row, &column);
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    switch (hit) {
    case Hit::Cell:
        if (extend) {
            moveActive(row, column, true);
        } else {
            moveActive(row, column, false);
        }
        break;
    case Hit::ColumnHeader:
        m_activeRow = m_anchorRow = 1;
        if (!extend) m_activeColumn = column;
        m_anchorColumn = column;
        select(box(1, m_activeColumn, CellAddress::MaxRows, column), 1, m_activeColumn, true);
        break;
    case Hit::RowHeader:
        m_activeColumn = m_anchorColumn = 1;
        if (!extend) m_activeRow = row;
        m_anchorRow = row;
        select(box(m_activeRow, 1, row, CellAddress::MaxColumns), m_activeRow, 1, true);
        break;
    case Hit::Corner:
        select(CellRect{1, 1, CellAddress::MaxRows, CellAddress::MaxColumns}, 1, 1, true);
        return;
    case Hit::None:
        return;
    }
    m_dragging = hit;
    m_dragSelection = m_knownSelection;
}

void SheetGridWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging == Hit::None) return;
    std::shared_ptr<Window> w = window();
    if (!w || !sheet()) return;
    const SheetPainter::Areas a = areas();
    const GridGeometry g = w->geometry();
    const QPoint p = event->position().toPoint();
    const int row = g.rowAt(std::clamp(p.y() - a.cells.top(), 0, a.cells.height() - 1));
    const int column = g.columnAt(std::clamp(p.x() - a.cells.left(), 0, a.cells.width() - 1));
    CellRect rect = m_dragSelection;
    if (m_dragging == Hit::Cell && row && column)
        rect = box(m_activeRow, m_activeColumn, row, column);
    else if (m_dragging == Hit::ColumnHeader && column)
        rect = box(1, m_activeColumn, CellAddress::MaxRows, column);
    else if (m_dragging == Hit::RowHeader && row)
        rect = box(m_activeRow, 1, row, CellAddress::MaxColumns);
    if (sameRect(rect, m_dragSelection)) return;
    m_dragSelection = rect;
    update();
}

void SheetGridWindow::mouseReleaseEvent(QMouseEvent *event)
{
    const bool left = event->button() == Qt::LeftButton;
    const bool passed = passMouseHooks(left ? win::WM_LBUTTONUP : win::WM_RBUTTONUP, event);
    if (!left || m_dragging == Hit::None) return;
    m_dragging = Hit::None;
    if (passed && !sameRect(m_dragSelection, m_knownSelection))
        select(m_dragSelection, m_activeRow, m_activeColumn, true);
    else
        update();
}

void SheetGridWindow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!passMouseHooks(win::WM_LBUTTONDBLCLK, event)) return;
    int row = 0, column = 0;
    if (hitTest(event->position().toPoint(), &row, &column) != Hit::Cell) return;
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) return;
    // The cell under the pointer is edited, even when no press chose it first.
    if (row != m_activeRow || column != m_activeColumn) moveActive(row, column, false);
    beginEdit(ws->Cells(m_activeRow, m_activeColumn).Formula(), false);
}

void SheetGridWindow::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    const QPoint global = event->globalPosition().toPoint();
    // The wheel message goes to the sheet window, not to the bar under the cursor.
    win::DispatchInput(m_hwnd, win::WM_MOUSEWHEEL,
                       win::MAKEWPARAM(unsigned(keyFlags(event->modifiers())), unsigned(delta)),
                       win::MAKELPARAM(unsigned(global.x()), unsigned(global.y())),
                       win::POINT{global.x(), global.y()});
    event->accept();
}

bool SheetGridWindow::focusNextPrevChild(bool)
{
    return false; // Tab moves the active cell
}

void SheetGridWindow::keyPressEvent(QKeyEvent *event)
{
    if (editor()) { // keys that reach the window while a cell is edited belong to the editor
        forwardToEditor(event);
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    const int row = shift ? m_anchorRow : m_activeRow;
    const int column = shift ? m_anchorColumn : m_activeColumn;
    switch (event->key()) {
    case Qt::Key_Up:
        moveActive(row - 1, column, shift);
        return;
    case Qt::Key_Down:
        moveActive(row + 1, column, shift);
        return;
    case Qt::Key_Left:
        moveActive(row, column - 1, shift);
        return;
    case Qt::Key_Right:
        moveActive(row, column + 1, shift);
        return;
    case Qt::Key_PageUp:
        pageActive(-1, shift);
        return;
    case Qt::Key_PageDown:
        pageActive(1, shift);
        return;
    case Qt::Key_Home:
        if (control)
            moveActive(1, 1, shift);
        else
            moveActive(row, 1, shift);
        return;
    case Qt::Key_End:
        if (control) {
            if (std::shared_ptr<Worksheet> ws = sheet()) {
                CellRect used{1, 1, 1, 1};
                CellStore::usedArea(ws->data(), &used);
                moveActive(used.lastRow, used.lastColumn, shift);
            }
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveActive(m_activeRow + (shift ? -1 : 1), m_activeColumn, false);
        return;
    case Qt::Key_Tab:
        moveActive(m_activeRow, m_activeColumn + 1, false);
        return;
    case Qt::Key_Backtab:
        moveActive(m_activeRow, m_activeColumn - 1, false);
        return;
    case Qt::Key_F2:
        if (std::shared_ptr<Worksheet> ws = sheet())
            beginEdit(ws->Cells(m_activeRow, m_activeColumn).Formula(), false);
        return;
    case Qt::Key_Delete:
        clearSelection();
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty() && !control && !(event->modifiers() & Qt::AltModifier) &&
        text.at(0).isPrint()) {
        beginEdit(text, true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void SheetGridWindow::inputMethodEvent(QInputMethodEvent *event)
{
    // Composed text (Chinese input) starts editing like typing does.
    if (!sheet()) return;
    if (!editor()) beginEdit(QString(), true);
    if (m_editor) forwardToEditor(event);
}

void SheetGridWindow::forwardToEditor(QEvent *event)
{
    if (m_forwarding) {
        event->ignore();
        return;
    }
    m_forwarding = true;
    QCoreApplication::sendEvent(m_editor, event);
    m_forwarding = false;
}

// --- editing ---

void SheetGridWindow::beginEdit(const QString &text, bool typed)
{
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) return;
    if (!m_editor) {
        m_editor = new QLineEdit(this);
        m_editor->setObjectName(QStringLiteral("qx_cell_editor"));
        m_editor->setFrame(false);
        m_editor->installEventFilter(this);
    }
    ensureVisible(m_activeRow, m_activeColumn);
    m_editTyped = typed;
    m_editor->setText(text);
    placeEditor();
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus(Qt::OtherFocusReason);
    m_editor->end(false);
}

void SheetGridWindow::placeEditor()
{
    // Also while the editor is still hidden: it is placed before it shows.
    if (!m_editor) return;
    const QRect cell = cellRect(m_activeRow, m_activeColumn);
    if (cell.isEmpty()) {
        m_editor->move(-10000, -10000); // scrolled away: keeps the text until it comes back
        return;
    }
    std::shared_ptr<Window> w = window();
    QFont f = font();
    const double scale = w ? w->geometry().scale() * 72.0 / 96.0 : 1.0;
    f.setPixelSize(std::max(6, int(kCellFontPixels * scale + 0.5)));
    m_editor->setFont(f);
    const int wanted = QFontMetrics(f).horizontalAdvance(m_editor->text()) + 12;
    const QRect cells = areas().cells;
    const int right = std::min(cells.right(), cell.left() + std::max(cell.width(), wanted));
    m_editor->setGeometry(QRect(cell.topLeft(), QPoint(right, cell.bottom())));
}

bool SheetGridWindow::commitEdit()
{
    if (!editor()) return true;
    if (m_committing) return false;
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) {
        cancelEdit();
        return true;
    }
    m_committing = true;
    const QString text = m_editor->text();
    bool ok = true;
    try {
        Range cell = ws->Cells(m_activeRow, m_activeColumn);
        if (text.isEmpty())
            cell.ClearContents();
        else
            cell.setFormula(text); // the Change event
    } catch (const BasicError &e) {
        ok = false;
        showError(e.description());
    }
    if (ok) {
        m_editor->hide();
        setFocus(Qt::OtherFocusReason);
    } else if (m_editor) {
        m_editor->setFocus(Qt::OtherFocusReason);
    }
    m_committing = false;
    return ok;
}

void SheetGridWindow::cancelEdit()
{
    if (!editor()) return;
    m_editor->hide();
    setFocus(Qt::OtherFocusReason);
}

bool SheetGridWindow::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_vbar || watched == m_hbar) && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent *>(event)); // the wheel scrolls the sheet window
        return true;
    }
    if ((watched == m_vbar || watched == m_hbar) && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            QScrollBar *bar = static_cast<QScrollBar *>(watched);
            const bool vertical = bar == m_vbar;
            QTimer::singleShot(0, this, [this, vertical] { barReleased(vertical); });
        }
        return false;
    }
    if (watched != m_editor || !m_editor) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut && !m_committing && !m_editor->isHidden()) {
        // Clicking elsewhere keeps what was typed.
        if (QApplication::activeModalWidget() == nullptr) commitEdit();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    int dr = 0, dc = 0;
    switch (key->key()) {
    case Qt::Key_Escape:
        cancelEdit();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        dr = shift ? -1 : 1;
        break;
    case Qt::Key_Tab:
        dc = 1;
        break;
    case Qt::Key_Backtab:
        dc = -1;
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!m_editTyped) return false; // F2 editing: the keys move the text cursor
        dr = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
        dc = key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0;
        break;
    default:
        return false;
    }
    if (commitEdit()) moveActive(m_activeRow + dr, m_activeColumn + dc, false);
    return true;
}

void SheetGridWindow::copySelection()
{
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) return;
    CellRect used{1, 1, 1, 1};
    if (!CellStore::usedArea(ws->data(), &used)) return;
    const CellRect sel = selection();
    const CellRect r{sel.firstRow, sel.firstColumn, std::min(sel.lastRow, used.lastRow),
                     std::min(sel.lastColumn, used.lastColumn)};
    if (r.lastRow < r.firstRow || r.lastColumn < r.firstColumn) {
        QApplication::clipboard()->setText(QString());
        return;
    }
    const std::int64_t cells =
        std::int64_t(r.lastRow - r.firstRow + 1) * (r.lastColumn - r.firstColumn + 1);
    if (cells > kMaxCopiedCells) {
        showError(QStringLiteral("选定区域有 %1 个单元格，超过了可以复制的 %2 个。")
                      .arg(cells)
                      .arg(kMaxCopiedCells));
        return;
    }
    const SheetData &data = ws->data();
    const WorkbookData &book = ws->book();
    QString out;
    for (int row = r.firstRow; row <= r.lastRow; ++row) {
        for (int column = r.firstColumn; column <= r.lastColumn; ++column) {
            if (column > r.firstColumn) out += QLatin1Char('\t');
            if (const Cell *cell = CellStore::find(data, row, column))
                if (cell->kind() != CellKind::Blank)
                    out += SheetPainter::displayText(book, data, row, *cell);
        }
        out += QLatin1Char('\n');
    }
    QApplication::clipboard()->setText(out);
}

void SheetGridWindow::clearSelection()
{
    std::shared_ptr<Worksheet> ws = sheet();
    if (!ws) return;
    CellRect used{1, 1, 1, 1};
    if (!CellStore::usedArea(ws->data(), &used)) return;
    const CellRect sel = selection();
    const CellRect r{sel.firstRow, sel.firstColumn, std::min(sel.lastRow, used.lastRow),
                     std::min(sel.lastColumn, used.lastColumn)};
    if (r.lastRow < r.firstRow || r.lastColumn < r.firstColumn) return;
    try {
        Range(ws, r).ClearContents();
    } catch (const BasicError &e) {
        showError(e.description());
    }
}

void SheetGridWindow::showError(const QString &message)
{
    win::MsgBox(message, win::vbCritical, QStringLiteral("Quorva"));
}

} // namespace excel
