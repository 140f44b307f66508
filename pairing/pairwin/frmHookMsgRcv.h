#pragma once

#include "pairing/pairwin/HookReportReceiver.h"
#include "platform/com/ComPtr.h"
#include "platform/win/WinTypes.h"

#include <QPointer>
#include <QString>
#include <cstdint>

class QLabel;
class QWidget;

namespace pairwin {
class _ClsHookExcelManager;
}

// The hidden top-level window, titled "Qx_SpyHookWindow", that the hook library reports to.
// One per process, made on first use and serving the latest manager; its window exists from
// Load to Unload. Its procedure is ModHook::WindowProc, which decodes the reports and calls the
// members below.
class frmHookMsgRcv : public HookReportReceiver
{
public:
    static frmHookMsgRcv &instance();

    // Creates the window, hidden, and subclasses it; nothing when it exists.
    void Load();
    // Destroys the window; the next Load makes a new one.
    void Unload();
    bool IsLoaded() const;
    win::HWND hWnd() const;
    bool Visible() const;
    // Shows or hides the window, loading it first when it is not loaded.
    void SetVisible(bool visible);
    // Label1's caption.
    QString LabelText() const;

    // The manager the reports go to (not held: the manager tells the form when it ends).
    void SetHooker(pairwin::_ClsHookExcelManager *manager);
    pairwin::_ClsHookExcelManager *Hooker() const { return m_hooker; }

    void OnRcv_WM_SCROLL(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                         std::int32_t lParam) override;
    void OnRcv_WM_MOUSEWHEEL(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                             std::int32_t lParam) override;
    void OnRcv_WM_PAINT(win::HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                        std::int32_t lParam) override;
    // Writes the report into Label1 while the window is visible.
    void PrintMsg(win::HWND hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam,
                  std::int32_t nPos);

private:
    frmHookMsgRcv() = default;
    ~frmHookMsgRcv() = default;
    frmHookMsgRcv(const frmHookMsgRcv &) = delete;
    frmHookMsgRcv &operator=(const frmHookMsgRcv &) = delete;

    // The current manager held for one call, so that it cannot end in the middle of it.
    com::ComPtr<pairwin::_ClsHookExcelManager> currentHooker() const;

    QPointer<QWidget> m_window;
    QPointer<QLabel> Label1;
    win::HWND m_hWnd = 0;
    pairwin::_ClsHookExcelManager *m_hooker = nullptr;
};
