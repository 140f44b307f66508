#include "platform/excel/windows/tests/SheetWindowSupport.h"

#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/win/Hooks.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"
#include "tests/support/ScrollBarParts.h"
#include "tests/support/TestHelpers.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTabBar>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

using namespace win;

namespace {

// What the hooks of the sheet window's thread saw, as the pairing library would.
struct Seen
{
    char kind; // 's' sent (call-window-procedure hook), 'm' mouse hook
    UINT message;
    HWND hwnd;
    unsigned code; // low word of wParam
    unsigned pos;  // high word of wParam
    LPARAM lParam;
};
std::vector<Seen> g_seen;

LRESULT sentHook(int code, WPARAM w, LPARAM l)
{
    auto *cwp = reinterpret_cast<CWPSTRUCT *>(l);
    if (code >= 0 && (cwp->message == WM_PAINT || cwp->message == WM_VSCROLL ||
                      cwp->message == WM_HSCROLL || cwp->message == WM_MOUSEWHEEL))
        g_seen.push_back(Seen{'s', cwp->message, cwp->hwnd, LOWORD(cwp->wParam),
                              HIWORD(cwp->wParam), cwp->lParam});
    return CallNextHookEx(0, code, w, l);
}

LRESULT mouseHook(int code, WPARAM w, LPARAM l)
{
    LRESULT r = CallNextHookEx(0, code, w, l);
    auto *mouse = reinterpret_cast<MOUSEHOOKSTRUCT *>(l);
    if (code >= 0 && w == WM_MOUSEWHEEL) g_seen.push_back(Seen{'m', UINT(w), mouse->hwnd, 0, 0, 0});
    return r;
}

HWND excel7Of(HWND main)
{
    HWND desk = FindWindowEx(main, 0, QStringLiteral("XLDESK"), QString());
    return desk ? FindWindowEx(desk, 0, QStringLiteral("EXCEL7"), QString()) : 0;
}

std::vector<HWND> g_found;
BOOL collect(HWND h, LPARAM)
{
    g_found.push_back(h);
    return TRUE;
}

// Hooks on the sheet window's thread for one test.
struct Spy
{
    std::vector<HHOOK> hooks;
    explicit Spy(HWND excel7)
    {
        g_seen.clear();
        const DWORD thread = GetWindowThreadProcessId(excel7);
        hooks.push_back(SetWindowsHookEx(WH_CALLWNDPROC, sentHook, nullptr, thread));
        hooks.push_back(SetWindowsHookEx(WH_MOUSE, mouseHook, nullptr, thread));
    }
    ~Spy()
    {
        for (HHOOK h : hooks)
            UnhookWindowsHookEx(h);
    }
    static int count(char kind, UINT message)
    {
        int n = 0;
        for (const Seen &s : g_seen)
            n += s.kind == kind && s.message == message;
        return n;
    }
};

void turnWheel(QWidget *target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF local(100, 100);
    QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

TEST(SheetWindow, HasTheWindowTreeThatThePairingLooksFor)
{
    ShownWorkbook w(fixture(QStringLiteral("look.xlsx")));
    const HWND main = w.app->Hwnd();
    ASSERT_NE(main, 0);
    EXPECT_EQ(GetParent(main), 0);
    EXPECT_EQ(GetWindowLong(main, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetWindowLong(main, GWL_STYLE) & WS_THICKFRAME, WS_THICKFRAME);
    const HWND excel7 = excel7Of(main);
    ASSERT_NE(excel7, 0);
    EXPECT_EQ(GetClassName(excel7), QStringLiteral("EXCEL7"));

    g_found.clear();
    EnumChildWindows(excel7, collect, 0);
    ASSERT_EQ(g_found.size(), 2u); // its two scroll bars and nothing else
    EXPECT_EQ(GetWindowLong(g_found[0], GWL_STYLE) & 1, 1);
    EXPECT_EQ(GetWindowLong(g_found[1], GWL_STYLE) & 1, 0);

    g_found.clear();
    EnumChildWindows(main, collect, 0);
    int bars = 0;
    for (HWND h : g_found)
        bars += GetClassName(h) == QStringLiteral("MsoCommandBar");
    EXPECT_EQ(bars, 2);

    // Each application runs on a thread of its own.
    ShownWorkbook other;
    EXPECT_NE(GetWindowThreadProcessId(excel7), GetWindowThreadProcessId(other.app->Hwnd()));
    EXPECT_EQ(GetWindowThreadProcessId(excel7), GetWindowThreadProcessId(main));
}

TEST(SheetWindow, VisibleShowsAndHidesAndQuitDestroys)
{
    ShownWorkbook w;
    const HWND main = w.app->Hwnd();
    EXPECT_TRUE(IsWindowVisible(main));
    w.app->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(main));
    const HWND excel7 = excel7Of(main);
    w.app->Quit();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(excel7));
}

TEST(SheetWindow, ArrowOfTheBarSendsTheScrollThenPaintThenEnd)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    QScrollBar *bar = w.grid()->verticalBar();
    Spy spy(excel7);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      scrollBarPart(bar, QStyle::SC_ScrollBarAddLine));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.window()->ScrollRow(), 2);
    ASSERT_GE(g_seen.size(), 3u);
    EXPECT_EQ(g_seen[0].message, WM_VSCROLL);
    EXPECT_EQ(g_seen[0].hwnd, excel7);
    EXPECT_EQ(g_seen[0].code, unsigned(SB_LINEDOWN));
    EXPECT_EQ(g_seen[0].lParam, LPARAM(hwndOf(bar)));
    EXPECT_EQ(g_seen[1].message, WM_PAINT);
    EXPECT_EQ(g_seen.back().message, WM_VSCROLL);
    EXPECT_EQ(g_seen.back().code, unsigned(SB_ENDSCROLL));
    EXPECT_EQ(GetScrollPos(hwndOf(bar), SB_CTL), 1);
}

TEST(SheetWindow, DraggingTheThumbTracksThenSetsThePosition)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    QScrollBar *bar = w.grid()->horizontalBar();
    Spy spy(excel7);
    const QPoint thumb = scrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    QTest::mouseMove(bar, thumb + QPoint(40, 0));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, thumb + QPoint(40, 0));
    QCoreApplication::processEvents();
    const int column = w.window()->ScrollColumn();
    EXPECT_GT(column, 1);
    std::vector<unsigned> codes;
    for (const Seen &s : g_seen)
        if (s.message == WM_HSCROLL) codes.push_back(s.code);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.front(), unsigned(SB_THUMBTRACK));
    EXPECT_EQ(codes[codes.size() - 2], unsigned(SB_THUMBPOSITION));
    EXPECT_EQ(codes.back(), unsigned(SB_ENDSCROLL));
    for (const Seen &s : g_seen) {
        if (s.message == WM_HSCROLL && s.code == SB_THUMBPOSITION) {
            EXPECT_EQ(int(s.pos), column - 1);
        }
    }
}

TEST(SheetWindow, WheelPassesTheMouseHookAndScrollsThreeRowsANotch)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    Spy spy(excel7);
    turnWheel(w.grid()->verticalBar(), -240); // over a bar: still the sheet window's wheel
    EXPECT_EQ(w.window()->ScrollRow(), 7);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen[0].kind, 'm');
    EXPECT_EQ(g_seen[0].hwnd, excel7);
    EXPECT_EQ(Spy::count('s', WM_VSCROLL), 0); // the wheel sends no scroll message
    EXPECT_EQ(Spy::count('s', WM_PAINT), 1);
    turnWheel(w.grid(), 120);
    EXPECT_EQ(w.window()->ScrollRow(), 4);
    turnWheel(w.grid(), 60); // half a notch waits for the other half
    EXPECT_EQ(w.window()->ScrollRow(), 4);
    turnWheel(w.grid(), 60);
    EXPECT_EQ(w.window()->ScrollRow(), 1);
    turnWheel(w.grid(), 120, Qt::ControlModifier);
    EXPECT_EQ(w.window()->Zoom(), 115);
}

TEST(SheetWindow, ScrollingFromCodeSendsOnlyThePaint)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    Spy spy(excel7);
    w.window()->setScrollRow(100);
    EXPECT_EQ(Spy::count('s', WM_VSCROLL), 0);
    EXPECT_EQ(Spy::count('s', WM_PAINT), 1);
    EXPECT_EQ(GetScrollPos(hwndOf(w.grid()->verticalBar()), SB_CTL), 99);
    EXPECT_EQ(GetScrollPos(excel7, SB_VERT), 99);
    w.app->setScreenUpdating(false);
    w.window()->setScrollRow(200);
    EXPECT_EQ(Spy::count('s', WM_PAINT), 1); // nothing drawn while updating is off
    w.app->setScreenUpdating(true);
    EXPECT_EQ(Spy::count('s', WM_PAINT), 2);
    w.app->setVisible(false);
    w.window()->setScrollRow(300);
    EXPECT_EQ(Spy::count('s', WM_PAINT), 2); // a hidden window does not paint
}

TEST(SheetWindow, APostedScrollMovesTheWindowUnseenByTheSentMessageHook)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    const HWND vbar = hwndOf(w.grid()->verticalBar());
    Spy spy(excel7);
    PostMessage(excel7, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 65535), vbar);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w.window()->ScrollRow(), 65536); // the whole 16-bit position
    EXPECT_EQ(Spy::count('s', WM_VSCROLL), 0);
    EXPECT_EQ(Spy::count('s', WM_PAINT), 1);
    PostMessage(excel7, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 9), 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(w.window()->ScrollColumn(), 10);
}

TEST(SheetWindow, VisibleRangeAndScreenPixelsFollowScrollAndZoom)
{
    ShownWorkbook w;
    auto window = w.window();
    const QSize area = w.grid()->cellArea();
    const QPoint corner = w.grid()->cellAreaOnScreen();
    struct Case
    {
        int zoom, row, column;
    };
    for (const Case c : {Case{100, 1, 1}, Case{100, 11, 3}, Case{50, 11, 3}, Case{50, 1, 1}}) {
        window->setZoom(c.zoom);
        window->setScrollRow(c.row);
        window->setScrollColumn(c.column);
        const int rowPx = 20 * c.zoom / 100, columnPx = 64 * c.zoom / 100;
        const excel::Range visible = window->VisibleRange();
        EXPECT_EQ(visible.Row(), c.row);
        EXPECT_EQ(visible.Column(), c.column);
        EXPECT_EQ(visible.Rows().Count(), (area.height() + rowPx - 1) / rowPx) << c.zoom;
        EXPECT_EQ(visible.Columns().Count(), (area.width() + columnPx - 1) / columnPx) << c.zoom;
        EXPECT_EQ(window->PointsToScreenPixelsX(0), corner.x() - (c.column - 1) * columnPx);
        EXPECT_EQ(window->PointsToScreenPixelsY(0), corner.y() - (c.row - 1) * rowPx);
        // The cell drawn at a place is where its points and the origin put it.
        const QRect cell = w.grid()->cellRect(c.row + 2, c.column + 1);
        const QPoint onScreen = w.grid()->mapToGlobal(cell.topLeft());
        excel::Range r = w.sheet()->Cells(c.row + 2, c.column + 1);
        EXPECT_EQ(onScreen.x(), window->PointsToScreenPixelsX(r.Left()));
        EXPECT_EQ(onScreen.y(), window->PointsToScreenPixelsY(r.Top()));
        EXPECT_EQ(cell.width(), columnPx);
    }
}

TEST(SheetWindow, CellGeometryInPoints)
{
    ShownWorkbook w(fixture(QStringLiteral("look.xlsx")));
    auto sheet = w.sheet();
    struct Case
    {
        const char *address;
        double left, top, width, height;
    };
    // C is 20 characters wide (140 pixels, 105 points), E hidden, row 3 30 points high.
    for (const Case c :
         {Case{"A1", 0, 0, 48, 15}, Case{"C3", 96, 30, 105, 30}, Case{"D4", 201, 60, 48, 15},
          Case{"E2", 249, 15, 0, 15}, Case{"F2", 249, 15, 48, 15}, Case{"A6:C7", 0, 90, 201, 30},
          Case{"B1:B3", 48, 0, 48, 60}}) {
        excel::Range r = sheet->Range(S(c.address));
        EXPECT_DOUBLE_EQ(r.Left(), c.left) << c.address;
        EXPECT_DOUBLE_EQ(r.Top(), c.top) << c.address;
        EXPECT_DOUBLE_EQ(r.Width(), c.width) << c.address;
        EXPECT_DOUBLE_EQ(r.Height(), c.height) << c.address;
    }
}

TEST(SheetWindow, TypingIntoACellSetsItsValueAndFiresChange)
{
    ShownWorkbook w;
    auto sheet = w.sheet();
    std::vector<int> changedRows, selectedRows;
    sheet->onChange([&](const excel::Range &t) { changedRows.push_back(t.Row()); });
    sheet->onSelectionChange([&](const excel::Range &t) { selectedRows.push_back(t.Row()); });
    excel::SheetGridWindow *grid = w.grid();
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->cellRect(3, 2).center());
    EXPECT_EQ(selectedRows, (std::vector<int>{3}));
    EXPECT_TRUE(w.book->Saved());
    QTest::keyClicks(grid, QStringLiteral("42"));
    ASSERT_NE(grid->editor(), nullptr);
    QTest::keyClick(grid->editor(), Qt::Key_Return);
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(changedRows, (std::vector<int>{3}));
    EXPECT_EQ(sheet->Cells(3, 2).Value().toDouble(), 42.0);
    EXPECT_FALSE(w.book->Saved());
    EXPECT_EQ(selectedRows, (std::vector<int>{3, 4})); // Enter moves down

    // Chinese text arrives from the input method, committed as a whole.
    QInputMethodEvent typed;
    typed.setCommitString(S("中文"));
    QApplication::sendEvent(grid, &typed);
    ASSERT_NE(grid->editor(), nullptr);
    QTest::keyClick(grid->editor(), Qt::Key_Tab);
    EXPECT_EQ(sheet->Cells(4, 2).Value().toText(), S("中文"));
    EXPECT_EQ(sheet->Selection().Column(), 3);

    QTest::keyClicks(grid, QStringLiteral("gone"));
    QTest::keyClick(grid->editor(), Qt::Key_Escape);
    EXPECT_TRUE(sheet->Cells(4, 3).Value().isEmpty());
    EXPECT_EQ(changedRows.size(), 2u);

    // F2 edits what is there; Delete clears the selection.
    QTest::keyClick(grid, Qt::Key_Left);
    QTest::keyClick(grid, Qt::Key_F2);
    ASSERT_NE(grid->editor(), nullptr);
    EXPECT_EQ(grid->editor()->text(), S("中文"));
    QTest::keyClick(grid->editor(), Qt::Key_Escape);
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_TRUE(sheet->Cells(4, 2).Value().isEmpty());
    EXPECT_EQ(changedRows.back(), 4);
}

// A formula typed as on a keyboard: "*" comes after a Shift press of its own, which the editor
// leaves to its parent, the sheet window, while the window hands keys to the editor.
TEST(SheetWindow, TypingAFormulaWithShiftedKeysStoresIt)
{
    ShownWorkbook w;
    auto sheet = w.sheet();
    excel::SheetGridWindow *grid = w.grid();
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->cellRect(6, 5).center());
    QTest::keyClicks(grid, QStringLiteral("=B3"));
    QLineEdit *editor = grid->editor();
    ASSERT_NE(editor, nullptr);
    for (QWidget *target : {static_cast<QWidget *>(editor), static_cast<QWidget *>(grid)}) {
        QTest::keyPress(target, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(target, Qt::Key_Asterisk, Qt::ShiftModifier);
        QTest::keyRelease(target, Qt::Key_Shift);
    }
    EXPECT_EQ(editor->text(), S("=B3**"));
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QStringLiteral("2"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->editor(), nullptr);
    EXPECT_EQ(sheet->Cells(6, 5).Formula(), S("=B3*2"));
}

// However editing starts, the editor lies over the cell being edited, on the screen too.
TEST(SheetWindow, TheEditorLiesOverItsCell)
{
    ShownWorkbook w;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.mainWindow()));
    w.sheet()->Cells(6, 4).setValue(com::Variant(QStringLiteral("there")));
    w.window()->setScrollRow(3);
    excel::SheetGridWindow *grid = w.grid();
    const struct
    {
        const char *how;
        int row, column;
    } cases[] = {{"typing", 4, 2}, {"F2", 6, 4}, {"double click", 7, 3}, {"typing", 5, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.how << " " << c.row << "," << c.column);
        const QRect cell = grid->cellRect(c.row, c.column);
        const std::string how = c.how;
        if (how == "double click") {
            QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, cell.center());
        } else {
            QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, cell.center());
            if (how == "F2")
                QTest::keyClick(grid, Qt::Key_F2);
            else
                QTest::keyClicks(grid, QStringLiteral("7"));
        }
        QLineEdit *editor = grid->editor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(grid->activeRow(), c.row);
        EXPECT_EQ(grid->activeColumn(), c.column);
        EXPECT_EQ(editor->geometry().topLeft(), cell.topLeft());
        EXPECT_EQ(editor->height(), cell.height());
        EXPECT_GE(editor->width(), cell.width());
        EXPECT_EQ(editor->mapToGlobal(QPoint()), grid->mapToGlobal(cell.topLeft()));
        QTest::keyClick(editor, Qt::Key_Escape);
    }
}

TEST(SheetWindow, KeysMoveTheActiveCellAndScrollWithoutScrollMessages)
{
    ShownWorkbook w;
    const HWND excel7 = excel7Of(w.app->Hwnd());
    excel::SheetGridWindow *grid = w.grid();
    grid->setFocus();
    Spy spy(excel7);
    const int page = w.window()->VisibleRange().Rows().Count() - 1; // whole rows
    QTest::keyClick(grid, Qt::Key_PageDown);
    EXPECT_EQ(w.sheet()->Selection().Row(), 1 + page);
    EXPECT_EQ(w.window()->ScrollRow(), 1 + page);
    QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w.sheet()->Selection().Address(), QStringLiteral("$A$%1:$B$%1").arg(1 + page));
    QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.window()->ScrollRow(), 1);
    EXPECT_EQ(w.sheet()->Selection().Address(), QStringLiteral("$A$1"));
    EXPECT_EQ(Spy::count('s', WM_VSCROLL), 0);
    EXPECT_GE(Spy::count('s', WM_PAINT), 2);
}

TEST(SheetWindow, HeadersSelectWholeColumnsAndRows)
{
    ShownWorkbook w;
    excel::SheetGridWindow *grid = w.grid();
    const QRect c = grid->cellRect(1, 3);
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, QPoint(c.center().x(), c.top() - 5));
    EXPECT_EQ(w.sheet()->Selection().Address(), QStringLiteral("$C:$C"));
    const QRect r = grid->cellRect(5, 1);
    QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, QPoint(r.left() - 5, r.center().y()));
    EXPECT_EQ(w.sheet()->Selection().Address(), QStringLiteral("$5:$5"));
}

TEST(SheetWindow, ZoomOutsideItsRangeIsRefusedAndIgnored)
{
    ShownWorkbook w;
    for (int bad : {5, 9, 401, 0, -100})
        EXPECT_EQ(errorNumberOf([&] { w.window()->setZoom(bad); }), 1004) << bad;
    EXPECT_EQ(w.window()->Zoom(), 100);
    for (int good : {10, 400, 75}) {
        w.window()->setZoom(good);
        EXPECT_EQ(w.window()->Zoom(), good);
    }
    // Each sheet keeps its own view.
    w.window()->setScrollRow(50);
    w.book->Worksheets()->Item(2)->Activate();
    EXPECT_EQ(w.window()->Zoom(), 100);
    EXPECT_EQ(w.window()->ScrollRow(), 1);
    w.book->Worksheets()->Item(1)->Activate();
    EXPECT_EQ(w.window()->Zoom(), 75);
    EXPECT_EQ(w.window()->ScrollRow(), 50);
}

TEST(SheetWindow, TabsShowTheVisibleSheetsAndPickTheActiveOne)
{
    ShownWorkbook w(fixture(QStringLiteral("look.xlsx")));
    QTabBar *tabs = w.grid()->tabBar();
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), S("数据"));
    EXPECT_EQ(tabs->tabText(1), S("第二页"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Sheet3"));
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(2).center());
    EXPECT_EQ(w.sheet()->Name(), QStringLiteral("Sheet3"));
    // Hiding the active sheet activates the next visible one, and the tabs follow.
    w.book->Worksheets()->Item(QStringLiteral("Sheet3"))->setVisible(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.sheet()->Name(), S("第二页"));
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(w.book->Saved() == false);
}

TEST(SheetWindow, SavedFollowsChangesButNotTheView)
{
    ShownWorkbook w(fixture(QStringLiteral("look.xlsx")));
    EXPECT_TRUE(w.book->Saved());
    w.window()->setScrollRow(20);
    w.window()->setZoom(50);
    w.sheet()->Cells(2, 2).Select();
    EXPECT_TRUE(w.book->Saved());
    w.sheet()->Cells(2, 2).setValue(com::Variant(7.0));
    EXPECT_FALSE(w.book->Saved());
    w.book->setSaved(true);
    EXPECT_TRUE(w.book->Saved());
    w.sheet()->Cells(2, 2).Font().setColorIndex(3);
    EXPECT_FALSE(w.book->Saved());
}

TEST(SheetWindow, MarksDrawnOnTheMainWindowGoAtTheSheetsNextRepaint)
{
    ShownWorkbook w;
    const HWND main = w.app->Hwnd();
    HDC dc = GetDC(main);
    HPEN pen = CreatePen(PS_SOLID, 1, 255);
    HGDIOBJ old = SelectObject(dc, pen);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 100, 100, 160, 130);
    SelectObject(dc, old);
    DeleteObject(pen);
    ReleaseDC(main, dc);
    EXPECT_FALSE(overlayImage(main).isNull());
    w.grid()->update(); // Qt's own repaint keeps them
    QCoreApplication::processEvents();
    EXPECT_FALSE(overlayImage(main).isNull());
    w.window()->setScrollRow(5);
    EXPECT_TRUE(overlayImage(main).isNull());
}

TEST(SheetWindow, ClosingAChangedWorkbooksWindowAsksFirst)
{
    ShownWorkbook w;
    w.sheet()->Cells(1, 1).setValue(com::Variant(1.0));
    w.boxes.expect(vbCancel);
    w.mainWindow()->close();
    EXPECT_TRUE(w.app->Visible());
    ASSERT_EQ(w.boxes.shown().size(), 1u);
    w.boxes.expect(vbNo);
    w.mainWindow()->close();
    EXPECT_FALSE(w.app->Visible());
    EXPECT_FALSE(w.book->isClosed()); // the program that owns it closes it
}

// The report workbook's road: the application shown before it has a workbook, then a workbook
// added and its sheets renamed and added while the window stands.
TEST(SheetWindow, AWindowShownWithoutAWorkbookTakesOneLater)
{
    FakeMessageBox boxes;
    excel::SheetWindows::install();
    auto app = excel::Application::create();
    app->setVisible(true);
    std::shared_ptr<excel::Workbook> book;
    ASSERT_NO_THROW(book = app->Workbooks()->Add());
    EXPECT_NO_THROW(app->setVisible(true));
    EXPECT_NO_THROW(book->Worksheets()->Item(1)->setName(QStringLiteral("差异的行")));
    EXPECT_NO_THROW(book->Sheets()->Add());
    QCoreApplication::processEvents();
    app->Quit();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    excel::SheetWindows::uninstall();
}
