#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/IDataObject.h"

#include <QStringList>

namespace shell {

// The data object a host hands to shell extensions: the selected files as CF_HDROP.
class FileDataObject final : public com::ComObject<IDataObject>
{
public:
    // Starts with one reference, the creator's.
    explicit FileDataObject(const QStringList &files);

    HRESULT GetData(const FORMATETC *format, STGMEDIUM *medium) override;
    HRESULT QueryGetData(const FORMATETC *format) override;

private:
    ~FileDataObject() override = default;
    void *interfaceFor(const com::IID &riid) override;

    QStringList m_files;
};

} // namespace shell
