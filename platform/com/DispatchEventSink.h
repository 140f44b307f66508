#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IDispatch.h"

#include <functional>
#include <map>

namespace com {

// A ready-made sink for the events of a source dispatch interface: a handler per dispatch
// identifier, connected to an object's connection point with advise() and disconnected with
// unadvise(). While connected, the source holds the sink and the sink holds the source's
// connection point, so the owner calls unadvise() before letting either go. Identifiers without
// a handler are taken and ignored, as an event nobody listens to.
class DispatchEventSink final : public ComObject<IDispatch>
{
public:
    using Handler = std::function<void(std::vector<Variant> &args)>;

    // Starts with one reference, the creator's.
    explicit DispatchEventSink(const IID &eventInterface);

    void on(DISPID dispId, Handler handler);

    // Connects to the object's connection point for the event interface.
    HRESULT advise(IUnknown *source);
    HRESULT unadvise();
    bool connected() const { return m_cookie != 0; }

    HRESULT GetIDsOfNames(const QString &name, DISPID *dispId) override;
    HRESULT Invoke(DISPID dispId, quint16 flags, std::vector<Variant> &args,
                   Variant *result) override;

private:
    ~DispatchEventSink() override;
    void *interfaceFor(REFIID riid) override;

    IID m_iid;
    std::map<DISPID, Handler> m_handlers;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace com
