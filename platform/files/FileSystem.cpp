#include "platform/files/FileSystem.h"

#include "platform/text/BasicText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// No file name holds a NUL; Qt would warn about it on every check.
bool impossible(const QString &path)
{
    return path.isEmpty() || path.contains(QChar(0));
}

// A folder in which only its owner can remove or rename entries it does not own: owned by
// root or the user, and writable by no one else unless the sticky bit is set (as on /tmp).
bool guardsItsEntries(const QByteArray &folder, QString *why)
{
    struct stat st;
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("is no folder");
        return false;
    }
    if (st.st_uid != 0 && st.st_uid != ::geteuid()) {
        *why = QStringLiteral("belongs to another user");
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) {
        *why = QStringLiteral("is writable by others and not sticky");
        return false;
    }
    return true;
}

// The folder at the path is a real folder (a link is refused, not followed) that the user
// owns; access for group and others is taken away.
bool isPrivateFolder(const QByteArray &path, QString *why)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *why = errno == ELOOP || errno == ENOTDIR ? QStringLiteral("is a link or no folder")
                                                  : QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && st.st_uid != ::geteuid()) {
        *why = QStringLiteral("belongs to another user");
        ok = false;
    }
    if (ok && (st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        *why = QStringLiteral("cannot be made private");
        ok = false;
    }
    ::close(fd);
    return ok;
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
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

ReadResult readFile(const QString &path, qint64 maxSize)
{
    ReadResult r;
    if (impossible(path)) {
        r.error = ReadError::Missing;
        return r;
    }
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK opening a pipe waits for a writer; the type is checked before a read.
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        r.error = errno == ENOENT || errno == ENOTDIR ? ReadError::Missing : ReadError::Failed;
        r.reason = QString::fromLocal8Bit(std::strerror(errno));
        return r;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        r.error = ReadError::Failed;
        r.reason = QString::fromLocal8Bit(std::strerror(errno));
    } else if (S_ISDIR(st.st_mode)) {
        r.error = ReadError::Folder;
    } else if (!S_ISREG(st.st_mode)) {
        r.error = ReadError::NotAFile;
    } else if (st.st_size > maxSize) {
        r.error = ReadError::TooLarge;
    }
    // Read in pieces up to one byte beyond the limit: the file may grow meanwhile, and some
    // files (under /proc) say size 0 and hold more.
    while (r.ok()) {
        char piece[64 * 1024];
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            r.error = ReadError::Failed;
            r.reason = QString::fromLocal8Bit(std::strerror(errno));
        } else if (n == 0) {
            break;
        } else {
            r.bytes.append(piece, n);
            if (r.bytes.size() > maxSize) r.error = ReadError::TooLarge;
        }
    }
    ::close(fd);
    if (!r.ok()) r.bytes.clear();
    return r;
}

bool holdsControlCharacter(const QString &name)
{
    for (QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar(0x85) || c == QChar(0x2028) ||
            c == QChar(0x2029))
            return true;
    return false;
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
    QString base = qEnvironmentVariable("TMPDIR");
    if (!base.startsWith(QLatin1Char('/')) || base.contains(QChar(0)))
        base = QStringLiteral("/tmp");
    base = withoutTrailingSlash(base);
    const QByteArray encodedBase = QFile::encodeName(base);
    QString why;
    if (!guardsItsEntries(encodedBase, &why)) {
        qWarning("quorva: the temporary folder %s %s; no temporary files are written there",
                 encodedBase.constData(), qUtf8Printable(why));
        return QString();
    }
    const QString uid = QString::number(::geteuid());
    const QString own = base + QStringLiteral("/quorva-") + uid;
    const QByteArray encoded = QFile::encodeName(own);
    // mkdir never follows a link planted at the name: it fails with EEXIST instead.
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        qWarning("quorva: cannot create %s: %s", encoded.constData(), std::strerror(errno));
        return QString();
    }
    if (isPrivateFolder(encoded, &why)) return own;

    // Someone else holds the name: a fresh folder of a random name, made by this process.
    static std::mutex lock;
    static QString fresh, freshBase;
    std::lock_guard<std::mutex> guard(lock);
    QString unused;
    if (freshBase == base && isPrivateFolder(QFile::encodeName(fresh), &unused)) return fresh;
    QByteArray pattern = encoded + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        qWarning("quorva: %s %s, and no other temporary folder can be made: %s",
                 encoded.constData(), qUtf8Printable(why), std::strerror(errno));
        return QString();
    }
    qWarning("quorva: %s %s; temporary files go to %s instead", encoded.constData(),
             qUtf8Printable(why), pattern.constData());
    fresh = QFile::decodeName(pattern);
    freshBase = base;
    return fresh;
}

} // namespace files
