#include "platform/excel/WorkbookFile.h"

#include "platform/excel/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if __has_include("platform/excel/XlsReader.h")
#include "platform/excel/XlsReader.h"
#define QUORVA_HAVE_XLS_READER 1
#else
#define QUORVA_HAVE_XLS_READER 0
#endif

namespace excel {

bool WorkbookFile::canReadXls()
{
    return QUORVA_HAVE_XLS_READER != 0;
}

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
#if QUORVA_HAVE_XLS_READER
        if (!XlsReader::read(path, out, error)) return false;
        out->format = WorkbookData::Format::Xls;
        out->path = QFileInfo(path).absoluteFilePath();
        return true;
#else
        if (error)
            *error = QStringLiteral("Cannot read \"%1\": it is a legacy .xls workbook (or an "
                                    "encrypted one), and reading .xls files is not available in "
                                    "this version. Save it as .xlsx and open that instead.")
                         .arg(shown);
        return false;
#endif
    }
    return XlsxReader::read(path, out, error);
}

} // namespace excel
