#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ServerModule.h"
#include "platform/com/typelib/IHookExcelManager.h"

// One direction of a window pair: hooks the spied sheet window's thread and moves the follower's
// sheet window to the positions reported. Inert from InitWnd until BeginHook; its hooks go when
// EndHook runs or the pair ends.
class ClsHookExcelPair final : public com::ComObject<pairwin::_ClsHookExcelPair>
{
public:
    // Holds the module while it lives. Starts with no reference.
    explicit ClsHookExcelPair(com::ServerModule &module);
    ClsHookExcelPair(const ClsHookExcelPair &) = delete;
    ClsHookExcelPair &operator=(const ClsHookExcelPair &) = delete;

    com::HRESULT GetIDsOfNames(const QString &name, com::DISPID *dispId) override;
    com::HRESULT Invoke(com::DISPID dispId, quint16 flags, std::vector<com::Variant> &args,
                        com::Variant *result) override;

    com::HRESULT Initialize(win::HINSTANCE hmodDll, win::HOOKPROC hAddrGetMessage,
                            win::HOOKPROC hAddkCallWndProc, win::HOOKPROC hAddrMouseProc) override;
    com::HRESULT InitWnd(win::HWND hWndSpy, win::HWND hWndSpyExcel7, win::HWND hWndCtrl) override;
    com::HRESULT GetCtrlExcel7Wnd(win::HWND *result) override;
    com::HRESULT BeginHook(pairwin::VARIANT_BOOL *result) override;
    com::HRESULT EndHook(pairwin::VARIANT_BOOL *result) override;
    com::HRESULT OnRcv_WM_SCROLL(std::int32_t msgId, std::int32_t nPos) override;
    com::HRESULT OnRcv_WM_MOUSEWHEEL(win::HWND hWnd, std::int32_t msgId) override;
    com::HRESULT get_InHooking(com::Variant *value) override;
    com::HRESULT put_InHooking(const com::Variant &value) override;
    com::HRESULT get_SpyWnd(win::HWND *value) override;
    com::HRESULT put_SpyWnd(win::HWND value) override;

    // For the manager, which owns its pairs.
    bool beginHook();
    void endHook();
    win::HWND spyWnd() const { return hWndSpy; }

private:
    ~ClsHookExcelPair() override;
    void *interfaceFor(com::REFIID riid) override;

    com::ServerModule &m_module;

    win::HWND hWndSpy = 0;
    win::HWND m_hWndSpyExcel7 = 0;
    win::HWND m_hWndSpyVScroll = 0;
    win::HWND m_hWndCtrlExcel7 = 0;
    win::HWND m_hWndCtrlHScroll = 0;
    win::HWND m_hWndCtrlVScroll = 0;
    win::HINSTANCE hmodDll = nullptr;
    win::HOOKPROC hAddrGetMessage = nullptr;
    win::HOOKPROC hAddkCallWndProc = nullptr;
    win::HOOKPROC hAddrMouseProc = nullptr;
    win::HHOOK m_hHookGetMessage = 0;
    win::HHOOK m_hHookCallWndProc = 0;
    win::HHOOK m_hHookMouse = 0;
    bool InHooking = false;
};
