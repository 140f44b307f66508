#include "platform/com/ConnectionPoint.h"

namespace com {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer *container, const IID &iid)
    : m_container(container), m_iid(iid)
{
}

ConnectionPoint::~ConnectionPoint()
{
    disconnectAll();
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG ConnectionPoint::AddRef()
{
    return m_container->AddRef();
}

ULONG ConnectionPoint::Release()
{
    return m_container->Release();
}

HRESULT ConnectionPoint::GetConnectionInterface(IID *iid)
{
    if (!iid) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **container)
{
    if (!container) return E_POINTER;
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie)
{
    if (!sink || !cookie) return E_POINTER;
    void *p = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, &p)) || !p) {
        *cookie = 0;
        return CONNECT_E_CANNOTCONNECT;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    *cookie = m_nextCookie++;
    m_sinks[*cookie] = reinterpret_cast<IUnknown *>(p);
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    IUnknown *sink = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_sinks.find(cookie);
        if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
        sink = it->second;
        m_sinks.erase(it);
    }
    // Released outside the lock: the sink's end may call back into this object.
    sink->Release();
    return S_OK;
}

int ConnectionPoint::connectionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_sinks.size());
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::sinks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<ComPtr<IUnknown>> out;
    out.reserve(m_sinks.size());
    for (const auto &entry : m_sinks)
        out.emplace_back(entry.second);
    return out;
}

HRESULT ConnectionPoint::raiseDispatch(DISPID dispId, const std::vector<Variant> &args) const
{
    HRESULT result = S_OK;
    raise<IDispatch>([&](IDispatch *sink) {
        std::vector<Variant> a = args; // each sink may change its own copy (ByRef)
        const HRESULT hr = sink->Invoke(dispId, DISPATCH_METHOD, a, nullptr);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    });
    return result;
}

void ConnectionPoint::disconnectAll()
{
    std::map<DWORD, IUnknown *> sinks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sinks.swap(m_sinks);
    }
    for (const auto &entry : sinks)
        entry.second->Release();
}

} // namespace com
