#include "platform/excel/ZipReader.h"

#include <QFile>
#include <algorithm>
#include <vector>
#include <zip.h>

namespace excel {

ZipReader::ZipReader() = default;

ZipReader::~ZipReader()
{
    if (m_zip) zip_discard(m_zip);
}

bool ZipReader::finishOpen(int errorCode)
{
    if (m_zip) return true;
    switch (errorCode) {
    case ZIP_ER_NOZIP:
        m_error = QStringLiteral("it is not a zip package (or its end is missing)");
        break;
    case ZIP_ER_INCONS:
        m_error =
            QStringLiteral("its zip directory is inconsistent (the file is damaged or truncated)");
        break;
    case ZIP_ER_NOENT:
        m_error = QStringLiteral("the file does not exist");
        break;
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
        m_error = QStringLiteral("the file cannot be read");
        break;
    default: {
        zip_error_t e;
        zip_error_init_with_code(&e, errorCode);
        m_error = QString::fromUtf8(zip_error_strerror(&e));
        zip_error_fini(&e);
        break;
    }
    }
    return false;
}

bool ZipReader::open(const QString &path)
{
    int code = 0;
    // No consistency check of local headers against the directory: files from some writers
    // differ there harmlessly, and every part is still checked by its checksum when read.
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    return finishOpen(code);
}

bool ZipReader::openBytes(const QByteArray &bytes)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t *src =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        m_error = QStringLiteral("out of memory");
        return false;
    }
    m_zip = zip_open_from_source(src, ZIP_RDONLY, &err);
    int code = zip_error_code_zip(&err);
    zip_error_fini(&err);
    if (!m_zip) zip_source_free(src);
    return finishOpen(code);
}

std::int64_t ZipReader::locate(const QString &part) const
{
    if (!m_zip) return -1;
    return zip_name_locate(m_zip, part.toUtf8().constData(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
}

bool ZipReader::contains(const QString &part) const
{
    return locate(part) >= 0;
}

std::int64_t ZipReader::inflatedSize(const QString &part) const
{
    const std::int64_t index = locate(part);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE))
        return -1;
    return std::int64_t(std::min<zip_uint64_t>(st.size, zip_uint64_t(1) << 62));
}

bool ZipReader::stream(const QString &part, std::int64_t maxBytes,
                       const std::function<bool(const char *, std::size_t)> &sink)
{
    std::int64_t index = locate(part);
    if (index < 0) {
        m_error = QStringLiteral("the part is missing");
        return false;
    }
    zip_file_t *file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file) {
        m_error = QStringLiteral("the part cannot be opened (%1)")
                      .arg(QString::fromUtf8(zip_strerror(m_zip)));
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    std::int64_t stored = -1;
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_COMP_SIZE))
        stored = std::int64_t(st.comp_size);
    std::vector<char> buffer(1 << 18);
    std::int64_t done = 0;
    bool ok = true;
    for (;;) {
        zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0) {
            m_error = QStringLiteral("the part is damaged (%1)")
                          .arg(QString::fromUtf8(zip_file_strerror(file)));
            ok = false;
            break;
        }
        if (n == 0) break;
        done += n;
        m_total += n;
        if (done > maxBytes) {
            m_error = QStringLiteral("the part inflates to more than %1 bytes").arg(maxBytes);
            ok = false;
            break;
        }
        if (m_total > m_maxTotal) {
            m_error = QStringLiteral("the package inflates to more than %1 bytes").arg(m_maxTotal);
            ok = false;
            break;
        }
        if (m_maxRatio > 0 && stored >= 0 && done > (std::int64_t(64) << 20) &&
            done / std::max<std::int64_t>(stored, 1) > m_maxRatio) {
            m_error =
                QStringLiteral("the part inflates more than %1 times its stored size (a zip bomb?)")
                    .arg(m_maxRatio);
            ok = false;
            break;
        }
        if (!sink(buffer.data(), std::size_t(n))) {
            ok = false;
            break;
        }
    }
    zip_fclose(file);
    return ok;
}

bool ZipReader::read(const QString &part, QByteArray *out, std::int64_t maxBytes)
{
    out->clear();
    return stream(part, maxBytes, [out](const char *data, std::size_t size) {
        out->append(data, qsizetype(size));
        return true;
    });
}

} // namespace excel
