#include "platform/com/ClassFactory.h"

namespace com {

ClassFactory::ClassFactory(ServerModule &module, ServerModule::Creator create)
    : m_module(module), m_create(std::move(create))
{
    m_module.lock();
}

ClassFactory::~ClassFactory()
{
    m_module.unlock();
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *ppv = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef()
{
    return ++m_refs;
}

ULONG ClassFactory::Release()
{
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
}

HRESULT ClassFactory::CreateInstance(IUnknown *outer, REFIID riid, void **ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(riid, ppv);
}

HRESULT ClassFactory::LockServer(bool lock)
{
    if (lock)
        m_module.lock();
    else
        m_module.unlock();
    return S_OK;
}

} // namespace com
