#include "platform/win/Windows.h"
#include "platform/win/Messages.h"

#include <QApplication>
#include <QFrame>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace win;

namespace {

std::vector<UINT> g_seen;
WNDPROC g_old = nullptr;

LRESULT recordingProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    g_seen.push_back(msg);
    if (msg == WM_USER + 1) return 42; // handled here, never reaches the old procedure
    return CallWindowProc(g_old, hwnd, msg, w, l);
}

std::vector<HWND> g_enumerated;
BOOL collect(HWND hwnd, LPARAM stopAt)
{
    g_enumerated.push_back(hwnd);
    return hwnd == HWND(stopAt) ? FALSE : TRUE;
}

ULONG_PTR g_copyKind = 0;
int g_copyValue = 0;
LRESULT copyDataProc(HWND, UINT msg, WPARAM, LPARAM l)
{
    if (msg != WM_COPYDATA) return 0;
    auto *cds = reinterpret_cast<const COPYDATASTRUCT *>(l);
    g_copyKind = cds->dwData;
    g_copyValue = *static_cast<const int *>(cds->lpData);
    return 7;
}

} // namespace

TEST(Windows, HandlesAreStableAndNeverReused)
{
    auto a = std::make_unique<QWidget>();
    const HWND ha = hwndOf(a.get());
    EXPECT_NE(ha, 0);
    EXPECT_EQ(hwndOf(a.get()), ha);
    EXPECT_EQ(widgetOf(ha), a.get());
    EXPECT_EQ(GetClassName(ha), QStringLiteral("QWidget"));
    a.reset();
    EXPECT_FALSE(IsWindow(ha));
    EXPECT_EQ(widgetOf(ha), nullptr);
    QWidget b;
    const HWND hb = hwndOf(&b);
    EXPECT_GT(hb, ha);
}

TEST(Windows, ClassNameIntoAShortBufferIsCut)
{
    QWidget w;
    const HWND h = registerWindow(&w, QStringLiteral("MsoCommandBar"), WS_CHILD);
    char buf[128];
    EXPECT_EQ(GetClassName(h, buf, 128), 13);
    EXPECT_STREQ(buf, "MsoCommandBar");
    char tiny[4];
    EXPECT_EQ(GetClassName(h, tiny, 4), 3);
    EXPECT_STREQ(tiny, "Mso");
    EXPECT_EQ(GetClassName(0, buf, 128), 0);
}

TEST(Windows, FindWindowFindsHiddenTopLevelWindowsByTitleOrClass)
{
    QWidget receiver;
    receiver.setWindowTitle(QStringLiteral("Qx_SpyHookWindow"));
    const HWND h = registerWindow(&receiver, QStringLiteral("ThunderForm"), WS_OVERLAPPEDWINDOW);
    ASSERT_FALSE(receiver.isVisible());
    EXPECT_EQ(FindWindow(QString(), QStringLiteral("Qx_SpyHookWindow")), h);
    EXPECT_EQ(FindWindow(QStringLiteral("thunderform"), QString()), h);
    EXPECT_EQ(FindWindow(QStringLiteral("ThunderForm"), QStringLiteral("other")), 0);
    EXPECT_EQ(FindWindow(QString(), QStringLiteral("qx_spyhookwindow")), 0); // titles: exact
}

TEST(Windows, TreeSkipsWidgetsWithoutHandlesAndEnumeratesInPreOrder)
{
    QWidget main;
    const HWND hMain = registerWindow(&main, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW);
    auto *bar1 = new QWidget(&main);
    auto *bar2 = new QWidget(&main);
    auto *plain = new QWidget(&main); // no handle: its children count as main's
    auto *desk = new QWidget(plain);
    auto *sheet = new QWidget(desk);
    auto *vbar = new QScrollBar(Qt::Vertical, sheet);
    auto *hbar = new QScrollBar(Qt::Horizontal, sheet);
    const HWND h1 = registerWindow(bar1, QStringLiteral("MsoCommandBar"), WS_CHILD);
    const HWND h2 = registerWindow(bar2, QStringLiteral("MsoCommandBar"), WS_CHILD);
    const HWND hDesk = registerWindow(desk, QStringLiteral("XLDESK"), WS_CHILD);
    const HWND hSheet = registerWindow(sheet, QStringLiteral("EXCEL7"), WS_CHILD);
    const HWND hv = registerWindow(vbar, QStringLiteral("ScrollBar"), WS_CHILD | SBS_VERT);
    const HWND hh = registerWindow(hbar, QStringLiteral("ScrollBar"), WS_CHILD | SBS_HORZ);

    EXPECT_EQ(GetParent(hDesk), hMain);
    EXPECT_EQ(GetParent(hMain), 0);
    EXPECT_TRUE(IsChild(hMain, hv));
    EXPECT_EQ(FindWindowEx(hMain, 0, QStringLiteral("XLDESK"), QString()), hDesk);
    EXPECT_EQ(FindWindowEx(hDesk, 0, QStringLiteral("EXCEL7"), QString()), hSheet);
    EXPECT_EQ(FindWindowEx(hMain, 0, QStringLiteral("EXCEL7"), QString()), 0); // not a child
    EXPECT_EQ(FindWindowEx(hMain, 0, QStringLiteral("MsoCommandBar"), QString()), h1);
    EXPECT_EQ(FindWindowEx(hMain, h1, QStringLiteral("MsoCommandBar"), QString()), h2);
    EXPECT_EQ(FindWindowEx(hMain, h2, QStringLiteral("MsoCommandBar"), QString()), 0);

    g_enumerated.clear();
    EXPECT_TRUE(EnumChildWindows(hMain, collect, 0));
    EXPECT_EQ(g_enumerated, (std::vector<HWND>{h1, h2, hDesk, hSheet, hv, hh}));
    g_enumerated.clear();
    EnumChildWindows(hMain, collect, LPARAM(hSheet)); // FALSE stops the walk
    EXPECT_EQ(g_enumerated, (std::vector<HWND>{h1, h2, hDesk, hSheet}));

    EXPECT_EQ(GetWindowLong(hv, GWL_STYLE) & 1, 1);
    EXPECT_EQ(GetWindowLong(hh, GWL_STYLE) & 1, 0);
}

TEST(Windows, StyleBitsFollowVisibilityAndTheCaptionMakesTheFrame)
{
    QWidget top;
    const HWND h = registerWindow(&top, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & WS_VISIBLE, 0);
    top.show();
    EXPECT_NE(GetWindowLong(h, GWL_STYLE) & WS_VISIBLE, 0);
    LONG style = GetWindowLong(h, GWL_STYLE);
    SetWindowLong(h, GWL_STYLE, style & ~WS_CAPTION);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_TRUE(top.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(top.isVisible());
    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) | WS_CAPTION);
    EXPECT_FALSE(top.windowFlags().testFlag(Qt::FramelessWindowHint));
    // the procedure is pointer-sized: the 32-bit form refuses it
    EXPECT_EQ(SetWindowLong(h, GWL_WNDPROC, 1), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);
}

TEST(Windows, SubclassingSeesEveryMessageFirstAndRestoringEndsIt)
{
    QWidget w;
    w.setWindowTitle(QStringLiteral("before"));
    const HWND h = hwndOf(&w);
    g_seen.clear();
    g_old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc)));
    ASSERT_EQ(g_old, &ClassWindowProc);
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 0, 0), 42);
    SetWindowText(h, QStringLiteral("after")); // passed on to the old procedure
    EXPECT_EQ(w.windowTitle(), QStringLiteral("after"));
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_USER + 1, WM_SETTEXT}));

    SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_old));
    g_seen.clear();
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 0, 0), 0);
    EXPECT_TRUE(g_seen.empty());
}

TEST(Windows, PostedMessagesArriveInOrderFromTheEventLoop)
{
    QWidget w;
    const HWND h = hwndOf(&w);
    g_seen.clear();
    g_old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc)));
    EXPECT_TRUE(PostMessage(h, WM_USER + 5, 0, 0));
    EXPECT_TRUE(PostMessage(h, WM_USER + 6, 0, 0));
    EXPECT_TRUE(g_seen.empty()); // nothing before the loop runs
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_USER + 5, WM_USER + 6}));
    EXPECT_FALSE(PostMessage(0x7FFFFFF0, WM_USER, 0, 0));
}

TEST(Windows, AMessagePostedToAWindowThatGoesIsDropped)
{
    auto w = std::make_unique<QWidget>();
    const HWND h = hwndOf(w.get());
    g_seen.clear();
    g_old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordingProc)));
    PostMessage(h, WM_USER + 9, 0, 0);
    w.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(g_seen.empty());
}

TEST(Windows, CopyDataReachesTheReceiverInProcess)
{
    QWidget receiver;
    const HWND h = hwndOf(&receiver);
    SetWindowLongPtr(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&copyDataProc));
    int payload = 277;
    COPYDATASTRUCT cds;
    cds.dwData = 15;
    cds.cbData = sizeof payload;
    cds.lpData = &payload;
    EXPECT_EQ(SendMessage(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 7);
    EXPECT_EQ(g_copyKind, 15u);
    EXPECT_EQ(g_copyValue, 277);
}

TEST(Windows, SetParentHostsAWindowAndGivesItBack)
{
    QWidget view;
    view.resize(500, 400);
    auto *frame = new QFrame(&view);
    frame->setGeometry(50, 60, 400, 300);
    view.show();
    QWidget app;
    app.resize(200, 100);
    const HWND hHost = hwndOf(frame);
    const HWND hApp = registerWindow(&app, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW);
    app.show();

    const HWND old = SetParent(hApp, hHost);
    EXPECT_EQ(old, GetDesktopWindow());
    EXPECT_EQ(GetParent(hApp), hHost);
    EXPECT_FALSE(app.isWindow());
    EXPECT_TRUE(app.isVisible());         // keeps its visibility
    EXPECT_EQ(SetParent(hHost, hApp), 0); // no window goes below itself

    SetWindowPos(hApp, 0, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RECT r;
    GetWindowRect(hHost, &r);
    POINT tl{r.left, r.top};
    ScreenToClient(hHost, &tl);
    EXPECT_EQ(tl.x, 0);
    EXPECT_EQ(tl.y, 0);
    RECT c;
    GetClientRect(hApp, &c);
    EXPECT_EQ(c.right, 400);
    EXPECT_EQ(c.bottom, 300);

    EXPECT_EQ(SetParent(hApp, old), hHost);
    EXPECT_TRUE(app.isWindow());
    EXPECT_EQ(GetParent(hApp), 0);
}

TEST(Windows, DestroyingAHostLeavesTheHostedWindowAliveAndHidden)
{
    auto outer = std::make_unique<QWidget>();
    auto *frame = new QFrame(outer.get());
    auto *sibling = new QWidget(frame); // made before the guest, so deleted first by Qt
    (void)sibling;
    outer->show();
    QPointer<QWidget> guest = new QWidget;
    const HWND hGuest = registerWindow(guest, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW);
    guest->show();
    SetParent(hGuest, hwndOf(frame));
    ASSERT_EQ(guest->parentWidget(), frame);

    outer.reset(); // the frame goes with its window
    ASSERT_TRUE(guest);
    EXPECT_TRUE(IsWindow(hGuest));
    EXPECT_TRUE(guest->isWindow());
    EXPECT_FALSE(guest->isVisible());
    delete guest;
    EXPECT_FALSE(IsWindow(hGuest));
}

TEST(Windows, DestroyWindowKillsTheHandlesBelowAtOnce)
{
    QWidget main;
    auto *bar = new QWidget(&main);
    const HWND hBar = registerWindow(bar, QStringLiteral("MsoCommandBar"), WS_CHILD);
    auto *inner = new QWidget(bar);
    const HWND hInner = hwndOf(inner);
    QPointer<QWidget> gone = bar;
    EXPECT_TRUE(DestroyWindow(hBar));
    EXPECT_FALSE(IsWindow(hBar));
    EXPECT_FALSE(IsWindow(hInner));
    EXPECT_TRUE(gone); // deleted from the event loop
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(gone);
}

TEST(Windows, ThreadsSeparateWindowsAndProcessesAreOurs)
{
    QWidget a, b;
    const DWORD thread = CreateLogicalThread();
    const HWND ha = hwndOf(&a);
    const HWND hb = registerWindow(&b, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW, thread);
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(ha, &pid), GetCurrentThreadId());
    EXPECT_NE(pid, 0u);
    EXPECT_EQ(GetWindowThreadProcessId(hb), thread);
    EXPECT_EQ(GetWindowThreadProcessId(0), 0u);
    auto *child = new QWidget(&b);
    EXPECT_EQ(GetWindowThreadProcessId(hwndOf(child)), thread); // inherited
}

TEST(Windows, ScrollPositionOfABarControl)
{
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 65535);
    bar.setValue(17);
    const HWND h = registerWindow(&bar, QStringLiteral("ScrollBar"), WS_CHILD | SBS_VERT);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), 17);
    EXPECT_EQ(SetScrollPos(h, SB_CTL, 40000, TRUE), 17);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), 40000);
    EXPECT_EQ(GetScrollPos(h, SB_VERT), 0); // a control has no bars of its own
}

TEST(Windows, WordHelpersKeepSixteenBits)
{
    const WPARAM w = MAKEWPARAM(SB_THUMBPOSITION, 65535);
    EXPECT_EQ(LOWORD(w), 4u);
    EXPECT_EQ(HIWORD(w), 65535u);
    EXPECT_EQ(HIWORD(MAKEWPARAM(5, unsigned(-2))), 0xFFFEu);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(0, unsigned(-120))), -120);
    EXPECT_EQ(RGB(255, 0, 0), 255u);
}
