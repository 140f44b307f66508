#pragma once

#include "platform/win/FileDialog.h"

// The program's open and save dialogs on the desktop (QFileDialog), behind the platform seam.
// The seam's filter "Name|pattern|Name|pattern..." (patterns separated by ";") becomes Qt's
// "Name (pattern pattern);;..."; "*.*" matches every file, also one without an extension.
class QtFileDialog : public win::FileDialogSeam
{
public:
    QString openFile(const QString &title, const QString &filter, const QString &folder,
                     const QString &fileName) override;
    QString saveFile(const QString &title, const QString &filter, const QString &folder,
                     const QString &fileName) override;
    QStringList openFiles(const QString &title, const QString &filter,
                          const QString &folder) override;
    // The default suffix goes on a name typed without an extension before the dialog asks
    // whether to replace a file, so the question names the file that will be written.
    QString saveFileWith(const win::SaveFileRequest &request) override;

    static QString qtFilter(const QString &filter);
    // Installs one process-wide instance.
    static void install();
};
