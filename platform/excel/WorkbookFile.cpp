#include "platform/excel/WorkbookFile.h"

#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace excel {

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    struct stat st;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return stamp;
    stamp.size = qint64(st.st_size);
    stamp.changedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = quint64(st.st_ino);
    stamp.device = quint64(st.st_dev);
    return stamp;
}

bool WorkbookFile::read(const QString &path, WorkbookData *out, QString *error)
{
    // Taken before reading: a file that changes while it is read counts as changed later.
    const FileStamp stamp = FileStamp::of(path);
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
    } else if (!XlsxReader::read(path, out, error)) {
        return false;
    }
    out->fileStamp = stamp;
    return true;
}

} // namespace excel
