#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ServerModule.h"

namespace com {

// The class object ServerModule hands out: makes objects of one class through its creator.
class ClassFactory final : public ComObject<IClassFactory>
{
public:
    ClassFactory(ServerModule &module, ServerModule::Creator create);
    ~ClassFactory() override;
    ClassFactory(const ClassFactory &) = delete;
    ClassFactory &operator=(const ClassFactory &) = delete;

    HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override;
    HRESULT LockServer(bool lock) override;

private:
    void *interfaceFor(REFIID riid) override;

    ServerModule &m_module;
    ServerModule::Creator m_create;
};

} // namespace com
