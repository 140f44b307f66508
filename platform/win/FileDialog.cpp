#include "platform/win/FileDialog.h"

namespace win {

namespace {
FileDialogSeam *g_dialogs = nullptr;
}

void FileDialogSeam::install(FileDialogSeam *seam)
{
    g_dialogs = seam;
}

FileDialogSeam *FileDialogSeam::installed()
{
    return g_dialogs;
}

QString GetOpenFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName)
{
    return g_dialogs ? g_dialogs->openFile(title, filter, folder, fileName) : QString();
}

QStringList GetOpenFileNames(const QString &title, const QString &filter, const QString &folder)
{
    return g_dialogs ? g_dialogs->openFiles(title, filter, folder) : QStringList();
}

QString GetSaveFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName)
{
    return g_dialogs ? g_dialogs->saveFile(title, filter, folder, fileName) : QString();
}

} // namespace win
