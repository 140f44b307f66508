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

WorkbookFile::Content WorkbookFile::contentOf(const QString &path)
{
    // Told from the entry alone: opening a pipe would wait for a writer.
    const QFileInfo info(path);
    if (!info.exists()) return Content::Missing;
    if (info.isDir()) return Content::Folder;
    if (!info.isFile()) return Content::Special;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Content::Unreadable;
    const QByteArray head = file.read(8);
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return Content::Compound;
    if (head.startsWith("PK")) return Content::Package;
    return Content::Other;
}

bool WorkbookFile::read(const QString &path, WorkbookData *out, QString *error)
{
    // Taken before reading: a file that changes while it is read counts as changed later.
    const FileStamp stamp = FileStamp::of(path);
    const QString shown = QDir::toNativeSeparators(path);
    const Content content = contentOf(path);
    if (content == Content::Missing) {
        if (error)
            *error = QStringLiteral("Cannot read \"%1\": the file does not exist.").arg(shown);
        return false;
    }
    if (content == Content::Folder || content == Content::Special) {
        if (error)
            *error = QStringLiteral("Cannot read \"%1\": it is %2, not a file.")
                         .arg(shown, content == Content::Folder
                                         ? QStringLiteral("a folder")
                                         : QStringLiteral("a pipe, device or socket"));
        return false;
    }
    if (content == Content::Unreadable) {
        QFile file(path);
        if (error && !file.open(QIODevice::ReadOnly))
            *error = QStringLiteral("Cannot read \"%1\": %2").arg(shown, file.errorString());
        return false;
    }
    if (content == Content::Compound) {
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
