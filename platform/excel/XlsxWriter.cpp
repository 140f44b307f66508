#include "platform/excel/XlsxWriter.h"

namespace excel {

bool XlsxWriter::save(const WorkbookData &data, const QString &path, QString *error)
{
    Q_UNUSED(data);
    if (error) *error = QStringLiteral("Saving \"%1\" is not implemented yet.").arg(path);
    return false;
}

} // namespace excel
