#include "ui/ModDialog.h"

#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "platform/win/FileDialog.h"
#include "platform/win/MessageBox.h"

#include <QDir>
#include <QStringList>
#include <QWidget>

namespace ModDialog {

namespace {

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

bool endsWithExtension(const QString &path, const QString &extension)
{
    return path.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive);
}

} // namespace

QString SeamFilter(const QString &filter)
{
    QString f = filter;
    f.replace(QChar(0), QLatin1Char('|'));
    QStringList pieces = f.split(QLatin1Char('|'));
    while (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast();
    if (pieces.size() % 2) pieces.append(pieces.last());
    return pieces.join(QLatin1Char('|'));
}

QString ShowSaveFileDialog(QWidget *owner, const QString &defaultName, const QString &title,
                           QString &startFolder, const QString &filter, int flags,
                           const QString &extension)
{
    // Without a folder of its own the dialog starts where a user keeps files: the program's
    // folder is an installed one, no place for them.
    const QString home = withoutTrailingSlash(QDir::homePath());
    QString folder = startFolder.trimmed();
    if (folder.isEmpty()) {
        folder = home;
    } else {
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        if (!ModFile::FolderExists(folder)) folder = home;
    }
    startFolder = folder;

    // A name whose folder is gone is offered in the start folder.
    QString name = defaultName;
    QString nameFolder;
    const QString bareName = ModFile::SplitFilePath(name, nameFolder);
    if (!nameFolder.isEmpty() && !ModFile::FolderExists(nameFolder)) name = bareName;

    win::SaveFileRequest request;
    request.title = title;
    request.filter = SeamFilter(filter);
    request.folder = folder;
    request.defaultSuffix = extension;
    request.confirmOverwrite = (flags & OFN_OVERWRITEPROMPT) != 0;
    request.owner = owner;
    for (;;) {
        request.fileName = name;
        QString path = win::GetSaveFileName(request);
        if (path.isEmpty() || extension.isEmpty() || endsWithExtension(path, extension))
            return path;
        // The dialog asked about the name it returned; the file written is another one.
        path += QLatin1Char('.') + extension;
        if (!request.confirmOverwrite || !ModFile::FileExists(path)) return path;
        if (ModCommon::ShowMsg(path + QStringLiteral(" 已存在。\r\n要替换它吗？"),
                               win::vbYesNo + win::vbExclamation + win::vbDefaultButton2,
                               QStringLiteral("Quorva")) == win::vbYes)
            return path;
        name = path;
    }
}

} // namespace ModDialog
