#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// Sends a message and waits for its result: the call-window-procedure hooks of the target
// window's thread run first (newest first), then the window procedure. 0 for a dead window.
// Only the thread that runs the windows may send.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a message; the event loop later runs the get-message hooks of the window's thread and
// then its window procedure (never the call-window-procedure hooks). FALSE for a dead window.
// Any thread may post.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The default handling: WM_CLOSE closes the widget, WM_PAINT repaints it now (wiping what was
// drawn over it through device contexts), WM_SETTEXT
// (lParam a UTF-8 text) sets its title; everything else gives 0.
LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure every registered window starts with: the window's handler, then
// DefWindowProc.
LRESULT ClassWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Input as the window system delivers it to a window: a mouse message passes the mouse hooks
// of the window's thread first (a hook that returns non-zero swallows it), then every input
// message passes the get-message hooks and reaches the window procedure. pt is the cursor in
// screen coordinates. False when a hook swallowed the message.
bool DispatchInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT pt,
                   LRESULT *result = nullptr);

} // namespace win
