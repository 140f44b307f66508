#pragma once

#include "platform/registry/Registry.h"
#include "platform/shell/IDataObject.h"

namespace shell {

// How a host tells a shell extension what the user selected.
class IShellExtInit : public com::IUnknown
{
public:
    // `folder` is the folder shown (may be null), `data` offers the selected files as CF_HDROP,
    // `progIdKey` the file type's key (may be 0).
    virtual HRESULT Initialize(const void *folder, IDataObject *data, win::HKEY progIdKey) = 0;

protected:
    ~IShellExtInit() = default;
};

inline constexpr com::IID IID_IShellExtInit = {
    0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

} // namespace shell
