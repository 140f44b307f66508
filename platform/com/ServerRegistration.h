#pragma once

#include "platform/com/Guid.h"

#include <QString>

namespace com {

// The registry entries of one class served by a loadable module, written by the module's
// DllRegisterServer and removed by its DllUnregisterServer:
//   HKCR\CLSID\{clsid}                  @ = description
//   HKCR\CLSID\{clsid}\InprocServer32   @ = module path, ThreadingModel = threading model
//   HKCR\CLSID\{clsid}\ProgID           @ = ProgID
//   HKCR\<ProgID>                       @ = description
//   HKCR\<ProgID>\Clsid                 @ = {clsid}
struct ServerRegistration
{
    CLSID clsid;
    QString progId;
    QString description;
    QString threadingModel = QStringLiteral("Apartment");

    // SELFREG_E_CLASS when a key or value cannot be written (the store is read-only or
    // damaged, the ProgID is no valid key name, the path is not absolute).
    HRESULT registerServer(const QString &modulePath) const;
    // Removes the class key, and the ProgID key when it names this class (another class's
    // ProgID of the same name is left alone). Missing keys are no failure.
    HRESULT unregisterServer() const;

    // The absolute path of the loaded module that holds the code at `address` (a function or
    // static object of the module); "" when it cannot be found.
    static QString moduleFileName(const void *address);
};

} // namespace com
