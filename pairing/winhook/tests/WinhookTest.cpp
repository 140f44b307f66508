// The hook procedures called as hooks and directly, reporting to a stand-in receiver window.
#include "pairing/winhook/Winhook.h"
#include "platform/win/Hooks.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QCoreApplication>
#include <QWidget>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace win;

namespace {

struct Report
{
    HWND reported; // WM_COPYDATA's wParam
    ULONG_PTR message;
    DWORD size;
    std::int32_t wParam;
    std::int32_t lParam;
};

std::vector<Report> g_reports;
// What happened, in order: "report", "older hook", "window".
std::vector<std::string> g_order;

LRESULT receiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        const auto *params = static_cast<const winhook::SpyParams *>(data->lpData);
        g_reports.push_back(Report{HWND(std::int32_t(wParam)), data->dwData, data->cbData,
                                   params->wParam, params->lParam});
        g_order.push_back("report");
        return 1;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT watchedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_VSCROLL || message == WM_MOUSEWHEEL || message == WM_PAINT)
        g_order.push_back("window");
    return DefWindowProc(hwnd, message, wParam, lParam);
}

LRESULT g_olderMouseResult = 0;
LRESULT olderHook(int code, WPARAM wParam, LPARAM lParam)
{
    g_order.push_back("older hook");
    CallNextHookEx(0, code, wParam, lParam);
    return g_olderMouseResult;
}

// The hook library, loaded as the pairing library loads it.
struct Library
{
    void *handle = dlopen(WINHOOK_MODULE, RTLD_NOW | RTLD_LOCAL);
    HOOKPROC getMsg = procedure(winhook::SpyGetMsgProcName);
    HOOKPROC callWnd = procedure(winhook::SpyCallWndProcName);
    HOOKPROC mouse = procedure(winhook::QxSpyMouseName);

    HOOKPROC procedure(const char *name) const
    {
        return handle ? reinterpret_cast<HOOKPROC>(dlsym(handle, name)) : nullptr;
    }
};

Library &library()
{
    static Library lib;
    return lib;
}

// A top-level window titled as the receiver, recording what it gets.
struct Receiver
{
    std::unique_ptr<QWidget> widget = std::make_unique<QWidget>();
    HWND hwnd = 0;

    explicit Receiver(const char *title = winhook::SpyWindowTitle)
    {
        widget->setWindowTitle(QString::fromLatin1(title));
        hwnd = registerWindow(widget.get(), QStringLiteral("FakeReceiver"), WS_OVERLAPPEDWINDOW);
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&receiverProc));
        g_reports.clear();
        g_order.clear();
    }
};

// A watched window on a logical thread of its own, as a spreadsheet's sheet window is.
struct Watched
{
    std::unique_ptr<QWidget> widget = std::make_unique<QWidget>();
    DWORD thread = CreateLogicalThread();
    HWND hwnd = registerWindow(widget.get(), QStringLiteral("EXCEL7"), WS_OVERLAPPEDWINDOW, thread);
    std::vector<HHOOK> hooks;

    Watched() { SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&watchedProc)); }
    ~Watched()
    {
        for (HHOOK h : hooks)
            UnhookWindowsHookEx(h);
    }
    void hook(int kind, HOOKPROC proc)
    {
        hooks.push_back(SetWindowsHookEx(kind, proc, nullptr, thread));
    }
};

LRESULT callWnd(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, int code = HC_ACTION)
{
    CWPSTRUCT cwp;
    cwp.hwnd = hwnd;
    cwp.message = message;
    cwp.wParam = wParam;
    cwp.lParam = lParam;
    return library().callWnd(code, 0, reinterpret_cast<LPARAM>(&cwp));
}

} // namespace

TEST(Winhook, ExportsItsThreeProceduresByName)
{
    ASSERT_NE(library().handle, nullptr) << dlerror();
    EXPECT_NE(library().getMsg, nullptr);
    EXPECT_NE(library().callWnd, nullptr);
    EXPECT_NE(library().mouse, nullptr);
}

TEST(Winhook, ReportsScrollAndPaintOnlyWithTheMessagesParameters)
{
    Receiver receiver;
    struct
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool reported;
    } cases[] = {
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 18), 77, true},
        {WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0, true},
        {WM_PAINT, 0, 0, true},
        {WM_SIZE, 0, MAKELPARAM(100, 50), false},
        {WM_MOUSEMOVE, 0, 0, false},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, false}, // the wheel comes through the mouse hook
        {WM_COPYDATA, 0, 0, false},
        {WM_KEYDOWN, 0x22, 0, false},
    };
    for (const auto &c : cases) {
        for (HOOKPROC proc : {library().callWnd, library().getMsg}) {
            g_reports.clear();
            const HWND window = 4242; // any window: the library does not look it up
            if (proc == library().callWnd) {
                callWnd(window, c.message, c.wParam, c.lParam);
            } else {
                MSG msg;
                msg.hwnd = window;
                msg.message = c.message;
                msg.wParam = c.wParam;
                msg.lParam = c.lParam;
                proc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
            }
            SCOPED_TRACE(testing::Message() << "message " << c.message);
            ASSERT_EQ(g_reports.size(), c.reported ? 1u : 0u);
            if (!c.reported) continue;
            EXPECT_EQ(g_reports[0].reported, window);
            EXPECT_EQ(g_reports[0].message, c.message);
            EXPECT_EQ(g_reports[0].size, 8u);
            EXPECT_EQ(g_reports[0].wParam, std::int32_t(c.wParam));
            EXPECT_EQ(g_reports[0].lParam, std::int32_t(c.lParam));
        }
    }
}

TEST(Winhook, PassesOnWithoutReportingWhatItMustNotRead)
{
    Receiver receiver;
    // A negative code, a null structure, window 0, and the receiver's own messages.
    EXPECT_EQ(callWnd(4242, WM_VSCROLL, 0, 0, -1), 0);
    EXPECT_EQ(library().callWnd(HC_ACTION, 0, 0), 0);
    EXPECT_EQ(library().getMsg(HC_ACTION, PM_REMOVE, 0), 0);
    EXPECT_EQ(library().mouse(HC_ACTION, WM_MOUSEWHEEL, 0), 0);
    callWnd(0, WM_VSCROLL, 0, 0);
    callWnd(receiver.hwnd, WM_PAINT, 0, 0);
    MOUSEHOOKSTRUCT mouse;
    mouse.hwnd = receiver.hwnd;
    library().mouse(HC_ACTION, WM_MOUSEWHEEL, reinterpret_cast<LPARAM>(&mouse));
    mouse.hwnd = 4242;
    library().mouse(-1, WM_MOUSEWHEEL, reinterpret_cast<LPARAM>(&mouse));
    library().mouse(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse));
    EXPECT_TRUE(g_reports.empty());
}

TEST(Winhook, FindsAReceiverMadeLaterAndForgetsOneThatWent)
{
    {
        Receiver notIt("Another window");
        callWnd(4242, WM_PAINT, 0, 0); // no receiver: nothing sent
        EXPECT_TRUE(g_reports.empty());
    }
    HWND first = 0;
    {
        Receiver receiver;
        first = receiver.hwnd;
        callWnd(4242, WM_PAINT, 0, 0);
        EXPECT_EQ(g_reports.size(), 1u);
    }
    QCoreApplication::processEvents(); // the first receiver is gone
    EXPECT_FALSE(IsWindow(first));
    Receiver second;
    callWnd(4242, WM_PAINT, 0, 0);
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST(Winhook, ReportsSentMessagesBeforeTheChainAndTheWheelAfterIt)
{
    Receiver receiver;
    Watched watched;
    watched.hook(WH_CALLWNDPROC, olderHook);
    watched.hook(WH_CALLWNDPROC, library().callWnd); // newer: runs first
    SendMessage(watched.hwnd, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(g_order, (std::vector<std::string>{"report", "older hook", "window"}));
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].reported, watched.hwnd);
    EXPECT_EQ(g_reports[0].message, WM_VSCROLL);

    // A posted scroll passes no call-window-procedure hook: it is never reported.
    g_order.clear();
    g_reports.clear();
    PostMessage(watched.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(g_order, (std::vector<std::string>{"window"}));
    EXPECT_TRUE(g_reports.empty());

    g_order.clear();
    watched.hook(WH_MOUSE, olderHook);
    watched.hook(WH_MOUSE, library().mouse);
    EXPECT_TRUE(DispatchInput(watched.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, unsigned(-120)),
                              MAKELPARAM(unsigned(-5), 300), POINT{-5, 300}));
    EXPECT_EQ(g_order, (std::vector<std::string>{"older hook", "report", "window"}));
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(g_reports[0].wParam, -5); // the cursor, not the wheel's distance
    EXPECT_EQ(g_reports[0].lParam, 300);

    // The chain's answer is passed on: a turn that an older hook swallows is still reported,
    // and the window never sees it.
    g_order.clear();
    g_olderMouseResult = 1;
    EXPECT_FALSE(DispatchInput(watched.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, POINT{1, 2}));
    g_olderMouseResult = 0;
    EXPECT_EQ(g_order, (std::vector<std::string>{"older hook", "report"}));
}
