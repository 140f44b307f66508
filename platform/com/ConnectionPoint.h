#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IDispatch.h"

#include <map>
#include <mutex>
#include <vector>

namespace com {

// The connection point an object that raises events embeds, one per outgoing interface. It
// lives and ends with its container: AddRef and Release go to the container. Connected sinks
// are held (one reference each) until Unadvise or until the container lets them all go.
class ConnectionPoint final : public IConnectionPoint
{
public:
    ConnectionPoint(IConnectionPointContainer *container, const IID &iid);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;

    HRESULT QueryInterface(REFIID riid, void **ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID *iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer **container) override;
    HRESULT Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    const IID &iid() const { return m_iid; }
    int connectionCount() const;

    // The sinks connected now, each as the outgoing interface, held for the caller: a sink that
    // disconnects while an event is being raised still gets that event, and nothing dangles.
    std::vector<ComPtr<IUnknown>> sinks() const;

    // Raises an event of an early-bound outgoing interface on every sink.
    template <class Sink, class F> void raise(F &&call) const
    {
        for (const ComPtr<IUnknown> &s : sinks())
            call(reinterpret_cast<Sink *>(s.get()));
    }
    // Raises an event of a source dispatch interface: each sink's Invoke with the identifier
    // and the arguments. Returns the first failure, S_OK when every sink took it.
    HRESULT raiseDispatch(DISPID dispId, const std::vector<Variant> &args) const;

    // Lets every sink go (the container calls it when it ends).
    void disconnectAll();

private:
    IConnectionPointContainer *m_container;
    IID m_iid;
    mutable std::mutex m_mutex;
    std::map<DWORD, IUnknown *> m_sinks;
    DWORD m_nextCookie = 1;
};

} // namespace com
