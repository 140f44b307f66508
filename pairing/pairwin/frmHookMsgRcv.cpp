#include "pairing/pairwin/frmHookMsgRcv.h"

#include "pairing/pairwin/ModAPI.h"
#include "pairing/pairwin/ModHook.h"
#include "pairing/winhook/Winhook.h"
#include "platform/com/typelib/IHookExcelManager.h"
#include "platform/win/Windows.h"

#include <QLabel>
#include <QWidget>

using namespace win;

frmHookMsgRcv &frmHookMsgRcv::instance()
{
    // Lives as long as the process: Unload already gives the window its procedure back, and
    // nothing is left to do when the process ends.
    static frmHookMsgRcv *form = new frmHookMsgRcv;
    return *form;
}

void frmHookMsgRcv::Load()
{
    if (IsLoaded()) return;
    // Plain Qt widgets: nothing of this library's code stays behind in them once the window is
    // gone, so the library may be unloaded while Qt still holds a widget to delete.
    auto *window = new QWidget(nullptr);
    window->setObjectName(QStringLiteral("frmHookMsgRcv"));
    window->setWindowTitle(QString::fromLatin1(winhook::SpyWindowTitle));
    window->resize(480, 90);
    auto *label = new QLabel(window);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(8, 8, 464, 74);
    label->setWordWrap(true);
    label->setText(QStringLiteral("Label1"));
    m_window = window;
    Label1 = label;
    m_hWnd = registerWindow(window, QStringLiteral("QxSpyHookWindow"), WS_OVERLAPPEDWINDOW);
    ModHook::SubclassWindow(m_hWnd, this);
}

void frmHookMsgRcv::Unload()
{
    if (!IsLoaded()) return;
    if (ModHook::SubclassedWindow() == m_hWnd) ModHook::UnsubclassWindow();
    DestroyWindow(m_hWnd);
    m_window.clear();
    Label1.clear();
    m_hWnd = 0;
}

bool frmHookMsgRcv::IsLoaded() const
{
    return m_hWnd != 0 && IsWindow(m_hWnd);
}

HWND frmHookMsgRcv::hWnd() const
{
    return IsLoaded() ? m_hWnd : 0;
}

bool frmHookMsgRcv::Visible() const
{
    return IsLoaded() && IsWindowVisible(m_hWnd);
}

void frmHookMsgRcv::SetVisible(bool visible)
{
    Load();
    ShowWindow(m_hWnd, visible ? SW_SHOW : SW_HIDE);
}

QString frmHookMsgRcv::LabelText() const
{
    return Label1 ? Label1->text() : QString();
}

void frmHookMsgRcv::SetHooker(pairwin::_ClsHookExcelManager *manager)
{
    m_hooker = manager;
}

com::ComPtr<pairwin::_ClsHookExcelManager> frmHookMsgRcv::currentHooker() const
{
    return com::ComPtr<pairwin::_ClsHookExcelManager>(m_hooker);
}

void frmHookMsgRcv::OnRcv_WM_SCROLL(HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                    std::int32_t lParam)
{
    std::int32_t nPos = 0;
    if (lParam != 0) {
        const std::int32_t code = ModAPI::LoWord(wParam);
        if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)
            nPos = ModAPI::HiWord(wParam);
        else
            nPos = GetScrollPos(HWND(lParam), SB_CTL);
    } else {
        nPos = GetScrollPos(hWnd, msgId == std::int32_t(WM_HSCROLL) ? SB_HORZ : SB_VERT);
    }
    PrintMsg(hWnd, msgId, wParam, lParam, nPos);
    if (com::ComPtr<pairwin::_ClsHookExcelManager> hooker = currentHooker())
        hooker->OnRcv_WM_SCROLL(hWnd, msgId, nPos);
}

void frmHookMsgRcv::OnRcv_WM_MOUSEWHEEL(HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                        std::int32_t lParam)
{
    com::ComPtr<pairwin::_ClsHookExcelManager> hooker = currentHooker();
    com::ComPtr<pairwin::_ClsHookExcelPair> pair;
    if (hooker) hooker->GetChild(hWnd, pair.put());
    PrintMsg(hWnd, msgId, wParam, lParam, 0);
    if (pair) {
        pair->OnRcv_WM_MOUSEWHEEL(hWnd, msgId);
        hooker->RaiseScrollEvent(hWnd, msgId, 0);
    }
}

void frmHookMsgRcv::OnRcv_WM_PAINT(HWND hWnd, std::int32_t msgId, std::int32_t wParam,
                                   std::int32_t lParam)
{
    PrintMsg(hWnd, msgId, wParam, lParam, 0);
    if (com::ComPtr<pairwin::_ClsHookExcelManager> hooker = currentHooker())
        hooker->OnRcv_WM_PAINT(hWnd, msgId);
}

void frmHookMsgRcv::PrintMsg(HWND hWnd, std::int32_t msg, std::int32_t wParam, std::int32_t lParam,
                             std::int32_t nPos)
{
    if (!Visible() || !Label1) return;
    Label1->setText(QStringLiteral("hwnd=0x") + ModAPI::Hex(hWnd) + QStringLiteral(",msg=0x") +
                    ModAPI::Hex(msg) + QStringLiteral(",wParam=0x") + ModAPI::Hex(wParam) +
                    QStringLiteral(",lParam=0x") + ModAPI::Hex(lParam) + QStringLiteral(",nPos=") +
                    QString::number(nPos));
}
