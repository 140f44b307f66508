#include "platform/excel/PackageWriter.h"

#include "platform/excel/ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

namespace excel {

PackageWriter::PackageWriter() = default;

PackageWriter::~PackageWriter() = default;

bool PackageWriter::openSource(const QString &path, QString *error)
{
    auto source = std::make_unique<ZipReader>();
    if (!source->open(path)) {
        if (error)
            *error = QStringLiteral("its source \"%1\" cannot be read (%2)")
                         .arg(path, source->errorString());
        return false;
    }
    for (std::int64_t i = 0; i < source->entryCount(); ++i) {
        const QString name = source->entryName(i);
        if (name.isEmpty()) continue;
        Part p;
        p.name = name;
        p.sourceIndex = i;
        m_index.insert(name.toCaseFolded(), m_parts.size());
        m_parts.push_back(std::move(p));
    }
    m_source = std::move(source);
    m_sourcePath = path;
    return true;
}

PackageWriter::Part *PackageWriter::find(const QString &part)
{
    auto it = m_index.constFind(part.toCaseFolded());
    return it == m_index.constEnd() || m_parts[it.value()].kind == Part::Drop
               ? nullptr
               : &m_parts[it.value()];
}

const PackageWriter::Part *PackageWriter::find(const QString &part) const
{
    return const_cast<PackageWriter *>(this)->find(part);
}

PackageWriter::Part &PackageWriter::obtain(const QString &part)
{
    auto it = m_index.constFind(part.toCaseFolded());
    if (it == m_index.constEnd()) {
        Part p;
        p.name = part;
        it = m_index.insert(part.toCaseFolded(), m_parts.size());
        m_parts.push_back(std::move(p));
    }
    return m_parts[it.value()];
}

bool PackageWriter::has(const QString &part) const
{
    return find(part) != nullptr;
}

bool PackageWriter::isCopied(const QString &part) const
{
    const Part *p = find(part);
    return p && p->kind == Part::Copy;
}

bool PackageWriter::read(const QString &part, QByteArray *out, std::int64_t limit, QString *error)
{
    auto failed = [&](const QString &why) {
        if (error) *error = QStringLiteral("the part %1 of \"%2\" %3").arg(part, m_sourcePath, why);
        return false;
    };
    const Part *p = find(part);
    if (!p || p->kind == Part::Stream) return failed(QStringLiteral("is missing"));
    if (p->kind == Part::Bytes) {
        *out = p->bytes;
        return true;
    }
    if (!m_source->read(p->name, out, limit))
        return failed(QStringLiteral("cannot be read (%1)").arg(m_source->errorString()));
    return true;
}

void PackageWriter::put(const QString &part, QByteArray bytes)
{
    Part &p = obtain(part);
    p.kind = Part::Bytes;
    p.bytes = std::move(bytes);
    p.make = nullptr;
}

void PackageWriter::putStream(const QString &part,
                              std::function<PackagePartStream::Producer()> make,
                              const QString &what)
{
    Part &p = obtain(part);
    p.kind = Part::Stream;
    p.bytes.clear();
    p.make = std::move(make);
    p.what = what;
}

void PackageWriter::drop(const QString &part)
{
    auto it = m_index.constFind(part.toCaseFolded());
    if (it != m_index.constEnd()) m_parts[it.value()].kind = Part::Drop;
}

QString PackageWriter::unusedName(const QString &pattern) const
{
    for (int n = 1;; ++n) {
        const QString name = pattern.arg(n);
        if (!m_index.contains(name.toCaseFolded())) return name;
    }
}

bool PackageWriter::checkTarget(QString *path, Link link, QString *error)
{
    auto refuse = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo info(*path);
    const bool linkAtTarget = info.isSymLink();
    if (linkAtTarget && link == Link::Follow && info.exists()) *path = info.canonicalFilePath();
    // What a link to be replaced points to is none of this write's business.
    if (!(linkAtTarget && link == Link::Replace)) {
        const QFileInfo target(*path);
        if (target.isDir()) return refuse(QStringLiteral("a folder has that name"));
        // A file without its owner's write permission is read-only, even to an administrator.
        if (target.exists() && !(target.permissions() & QFileDevice::WriteOwner))
            return refuse(QStringLiteral("the file is read-only"));
    }
    if (!info.absoluteDir().exists())
        return refuse(QStringLiteral("the folder \"%1\" does not exist").arg(info.absolutePath()));
    return true;
}

bool PackageWriter::write(const QString &target, Link link, QString *error)
{
    auto failed = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };
    const QFileInfo info(target);
    const QByteArray dir = QFile::encodeName(info.absolutePath());
    const QByteArray path = QFile::encodeName(target);
    // The file being replaced passes on its permissions (and owner); a link that is to be
    // replaced passes on nothing. A new file gets the mode that any file created in that
    // folder gets: the kernel works it out from the umask (or the folder's default ACL) when
    // the temporary file is created, so the process-wide umask, which other threads share, is
    // never changed to read it.
    struct stat st;
    const bool replacing = (link == Link::Replace ? ::lstat(path.constData(), &st)
                                                  : ::stat(path.constData(), &st)) == 0 &&
                           S_ISREG(st.st_mode);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = dir + "/." + QFile::encodeName(info.fileName()) + '.' +
               QByteArray::number(QRandomGenerator::global()->generate() | 0x80000000u, 36);
        fd = ::open(temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                    replacing ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0)
        return failed(QStringLiteral("no file can be created in \"%1\" (%2)")
                          .arg(info.absolutePath(), QString::fromLocal8Bit(std::strerror(errno))));
    mode_t mode = replacing ? st.st_mode & 07777 : 0666;
    struct stat made;
    if (!replacing && ::fstat(fd, &made) == 0) mode = made.st_mode & 07777;
    ::close(fd);
    auto cleanup = [&](const QString &reason) {
        ::unlink(temp.constData());
        return failed(reason);
    };

    int code = 0;
    zip_t *out = zip_open(temp.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!out) return cleanup(QStringLiteral("the temporary file cannot be written"));
    std::vector<std::unique_ptr<PackagePartStream>> streams;
    for (Part &p : m_parts) {
        if (p.kind == Part::Drop) continue;
        zip_source_t *src = nullptr;
        if (p.kind == Part::Copy) {
            src = zip_source_zip(out, m_source->archive(), zip_uint64_t(p.sourceIndex), 0, 0, -1);
        } else if (p.kind == Part::Bytes) {
            src = zip_source_buffer(out, p.bytes.constData(), zip_uint64_t(p.bytes.size()), 0);
        } else {
            streams.push_back(std::make_unique<PackagePartStream>(p.make, p.what));
            src = streams.back()->source(out);
        }
        const zip_int64_t index =
            src ? zip_file_add(out, p.name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (src) zip_source_free(src);
            const QString why = QString::fromUtf8(zip_strerror(out));
            zip_discard(out);
            return cleanup(QStringLiteral("the part %1 cannot be stored (%2)").arg(p.name, why));
        }
        // Streamed parts are the large ones: the fastest level keeps pace with the thread.
        if (p.kind == Part::Stream)
            zip_set_file_compression(out, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(out) != 0) {
        const QString why = QString::fromUtf8(zip_strerror(out));
        zip_discard(out);
        for (const auto &stream : streams)
            if (const QString failure = stream->failure(); !failure.isEmpty())
                return cleanup(failure);
        return cleanup(QStringLiteral("writing failed (%1)").arg(why));
    }

    fd = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return cleanup(QStringLiteral("the written file cannot be flushed to disk (%1)").arg(why));
    }
    // And its owner, when allowed to (saving as another user's administrator).
    if (replacing && ::fchown(fd, st.st_uid, st.st_gid) != 0)
        errno = 0; // not allowed: the file stays ours, which loses nothing
    ::close(fd);
    // rename replaces the directory entry itself: a link there is replaced, not followed.
    if (::rename(temp.constData(), path.constData()) != 0)
        return cleanup(QStringLiteral("the file cannot be replaced (%1)")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace excel
