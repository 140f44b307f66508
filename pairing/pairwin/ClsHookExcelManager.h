#pragma once

#include "core/ClsObjMap.h"
#include "pairing/pairwin/ClsHookExcelPair.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/ServerModule.h"
#include "platform/com/typelib/IHookExcelManager.h"

// The pairing manager: its window pairs keyed by the spied sheet window, the hook library it
// loaded, and the events OnPaint and OnScrolled. Creating one hands the process's receiver
// window to it; its end removes every hook of its pairs and unloads the receiver window.
class ClsHookExcelManager final
    : public com::ComObject<pairwin::_ClsHookExcelManager, com::IConnectionPointContainer>
{
public:
    // Holds the module while it lives. Starts with no reference.
    explicit ClsHookExcelManager(com::ServerModule &module);
    ClsHookExcelManager(const ClsHookExcelManager &) = delete;
    ClsHookExcelManager &operator=(const ClsHookExcelManager &) = delete;

    com::HRESULT GetIDsOfNames(const QString &name, com::DISPID *dispId) override;
    com::HRESULT Invoke(com::DISPID dispId, quint16 flags, std::vector<com::Variant> &args,
                        com::Variant *result) override;
    com::HRESULT FindConnectionPoint(com::REFIID riid, com::IConnectionPoint **point) override;

    com::HRESULT UnLoadDebugWindow() override;
    com::HRESULT AddPair(win::HWND hWndSpy, win::HWND hWndCtrl,
                         pairwin::VARIANT_BOOL *result) override;
    com::HRESULT RemoveAllPairs() override;
    com::HRESULT StartHookOnePair(win::HWND hWndSpy, win::HWND hWndCtrl,
                                  pairwin::VARIANT_BOOL *result) override;
    com::HRESULT StopHookOnePair(win::HWND hWndSpy, pairwin::VARIANT_BOOL *result) override;
    com::HRESULT SetSpyHook(pairwin::VARIANT_BOOL fSet, pairwin::VARIANT_BOOL *result) override;
    com::HRESULT OnRcv_WM_SCROLL(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos) override;
    com::HRESULT RaiseScrollEvent(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos) override;
    com::HRESULT get_ShowDebugWindow(pairwin::VARIANT_BOOL *value) override;
    com::HRESULT put_ShowDebugWindow(pairwin::VARIANT_BOOL value) override;
    com::HRESULT GetChild(win::HWND hWnd, pairwin::_ClsHookExcelPair **result) override;
    com::HRESULT OnRcv_WM_PAINT(win::HWND hWnd, std::int32_t msgId) override;

    // The folder the hook library is loaded from (this library's own, with a trailing "/").
    static QString libraryFolder();

private:
    ~ClsHookExcelManager() override;
    void *interfaceFor(com::REFIID riid) override;

    using PairPointer = std::shared_ptr<ClsHookExcelPair>;
    PairPointer pairOf(win::HWND hWndExcel7) const;
    bool setSpyHook(bool fSet);

    com::ServerModule &m_module;

    ClsObjMap<ClsHookExcelPair> m_PairMap;
    void *m_hmodDll = nullptr;
    bool m_ShowDebugWindow = false;

    com::ConnectionPoint m_events{this, pairwin::DIID___ClsHookExcelManager};
};
