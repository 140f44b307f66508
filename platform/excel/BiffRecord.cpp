#include "platform/excel/BiffRecord.h"

#include <QtEndian>
#include <cstring>

namespace excel {

int BiffRecord::totalSize() const
{
    int total = 0;
    for (const Segment &s : segments)
        total += s.size;
    return total;
}

void BiffRecord::rewind(int segment, int position)
{
    m_segment = segment;
    m_position = position;
    m_failed = segment >= int(segments.size()) || position > segments[std::size_t(segment)].size;
}

bool BiffRecord::atEnd() const
{
    if (m_failed) return true;
    for (std::size_t s = std::size_t(m_segment); s < segments.size(); ++s) {
        if ((s == std::size_t(m_segment) ? m_position : 0) < segments[s].size) return false;
    }
    return true;
}

bool BiffRecord::nextSegment()
{
    if (std::size_t(m_segment) + 1 >= segments.size()) {
        m_failed = true;
        return false;
    }
    ++m_segment;
    m_position = 0;
    return true;
}

bool BiffRecord::take(char *to, int count)
{
    while (count > 0) {
        if (m_failed) break;
        const Segment &s = segments[std::size_t(m_segment)];
        const int n = std::min(count, s.size - m_position);
        if (n <= 0) {
            if (!nextSegment()) break;
            continue;
        }
        std::memcpy(to, s.data + m_position, std::size_t(n));
        to += n;
        count -= n;
        m_position += n;
    }
    if (count > 0) {
        std::memset(to, 0, std::size_t(count));
        m_failed = true;
        return false;
    }
    return true;
}

std::uint8_t BiffRecord::u8()
{
    char c = 0;
    take(&c, 1);
    return std::uint8_t(c);
}

std::uint16_t BiffRecord::u16()
{
    char b[2];
    take(b, 2);
    return qFromLittleEndian<std::uint16_t>(b);
}

std::uint32_t BiffRecord::u32()
{
    char b[4];
    take(b, 4);
    return qFromLittleEndian<std::uint32_t>(b);
}

double BiffRecord::f64()
{
    char b[8];
    take(b, 8);
    const std::uint64_t bits = qFromLittleEndian<std::uint64_t>(b);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void BiffRecord::skip(qint64 count)
{
    while (count > 0 && !m_failed) {
        const Segment &s = segments[std::size_t(m_segment)];
        const qint64 n = std::min<qint64>(count, s.size - m_position);
        if (n <= 0) {
            nextSegment();
            continue;
        }
        m_position += int(n);
        count -= n;
    }
}

QString BiffRecord::readChars(int count, bool highByte)
{
    QString text;
    if (count <= 0) return text;
    text.reserve(std::min(count, totalSize()));
    while (count > 0 && !m_failed) {
        const Segment &s = segments[std::size_t(m_segment)];
        if (m_position >= s.size) {
            // A text split over records: the next part restarts with its own option byte.
            // Some writers leave that byte out; then the rest of the record holds exactly the
            // remaining characters in the current width.
            if (!nextSegment()) break;
            qint64 rest = 0;
            for (std::size_t i = std::size_t(m_segment); i < segments.size(); ++i)
                rest += segments[i].size;
            const int width = highByte ? 2 : 1;
            const Segment &next = segments[std::size_t(m_segment)];
            const std::uint8_t first = next.size > 0 ? std::uint8_t(next.data[0]) : 0xFF;
            const bool optionByte = first <= 1 && rest == 1 + qint64(count) * (first ? 2 : 1);
            if (rest == qint64(count) * width && !optionByte) continue;
            highByte = (u8() & 0x01) != 0;
            continue;
        }
        const char *p = s.data + m_position;
        if (highByte) {
            const int n = std::min(count, (s.size - m_position) / 2);
            if (n == 0) {
                // One byte left: a writer that leaves out the option byte may also split a
                // character over two records.
                qint64 rest = s.size - m_position;
                for (std::size_t i = std::size_t(m_segment) + 1; i < segments.size(); ++i)
                    rest += segments[i].size;
                char pair[2];
                if (rest != 2 * qint64(count) || !take(pair, 2)) break;
                text.append(QChar(qFromLittleEndian<std::uint16_t>(pair)));
                --count;
                continue;
            }
            for (int i = 0; i < n; ++i)
                text.append(QChar(qFromLittleEndian<std::uint16_t>(p + 2 * i)));
            m_position += 2 * n;
            count -= n;
        } else {
            const int n = std::min(count, s.size - m_position);
            for (int i = 0; i < n; ++i)
                text.append(QChar(std::uint8_t(p[i])));
            m_position += n;
            count -= n;
        }
    }
    if (count > 0) m_failed = true;
    return text;
}

QString BiffRecord::readUnicodeString()
{
    const int count = u16();
    const std::uint8_t flags = u8();
    if (m_failed) return QString();
    const bool rich = flags & 0x08;
    const bool ext = flags & 0x04;
    const int runs = rich ? u16() : 0;
    const std::uint32_t extSize = ext ? u32() : 0;
    QString text = readChars(count, flags & 0x01);
    skip(qint64(runs) * 4 + extSize);
    return text;
}

QString BiffRecord::readShortUnicodeString()
{
    const int count = u8();
    const std::uint8_t flags = u8();
    if (m_failed) return QString();
    return readChars(count, flags & 0x01);
}

QString BiffRecord::readRichExtendedString()
{
    return readUnicodeString();
}

} // namespace excel
