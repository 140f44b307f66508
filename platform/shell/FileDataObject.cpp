#include "platform/shell/FileDataObject.h"

#include "platform/shell/DropFiles.h"

namespace shell {

FileDataObject::FileDataObject(const QStringList &files) : ComObject(1), m_files(files) {}

void *FileDataObject::interfaceFor(const com::IID &riid)
{
    if (riid == com::IID_IUnknown || riid == IID_IDataObject)
        return static_cast<IDataObject *>(this);
    return nullptr;
}

HRESULT FileDataObject::QueryGetData(const FORMATETC *format)
{
    if (!format) return com::E_POINTER;
    if (format->cfFormat != CF_HDROP || format->dwAspect != DVASPECT_CONTENT)
        return com::DV_E_FORMATETC;
    if (!(format->tymed & TYMED_HGLOBAL)) return com::DV_E_TYMED;
    return com::S_OK;
}

HRESULT FileDataObject::GetData(const FORMATETC *format, STGMEDIUM *medium)
{
    if (!medium) return com::E_POINTER;
    const HRESULT hr = QueryGetData(format);
    if (com::FAILED(hr)) return hr;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = CreateDropFiles(m_files);
    medium->pUnkForRelease = nullptr;
    return com::S_OK;
}

void ReleaseStgMedium(STGMEDIUM *medium)
{
    if (!medium) return;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    else if (medium->tymed == TYMED_HGLOBAL)
        DragFinish(static_cast<HDROP>(medium->hGlobal));
    *medium = STGMEDIUM{};
}

} // namespace shell
