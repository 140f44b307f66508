#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace excel {

// One record of a BIFF8 stream with the bodies of the CONTINUE records that follow it, read as
// one sequence of bytes. Reads past the end set a flag (checked with ok()) and give zeros, so a
// truncated record is found without a crash. Texts that run on into a CONTINUE record restart
// there with a fresh option byte, which readChars() takes into account.
class BiffRecord
{
public:
    struct Segment
    {
        const char *data = nullptr;
        int size = 0;
    };

    std::uint16_t type = 0;
    qsizetype offset = 0; // of the record header in its stream
    std::vector<Segment> segments;

    const char *body() const { return segments.front().data; }
    int size() const { return segments.front().size; }
    int totalSize() const;

    void rewind(int segment = 0, int position = 0);
    bool ok() const { return !m_failed; }
    bool atEnd() const;

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    double f64();
    void skip(qint64 count);
    // The characters of a text whose option byte has been read (fHighByte in `highByte`).
    QString readChars(int count, bool highByte);
    // XLUnicodeString: 16-bit count, option byte, characters.
    QString readUnicodeString();
    // ShortXLUnicodeString: 8-bit count, option byte, characters.
    QString readShortUnicodeString();
    // XLUnicodeRichExtendedString (shared strings): rich-text runs and phonetic data skipped.
    QString readRichExtendedString();

private:
    bool nextSegment();
    bool take(char *to, int count);

    int m_segment = 0;
    int m_position = 0;
    bool m_failed = false;
};

} // namespace excel
