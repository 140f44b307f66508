#include "pairing/pairwin/ClsHookExcelManager.h"

#include "pairing/pairwin/DispatchMember.h"
#include "pairing/pairwin/ModHook.h"
#include "pairing/pairwin/frmHookMsgRcv.h"
#include "pairing/winhook/Winhook.h"
#include "platform/com/ServerRegistration.h"
#include "platform/win/MessageBox.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <utility>

using namespace com;
using pairwin::VARIANT_BOOL;
using pairwin::VARIANT_FALSE;
using pairwin::VARIANT_TRUE;

namespace {

enum : DISPID {
    DISPID_ShowDebugWindow = 0x68030000,
    DISPID_UnLoadDebugWindow = 0x60030003,
    DISPID_AddPair = 0x60030004,
    DISPID_RemoveAllPairs = 0x60030005,
    DISPID_StartHookOnePair = 0x60030006,
    DISPID_StopHookOnePair = 0x60030007,
    DISPID_SetSpyHook = 0x60030008,
    DISPID_OnRcv_WM_SCROLL = 0x60030009,
    DISPID_RaiseScrollEvent = 0x6003000A,
    DISPID_GetChild = 0x6003000B,
    DISPID_OnRcv_WM_PAINT = 0x6003000C,
};

const pairwin::DispatchMember g_members[] = {
    {"UnLoadDebugWindow", DISPID_UnLoadDebugWindow}, {"AddPair", DISPID_AddPair},
    {"RemoveAllPairs", DISPID_RemoveAllPairs},       {"StartHookOnePair", DISPID_StartHookOnePair},
    {"StopHookOnePair", DISPID_StopHookOnePair},     {"SetSpyHook", DISPID_SetSpyHook},
    {"OnRcv_WM_SCROLL", DISPID_OnRcv_WM_SCROLL},     {"RaiseScrollEvent", DISPID_RaiseScrollEvent},
    {"ShowDebugWindow", DISPID_ShowDebugWindow},     {"GetChild", DISPID_GetChild},
    {"OnRcv_WM_PAINT", DISPID_OnRcv_WM_PAINT},
};

const QString g_title = QStringLiteral("Pairwin");

VARIANT_BOOL boolOf(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

QString keyOf(win::HWND hWnd)
{
    return QString::number(hWnd);
}

} // namespace

ClsHookExcelManager::ClsHookExcelManager(ServerModule &module) : ComObject(0), m_module(module)
{
    m_module.lock();
    m_ShowDebugWindow = false;
    frmHookMsgRcv &receiver = frmHookMsgRcv::instance();
    receiver.SetHooker(this);
    receiver.Load();
}

void *ClsHookExcelManager::interfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == pairwin::IID__ClsHookExcelManager)
        return static_cast<pairwin::_ClsHookExcelManager *>(this);
    if (riid == IID_IConnectionPointContainer)
        return static_cast<IConnectionPointContainer *>(this);
    return nullptr;
}

ClsHookExcelManager::~ClsHookExcelManager()
{
    // Only the receiver's current manager takes its window away: an older manager ending later
    // must not silence the newer one.
    frmHookMsgRcv &receiver = frmHookMsgRcv::instance();
    if (receiver.Hooker() == this) {
        receiver.Unload();
        receiver.SetHooker(nullptr);
    }
    RemoveAllPairs();
    m_events.disconnectAll();
    m_module.unlock();
}

HRESULT ClsHookExcelManager::GetIDsOfNames(const QString &name, DISPID *dispId)
{
    return pairwin::DispatchMember::find(g_members, name, dispId);
}

HRESULT ClsHookExcelManager::Invoke(DISPID dispId, quint16 flags, std::vector<Variant> &args,
                                    Variant *result)
{
    return pairwin::DispatchMember::guarded(args, result, [&](const auto &c) -> HRESULT {
        VARIANT_BOOL answer = VARIANT_FALSE;
        HRESULT hr = S_OK;
        switch (dispId) {
        case DISPID_UnLoadDebugWindow:
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            return UnLoadDebugWindow();
        case DISPID_AddPair:
            if (!c.needs(2)) return DISP_E_BADPARAMCOUNT;
            hr = AddPair(args[0].toLong(), args[1].toLong(), &answer);
            break;
        case DISPID_RemoveAllPairs:
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            return RemoveAllPairs();
        case DISPID_StartHookOnePair:
            if (!c.needs(2)) return DISP_E_BADPARAMCOUNT;
            hr = StartHookOnePair(args[0].toLong(), args[1].toLong(), &answer);
            break;
        case DISPID_StopHookOnePair:
            if (!c.needs(1)) return DISP_E_BADPARAMCOUNT;
            hr = StopHookOnePair(args[0].toLong(), &answer);
            break;
        case DISPID_SetSpyHook:
            if (!c.needs(1)) return DISP_E_BADPARAMCOUNT;
            hr = SetSpyHook(boolOf(args[0].toBool()), &answer);
            break;
        case DISPID_OnRcv_WM_SCROLL:
            if (!c.needs(3)) return DISP_E_BADPARAMCOUNT;
            return OnRcv_WM_SCROLL(args[0].toLong(), args[1].toLong(), args[2].toLong());
        case DISPID_RaiseScrollEvent:
            if (!c.needs(3)) return DISP_E_BADPARAMCOUNT;
            return RaiseScrollEvent(args[0].toLong(), args[1].toLong(), args[2].toLong());
        case DISPID_ShowDebugWindow:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (!c.needs(1)) return DISP_E_BADPARAMCOUNT;
                return put_ShowDebugWindow(boolOf(args[0].toBool()));
            }
            if (!c.needs(0)) return DISP_E_BADPARAMCOUNT;
            answer = boolOf(m_ShowDebugWindow);
            break;
        case DISPID_GetChild:
            // A pair is reached through the early-bound interface only: the automation Variant
            // here carries no component objects.
            return DISP_E_TYPEMISMATCH;
        case DISPID_OnRcv_WM_PAINT:
            if (!c.needs(2)) return DISP_E_BADPARAMCOUNT;
            return OnRcv_WM_PAINT(args[0].toLong(), args[1].toLong());
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        if (SUCCEEDED(hr)) c.give(Variant(answer != VARIANT_FALSE));
        return hr;
    });
}

HRESULT ClsHookExcelManager::FindConnectionPoint(REFIID riid, IConnectionPoint **point)
{
    if (!point) return E_POINTER;
    if (riid != pairwin::DIID___ClsHookExcelManager) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &m_events;
    m_events.AddRef();
    return S_OK;
}

HRESULT ClsHookExcelManager::UnLoadDebugWindow()
{
    frmHookMsgRcv::instance().Unload();
    return S_OK;
}

HRESULT ClsHookExcelManager::AddPair(win::HWND hWndSpy, win::HWND hWndCtrl, VARIANT_BOOL *result)
{
    const win::HWND key = ModHook::GetExcel7Wnd(hWndSpy);
    auto *pair = new ClsHookExcelPair(m_module);
    pair->AddRef();
    PairPointer held(pair, [](ClsHookExcelPair *p) { p->Release(); });
    pair->InitWnd(hWndSpy, key, hWndCtrl);
    // A spied window registered before keeps its pair; the new one, never hooked, just goes.
    const bool added = m_PairMap.Add(keyOf(key), held);
    if (result) *result = boolOf(added);
    return S_OK;
}

HRESULT ClsHookExcelManager::RemoveAllPairs()
{
    for (const PairPointer &pair : m_PairMap.GetObject().values())
        pair->endHook();
    m_PairMap.RemoveAll();
    return S_OK;
}

HRESULT ClsHookExcelManager::StartHookOnePair(win::HWND hWndSpy, win::HWND hWndCtrl,
                                              VARIANT_BOOL *result)
{
    const PairPointer pair = pairOf(ModHook::GetExcel7Wnd(hWndSpy));
    if (!pair) {
        if (result) *result = VARIANT_FALSE;
        return S_OK;
    }
    StopHookOnePair(hWndCtrl, nullptr); // the reverse direction falls silent
    const bool ok = pair->beginHook();
    if (result) *result = boolOf(ok);
    return S_OK;
}

HRESULT ClsHookExcelManager::StopHookOnePair(win::HWND hWndSpy, VARIANT_BOOL *result)
{
    const PairPointer pair = pairOf(ModHook::GetExcel7Wnd(hWndSpy));
    if (pair) pair->endHook();
    if (result) *result = boolOf(bool(pair));
    return S_OK;
}

HRESULT ClsHookExcelManager::SetSpyHook(VARIANT_BOOL fSet, VARIANT_BOOL *result)
{
    const bool ok = setSpyHook(fSet != VARIANT_FALSE);
    if (result) *result = boolOf(ok);
    return S_OK;
}

QString ClsHookExcelManager::libraryFolder()
{
    const QString self =
        ServerRegistration::moduleFileName(reinterpret_cast<const void *>(&libraryFolder));
    QString folder = QFileInfo(self).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

bool ClsHookExcelManager::setSpyHook(bool fSet)
{
    if (!fSet) {
        for (const PairPointer &pair : m_PairMap.GetObject().values())
            pair->endHook();
        // Forgotten once freed: a second call must not free a load that someone else holds.
        if (m_hmodDll) dlclose(std::exchange(m_hmodDll, nullptr));
        return true;
    }

    // Loaded again on every call, so that a library put back meanwhile is found.
    const QString path = libraryFolder() + QStringLiteral("Winhook.so");
    void *module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char *why = dlerror();
        win::MsgBox(QStringLiteral("LoadLibrary ") + path + QStringLiteral(" failed!"),
                    win::vbCritical, g_title);
        win::MsgBox(QStringLiteral("SetSpyHook failed! err=126,") +
                        (why ? QString::fromLocal8Bit(why) : QStringLiteral("cannot load")),
                    win::vbCritical, g_title);
        return false;
    }
    // The manager holds one load of the library at a time, which SetSpyHook(False) gives back.
    if (m_hmodDll) dlclose(m_hmodDll);
    m_hmodDll = module;

    auto procedure = [&](const char *name) {
        return reinterpret_cast<win::HOOKPROC>(dlsym(module, name));
    };
    const win::HOOKPROC getMessage = procedure(winhook::SpyGetMsgProcName);
    const win::HOOKPROC callWndProc = procedure(winhook::SpyCallWndProcName);
    const win::HOOKPROC mouse = procedure(winhook::QxSpyMouseName);
    // Without these two no pair can be hooked: say which one the library lacks.
    for (const auto &[name, address] : {std::pair{winhook::SpyCallWndProcName, callWndProc},
                                        std::pair{winhook::QxSpyMouseName, mouse}}) {
        if (!address)
            win::MsgBox(QStringLiteral("GetProcAddress ") + QLatin1String(name) +
                            QStringLiteral(" failed! (") + path + QStringLiteral(")"),
                        win::vbCritical, g_title);
    }

    bool all = true;
    for (const PairPointer &pair : m_PairMap.GetObject().values()) {
        pair->Initialize(module, getMessage, callWndProc, mouse);
        // A pair that could not be hooked leaves its windows unlinked: the caller must know.
        if (!pair->beginHook()) all = false;
    }
    return all;
}

HRESULT ClsHookExcelManager::OnRcv_WM_SCROLL(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos)
{
    const PairPointer pair = pairOf(hWnd);
    if (!pair) return S_OK;
    ComPtr<ClsHookExcelManager> keep(this); // a handler may let the manager go
    pair->OnRcv_WM_SCROLL(msgId, nPos);
    return RaiseScrollEvent(hWnd, msgId, nPos);
}

HRESULT ClsHookExcelManager::RaiseScrollEvent(win::HWND hWnd, std::int32_t msgId, std::int32_t nPos)
{
    ComPtr<ClsHookExcelManager> keep(this);
    m_events.raiseDispatch(pairwin::DISPID_OnScrolled,
                           {Variant(std::int32_t(hWnd)), Variant(msgId), Variant(nPos)});
    return S_OK;
}

HRESULT ClsHookExcelManager::get_ShowDebugWindow(VARIANT_BOOL *value)
{
    if (!value) return E_POINTER;
    *value = boolOf(m_ShowDebugWindow);
    return S_OK;
}

HRESULT ClsHookExcelManager::put_ShowDebugWindow(VARIANT_BOOL value)
{
    m_ShowDebugWindow = value != VARIANT_FALSE;
    frmHookMsgRcv::instance().SetVisible(m_ShowDebugWindow);
    return S_OK;
}

HRESULT ClsHookExcelManager::GetChild(win::HWND hWnd, pairwin::_ClsHookExcelPair **result)
{
    if (!result) return E_POINTER;
    const PairPointer pair = pairOf(hWnd);
    *result = pair.get();
    if (!pair) return S_FALSE;
    pair->AddRef();
    return S_OK;
}

HRESULT ClsHookExcelManager::OnRcv_WM_PAINT(win::HWND hWnd, std::int32_t)
{
    const PairPointer pair = pairOf(hWnd);
    if (!pair) return S_OK;
    ComPtr<ClsHookExcelManager> keep(this);
    m_events.raiseDispatch(pairwin::DISPID_OnPaint,
                           {Variant(std::int32_t(pair->spyWnd())), Variant(std::int32_t(hWnd))});
    return S_OK;
}

ClsHookExcelManager::PairPointer ClsHookExcelManager::pairOf(win::HWND hWndExcel7) const
{
    return m_PairMap.GetValue(keyOf(hWndExcel7));
}
