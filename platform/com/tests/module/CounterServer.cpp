// A small server module for the tests: one class, registered and found like any other.
#include "platform/com/tests/module/CounterInterfaces.h"

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/ServerExports.h"
#include "platform/com/ServerModule.h"
#include "platform/com/ServerRegistration.h"

#include <cstdlib>

using namespace com;
using namespace countertest;

namespace {

ServerModule g_module;

class Counter final : public ComObject<ICounter, IConnectionPointContainer>
{
public:
    Counter() : ComObject(0) { g_module.lock(); }
    ~Counter() override
    {
        m_events.disconnectAll();
        m_dispatchEvents.disconnectAll();
        g_module.unlock();
    }

    void *interfaceFor(REFIID riid) override
    {
        if (riid == IID_IUnknown || riid == IID_ICounter) return static_cast<ICounter *>(this);
        if (riid == IID_IConnectionPointContainer)
            return static_cast<IConnectionPointContainer *>(this);
        return nullptr;
    }

    HRESULT Add(int by) override
    {
        m_value += by;
        const int v = m_value;
        m_events.raise<ICounterEvents>([v](ICounterEvents *sink) { sink->OnChanged(v); });
        return m_dispatchEvents.raiseDispatch(DISPID_Changed, {Variant(std::int32_t(v))});
    }
    HRESULT Value(int *value) override
    {
        if (!value) return E_POINTER;
        *value = m_value;
        return S_OK;
    }

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint **point) override
    {
        if (!point) return E_POINTER;
        if (riid == IID_ICounterEvents)
            *point = &m_events;
        else if (riid == DIID_DCounterEvents)
            *point = &m_dispatchEvents;
        else {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        (*point)->AddRef();
        return S_OK;
    }

private:
    int m_value = 0;
    ConnectionPoint m_events{this, IID_ICounterEvents};
    ConnectionPoint m_dispatchEvents{this, DIID_DCounterEvents};
};

ServerRegistration registration()
{
    return ServerRegistration{CLSID_Counter, QString::fromLatin1(ProgId),
                              QStringLiteral("Quorva test counter")};
}

struct Setup
{
    Setup()
    {
        g_module.addClass(CLSID_Counter, [](REFIID riid, void **ppv) {
            auto *c = new Counter;
            c->AddRef();
            const HRESULT hr = c->QueryInterface(riid, ppv);
            c->Release();
            return hr;
        });
    }
} g_setup;

} // namespace

QUORVA_COM_EXPORT HRESULT DllRegisterServer()
{
    // Lets the tests see how a failing registration is reported.
    if (std::getenv("QUORVA_TEST_FAIL_REGISTER")) return SELFREG_E_CLASS;
    return registration().registerServer(
        ServerRegistration::moduleFileName(reinterpret_cast<const void *>(&DllRegisterServer)));
}

QUORVA_COM_EXPORT HRESULT DllUnregisterServer()
{
    return registration().unregisterServer();
}

QUORVA_COM_EXPORT HRESULT DllGetClassObject(const CLSID *clsid, const IID *riid, void **ppv)
{
    return g_module.GetClassObject(clsid, riid, ppv);
}

QUORVA_COM_EXPORT HRESULT DllCanUnloadNow()
{
    return g_module.CanUnloadNow();
}
