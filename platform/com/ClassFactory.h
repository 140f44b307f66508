#pragma once

#include "platform/com/ServerModule.h"

#include <atomic>

namespace com {

// The class object ServerModule hands out: makes objects of one class through its creator.
class ClassFactory final : public IClassFactory
{
public:
    ClassFactory(ServerModule &module, ServerModule::Creator create);
    ~ClassFactory();
    ClassFactory(const ClassFactory &) = delete;
    ClassFactory &operator=(const ClassFactory &) = delete;

    HRESULT QueryInterface(REFIID riid, void **ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override;
    HRESULT LockServer(bool lock) override;

private:
    ServerModule &m_module;
    ServerModule::Creator m_create;
    std::atomic<ULONG> m_refs{1};
};

} // namespace com
