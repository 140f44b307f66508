#include "platform/com/ClassTable.h"

#include "platform/com/IClassFactory.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryTree.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace com {

namespace {

thread_local QString t_lastError;

void setError(const QString &text)
{
    t_lastError = text;
}

QString hex(HRESULT hr)
{
    return QString::asprintf("0x%08X", unsigned(hr));
}

// The default value of a key under HKCR; false when the key or value is missing.
bool readClassesRoot(const QString &path, QString *text)
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, path, 0, win::KEY_READ, &key) !=
        win::ERROR_SUCCESS)
        return false;
    win::RegData data;
    const bool ok = win::RegQueryValueEx(key, QString(), &data) == win::ERROR_SUCCESS &&
                    (data.type == win::REG_SZ || data.type == win::REG_EXPAND_SZ);
    win::RegCloseKey(key);
    if (ok) *text = data.text;
    return ok;
}

} // namespace

ClassTable &ClassTable::instance()
{
    static ClassTable table;
    return table;
}

HRESULT ClassTable::loadModule(const QString &path, Module *out)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_modules.find(path);
    if (it != m_modules.end()) {
        *out = it->second;
        return S_OK;
    }
    if (!QFileInfo(path).isFile()) {
        setError(QStringLiteral("the server module %1 does not exist").arg(path));
        return CO_E_DLLNOTFOUND;
    }
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *why = dlerror();
        setError(QStringLiteral("cannot load %1: %2")
                     .arg(path, why ? QString::fromLocal8Bit(why) : QStringLiteral("unknown")));
        return CO_E_ERRORINDLL;
    }
    Module m;
    m.handle = handle;
    m.getClassObject = reinterpret_cast<PFNDLLGETCLASSOBJECT>(dlsym(handle, DllGetClassObjectName));
    m.canUnloadNow = reinterpret_cast<PFNDLLCANUNLOADNOW>(dlsym(handle, DllCanUnloadNowName));
    if (!m.getClassObject) {
        dlclose(handle);
        setError(QStringLiteral("%1 has no entry point %2")
                     .arg(path, QLatin1String(DllGetClassObjectName)));
        return CO_E_ERRORINDLL;
    }
    m_modules[path] = m;
    *out = m;
    return S_OK;
}

HRESULT ClassTable::getClassObject(REFCLSID clsid, REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        for (const auto &entry : m_registered) {
            if (entry.second.clsid == clsid) {
                setError(QString());
                return entry.second.factory->QueryInterface(riid, ppv);
            }
        }
    }
    const QString key = QStringLiteral("CLSID\\%1\\InprocServer32").arg(clsid.toString());
    QString path;
    if (!readClassesRoot(key, &path) || path.trimmed().isEmpty()) {
        setError(QStringLiteral("the class %1 is not registered (no HKCR\\%2)")
                     .arg(clsid.toString(), key));
        return REGDB_E_CLASSNOTREG;
    }
    // A bare name would make the loader search its own paths for some other library.
    if (!path.startsWith(QLatin1Char('/'))) {
        setError(QStringLiteral("the class %1 names no absolute module path: %2")
                     .arg(clsid.toString(), path));
        return CO_E_DLLNOTFOUND;
    }
    return getClassObjectFromModule(path, clsid, riid, ppv);
}

HRESULT ClassTable::getClassObjectFromModule(const QString &path, REFCLSID clsid, REFIID riid,
                                             void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!path.startsWith(QLatin1Char('/'))) {
        setError(QStringLiteral("the module path %1 is not absolute").arg(path));
        return CO_E_DLLNOTFOUND;
    }
    Module m;
    HRESULT hr = loadModule(path, &m);
    if (FAILED(hr)) return hr;
    // Called outside the table's lock: the module may create objects of other classes.
    hr = m.getClassObject(&clsid, &riid, ppv);
    if (FAILED(hr)) {
        if (ppv) *ppv = nullptr;
        setError(QStringLiteral("%1 gave no class object for %2 (%3)")
                     .arg(path, clsid.toString(), hex(hr)));
        return hr;
    }
    setError(QString());
    return hr;
}

HRESULT ClassTable::registerClassObject(REFCLSID clsid, IUnknown *factory, DWORD *cookie)
{
    if (!factory || !cookie) return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    factory->AddRef();
    *cookie = m_nextCookie++;
    m_registered[*cookie] = Registered{clsid, factory};
    return S_OK;
}

HRESULT ClassTable::revokeClassObject(DWORD cookie)
{
    IUnknown *factory = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        auto it = m_registered.find(cookie);
        if (it == m_registered.end()) return E_INVALIDARG;
        factory = it->second.factory;
        m_registered.erase(it);
    }
    factory->Release();
    return S_OK;
}

void ClassTable::freeUnusedLibraries()
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (auto it = m_modules.begin(); it != m_modules.end();) {
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            dlclose(it->second.handle);
            it = m_modules.erase(it);
        } else {
            ++it;
        }
    }
}

int ClassTable::loadedModuleCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return int(m_modules.size());
}

HRESULT CLSIDFromProgID(const QString &progId, CLSID *clsid)
{
    if (!clsid) return E_POINTER;
    // A "\" would reach some other key than the ProgID's own.
    if (progId.isEmpty() || progId.contains(QLatin1Char('\\')) ||
        !win::RegistryTree::validKeyName(progId)) {
        setError(QStringLiteral("\"%1\" is no ProgID").arg(progId));
        return CO_E_CLASSSTRING;
    }
    QString text;
    if (!readClassesRoot(progId + QStringLiteral("\\Clsid"), &text)) {
        setError(
            QStringLiteral("the ProgID %1 is not registered (no HKCR\\%1\\Clsid)").arg(progId));
        return CO_E_CLASSSTRING;
    }
    if (FAILED(CLSIDFromString(text, clsid))) {
        setError(QStringLiteral("HKCR\\%1\\Clsid holds no class identifier: %2").arg(progId, text));
        return CO_E_CLASSSTRING;
    }
    return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, QString *progId)
{
    if (!progId) return E_POINTER;
    QString text;
    if (!readClassesRoot(QStringLiteral("CLSID\\%1\\ProgID").arg(clsid.toString()), &text))
        return REGDB_E_CLASSNOTREG;
    *progId = text;
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD clsContext, REFIID riid, void **ppv)
{
    if (!(clsContext & CLSCTX_INPROC_SERVER)) {
        if (ppv) *ppv = nullptr;
        setError(QStringLiteral("only in-process servers exist here"));
        return REGDB_E_CLASSNOTREG;
    }
    return ClassTable::instance().getClassObject(clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer, DWORD clsContext, REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory *factory = nullptr;
    HRESULT hr =
        CoGetClassObject(clsid, clsContext, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    if (FAILED(hr)) {
        *ppv = nullptr;
        setError(QStringLiteral("the class %1 made no object with the interface asked for (%2)")
                     .arg(clsid.toString(), hex(hr)));
    }
    return hr;
}

HRESULT CoCreateInstanceFromModule(const QString &modulePath, REFCLSID clsid, REFIID riid,
                                   void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory *factory = nullptr;
    HRESULT hr = ClassTable::instance().getClassObjectFromModule(
        modulePath, clsid, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, riid, ppv);
    factory->Release();
    if (FAILED(hr)) {
        *ppv = nullptr;
        setError(QStringLiteral("%1 made no object of the class %2 with the interface asked for "
                                "(%3)")
                     .arg(modulePath, clsid.toString(), hex(hr)));
        return hr;
    }
    setError(QString());
    return hr;
}

HRESULT CreateObject(const QString &progIdOrClsid, REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    CLSID clsid{};
    if (!GUID::fromString(progIdOrClsid.trimmed(), &clsid)) {
        const HRESULT hr = CLSIDFromProgID(progIdOrClsid, &clsid);
        if (FAILED(hr)) return hr;
    }
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown *factory, DWORD clsContext, DWORD flags,
                              DWORD *cookie)
{
    Q_UNUSED(clsContext);
    Q_UNUSED(flags);
    return ClassTable::instance().registerClassObject(clsid, factory, cookie);
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    return ClassTable::instance().revokeClassObject(cookie);
}

void CoFreeUnusedLibraries()
{
    ClassTable::instance().freeUnusedLibraries();
}

QString LastActivationError()
{
    return t_lastError;
}

} // namespace com
