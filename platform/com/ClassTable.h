#pragma once

#include "platform/com/IUnknown.h"
#include "platform/com/ServerExports.h"

#include <QString>
#include <map>
#include <mutex>

namespace com {

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD REGCLS_MULTIPLEUSE = 0x1;

// The process-wide table of classes: class objects that the process registered itself, and the
// server modules loaded for classes found in the registry store (the default value of
// HKCR CLSID\{...}\InprocServer32 names the module's absolute path). A module stays loaded
// until CoFreeUnusedLibraries finds that it holds nothing.
class ClassTable
{
public:
    static ClassTable &instance();

    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void **ppv);
    // The class object of a class served by the module at an absolute path, without the
    // registry; the module stays loaded like one found through it.
    HRESULT getClassObjectFromModule(const QString &path, REFCLSID clsid, REFIID riid, void **ppv);
    HRESULT registerClassObject(REFCLSID clsid, IUnknown *factory, DWORD *cookie);
    HRESULT revokeClassObject(DWORD cookie);
    void freeUnusedLibraries();
    int loadedModuleCount() const;

private:
    struct Module
    {
        void *handle = nullptr;
        PFNDLLGETCLASSOBJECT getClassObject = nullptr;
        PFNDLLCANUNLOADNOW canUnloadNow = nullptr;
    };
    struct Registered
    {
        CLSID clsid;
        IUnknown *factory;
    };

    HRESULT loadModule(const QString &path, Module *out);

    mutable std::recursive_mutex m_mutex;
    std::map<QString, Module> m_modules;
    std::map<DWORD, Registered> m_registered;
    DWORD m_nextCookie = 1;
};

// Creation by class identifier or ProgID, as the platform's own functions do it.
HRESULT CLSIDFromProgID(const QString &progId, CLSID *clsid);
HRESULT ProgIDFromCLSID(REFCLSID clsid, QString *progId);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, REFIID riid, void **ppv);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD clsContext, REFIID riid,
                         void **ppv);
// An object of a class served by the module file at an absolute path, found without the
// registry: for tests, and for a program that ships the module beside itself.
HRESULT CoCreateInstanceFromModule(const QString &modulePath, REFCLSID clsid, REFIID riid,
                                   void **ppv);
// A braced class identifier or a ProgID.
HRESULT CreateObject(const QString &progIdOrClsid, REFIID riid, void **ppv);
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown *factory, DWORD clsContext, DWORD flags,
                              DWORD *cookie);
HRESULT CoRevokeClassObject(DWORD cookie);
void CoFreeUnusedLibraries();

// What the last failed activation on this thread ran into, naming the class, key, file or
// entry point, for a message to the user; "" after a success.
QString LastActivationError();

} // namespace com
