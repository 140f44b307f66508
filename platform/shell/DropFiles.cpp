#include "platform/shell/DropFiles.h"

#include <QFile>
#include <cstring>

namespace shell {

struct DropFiles
{
    QStringList files;
};

HDROP CreateDropFiles(const QStringList &files)
{
    return new DropFiles{files};
}

void DragFinish(HDROP drop)
{
    delete drop;
}

quint32 DragQueryFile(HDROP drop, quint32 iFile, char16_t *buffer, quint32 cch)
{
    if (!drop) return 0;
    if (iFile == DragQueryCount) return quint32(drop->files.size());
    if (iFile >= quint32(drop->files.size())) return 0;
    const QString &f = drop->files.at(int(iFile));
    if (!buffer || cch == 0) return quint32(f.size());
    const quint32 n = qMin(quint32(f.size()), cch - 1);
    std::memcpy(buffer, f.utf16(), n * sizeof(char16_t));
    buffer[n] = 0;
    return n;
}

quint32 DragQueryFileA(HDROP drop, quint32 iFile, char *buffer, quint32 cch)
{
    if (!drop) return 0;
    if (iFile == DragQueryCount) return quint32(drop->files.size());
    if (iFile >= quint32(drop->files.size())) return 0;
    const QByteArray f = QFile::encodeName(drop->files.at(int(iFile)));
    if (!buffer || cch == 0) return quint32(f.size());
    const quint32 n = qMin(quint32(f.size()), cch - 1);
    std::memcpy(buffer, f.constData(), n);
    buffer[n] = 0;
    return n;
}

} // namespace shell
