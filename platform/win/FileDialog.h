#pragma once

#include <QString>

namespace win {

// The common open and save dialogs behind a seam. A filter is the original "Name|*.ext|..."
// text; the result is the chosen path, or an empty text when the user cancelled.
class FileDialogSeam
{
public:
    virtual ~FileDialogSeam() = default;
    virtual QString openFile(const QString &title, const QString &filter, const QString &folder,
                             const QString &fileName) = 0;
    virtual QString saveFile(const QString &title, const QString &filter, const QString &folder,
                             const QString &fileName) = 0;

    // Installs a seam (not owned); without one both dialogs answer "cancelled".
    static void install(FileDialogSeam *seam);
    static FileDialogSeam *installed();
};

QString GetOpenFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());
QString GetSaveFileName(const QString &title, const QString &filter, const QString &folder,
                        const QString &fileName = QString());

} // namespace win
