#pragma once

#include "platform/Seam.h"

#include <QString>
#include <QStringList>

class QObject;

namespace win {

// A save dialog as the program asks for it. `defaultSuffix` (without its dot) is added to a name
// typed without an extension before the dialog asks whether to replace an existing file, so
// that the question is about the file that will be written. `owner` is the window the dialog
// belongs to (null: the active window).
struct SaveFileRequest
{
    QString title;
    QString filter;
    QString folder;
    QString fileName;
    QString defaultSuffix;
    bool confirmOverwrite = true;
    QObject *owner = nullptr;
};

// The common open and save dialogs behind a seam. A filter is a "Name|*.ext|..." text (pairs
// of a caption and its patterns); the result is the chosen path, or an empty text when the user
// cancelled. Without an installed seam every dialog answers "cancelled".
class FileDialogSeam : public Seam<FileDialogSeam>
{
public:
    virtual ~FileDialogSeam() = default;
    virtual QString openFile(const QString &title, const QString &filter, const QString &folder,
                             const QString &fileName) = 0;
    virtual QString saveFile(const QString &title, const QString &filter, const QString &folder,
                             const QString &fileName) = 0;
    // The open dialog with multiple selection: the chosen paths in the dialog's order, none
    // when cancelled. A seam that offers no multiple selection answers with one file.
    virtual QStringList openFiles(const QString &title, const QString &filter,
                                  const QString &folder)
    {
        QString path = openFile(title, filter, folder, QString());
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    // The save dialog with a default suffix and the overwrite question. A seam that offers
    // neither answers as its plain save dialog does.
    virtual QString saveFileWith(const SaveFileRequest &request)
    {
        return saveFile(request.title, request.filter, request.folder, request.fileName);
    }
};

QString GetOpenFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());
QStringList GetOpenFileNames(const QString &title, const QString &filter, const QString &folder);
QString GetSaveFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());
QString GetSaveFileName(const SaveFileRequest &request);

} // namespace win

extern template class Seam<win::FileDialogSeam>;
