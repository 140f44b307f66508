#pragma once

#include "platform/Seam.h"

#include <QString>
#include <QStringList>

namespace win {

// The common open and save dialogs behind a seam. A filter is the original "Name|*.ext|..."
// text; the result is the chosen path, or an empty text when the user cancelled. Without an
// installed seam every dialog answers "cancelled".
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
};

QString GetOpenFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());
QStringList GetOpenFileNames(const QString &title, const QString &filter, const QString &folder);
QString GetSaveFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());

} // namespace win

extern template class Seam<win::FileDialogSeam>;
