#include "platform/com/DispatchEventSink.h"

namespace com {

DispatchEventSink::DispatchEventSink(const IID &eventInterface)
    : ComObject(1), m_iid(eventInterface)
{
}

void *DispatchEventSink::interfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid)
        return static_cast<IDispatch *>(this);
    return nullptr;
}

DispatchEventSink::~DispatchEventSink() = default;

void DispatchEventSink::on(DISPID dispId, Handler handler)
{
    m_handlers[dispId] = std::move(handler);
}

HRESULT DispatchEventSink::advise(IUnknown *source)
{
    if (!source) return E_POINTER;
    unadvise();
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.putVoid());
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(m_iid, m_point.put());
    if (FAILED(hr)) return hr;
    hr = m_point->Advise(static_cast<IDispatch *>(this), &m_cookie);
    if (FAILED(hr)) {
        m_cookie = 0;
        m_point.reset();
    }
    return hr;
}

HRESULT DispatchEventSink::unadvise()
{
    if (!m_point) return S_FALSE;
    // The point may hold the last reference but ours: keep this sink alive through the call.
    ComPtr<DispatchEventSink> self(this);
    ComPtr<IConnectionPoint> point = std::move(m_point);
    const DWORD cookie = m_cookie;
    m_cookie = 0;
    return point->Unadvise(cookie);
}

HRESULT DispatchEventSink::GetIDsOfNames(const QString &, DISPID *)
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchEventSink::Invoke(DISPID dispId, quint16 flags, std::vector<Variant> &args,
                                  Variant *result)
{
    Q_UNUSED(flags);
    if (result) *result = Variant();
    auto it = m_handlers.find(dispId);
    if (it != m_handlers.end() && it->second) {
        // A copy: the handler may replace or clear the sink's handlers while it runs.
        const Handler h = it->second;
        h(args);
    }
    return S_OK;
}

} // namespace com
