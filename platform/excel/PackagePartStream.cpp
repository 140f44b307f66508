#include "platform/excel/PackagePartStream.h"

#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <thread>
#include <zip.h>

namespace excel {

struct PackagePartStream::State
{
    std::function<Producer()> make;
    QString what;
    zip_error_t error;
    std::thread worker;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<QByteArray> queue; // pieces made and not yet read, at most four
    QByteArray current;
    qsizetype offset = 0;
    bool done = false;
    bool stop = false;
    QString failure;

    void start()
    {
        halt();
        queue.clear();
        current.clear();
        offset = 0;
        done = false;
        stop = false;
        failure.clear();
        worker = std::thread([this] {
            QString why;
            try {
                produceAll();
                return;
            } catch (const std::bad_alloc &) {
                why = QStringLiteral("there is not enough memory to write %1").arg(what);
            } catch (const std::exception &e) {
                why = QStringLiteral("%1 could not be written (%2)")
                          .arg(what, QString::fromUtf8(e.what()));
            } catch (...) {
                why = QStringLiteral("%1 could not be written").arg(what);
            }
            std::lock_guard<std::mutex> lock(mutex);
            failure = why;
            done = true;
            wake.notify_all();
        });
    }

    void halt()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
            wake.notify_all();
        }
        if (worker.joinable()) worker.join();
    }

    void produceAll()
    {
        Producer produce = make();
        bool more = true;
        while (more) {
            QByteArray piece;
            if (pieceHook) pieceHook(what);
            more = produce(piece);
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return queue.size() < 4 || stop; });
            if (stop) return;
            queue.push_back(std::move(piece));
            wake.notify_all();
        }
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        wake.notify_all();
    }

    // The bytes given, or -1 when the second thread failed.
    zip_int64_t read(char *out, zip_uint64_t length)
    {
        zip_uint64_t given = 0;
        while (given < length) {
            if (offset >= current.size()) {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [this] { return !queue.empty() || done; });
                if (!failure.isEmpty()) return -1;
                if (queue.empty()) break;
                current = std::move(queue.front());
                queue.pop_front();
                offset = 0;
                wake.notify_all();
                continue;
            }
            const zip_uint64_t n =
                std::min<zip_uint64_t>(length - given, zip_uint64_t(current.size() - offset));
            std::memcpy(out + given, current.constData() + offset, n);
            offset += qsizetype(n);
            given += n;
        }
        return zip_int64_t(given);
    }
};

namespace {

zip_int64_t callback(void *userdata, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *s = static_cast<PackagePartStream::State *>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        s->start();
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_int64_t n = s->read(static_cast<char *>(data), length);
        if (n < 0) zip_error_set(&s->error, ZIP_ER_INTERNAL, 0);
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        s->halt();
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->mtime = std::time(nullptr);
        st->valid |= ZIP_STAT_MTIME;
        return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&s->error, data, length);
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

PackagePartStream::PackagePartStream(std::function<Producer()> make, QString what)
    : m_state(std::make_unique<State>())
{
    m_state->make = std::move(make);
    m_state->what = std::move(what);
    zip_error_init(&m_state->error);
}

PackagePartStream::~PackagePartStream()
{
    m_state->halt();
    zip_error_fini(&m_state->error);
}

zip_source *PackagePartStream::source(zip *archive)
{
    return zip_source_function(archive, callback, m_state.get());
}

QString PackagePartStream::failure() const
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->failure;
}

} // namespace excel
