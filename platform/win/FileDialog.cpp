#include "platform/win/FileDialog.h"

template class Seam<win::FileDialogSeam>;

namespace win {

QString GetOpenFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName)
{
    FileDialogSeam *dialogs = FileDialogSeam::installed();
    return dialogs ? dialogs->openFile(title, filter, folder, fileName) : QString();
}

QStringList GetOpenFileNames(const QString &title, const QString &filter, const QString &folder)
{
    FileDialogSeam *dialogs = FileDialogSeam::installed();
    return dialogs ? dialogs->openFiles(title, filter, folder) : QStringList();
}

QString GetSaveFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName)
{
    FileDialogSeam *dialogs = FileDialogSeam::installed();
    return dialogs ? dialogs->saveFile(title, filter, folder, fileName) : QString();
}

QString GetSaveFileName(const SaveFileRequest &request)
{
    FileDialogSeam *dialogs = FileDialogSeam::installed();
    return dialogs ? dialogs->saveFileWith(request) : QString();
}

} // namespace win
