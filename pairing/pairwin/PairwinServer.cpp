// Pairwin's server entry points: registration of its two classes (in-process server, apartment
// model) and their class objects.
#include "pairing/pairwin/ClsHookExcelManager.h"
#include "pairing/pairwin/ClsHookExcelPair.h"
#include "pairing/pairwin/frmHookMsgRcv.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerModule.h"
#include "platform/com/ServerRegistration.h"

#include <new>

using namespace com;

namespace {

template <class T> HRESULT create(ServerModule &module, REFIID riid, void **ppv)
{
    auto *object = new (std::nothrow) T(module);
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

ServerModule &serverModule()
{
    static ServerModule module;
    static const bool ready = [] {
        module.addClass(pairwin::CLSID_ClsHookExcelManager, [](REFIID riid, void **ppv) {
            return create<ClsHookExcelManager>(module, riid, ppv);
        });
        module.addClass(pairwin::CLSID_ClsHookExcelPair, [](REFIID riid, void **ppv) {
            return create<ClsHookExcelPair>(module, riid, ppv);
        });
        return true;
    }();
    Q_UNUSED(ready);
    return module;
}

const ServerRegistration g_classes[] = {
    {pairwin::CLSID_ClsHookExcelManager, QString::fromLatin1(pairwin::ProgID_ClsHookExcelManager),
     QString::fromLatin1(pairwin::ProgID_ClsHookExcelManager)},
    {pairwin::CLSID_ClsHookExcelPair, QString::fromLatin1(pairwin::ProgID_ClsHookExcelPair),
     QString::fromLatin1(pairwin::ProgID_ClsHookExcelPair)},
};

} // namespace

QUORVA_COM_EXPORT HRESULT DllRegisterServer()
{
    const QString path =
        ServerRegistration::moduleFileName(reinterpret_cast<const void *>(&DllRegisterServer));
    for (const ServerRegistration &r : g_classes) {
        const HRESULT hr = r.registerServer(path);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

QUORVA_COM_EXPORT HRESULT DllUnregisterServer()
{
    HRESULT result = S_OK;
    for (const ServerRegistration &r : g_classes) {
        const HRESULT hr = r.unregisterServer();
        if (FAILED(hr)) result = hr;
    }
    return result;
}

QUORVA_COM_EXPORT HRESULT DllGetClassObject(const CLSID *clsid, const IID *riid, void **ppv)
{
    return serverModule().GetClassObject(clsid, riid, ppv);
}

QUORVA_COM_EXPORT HRESULT DllCanUnloadNow()
{
    // The receiver window runs this library's procedure while it exists.
    if (frmHookMsgRcv::instance().IsLoaded()) return S_FALSE;
    return serverModule().CanUnloadNow();
}
