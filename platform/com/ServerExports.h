#pragma once

#include "platform/com/HResult.h"

// The entry points a loadable server module exports as C functions, found by name (dlsym).
// QUORVA_COM_EXPORT marks them so that they stay visible when the module hides everything else.
#define QUORVA_COM_EXPORT extern "C" __attribute__((visibility("default")))

namespace com {

struct GUID; // platform/com/Guid.h
using CLSID = GUID;
using IID = GUID;

using PFNDLLREGISTERSERVER = HRESULT (*)();
using PFNDLLUNREGISTERSERVER = HRESULT (*)();
// (class identifier, interface identifier, out: the class object)
using PFNDLLGETCLASSOBJECT = HRESULT (*)(const CLSID *, const IID *, void **);
// S_OK when the module holds no object and no lock and may be unloaded; S_FALSE otherwise.
using PFNDLLCANUNLOADNOW = HRESULT (*)();

inline constexpr char DllRegisterServerName[] = "DllRegisterServer";
inline constexpr char DllUnregisterServerName[] = "DllUnregisterServer";
inline constexpr char DllGetClassObjectName[] = "DllGetClassObject";
inline constexpr char DllCanUnloadNowName[] = "DllCanUnloadNow";

} // namespace com
