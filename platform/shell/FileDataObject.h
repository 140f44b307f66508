#pragma once

#include "platform/shell/IDataObject.h"

#include <QStringList>
#include <atomic>

namespace shell {

// The data object a host hands to shell extensions: the selected files as CF_HDROP.
class FileDataObject final : public IDataObject
{
public:
    // Starts with one reference, the creator's.
    explicit FileDataObject(const QStringList &files);

    HRESULT QueryInterface(const com::IID &riid, void **ppv) override;
    com::ULONG AddRef() override;
    com::ULONG Release() override;
    HRESULT GetData(const FORMATETC *format, STGMEDIUM *medium) override;
    HRESULT QueryGetData(const FORMATETC *format) override;

private:
    ~FileDataObject() = default;

    QStringList m_files;
    std::atomic<com::ULONG> m_refs{1};
};

} // namespace shell
