#include "platform/excel/ZipReader.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <zip.h>

namespace excel {

ZipReader::ZipReader() = default;

ZipReader::~ZipReader()
{
    if (m_zip) zip_discard(m_zip);
}

QString ZipReader::sharedEntryName(zip *archive)
{
    QSet<QString> seen;
    const zip_int64_t n = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char *name = zip_get_name(archive, zip_uint64_t(i), 0);
        if (!name) continue;
        const QString folded = QString::fromUtf8(name).toCaseFolded();
        if (seen.contains(folded)) return QString::fromUtf8(name);
        seen.insert(folded);
    }
    return QString();
}

bool ZipReader::finishOpen(int errorCode)
{
    if (m_zip) {
        const QString shared = sharedEntryName(m_zip);
        if (shared.isEmpty()) return true;
        m_error = QStringLiteral("the package holds two entries named \"%1\"").arg(shared);
        zip_discard(m_zip);
        m_zip = nullptr;
        return false;
    }
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

std::int64_t ZipReader::entryCount() const
{
    return m_zip ? std::int64_t(zip_get_num_entries(m_zip, 0)) : 0;
}

QString ZipReader::entryName(std::int64_t index) const
{
    const char *name = m_zip ? zip_get_name(m_zip, zip_uint64_t(index), 0) : nullptr;
    return name ? QString::fromUtf8(name) : QString();
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

bool ZipReader::sameEntry(const ZipReader &other, const QString &part) const
{
    auto statOf = [&part](const ZipReader &reader, zip_stat_t *st) {
        const std::int64_t index = reader.locate(part);
        zip_stat_init(st);
        return index >= 0 && zip_stat_index(reader.m_zip, zip_uint64_t(index), 0, st) == 0;
    };
    zip_stat_t a, b;
    if (!statOf(*this, &a) || !statOf(other, &b)) return false;
    const zip_uint64_t wanted = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC;
    return (a.valid & wanted) == wanted && (b.valid & wanted) == wanted && a.size == b.size &&
           a.comp_size == b.comp_size && a.crc == b.crc;
}

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 17;

// Inflated chunks passed from the inflating thread to the one that reads them: two buffers
// go round, so that inflating the next chunk overlaps with reading the last one.
class ChunkQueue
{
public:
    struct Chunk
    {
        std::vector<char> bytes = std::vector<char>(kChunk);
        std::size_t size = 0;
    };

    explicit ChunkQueue(int buffers)
    {
        for (int i = 0; i < buffers; ++i)
            m_free.push_back(std::make_unique<Chunk>());
    }

    // Producer side: a free buffer, or null once the consumer has stopped.
    std::unique_ptr<Chunk> takeFree()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || !m_free.empty(); });
        if (m_stopped) return nullptr;
        std::unique_ptr<Chunk> chunk = std::move(m_free.front());
        m_free.pop_front();
        return chunk;
    }
    void putFilled(std::unique_ptr<Chunk> chunk)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_filled.push_back(std::move(chunk));
        m_changed.notify_all();
    }
    // No more chunks will come.
    void finish()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }

    // Consumer side: the next filled chunk, or null at the end.
    std::unique_ptr<Chunk> takeFilled()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_finished || !m_filled.empty(); });
        if (m_filled.empty()) return nullptr;
        std::unique_ptr<Chunk> chunk = std::move(m_filled.front());
        m_filled.pop_front();
        return chunk;
    }
    void putFree(std::unique_ptr<Chunk> chunk)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_free.push_back(std::move(chunk));
        m_changed.notify_all();
    }
    // The consumer wants no more chunks.
    void stop()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Chunk>> m_free;
    std::deque<std::unique_ptr<Chunk>> m_filled;
    bool m_finished = false;
    bool m_stopped = false;
};

} // namespace

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
    std::int64_t stored = -1, inflated = -1;
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) == 0) {
        if (st.valid & ZIP_STAT_COMP_SIZE) stored = std::int64_t(st.comp_size);
        if (st.valid & ZIP_STAT_SIZE) inflated = std::int64_t(st.size);
    }

    // Inflates one chunk into `buffer` and checks the limits; -1 on failure (error set), 0 at
    // the end.
    std::int64_t done = 0;
    QString error;
    auto next = [&](std::vector<char> &buffer) -> std::int64_t {
        zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
        if (n < 0) {
            error = QStringLiteral("the part is damaged (%1)")
                        .arg(QString::fromUtf8(zip_file_strerror(file)));
            return -1;
        }
        done += n;
        m_total += n;
        if (done > maxBytes) {
            error = QStringLiteral("the part inflates to more than %1 bytes").arg(maxBytes);
            return -1;
        }
        if (m_total > m_maxTotal) {
            error = QStringLiteral("the package inflates to more than %1 bytes").arg(m_maxTotal);
            return -1;
        }
        if (m_maxRatio > 0 && stored >= 0 && done > (std::int64_t(64) << 20) &&
            done / std::max<std::int64_t>(stored, 1) > m_maxRatio) {
            error =
                QStringLiteral("the part inflates more than %1 times its stored size (a zip bomb?)")
                    .arg(m_maxRatio);
            return -1;
        }
        return n;
    };

    bool ok = true;
    if (inflated >= 0 && inflated <= std::int64_t(kChunk)) {
        // A small part: one chunk, read here.
        std::vector<char> buffer(kChunk);
        for (;;) {
            const std::int64_t n = next(buffer);
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            if (!sink(buffer.data(), std::size_t(n))) {
                ok = false;
                break;
            }
        }
    } else {
        // A large part inflates on a thread of its own while the sink reads what came before;
        // the sink runs here, on the calling thread.
        ChunkQueue queue(2);
        bool inflateOk = true;
        std::thread inflater([&] {
            try {
                while (std::unique_ptr<ChunkQueue::Chunk> chunk = queue.takeFree()) {
                    const std::int64_t n = next(chunk->bytes);
                    if (n <= 0) {
                        inflateOk = n == 0;
                        break;
                    }
                    chunk->size = std::size_t(n);
                    queue.putFilled(std::move(chunk));
                }
            } catch (const std::exception &e) {
                inflateOk = false;
                error = QStringLiteral("the part cannot be inflated (%1)")
                            .arg(QString::fromUtf8(e.what()));
            }
            queue.finish();
        });
        bool sinkOk = true;
        while (std::unique_ptr<ChunkQueue::Chunk> chunk = queue.takeFilled()) {
            if (!sink(chunk->bytes.data(), chunk->size)) {
                sinkOk = false;
                break;
            }
            queue.putFree(std::move(chunk));
        }
        queue.stop();
        inflater.join();
        ok = sinkOk && inflateOk;
    }
    zip_fclose(file);
    if (!error.isEmpty()) m_error = error;
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
