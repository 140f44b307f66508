#include "platform/registry/RegistryStore.h"

#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtDebug>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace win {

namespace {

// Holds flock() on the store's companion lock file for its lifetime.
class StoreLock
{
public:
    explicit StoreLock(const QString &storeFile)
    {
        const QByteArray path = QFile::encodeName(storeFile + QStringLiteral(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) return;
        int r;
        do {
            r = ::flock(m_fd, LOCK_EX);
        } while (r != 0 && errno == EINTR);
        if (r != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~StoreLock()
    {
        if (m_fd >= 0) ::close(m_fd); // closing releases the lock
    }
    StoreLock(const StoreLock &) = delete;
    StoreLock &operator=(const StoreLock &) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

long readFile(const QString &name, RegistryTree &tree)
{
    QFile file(name);
    if (!file.exists()) {
        tree = RegistryTree();
        return ERROR_SUCCESS;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("registry: %s: cannot be read: %s", qUtf8Printable(name),
                 qUtf8Printable(file.errorString()));
        return ERROR_BADDB;
    }
    // Read in pieces: one read of the size limit would allocate that much on every access.
    QByteArray bytes;
    for (;;) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty()) break;
        bytes += piece;
        if (bytes.size() > RegistryTree::MaxFileSize) break;
    }
    QString error;
    if (!tree.parse(bytes, name, &error)) {
        qWarning("registry: %s", qUtf8Printable(error));
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

} // namespace

QString RegistryStore::fileName()
{
    const QString moved = qEnvironmentVariable("QUORVA_REGISTRY");
    if (!moved.isEmpty()) return moved;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/quorva/registry.reg");
}

long RegistryStore::read(RegistryTree &tree)
{
    return readFile(fileName(), tree);
}

long RegistryStore::update(const Change &change)
{
    const QString name = fileName();
    const QString folder = QFileInfo(name).absolutePath();
    if (!QDir().mkpath(folder)) return ERROR_ACCESS_DENIED;
    StoreLock lock(name);
    if (!lock.held()) return ERROR_ACCESS_DENIED;
    RegistryTree tree;
    long rc = readFile(name, tree);
    if (rc != ERROR_SUCCESS) return rc;
    if (tree.undecodableLine()) {
        // Written back, those bytes would become U+FFFD for good.
        qWarning("registry: %s:%d: bytes that are not UTF-8; the store is not changed until that "
                 "line is mended",
                 qUtf8Printable(name), tree.undecodableLine());
        return ERROR_BADDB;
    }
    bool changed = false;
    rc = change(tree, &changed);
    if (rc != ERROR_SUCCESS || !changed) return rc;
    const QByteArray bytes = tree.serialize();
    QSaveFile file(name);
    // QSaveFile commits what reached the disk even after a failed write (a full disk), so the
    // write is flushed and checked first: a store cut short would lose keys.
    errno = 0;
    bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    int error = errno;
    if (written && !file.commit()) {
        written = false;
        error = errno;
    }
    if (!written) {
        const QString why = file.errorString();
        file.cancelWriting();
        qWarning("registry: %s: cannot be written: %s", qUtf8Printable(name), qUtf8Printable(why));
        // A full disk (or a quota, or a file-size limit) is told apart: the user can mend it.
        return error == ENOSPC || error == EDQUOT || error == EFBIG ? ERROR_DISK_FULL
                                                                    : ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

} // namespace win
