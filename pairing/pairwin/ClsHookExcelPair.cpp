#include "pairing/pairwin/ClsHookExcelPair.h"

#include "pairing/pairwin/DispatchMember.h"
#include "pairing/pairwin/ModAPI.h"
#include "pairing/pairwin/ModHook.h"
#include "platform/win/Hooks.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

using namespace com;
using pairwin::VARIANT_BOOL;
using pairwin::VARIANT_FALSE;
using pairwin::VARIANT_TRUE;

namespace {

enum : DISPID {
    DISPID_SpyWnd = 0x68030000,
    DISPID_InHooking = 0x68030001,
    DISPID_Initialize = 0x60030004,
    DISPID_InitWnd = 0x60030005,
    DISPID_GetCtrlExcel7Wnd = 0x60030006,
    DISPID_BeginHook = 0x60030007,
    DISPID_EndHook = 0x60030008,
    DISPID_OnRcv_WM_SCROLL = 0x60030009,
    DISPID_OnRcv_WM_MOUSEWHEEL = 0x6003000A,
};

const pairwin::DispatchMember g_members[] = {
    {"Initialize", DISPID_Initialize},
    {"InitWnd", DISPID_InitWnd},
    {"GetCtrlExcel7Wnd", DISPID_GetCtrlExcel7Wnd},
    {"BeginHook", DISPID_BeginHook},
    {"EndHook", DISPID_EndHook},
    {"OnRcv_WM_SCROLL", DISPID_OnRcv_WM_SCROLL},
    {"OnRcv_WM_MOUSEWHEEL", DISPID_OnRcv_WM_MOUSEWHEEL},
    {"InHooking", DISPID_InHooking},
    {"SpyWnd", DISPID_SpyWnd},
};

VARIANT_BOOL boolOf(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

ClsHookExcelPair::ClsHookExcelPair(ServerModule &module) : ComObject(0), m_module(module)
{
    m_module.lock();
}

void *ClsHookExcelPair::interfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == pairwin::IID__ClsHookExcelPair)
        return static_cast<pairwin::_ClsHookExcelPair *>(this);
    return nullptr;
}

ClsHookExcelPair::~ClsHookExcelPair()
{
    endHook();
    m_module.unlock();
}

HRESULT ClsHookExcelPair::GetIDsOfNames(const QString &name, DISPID *dispId)
{
    return pairwin::DispatchMember::find(g_members, name, dispId);
}

HRESULT ClsHookExcelPair::Invoke(DISPID dispId, quint16 flags, std::vector<Variant> &args,
                                 Variant *result)
{
    return pairwin::DispatchMember::guarded(args, result, [&](const auto &c) -> HRESULT {
        switch (dispId) {
        case DISPID_Initialize:
            // Module handles and procedure addresses do not fit an automation Long here.
            return DISP_E_TYPEMISMATCH;
        case DISPID_InitWnd:
            if (!c.needs(3)) return DISP_E_BADPARAMCOUNT;
            return InitWnd(args[0].toLong(), args[1].toLong(), args[2].toLong());
        case DISPID_GetCtrlExcel7Wnd:
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            c.give(Variant(std::int32_t(m_hWndCtrlExcel7)));
            return S_OK;
        case DISPID_BeginHook:
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            c.give(Variant(beginHook()));
            return S_OK;
        case DISPID_EndHook:
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            endHook();
            c.give(Variant(true));
            return S_OK;
        case DISPID_OnRcv_WM_SCROLL:
            if (!c.needs(2)) return DISP_E_BADPARAMCOUNT;
            return OnRcv_WM_SCROLL(args[0].toLong(), args[1].toLong());
        case DISPID_OnRcv_WM_MOUSEWHEEL:
            if (!c.needs(2)) return DISP_E_BADPARAMCOUNT;
            return OnRcv_WM_MOUSEWHEEL(args[0].toLong(), args[1].toLong());
        case DISPID_InHooking:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (!c.needs(1)) return DISP_E_BADPARAMCOUNT;
                return put_InHooking(args[0]);
            }
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            c.give(Variant(InHooking));
            return S_OK;
        case DISPID_SpyWnd:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (!c.needs(1)) return DISP_E_BADPARAMCOUNT;
                hWndSpy = args[0].toLong();
                return S_OK;
            }
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            c.give(Variant(std::int32_t(hWndSpy)));
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    });
}

HRESULT ClsHookExcelPair::Initialize(win::HINSTANCE hmodDll_, win::HOOKPROC hAddrGetMessage_,
                                     win::HOOKPROC hAddkCallWndProc_, win::HOOKPROC hAddrMouseProc_)
{
    hmodDll = hmodDll_;
    hAddrGetMessage = hAddrGetMessage_;
    hAddkCallWndProc = hAddkCallWndProc_;
    hAddrMouseProc = hAddrMouseProc_;
    return S_OK;
}

HRESULT ClsHookExcelPair::InitWnd(win::HWND hWndSpy_, win::HWND hWndSpyExcel7, win::HWND hWndCtrl)
{
    hWndSpy = hWndSpy_;
    m_hWndSpyVScroll = ModHook::GetScrollBarWnd(hWndSpyExcel7, 1);
    m_hWndSpyExcel7 = hWndSpyExcel7;
    m_hWndCtrlExcel7 = ModHook::GetExcel7Wnd(hWndCtrl);
    m_hWndCtrlHScroll = ModHook::GetScrollBarWnd(m_hWndCtrlExcel7, 0);
    m_hWndCtrlVScroll = ModHook::GetScrollBarWnd(m_hWndCtrlExcel7, 1);
    return S_OK;
}

HRESULT ClsHookExcelPair::GetCtrlExcel7Wnd(win::HWND *result)
{
    if (!result) return E_POINTER;
    *result = m_hWndCtrlExcel7;
    return S_OK;
}

HRESULT ClsHookExcelPair::BeginHook(VARIANT_BOOL *result)
{
    const bool ok = beginHook();
    if (result) *result = boolOf(ok);
    return S_OK;
}

HRESULT ClsHookExcelPair::EndHook(VARIANT_BOOL *result)
{
    endHook();
    if (result) *result = VARIANT_TRUE;
    return S_OK;
}

bool ClsHookExcelPair::beginHook()
{
    const win::DWORD thread = ModAPI::GetWindowThreadId(m_hWndSpyExcel7);
    if (thread == 0) {
        win::MsgBox(QString::fromUtf8("要HOOK的窗口不存在！m_hWndSpyExcel7=0x") +
                        ModAPI::Hex(m_hWndSpyExcel7),
                    win::vbCritical, QStringLiteral("Pairwin"));
        return false;
    }
    if (!m_hHookCallWndProc) {
        m_hHookCallWndProc =
            win::SetWindowsHookEx(win::WH_CALLWNDPROC, hAddkCallWndProc, hmodDll, thread);
        if (!m_hHookCallWndProc) return false;
    }
    if (!m_hHookMouse) {
        m_hHookMouse = win::SetWindowsHookEx(win::WH_MOUSE, hAddrMouseProc, hmodDll, thread);
        if (!m_hHookMouse) return false;
    }
    InHooking = true;
    return true;
}

void ClsHookExcelPair::endHook()
{
    for (win::HHOOK *hook : {&m_hHookGetMessage, &m_hHookCallWndProc, &m_hHookMouse}) {
        if (*hook) {
            win::UnhookWindowsHookEx(*hook);
            *hook = 0;
        }
    }
    InHooking = false;
}

HRESULT ClsHookExcelPair::OnRcv_WM_SCROLL(std::int32_t msgId, std::int32_t nPos)
{
    // Posted, never sent: the hooks see sent messages only, so the follower's move is not
    // reported back and the two windows do not echo each other.
    const win::WPARAM wParam =
        win::WPARAM(std::uint32_t(ModAPI::MakeWParam(win::SB_THUMBPOSITION, nPos)));
    if (msgId == std::int32_t(win::WM_HSCROLL))
        win::PostMessage(m_hWndCtrlExcel7, win::WM_HSCROLL, wParam, m_hWndCtrlHScroll);
    else if (msgId == std::int32_t(win::WM_VSCROLL))
        win::PostMessage(m_hWndCtrlExcel7, win::WM_VSCROLL, wParam, m_hWndCtrlVScroll);
    return S_OK;
}

HRESULT ClsHookExcelPair::OnRcv_WM_MOUSEWHEEL(win::HWND, std::int32_t)
{
    // The wheel's own distance is not used: the follower takes the spied window's new position.
    const int position = win::GetScrollPos(m_hWndSpyVScroll, win::SB_CTL);
    win::PostMessage(
        m_hWndCtrlExcel7, win::WM_VSCROLL,
        win::WPARAM(std::uint32_t(ModAPI::MakeWParam(win::SB_THUMBPOSITION, position))),
        m_hWndCtrlVScroll);
    return S_OK;
}

HRESULT ClsHookExcelPair::get_InHooking(Variant *value)
{
    if (!value) return E_POINTER;
    *value = Variant(InHooking);
    return S_OK;
}

HRESULT ClsHookExcelPair::put_InHooking(const Variant &value)
{
    return pairwin::DispatchMember::guarded([&]() -> HRESULT {
        InHooking = value.toBool();
        return S_OK;
    });
}

HRESULT ClsHookExcelPair::get_SpyWnd(win::HWND *value)
{
    if (!value) return E_POINTER;
    *value = hWndSpy;
    return S_OK;
}

HRESULT ClsHookExcelPair::put_SpyWnd(win::HWND value)
{
    hWndSpy = value;
    return S_OK;
}
