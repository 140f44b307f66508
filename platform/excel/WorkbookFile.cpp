#include "platform/excel/WorkbookFile.h"

#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace excel {

bool WorkbookFile::read(const QString &path, WorkbookData *out, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("Cannot read \"%1\": the file does not exist.").arg(shown);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Cannot read \"%1\": %2").arg(shown, file.errorString());
        return false;
    }
    QByteArray head = file.read(8);
    file.close();
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        if (!XlsReader::read(path, out, error)) return false;
        out->format = WorkbookData::Format::Xls;
        out->path = QFileInfo(path).absoluteFilePath();
        return true;
    }
    return XlsxReader::read(path, out, error);
}

} // namespace excel
