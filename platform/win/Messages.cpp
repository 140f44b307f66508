#include "platform/win/Messages.h"

#include "platform/win/Gdi.h"
#include "platform/win/HookTable.h"
#include "platform/win/PostedMessages.h"
#include "platform/win/WindowHandler.h"
#include "platform/win/WindowTable.h"
#include "platform/win/Windows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

namespace win {

namespace {

bool onWindowsThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Runs a window procedure as the window's logical thread.
class ThreadScope
{
public:
    explicit ThreadScope(DWORD thread) { WindowTable::instance().pushThread(thread); }
    ~ThreadScope() { WindowTable::instance().popThread(); }
    ThreadScope(const ThreadScope &) = delete;
    ThreadScope &operator=(const ThreadScope &) = delete;
};

DWORD messageTime()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return DWORD(clock.elapsed());
}

} // namespace

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!onWindowsThread()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    WindowTable &table = WindowTable::instance();
    WindowTable::Record *r = table.find(hwnd);
    if (!r) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const DWORD sender = table.currentThreadId();
    const DWORD thread = r->threadId;
    ThreadScope scope(thread);
    CWPSTRUCT cwp;
    cwp.lParam = lParam;
    cwp.wParam = wParam;
    cwp.message = message;
    cwp.hwnd = hwnd;
    HookTable::instance().run(thread, WH_CALLWNDPROC, HC_ACTION, sender == thread ? 1 : 0,
                              reinterpret_cast<LPARAM>(&cwp));
    r = table.find(hwnd); // a hook may have destroyed the window
    if (!r || !r->proc) return 0;
    return r->proc(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!WindowTable::instance().isWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = messageTime();
    PostedMessages::instance().post(msg);
    return TRUE;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam)
{
    QWidget *w = WindowTable::instance().widget(hwnd);
    if (!w) return 0;
    switch (message) {
    case WM_CLOSE:
        w->close();
        return 0;
    case WM_PAINT:
        clearOverlays(w);
        if (w->isVisible()) w->repaint();
        return 0;
    case WM_SETTEXT:
        if (lParam) w->setWindowTitle(QString::fromUtf8(reinterpret_cast<const char *>(lParam)));
        return TRUE;
    default:
        return 0;
    }
}

LRESULT ClassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowTable::Record *r = WindowTable::instance().find(hwnd);
    if (r && r->handler) {
        LRESULT result = 0;
        if (r->handler->windowMessage(hwnd, message, wParam, lParam, &result)) return result;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool DispatchInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT pt, LRESULT *result)
{
    WindowTable &table = WindowTable::instance();
    WindowTable::Record *r = table.find(hwnd);
    if (!r) return false;
    const DWORD thread = r->threadId;
    ThreadScope scope(thread);
    HookTable &hooks = HookTable::instance();
    if (message >= WM_MOUSEMOVE && message <= 0x020E) {
        MOUSEHOOKSTRUCT mouse;
        mouse.pt = pt;
        mouse.hwnd = hwnd;
        mouse.wHitTestCode = HTCLIENT;
        if (hooks.run(thread, WH_MOUSE, HC_ACTION, message, reinterpret_cast<LPARAM>(&mouse)) != 0)
            return false;
    }
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = messageTime();
    msg.pt = pt;
    hooks.run(thread, WH_GETMESSAGE, HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg));
    r = table.find(msg.hwnd);
    if (!r || !r->proc) return false;
    LRESULT out = r->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    if (result) *result = out;
    return true;
}

} // namespace win
