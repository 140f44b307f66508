#include "platform/com/ClassFactory.h"

namespace com {

ClassFactory::ClassFactory(ServerModule &module, ServerModule::Creator create)
    : ComObject(1), m_module(module), m_create(std::move(create))
{
    m_module.lock();
}

void *ClassFactory::interfaceFor(REFIID riid)
{
    if (riid == IID_IUnknown || riid == IID_IClassFactory)
        return static_cast<IClassFactory *>(this);
    return nullptr;
}

ClassFactory::~ClassFactory()
{
    m_module.unlock();
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
