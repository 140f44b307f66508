#include "platform/files/UserFolder.h"

#include "platform/files/FileSystem.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// Creates the folder when missing and checks that it is private to this user.
bool privateFolder(const QString &path, QString *why)
{
    const QByteArray p = QFile::encodeName(path);
    if (mkdir(p.constData(), 0700) != 0 && errno != EEXIST) {
        *why = QStringLiteral("%1 cannot be created: %2")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st;
    if (lstat(p.constData(), &st) != 0) {
        *why = QStringLiteral("%1 cannot be examined: %2")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (S_ISLNK(st.st_mode) || !S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("%1 is not a folder (a link or a file is in its place)").arg(path);
        return false;
    }
    if (st.st_uid != geteuid()) {
        *why = QStringLiteral("%1 belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(p.constData(), 0700) != 0) {
        *why = QStringLiteral("%1 is open to other users and cannot be closed: %2")
                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

} // namespace

QString userRuntimeFolder(QString *error)
{
    QString why;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) {
        QString base = runtime;
        while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
            base.chop(1);
        const QString folder = base + QStringLiteral("/quorva");
        if (privateFolder(folder, &why)) return folder;
    }
    // The program's own temporary folder is private to the user already.
    const QString temp = tempFolder();
    if (!temp.isEmpty()) return temp;
    if (error)
        *error = why.isEmpty() ? QStringLiteral("there is no private temporary folder")
                               : why + QStringLiteral("; there is no private temporary folder");
    return QString();
}

} // namespace files
