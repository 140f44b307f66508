#include "platform/win/Hooks.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QCoreApplication>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

using namespace win;

namespace {

// What ran, in order: "A:277" is hook A seeing message 277, "proc:277" the window procedure.
std::vector<QString> g_trace;
HHOOK g_removeDuringChain = 0;
bool g_swallow = false;

void trace(const char *who, UINT msg)
{
    g_trace.push_back(QStringLiteral("%1:%2").arg(QLatin1String(who)).arg(msg));
}

LRESULT hookA(int code, WPARAM w, LPARAM l)
{
    if (code >= 0) trace("A", reinterpret_cast<CWPSTRUCT *>(l)->message);
    return CallNextHookEx(0, code, w, l);
}

LRESULT hookB(int code, WPARAM w, LPARAM l)
{
    if (code >= 0) trace("B", reinterpret_cast<CWPSTRUCT *>(l)->message);
    if (g_removeDuringChain) UnhookWindowsHookEx(g_removeDuringChain);
    return CallNextHookEx(0, code, w, l);
}

LRESULT getMsgHook(int code, WPARAM w, LPARAM l)
{
    auto *msg = reinterpret_cast<MSG *>(l);
    trace("get", msg->message);
    if (msg->message == WM_USER + 50) msg->message = WM_USER + 51; // may rewrite
    return CallNextHookEx(0, code, w, l);
}

LRESULT mouseHook(int code, WPARAM w, LPARAM l)
{
    LRESULT r = CallNextHookEx(0, code, w, l);
    trace("mouse", UINT(w));
    EXPECT_EQ(reinterpret_cast<MOUSEHOOKSTRUCT *>(l)->pt.x, 11);
    return g_swallow ? 1 : r;
}

WNDPROC g_old = nullptr;
LRESULT tracingProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    trace("proc", msg);
    return CallWindowProc(g_old, h, msg, w, l);
}

struct HookedWindow
{
    QWidget widget;
    DWORD thread = CreateLogicalThread();
    HWND hwnd = registerWindow(&widget, QStringLiteral("EXCEL7"), WS_CHILD, thread);
    std::vector<HHOOK> hooks;

    HookedWindow()
    {
        g_trace.clear();
        g_removeDuringChain = 0;
        g_swallow = false;
        g_old = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&tracingProc)));
    }
    ~HookedWindow()
    {
        for (HHOOK h : hooks)
            UnhookWindowsHookEx(h);
    }
    HHOOK hook(int kind, HOOKPROC proc)
    {
        HHOOK h = SetWindowsHookEx(kind, proc, nullptr, thread);
        EXPECT_NE(h, 0u);
        hooks.push_back(h);
        return h;
    }
};

} // namespace

TEST(Hooks, SentMessagesPassTheNewestHookFirstThenTheProcedure)
{
    HookedWindow w;
    w.hook(WH_CALLWNDPROC, hookA);
    w.hook(WH_CALLWNDPROC, hookB);
    SendMessage(w.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 18), 0);
    EXPECT_EQ(g_trace, (std::vector<QString>{"B:277", "A:277", "proc:277"}));
}

TEST(Hooks, PostedMessagesPassTheGetMessageHooksOnly)
{
    HookedWindow w;
    w.hook(WH_CALLWNDPROC, hookA);
    w.hook(WH_GETMESSAGE, getMsgHook);
    PostMessage(w.hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    PostMessage(w.hwnd, WM_USER + 50, 0, 0);
    QCoreApplication::sendPostedEvents();
    // A follower moved by a posted scroll is never seen by a call-window-procedure hook.
    EXPECT_EQ(g_trace, (std::vector<QString>{"get:277", "proc:277", "get:1074", "proc:1075"}));
}

TEST(Hooks, HooksSeeOnlyTheirOwnThread)
{
    HookedWindow w;
    w.hook(WH_CALLWNDPROC, hookA);
    QWidget other;
    const HWND hOther = hwndOf(&other); // the program's own thread
    SendMessage(hOther, WM_PAINT, 0, 0);
    EXPECT_TRUE(g_trace.empty());
    SendMessage(w.hwnd, WM_PAINT, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<QString>{"A:15", "proc:15"}));
}

TEST(Hooks, UnhookingEndsAHookAlsoWhileItsChainRuns)
{
    HookedWindow w;
    HHOOK a = w.hook(WH_CALLWNDPROC, hookA);
    w.hook(WH_CALLWNDPROC, hookB);
    g_removeDuringChain = a; // B removes A before passing the call on
    SendMessage(w.hwnd, WM_HSCROLL, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<QString>{"B:276", "proc:276"}));
    EXPECT_FALSE(UnhookWindowsHookEx(a));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);
}

TEST(Hooks, RefusedHooks)
{
    EXPECT_EQ(SetWindowsHookEx(WH_CALLWNDPROC, hookA, nullptr, 0), 0u); // the whole desktop
    EXPECT_EQ(SetWindowsHookEx(WH_CALLWNDPROC, hookA, nullptr, 0x7FFFFFF0), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    EXPECT_EQ(SetWindowsHookEx(99, hookA, nullptr, GetCurrentThreadId()), 0u);
    EXPECT_EQ(SetWindowsHookEx(WH_MOUSE, nullptr, nullptr, GetCurrentThreadId()), 0u);
    EXPECT_EQ(CallNextHookEx(0, 0, 0, 0), 0); // outside any chain
}

TEST(Hooks, InputRunsTheMouseHooksThenTheGetMessageHooksAndCanBeSwallowed)
{
    HookedWindow w;
    w.hook(WH_MOUSE, mouseHook);
    w.hook(WH_GETMESSAGE, getMsgHook);
    POINT pt{11, 22};
    EXPECT_TRUE(DispatchInput(w.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0, pt));
    EXPECT_EQ(g_trace, (std::vector<QString>{"mouse:522", "get:522", "proc:522"}));
    g_trace.clear();
    g_swallow = true;
    EXPECT_FALSE(DispatchInput(w.hwnd, WM_LBUTTONDOWN, 0, 0, pt));
    EXPECT_EQ(g_trace, (std::vector<QString>{"mouse:513"}));
    g_trace.clear();
    EXPECT_TRUE(DispatchInput(w.hwnd, WM_KEYDOWN, 0x21, 0, pt)); // keys skip the mouse hooks
    EXPECT_EQ(g_trace, (std::vector<QString>{"get:256", "proc:256"}));
}

TEST(Hooks, ProceduresRunAsTheWindowsThread)
{
    HookedWindow w;
    static DWORD seen = 0;
    struct Probe
    {
        static LRESULT proc(HWND, UINT, WPARAM, LPARAM)
        {
            seen = GetCurrentThreadId();
            return 0;
        }
    };
    SetWindowLongPtr(w.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Probe::proc));
    const DWORD mine = GetCurrentThreadId();
    SendMessage(w.hwnd, WM_NULL, 0, 0);
    EXPECT_EQ(seen, w.thread);
    EXPECT_EQ(GetCurrentThreadId(), mine);
}
