// Menulet's server entry points: registration of the class "Menulet.ShellExt" (in-process
// server, apartment model) and its class object.
#include "platform/com/ServerExports.h"
#include "platform/com/ServerModule.h"
#include "platform/com/ServerRegistration.h"
#include "shell/menulet/ShellExt.h"

#include <new>

using namespace com;

namespace {

ServerModule &serverModule()
{
    static ServerModule module;
    static const bool ready = [] {
        module.addClass(menulet::CLSID_ShellExt, [](REFIID riid, void **ppv) -> HRESULT {
            auto *object = new (std::nothrow) menulet::ShellExt(module);
            if (!object) return E_OUTOFMEMORY;
            object->AddRef();
            const HRESULT hr = object->QueryInterface(riid, ppv);
            object->Release();
            return hr;
        });
        return true;
    }();
    Q_UNUSED(ready);
    return module;
}

ServerRegistration registration()
{
    return ServerRegistration{menulet::CLSID_ShellExt, QString::fromLatin1(menulet::ProgId),
                              QString::fromLatin1(menulet::ProgId)};
}

} // namespace

QUORVA_COM_EXPORT HRESULT DllRegisterServer()
{
    return registration().registerServer(
        ServerRegistration::moduleFileName(reinterpret_cast<const void *>(&DllRegisterServer)));
}

QUORVA_COM_EXPORT HRESULT DllUnregisterServer()
{
    return registration().unregisterServer();
}

QUORVA_COM_EXPORT HRESULT DllGetClassObject(const CLSID *clsid, const IID *riid, void **ppv)
{
    return serverModule().GetClassObject(clsid, riid, ppv);
}

QUORVA_COM_EXPORT HRESULT DllCanUnloadNow()
{
    return serverModule().CanUnloadNow();
}
