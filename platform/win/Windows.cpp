#include "platform/win/Windows.h"

#include "platform/win/HostGuard.h"
#include "platform/win/Messages.h"
#include "platform/win/WindowHandler.h"
#include "platform/win/WindowTable.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>
#include <QWindow>
#include <unistd.h>

namespace win {

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

WindowTable &table()
{
    return WindowTable::instance();
}

QWidget *liveWidget(HWND hwnd)
{
    QWidget *w = table().widget(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

bool matches(HWND hwnd, const QString &className, const QString &windowName)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r) return false;
    if (!className.isNull() && r->className.compare(className, Qt::CaseInsensitive) != 0)
        return false;
    if (!windowName.isNull() && (!r->widget || r->widget->windowTitle() != windowName))
        return false;
    return true;
}

LONG liveStyle(const WindowTable::Record &r)
{
    LONG style = r.style & ~(WS_VISIBLE | WS_DISABLED);
    if (r.widget && !r.widget->isHidden()) style |= WS_VISIBLE;
    if (r.widget && !r.widget->isEnabled()) style |= WS_DISABLED;
    return style;
}

// A top-level widget's frame follows the caption bits.
void applyFrame(QWidget *w, LONG style)
{
    if (!w->isWindow()) return;
    const bool frameless = (style & WS_CAPTION) == 0;
    if (w->windowFlags().testFlag(Qt::FramelessWindowHint) == frameless) return;
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::FramelessWindowHint, frameless);
    if (shown) w->show();
}

QAbstractSlider *barOf(QWidget *w, int bar)
{
    if (bar == SB_CTL) return qobject_cast<QAbstractSlider *>(w);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w))
        return bar == SB_VERT ? static_cast<QAbstractSlider *>(area->verticalScrollBar())
                              : area->horizontalScrollBar();
    return nullptr;
}

} // namespace

DWORD GetLastError()
{
    return t_lastError;
}

void SetLastError(DWORD error)
{
    t_lastError = error;
}

HWND hwndOf(QWidget *widget)
{
    if (!widget) return 0;
    if (HWND h = table().handleOf(widget)) return h;
    // Inherit the logical thread of the nearest registered ancestor.
    DWORD thread = 0;
    for (QWidget *p = widget->parentWidget(); p; p = p->parentWidget())
        if (HWND h = table().handleOf(p)) {
            thread = table().find(h)->threadId;
            break;
        }
    return table().add(widget, QString::fromLatin1(widget->metaObject()->className()),
                       widget->isWindow() ? WS_OVERLAPPEDWINDOW : WS_CHILD, thread, nullptr);
}

HWND registerWindow(QWidget *widget, const QString &className, LONG style, DWORD threadId,
                    WindowHandler *handler)
{
    return table().add(widget, className, style, threadId, handler);
}

QWidget *widgetOf(HWND hwnd)
{
    return table().widget(hwnd);
}

DWORD GetCurrentThreadId()
{
    return table().currentThreadId();
}

DWORD CreateLogicalThread()
{
    return table().newThreadId();
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD *processId)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r) {
        if (processId) *processId = 0;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (processId) *processId = DWORD(::getpid());
    return r->threadId;
}

BOOL IsWindow(HWND hwnd)
{
    return table().find(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    if (hwnd == table().desktop()) return TRUE;
    QWidget *w = table().widget(hwnd);
    return w && w->isVisible() ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    for (HWND p = GetParent(hwnd); p; p = GetParent(p))
        if (p == parent) return TRUE;
    return FALSE;
}

HWND GetDesktopWindow()
{
    return table().desktop();
}

HWND GetParent(HWND hwnd)
{
    return table().parentOf(hwnd);
}

HWND SetParent(HWND child, HWND newParent)
{
    QWidget *w = liveWidget(child);
    if (!w) return 0;
    QWidget *host = nullptr;
    if (newParent && newParent != table().desktop()) {
        host = liveWidget(newParent);
        if (!host) return 0;
        // A window cannot go below itself.
        for (QWidget *p = host; p; p = p->parentWidget())
            if (p == w) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
    }
    HWND old = GetParent(child);
    if (!old) old = table().desktop();
    const bool shown = !w->isHidden();
    const QPoint pos = w->pos();
    if (host) {
        // A top-level window's native window goes first: some platforms cannot reparent one,
        // and a child needs none.
        if (w->isWindow() && w->windowHandle()) {
            w->hide();
            w->windowHandle()->destroy();
        }
        w->setParent(host, w->windowFlags() & ~Qt::WindowType_Mask);
        w->move(pos);
        HostGuard::of(host)->guard(w);
    } else {
        w->setParent(nullptr, (w->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        if (WindowTable::Record *r = table().find(child)) applyFrame(w, r->style);
    }
    if (shown) w->show();
    return old;
}

BOOL DestroyWindow(HWND hwnd)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return FALSE;
    // Children with handles go first, as their handles die with the window.
    std::vector<HWND> below = table().children(hwnd, true);
    for (auto it = below.rbegin(); it != below.rend(); ++it)
        table().remove(*it);
    table().remove(hwnd);
    w->hide();
    w->deleteLater();
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return FALSE;
    const BOOL wasVisible = w->isHidden() ? FALSE : TRUE;
    w->setVisible(command != SW_HIDE);
    return wasVisible;
}

HWND FindWindow(const QString &className, const QString &windowName)
{
    return FindWindowEx(0, 0, className, windowName);
}

HWND FindWindowEx(HWND parent, HWND childAfter, const QString &className, const QString &windowName)
{
    const std::vector<HWND> list = table().children(parent, false);
    auto it = list.begin();
    if (childAfter) {
        it = std::find(list.begin(), list.end(), childAfter);
        if (it == list.end()) return 0;
        ++it;
    }
    for (; it != list.end(); ++it)
        if (matches(*it, className, windowName)) return *it;
    return 0;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    if (!proc) return FALSE;
    if (parent && !table().find(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const std::vector<HWND> list = table().children(parent, true);
    for (HWND h : list) {
        if (!table().find(h)) continue;
        if (!proc(h, lParam)) break;
    }
    return TRUE;
}

int GetClassName(HWND hwnd, char *buffer, int maxCount)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!buffer || maxCount <= 0) return 0;
    const QByteArray name = r->className.toUtf8();
    const int n = std::min<int>(int(name.size()), maxCount - 1);
    std::copy(name.constData(), name.constData() + n, buffer);
    buffer[n] = '\0';
    return n;
}

QString GetClassName(HWND hwnd)
{
    WindowTable::Record *r = table().find(hwnd);
    return r ? r->className : QString();
}

QString GetWindowText(HWND hwnd)
{
    QWidget *w = table().widget(hwnd);
    return w ? w->windowTitle() : QString();
}

BOOL SetWindowText(HWND hwnd, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!table().find(hwnd)) return FALSE;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(utf8.constData())) ? TRUE
                                                                                        : FALSE;
}

LONG GetWindowLong(HWND hwnd, int index)
{
    if (index == GWL_WNDPROC || index == GWLP_USERDATA) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return LONG(GetWindowLongPtr(hwnd, index));
}

LONG SetWindowLong(HWND hwnd, int index, LONG value)
{
    if (index == GWL_WNDPROC || index == GWLP_USERDATA) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return LONG(SetWindowLongPtr(hwnd, index, value));
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return liveStyle(*r);
    case GWL_EXSTYLE:
        return r->exStyle;
    case GWL_ID:
        return r->id;
    case GWLP_USERDATA:
        return r->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(r->proc);
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r || hwnd == table().desktop()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWL_STYLE: {
        old = liveStyle(*r);
        r->style = LONG(value);
        if (r->widget) applyFrame(r->widget, r->style);
        break;
    }
    case GWL_EXSTYLE:
        old = r->exStyle;
        r->exStyle = LONG(value);
        break;
    case GWL_ID:
        old = r->id;
        r->id = LONG(value);
        break;
    case GWLP_USERDATA:
        old = r->userData;
        r->userData = value;
        break;
    case GWLP_WNDPROC:
        if (!value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(r->proc);
        r->proc = reinterpret_cast<WNDPROC>(value);
        break;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return old;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return FALSE;
    if (!(flags & SWP_NOMOVE)) w->move(x, y);
    if (!(flags & SWP_NOSIZE)) w->resize(std::max(0, cx), std::max(0, cy));
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_BOTTOM) {
            w->lower();
            if (QWidget *p = w->parentWidget()) HostGuard::of(p); // stays the first child
        } else if (insertAfter == HWND_TOP) {
            w->raise();
        } else if (QWidget *above = table().widget(insertAfter)) {
            if (above->parentWidget() == w->parentWidget()) w->stackUnder(above);
        }
    }
    if (flags & SWP_SHOWWINDOW) w->show();
    if (flags & SWP_HIDEWINDOW) w->hide();
    if (!(flags & SWP_NOACTIVATE) && w->isWindow() && w->isVisible()) w->activateWindow();
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    if (!SetWindowPos(hwnd, 0, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE)) return FALSE;
    if (repaint) InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT *rect)
{
    QWidget *w = liveWidget(hwnd);
    if (!w || !rect) return FALSE;
    QRect g;
    if (w->isWindow()) {
        g = w->frameGeometry();
    } else {
        g = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    }
    rect->left = g.left();
    rect->top = g.top();
    rect->right = g.left() + g.width();
    rect->bottom = g.top() + g.height();
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT *rect)
{
    QWidget *w = liveWidget(hwnd);
    if (!w || !rect) return FALSE;
    rect->left = 0;
    rect->top = 0;
    rect->right = w->width();
    rect->bottom = w->height();
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT *point)
{
    QWidget *w = liveWidget(hwnd);
    if (!w || !point) return FALSE;
    const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT *point)
{
    QWidget *w = liveWidget(hwnd);
    if (!w || !point) return FALSE;
    const QPoint p = w->mapToGlobal(QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return FALSE;
    QWidget *top = w->window();
    top->raise();
    top->activateWindow();
    w->setFocus(Qt::ActiveWindowFocusReason);
    return TRUE;
}

HWND GetForegroundWindow()
{
    return table().handleOf(QApplication::activeWindow());
}

HWND GetFocus()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (HWND h = table().handleOf(w)) return h;
    return 0;
}

HWND SetFocus(HWND hwnd)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return 0;
    const HWND old = GetFocus();
    w->setFocus(Qt::OtherFocusReason);
    return old;
}

BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return FALSE;
    if (rect)
        w->update(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
    else
        w->update();
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!liveWidget(hwnd)) return FALSE;
    SendMessage(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

int GetScrollPos(HWND hwnd, int bar)
{
    WindowTable::Record *r = table().find(hwnd);
    if (!r || !r->widget) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (bar != SB_CTL && r->handler) {
        int pos = 0;
        if (r->handler->scrollPos(bar, &pos)) return pos;
    }
    QAbstractSlider *slider = barOf(r->widget, bar);
    return slider ? slider->value() : 0;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    QWidget *w = liveWidget(hwnd);
    if (!w) return 0;
    QAbstractSlider *slider = barOf(w, bar);
    if (!slider) return 0;
    const int old = slider->value();
    {
        QSignalBlocker quiet(slider);
        slider->setValue(pos);
    }
    if (!redraw) return old;
    slider->update();
    return old;
}

} // namespace win
