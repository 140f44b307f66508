#pragma once

#include "platform/WinError.h"
#include "platform/win/WinTypes.h"

#include <QString>

class QWidget;

// Window handles for Qt widgets and the window functions over them. A handle stands for one
// widget; the widget's Qt parent decides the window tree (widgets without a handle in between
// are passed through). Hidden windows are windows too.
namespace win {

class WindowHandler;

// --- giving widgets handles ---
// The widget's handle, given on first use with the widget's Qt class name as its window class.
HWND hwndOf(QWidget *widget);
// Gives the widget a handle with a window class, styles, a logical thread (0: the program's
// own) and the handler that its window procedure calls. A widget keeps its first handle.
HWND registerWindow(QWidget *widget, const QString &className, LONG style, DWORD threadId = 0,
                    WindowHandler *handler = nullptr);
// The widget of a live handle, else null.
QWidget *widgetOf(HWND hwnd);

// --- logical threads ---
// The thread whose window procedure is running; the program's own thread outside any.
DWORD GetCurrentThreadId();
// A new logical thread for a group of windows that hooks should see apart (one per
// spreadsheet application).
DWORD CreateLogicalThread();
// The window's thread (0 for a dead or null window); *processId gets this process's id.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD *processId = nullptr);

// --- errors (the codes are in platform/WinError.h) ---
DWORD GetLastError();
void SetLastError(DWORD error);

// --- the tree ---
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
// The handle that stands for the desktop: SetParent on a top-level window returns it, and
// SetParent to it (or to 0) makes a window top-level again.
HWND GetDesktopWindow();
// The nearest ancestor with a handle; 0 for a top-level window.
HWND GetParent(HWND hwnd);
// Moves the window under a new parent (0 or the desktop: top-level) keeping its visibility,
// and returns the old parent (the desktop for a top-level window); 0 on failure. A window
// given to another parent this way is taken out again, hidden and top-level, before that
// parent is destroyed: its owner, not the host, decides when it goes.
HWND SetParent(HWND child, HWND newParent);
// Unregisters the window at once and deletes its widget from the event loop.
BOOL DestroyWindow(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int command);
// Top-level windows, hidden ones included, by class and title; a null text matches any.
HWND FindWindow(const QString &className, const QString &windowName);
// The next child of `parent` (0: the next top-level window) after `childAfter` (0: the first)
// that matches.
HWND FindWindowEx(HWND parent, HWND childAfter, const QString &className,
                  const QString &windowName);
// Every descendant of `parent` in pre-order until the procedure returns FALSE. The list is
// taken first, so windows destroyed by the procedure are skipped and new ones are not visited.
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam);
// The class name into a buffer of maxCount characters (cut, NUL-terminated); its length.
int GetClassName(HWND hwnd, char *buffer, int maxCount);
QString GetClassName(HWND hwnd);
QString GetWindowText(HWND hwnd);
BOOL SetWindowText(HWND hwnd, const QString &text);

// --- long values ---
// GWL_STYLE (WS_VISIBLE and WS_DISABLED follow the widget), GWL_EXSTYLE and GWL_ID. Clearing
// WS_CAPTION of a top-level window makes it frameless. The procedure is pointer-sized: ask for
// GWLP_WNDPROC through the Ptr forms.
LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
// The same, plus GWLP_WNDPROC (subclassing: the old procedure is returned; hand it the
// messages you do not handle with CallWindowProc) and GWLP_USERDATA.
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);

// --- geometry ---
// Positions a child in its parent's client coordinates, a top-level window on the screen.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT *rect);
// (0, 0, width, height).
BOOL GetClientRect(HWND hwnd, RECT *rect);
BOOL ScreenToClient(HWND hwnd, POINT *point);
BOOL ClientToScreen(HWND hwnd, POINT *point);

// --- focus and painting ---
// Activates the window's top-level window and gives the window the keyboard.
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND GetFocus();
HWND SetFocus(HWND hwnd);
// Schedules a repaint; UpdateWindow sends WM_PAINT now.
BOOL InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase);
BOOL UpdateWindow(HWND hwnd);

// --- scroll bars ---
// SB_CTL: the position of a scroll-bar control; SB_HORZ, SB_VERT: of the window's own bars
// (0 when it has none).
int GetScrollPos(HWND hwnd, int bar);
// Sets the position without notifying anyone; returns the old one.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);

} // namespace win
