#pragma once

#include "platform/com/IUnknown.h"

// Data handed from a host to a handler in a named format; here the one format of the
// context-menu contract, the list of selected files (CF_HDROP).
namespace shell {

using com::DWORD;
using com::HRESULT;

constexpr quint16 CF_HDROP = 15;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_HGLOBAL = 1;

struct FORMATETC
{
    quint16 cfFormat = 0;
    const void *ptd = nullptr; // target device: none
    DWORD dwAspect = DVASPECT_CONTENT;
    qint32 lindex = -1;
    DWORD tymed = TYMED_HGLOBAL;
};

// A medium the receiver owns and gives back with ReleaseStgMedium.
struct STGMEDIUM
{
    DWORD tymed = 0;
    void *hGlobal = nullptr;
    com::IUnknown *pUnkForRelease = nullptr;
};

class IDataObject : public com::IUnknown
{
public:
    // DV_E_FORMATETC for a format the object does not offer, DV_E_TYMED for a medium it
    // cannot fill.
    virtual HRESULT GetData(const FORMATETC *format, STGMEDIUM *medium) = 0;
    virtual HRESULT QueryGetData(const FORMATETC *format) = 0;

protected:
    ~IDataObject() = default;
};

inline constexpr com::IID IID_IDataObject = {
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Frees what GetData handed out and clears the medium.
void ReleaseStgMedium(STGMEDIUM *medium);

} // namespace shell
