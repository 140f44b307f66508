#include "ui/QtFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

namespace {

QtFileDialog g_instance;

QString startPath(const QString &folder, const QString &fileName)
{
    if (fileName.isEmpty()) return folder;
    if (fileName.startsWith(QLatin1Char('/')) || folder.isEmpty()) return fileName;
    return QDir(folder).filePath(fileName);
}

} // namespace

QString QtFileDialog::qtFilter(const QString &filter)
{
    const QStringList pieces = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList entries;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        QString description = pieces.at(i).trimmed();
        QStringList patterns = pieces.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        // Qt reads the patterns from the description's last parenthesised group: drop one that
        // the description already carries ("所有文件(*.*)") and give the converted patterns.
        static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)$"));
        description.remove(trailingGroup);
        if (description.isEmpty()) description = pieces.at(i + 1).trimmed();
        entries.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtFileDialog::openFile(const QString &title, const QString &filter, const QString &folder,
                               const QString &fileName)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title,
                                        startPath(folder, fileName), qtFilter(filter));
}

QString QtFileDialog::saveFile(const QString &title, const QString &filter, const QString &folder,
                               const QString &fileName)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title,
                                        startPath(folder, fileName), qtFilter(filter));
}

QStringList QtFileDialog::openFiles(const QString &title, const QString &filter,
                                    const QString &folder)
{
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, folder,
                                         qtFilter(filter));
}

QString QtFileDialog::saveFileWith(const win::SaveFileRequest &request)
{
    QWidget *owner = qobject_cast<QWidget *>(request.owner);
    if (!owner) owner = QApplication::activeWindow();
    QFileDialog dialog(owner, request.title, startPath(request.folder, request.fileName),
                       qtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted) return QString();
    return dialog.selectedFiles().value(0);
}

void QtFileDialog::install()
{
    win::FileDialogSeam::install(&g_instance);
}
