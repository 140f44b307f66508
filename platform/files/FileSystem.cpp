#include "platform/files/FileSystem.h"

#include "platform/text/BasicText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>

namespace files {

namespace {

// No file name holds a NUL; Qt would warn about it on every check.
bool impossible(const QString &path)
{
    return path.isEmpty() || path.contains(QChar(0));
}

} // namespace

bool isFile(const QString &path)
{
    if (impossible(path)) return false;
    QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool isFolder(const QString &path)
{
    return !impossible(path) && QFileInfo(path).isDir();
}

bool createFolder(const QString &path)
{
    return !path.isEmpty() && QDir().mkdir(path);
}

bool removeFile(const QString &path)
{
    return !path.isEmpty() && QFile::remove(path);
}

bool isReadOnly(const QString &path)
{
    if (path.isEmpty()) return false;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return (st.st_mode & S_IWUSR) == 0;
}

bool matchesPattern(const QString &name, const QString &pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) return true;
    const QString n = BasicText::foldCase(name);
    const QString p = BasicText::foldCase(pattern);
    // Greedy match with one backtrack point: the position after the last "*".
    qsizetype i = 0, j = 0, starP = -1, starN = 0;
    while (i < n.size()) {
        if (j < p.size() && (p.at(j) == QLatin1Char('?') || p.at(j) == n.at(i))) {
            ++i;
            ++j;
        } else if (j < p.size() && p.at(j) == QLatin1Char('*')) {
            starP = j++;
            starN = i;
        } else if (starP >= 0) {
            j = starP + 1;
            i = ++starN;
        } else {
            return false;
        }
    }
    while (j < p.size() && p.at(j) == QLatin1Char('*'))
        ++j;
    return j == p.size();
}

QStringList listFiles(const QString &folder, const QString &pattern)
{
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return {};
    const QFileInfoList entries = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QStringList names;
    for (const QFileInfo &info : entries)
        if (!info.isDir() && matchesPattern(info.fileName(), pattern))
            names.append(info.fileName());
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        int c = BasicText::compareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString tempFolder()
{
    QString t = QDir::tempPath();
    while (t.size() > 1 && t.endsWith(QLatin1Char('/')))
        t.chop(1);
    return t;
}

} // namespace files
