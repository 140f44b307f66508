#pragma once

#include "platform/com/IClassFactory.h"

#include <atomic>
#include <functional>
#include <map>

namespace com {

// What one loadable server module keeps: its classes, and the count of its live objects and
// server locks that DllCanUnloadNow answers from. Each module has its own instance (a static
// object in the module), so the counts are the module's, not the process's.
class ServerModule
{
public:
    // Makes a new object of a class and asks it for the interface.
    using Creator = std::function<HRESULT(REFIID riid, void **ppv)>;

    void addClass(REFCLSID clsid, Creator create);

    // For DllGetClassObject: a class factory of the class (CLASS_E_CLASSNOTAVAILABLE for a
    // class the module does not serve).
    HRESULT GetClassObject(const CLSID *clsid, const IID *riid, void **ppv);
    // For DllCanUnloadNow.
    HRESULT CanUnloadNow() const { return m_locks.load() == 0 ? S_OK : S_FALSE; }

    // Every live object (factories included) and every LockServer(true) holds the module.
    void lock() { ++m_locks; }
    void unlock() { --m_locks; }
    long lockCount() const { return m_locks.load(); }

private:
    std::map<CLSID, Creator> m_classes;
    std::atomic<long> m_locks{0};
};

} // namespace com
