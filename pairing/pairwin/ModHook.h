#pragma once

#include "core/ClsMap.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <memory>

class HookReportReceiver;

// The receiver window's procedure and the decoding of the hook library's reports; the lookup of
// a spreadsheet main window's sheet window and of its scroll bars.
namespace ModHook {

// Messages the receiver posts to itself so that a wheel turn or a repaint is handled after the
// spreadsheet window has acted on it. wParam: the window that got the reported message.
constexpr win::UINT WM_RCV_MOUSEWHEEL = 1001;
constexpr win::UINT WM_RCV_PAINT = 1002;

// Puts WindowProc in front of the window's procedure (restoring the window subclassed before,
// if any), its reports going to the receiver (none: they are dropped); UnsubclassWindow puts
// the old procedure back.
void SubclassWindow(win::HWND hWnd, HookReportReceiver *receiver = nullptr);
void UnsubclassWindow();
win::HWND SubclassedWindow();

win::LRESULT WindowProc(win::HWND hWnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
// A WM_COPYDATA report: wParam is the window that got the reported message, lParam the
// COPYDATASTRUCT. Records that are not reports, or too short, are ignored.
void OnCopyData(win::HWND hWnd, win::WPARAM wParam, win::LPARAM lParam);

// The "EXCEL7" sheet window inside the "XLDESK" child of a spreadsheet main window; 0 when
// either is missing.
win::HWND GetExcel7Wnd(win::HWND hWndExcel);
// The first descendant of the window whose style bit 0 equals `style`; 0 when none (or for
// window 0).
win::HWND GetScrollBarWnd(win::HWND hWnd, std::int32_t style);
win::BOOL EnumChildProc(win::HWND hWnd, win::LPARAM lParam);

// The process-wide enumeration map (null until first used); ClsEnumWindow keeps it.
std::shared_ptr<ClsMap> &EnumMap();

} // namespace ModHook
