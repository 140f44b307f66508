#include "core/ModFile.h"

#include "core/ModString.h"
#include "platform/files/FileSystem.h"
#include "platform/win/FileDialog.h"

#include <QStringList>

namespace ModFile {

namespace {

const int OFN_ALLOWMULTISELECT = 0x200;

// The NUL-ended pairs of the filter as the dialog seam's "Name|pattern|..." text.
QString dialogFilter(const QString &filter)
{
    QString f = filter;
    f.replace(QLatin1Char('|'), QChar(0));
    if (!f.isEmpty() && !f.endsWith(QChar(0))) f.append(QChar(0));
    if (!f.contains(QLatin1String("*.*")))
        f += QStringLiteral("所有文件(*.*)") + QChar(0) + QStringLiteral("*.*") + QChar(0);
    QStringList items = f.split(QChar(0));
    items.removeLast(); // after the final NUL
    if (items.size() % 2)
        items.append(items.last()); // a description without its pattern: the text is the pattern
    return items.join(QLatin1Char('|'));
}

} // namespace

bool FileExists(const QString &path)
{
    return files::isFile(path);
}

bool FolderExists(const QString &path)
{
    return files::isFolder(path);
}

QString ShowOpenFileDialog(const QString &initialFolder, const QString &filter,
                           const QString &title, int flags, bool multiple)
{
    if (flags == 0) flags = 0x81006;
    if (multiple) flags |= OFN_ALLOWMULTISELECT;
    const QString f = dialogFilter(filter);
    if (!(flags & OFN_ALLOWMULTISELECT)) return win::GetOpenFileName(title, f, initialFolder);
    return win::GetOpenFileNames(title, f, initialFolder).join(QLatin1Char(','));
}

QString SplitFilePath(const QString &path, QString &folder)
{
    qsizetype at = path.lastIndexOf(QLatin1Char('/'));
    if (at < 0) {
        folder.clear();
        return path;
    }
    folder = path.left(at + 1);
    return path.mid(at + 1);
}

QString GetFileExtension(const QString &path)
{
    QString folder;
    const QString name = SplitFilePath(path, folder);
    qsizetype at = name.indexOf(QLatin1Char('.'));
    return at < 0 ? QString() : name.mid(at + 1);
}

QString GetLastFileExtension(const QString &path)
{
    QString folder;
    const QString name = SplitFilePath(path, folder);
    qsizetype at = name.lastIndexOf(QLatin1Char('.'));
    return at <= 0 ? QString() : name.mid(at + 1);
}

bool CreateFolderPath(const QString &path)
{
    if (FolderExists(path)) return true;
    const QStringList pieces = path.split(QLatin1Char('/'));
    QString prefix;
    bool ok = true;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) prefix.append(QLatin1Char('/'));
        prefix.append(pieces.at(i));
        // "" (the root of an absolute path) and "x//y" or a trailing "/" add no level.
        if (pieces.at(i).isEmpty()) continue;
        if (!FolderExists(prefix) && !files::createFolder(prefix)) ok = false;
    }
    return ok && !path.isEmpty();
}

void ListFilesToMap(const QString &folder, const QString &pattern, ClsMap &map)
{
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/'))) dir.append(QLatin1Char('/'));
    for (const QString &name : files::listFiles(dir, pattern))
        map.Add(dir + ModString::TrimAtNull(name), QString());
}

QString GetUniqueFileName(const QString &path)
{
    // A folder of that name is taken as well: a file could not be created there.
    auto taken = [](const QString &p) { return FileExists(p) || FolderExists(p); };
    if (!taken(path)) return path;
    // Only the file name carries the number, before its last extension, so that dotted folders
    // (/home/j.doe/) and dotted sheet names keep their text.
    QString folder;
    const QString name = SplitFilePath(path, folder);
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString base = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (;;) {
        base = ModString::NextNumberedName(base);
        QString candidate = folder + base + extension;
        if (!taken(candidate)) return candidate;
    }
}

bool IsFileReadOnly(const QString &path)
{
    return files::isReadOnly(path);
}

} // namespace ModFile
