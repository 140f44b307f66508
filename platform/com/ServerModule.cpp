#include "platform/com/ServerModule.h"

#include "platform/com/ClassFactory.h"

#include <new>

namespace com {

void ServerModule::addClass(REFCLSID clsid, Creator create)
{
    m_classes[clsid] = std::move(create);
}

HRESULT ServerModule::GetClassObject(const CLSID *clsid, const IID *riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!clsid || !riid) return E_INVALIDARG;
    auto it = m_classes.find(*clsid);
    if (it == m_classes.end()) return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) ClassFactory(*this, it->second);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(*riid, ppv);
    factory->Release();
    return hr;
}

} // namespace com
