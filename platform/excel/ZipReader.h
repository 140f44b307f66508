#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

struct zip;
struct zip_file;

namespace excel {

// Reads the parts of a zip package (an .xlsx file) with limits on what inflating may produce,
// so that a zip bomb ends in an error instead of filling memory.
class ZipReader
{
public:
    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    // Opens a file, or bytes held in memory (which must outlive the reader). False with
    // errorString() set when the data is not a zip archive, is truncated or holds two entries
    // of one name.
    bool open(const QString &path);
    bool openBytes(const QByteArray &bytes);

    // Whether a part exists (part names compare without regard to case).
    bool contains(const QString &part) const;
    // The size the part's directory entry gives for it inflated; -1 when unknown. A damaged or
    // hostile file may lie: use it to reserve room, never to trust what follows.
    std::int64_t inflatedSize(const QString &part) const;
    // Whether another reader's archive holds the same entry for the part (sizes and checksum):
    // a file reopened by its path may have been replaced meanwhile.
    bool sameEntry(const ZipReader &other, const QString &part) const;
    // The entries in the archive's order, and the archive, for copying entries unchanged into
    // another archive.
    std::int64_t entryCount() const;
    QString entryName(std::int64_t index) const;
    zip *archive() const { return m_zip; }
    // The whole inflated part; false when missing, damaged or larger than maxBytes.
    bool read(const QString &part, QByteArray *out, std::int64_t maxBytes);
    // Inflates a part in chunks and hands each to the sink (false from the sink stops); false
    // when missing, damaged or larger than maxBytes. A large part inflates on a thread of its
    // own while the sink, on the calling thread, reads the chunks before; the sink must not
    // use this reader.
    bool stream(const QString &part, std::int64_t maxBytes,
                const std::function<bool(const char *data, std::size_t size)> &sink);

    // Parts above 64 MiB must not inflate to more than this many times their stored size.
    void setMaxCompressionRatio(int ratio) { m_maxRatio = ratio; }
    // Reading stops once all parts together inflated to more than this.
    void setMaxTotalBytes(std::int64_t bytes) { m_maxTotal = bytes; }

    QString errorString() const { return m_error; }

    // A name that two entries of the archive share (part names compare without regard to
    // case); "" when every name differs. Such a package is refused: which of the two a reader
    // takes is left to chance.
    static QString sharedEntryName(zip *archive);
    // Inflated bytes handed out so far, over all parts.
    std::int64_t totalInflated() const { return m_total; }

private:
    bool finishOpen(int errorCode);
    std::int64_t locate(const QString &part) const;

    zip *m_zip = nullptr;
    QString m_error;
    std::int64_t m_total = 0;
    std::int64_t m_maxTotal = std::int64_t(1) << 62;
    int m_maxRatio = 0;
};

} // namespace excel
