#pragma once

// Pairwin's public types: what a program that keeps two spreadsheet windows scrolling together
// binds to. Pairwin.so is an in-process server; its classes are dual interfaces (early-bound
// calls through the abstract classes below, in their table order, or calls by dispatch
// identifier through IDispatch::Invoke), and the manager raises its events through the source
// dispatch interface DIID___ClsHookExcelManager.
//
// Creating the manager:
//   - after `regsvr32 Pairwin.so` (the installer does it), by ProgID through the registry:
//       com::ComPtr<pairwin::_ClsHookExcelManager> m;
//       HRESULT hr = pairwin::CreateHookExcelManager(m.put());   // com::LastActivationError()
//   - straight from the module file, without the registry (tests, or a program that ships
//     Pairwin.so beside itself):
//       hr = pairwin::CreateHookExcelManagerFromModule(binFolder + "/Pairwin.so", m.put());
// Receiving its events:
//       auto *sink = new com::DispatchEventSink(pairwin::DIID___ClsHookExcelManager);
//       sink->on(pairwin::DISPID_OnPaint, [](std::vector<com::Variant> &a) { ... });
//       sink->on(pairwin::DISPID_OnScrolled, [](std::vector<com::Variant> &a) { ... });
//       sink->advise(m.get());
//       ...
//       sink->unadvise(); sink->Release();   // before letting the manager go: a connected
//       m.reset();                           // sink keeps the manager alive
// Event arguments are Longs (com::Variant::longValue()):
//   OnPaint    (1): hAppWnd = the spied spreadsheet main window, hWnd = its sheet window
//   OnScrolled (2): hAppWnd = the sheet window that scrolled (not its main window), msgId =
//                   WM_HSCROLL, WM_VSCROLL or WM_MOUSEWHEEL, nPos = the position (0 for the wheel)
// Typical use: RemoveAllPairs; AddPair(a, b); AddPair(b, a); SetSpyHook(VARIANT_TRUE) (false:
// the hooks could not all be set, and scrolling is not linked); release the manager to remove
// every hook. Call everything on the program's window thread.

#include "platform/com/ClassTable.h"
#include "platform/com/IDispatch.h"
#include "platform/win/WinTypes.h"

#include <QString>
#include <cstdint>

namespace pairwin {

using com::HRESULT;

// The automation Boolean: -1 true, 0 false.
using VARIANT_BOOL = std::int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr com::GUID LIBID_Pairwin = {
    0x3628AAF2, 0x4E3F, 0x423A, {0xA2, 0x58, 0x08, 0x5A, 0x0F, 0xA5, 0x1C, 0xEA}};
inline constexpr char LibraryHelpString[] = "Brenvik Pairwin Type Library";

inline constexpr com::CLSID CLSID_ClsHookExcelManager = {
    0x683B8C04, 0x857F, 0x4130, {0x91, 0x6F, 0xE7, 0x8A, 0x44, 0x4B, 0x69, 0x8C}};
inline constexpr com::IID IID__ClsHookExcelManager = {
    0xB9B19779, 0xA30D, 0x4A65, {0xA4, 0x37, 0x4F, 0x89, 0xD7, 0x77, 0x71, 0x15}};
inline constexpr com::IID DIID___ClsHookExcelManager = {
    0xB95B0E7F, 0x14C7, 0x4E5D, {0x89, 0xEC, 0x00, 0xAF, 0x55, 0xAE, 0xED, 0x94}};
inline constexpr char ProgID_ClsHookExcelManager[] = "Pairwin.ClsHookExcelManager";

inline constexpr com::CLSID CLSID_ClsHookExcelPair = {
    0xF880F282, 0xD46D, 0x46A7, {0xA6, 0x65, 0x51, 0x94, 0xD6, 0xFA, 0x9E, 0xE7}};
inline constexpr com::IID IID__ClsHookExcelPair = {
    0xCF15B190, 0x70FB, 0x42B9, {0x87, 0xC6, 0x0A, 0x64, 0xB8, 0xF2, 0x06, 0x61}};
inline constexpr char ProgID_ClsHookExcelPair[] = "Pairwin.ClsHookExcelPair";

// Events of DIID___ClsHookExcelManager.
constexpr com::DISPID DISPID_OnPaint = 1;
constexpr com::DISPID DISPID_OnScrolled = 2;

// A window pair in one direction: the spied window is watched, the follower is moved.
class _ClsHookExcelPair : public com::IDispatch
{
public:
    // The hook library's module and the addresses of its three procedures.
    virtual HRESULT Initialize(win::HINSTANCE hmodDll, win::HOOKPROC hAddrGetMessage,
                               win::HOOKPROC hAddkCallWndProc, win::HOOKPROC hAddrMouseProc) = 0;
    // Binds the spied main window, its sheet window and the follower's main window.
    virtual HRESULT InitWnd(win::HWND hWndSpy, win::HWND hWndSpyExcel7, win::HWND hWndCtrl) = 0;
    virtual HRESULT GetCtrlExcel7Wnd(win::HWND *result) = 0;
    // Hooks the spied sheet window's thread.
    virtual HRESULT BeginHook(VARIANT_BOOL *result) = 0;
    virtual HRESULT EndHook(VARIANT_BOOL *result) = 0;
    // Moves the follower to a reported scroll position.
    virtual HRESULT OnRcv_WM_SCROLL(std::int32_t msgId, std::int32_t nPos) = 0;
    // Moves the follower to the spied window's vertical position after a wheel turn.
    virtual HRESULT OnRcv_WM_MOUSEWHEEL(win::HWND hWnd, std::int32_t msgId) = 0;
    // True while the hooks are in place (a Variant holding a Boolean).
    virtual HRESULT get_InHooking(com::Variant *value) = 0;
    virtual HRESULT put_InHooking(const com::Variant &value) = 0;
    virtual HRESULT get_SpyWnd(win::HWND *value) = 0;
    virtual HRESULT put_SpyWnd(win::HWND value) = 0;

protected:
    ~_ClsHookExcelPair() = default;
};

// The pairing manager. Boolean results may be passed as null when the caller does not look.
class _ClsHookExcelManager : public com::IDispatch
{
public:
    virtual HRESULT UnLoadDebugWindow() = 0;
    // Registers a pair: spied main window, follower main window. A spied window registered
    // before keeps its first pair (result false).
    virtual HRESULT AddPair(win::HWND hWndSpy, win::HWND hWndCtrl, VARIANT_BOOL *result) = 0;
    virtual HRESULT RemoveAllPairs() = 0;
    virtual HRESULT StartHookOnePair(win::HWND hWndSpy, win::HWND hWndCtrl,
                                     VARIANT_BOOL *result) = 0;
    virtual HRESULT StopHookOnePair(win::HWND hWndSpy, VARIANT_BOOL *result) = 0;
    // True: loads the hook library and hooks every pair; the result is false when the library
    // cannot be loaded or any pair could not be hooked (a message says why). False: removes
    // every hook and frees the library.
    virtual HRESULT SetSpyHook(VARIANT_BOOL fSet, VARIANT_BOOL *result) = 0;
    // Called by the receiver window.
    virtual HRESULT OnRcv_WM_SCROLL(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos) = 0;
    virtual HRESULT RaiseScrollEvent(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos) = 0;
    // The receiver window's visibility; a visible receiver prints each report.
    virtual HRESULT get_ShowDebugWindow(VARIANT_BOOL *value) = 0;
    virtual HRESULT put_ShowDebugWindow(VARIANT_BOOL value) = 0;
    // The pair whose key is that sheet window; null (S_FALSE) when there is none.
    virtual HRESULT GetChild(win::HWND hWnd, _ClsHookExcelPair **result) = 0;
    virtual HRESULT OnRcv_WM_PAINT(win::HWND hWnd, std::int32_t msgId) = 0;

protected:
    ~_ClsHookExcelManager() = default;
};

// A manager through the registry by its ProgID; com::LastActivationError() says what failed.
inline HRESULT CreateHookExcelManager(_ClsHookExcelManager **manager)
{
    return com::CreateObject(QString::fromLatin1(ProgID_ClsHookExcelManager),
                             IID__ClsHookExcelManager, reinterpret_cast<void **>(manager));
}

// A manager from the module file at an absolute path, without the registry.
inline HRESULT CreateHookExcelManagerFromModule(const QString &modulePath,
                                                _ClsHookExcelManager **manager)
{
    return com::CoCreateInstanceFromModule(modulePath, CLSID_ClsHookExcelManager,
                                           IID__ClsHookExcelManager,
                                           reinterpret_cast<void **>(manager));
}

} // namespace pairwin
