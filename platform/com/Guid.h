#pragma once

#include "platform/com/HResult.h"

#include <QString>
#include <QtGlobal>
#include <cstring>

namespace com {

// A 128-bit identifier of a class, an interface or a library, written in the registry as
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". An aggregate, so identifiers can be constants.
struct GUID
{
    quint32 Data1;
    quint16 Data2;
    quint16 Data3;
    quint8 Data4[8];

    bool isNull() const { return *this == GUID{}; }
    // Upper-case hexadecimal in braces.
    QString toString() const;
    // The braced form (braces may be left out; case does not count). False, with *out
    // untouched, for any other text.
    static bool fromString(const QString &text, GUID *out);

    friend bool operator==(const GUID &a, const GUID &b)
    {
        return std::memcmp(&a, &b, sizeof(GUID)) == 0;
    }
    friend bool operator!=(const GUID &a, const GUID &b) { return !(a == b); }
    friend bool operator<(const GUID &a, const GUID &b)
    {
        return std::memcmp(&a, &b, sizeof(GUID)) < 0;
    }
};
static_assert(sizeof(GUID) == 16);

using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID &;
using REFCLSID = const CLSID &;
using REFIID = const IID &;

// The registry's text form of an identifier, and back (CO_E_CLASSSTRING for any other text).
QString StringFromCLSID(REFCLSID clsid);
HRESULT CLSIDFromString(const QString &text, CLSID *clsid);

} // namespace com
