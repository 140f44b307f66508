#include "platform/excel/BiffStream.h"

#include <QtEndian>

namespace excel {

bool BiffStream::next(BiffRecord *record, bool *cutShort)
{
    *cutShort = false;
    record->segments.clear();
    const qsizetype size = m_data.size();
    if (m_position + 4 > size) {
        *cutShort = m_position < size;
        return false;
    }
    const char *base = m_data.constData();
    record->offset = m_position;
    record->type = qFromLittleEndian<std::uint16_t>(base + m_position);
    int length = qFromLittleEndian<std::uint16_t>(base + m_position + 2);
    if (m_position + 4 + length > size) {
        *cutShort = true;
        return false;
    }
    record->segments.push_back({base + m_position + 4, length});
    m_position += 4 + length;
    while (m_position + 4 <= size &&
           qFromLittleEndian<std::uint16_t>(base + m_position) == kContinue) {
        length = qFromLittleEndian<std::uint16_t>(base + m_position + 2);
        if (m_position + 4 + length > size) {
            *cutShort = true;
            return false;
        }
        record->segments.push_back({base + m_position + 4, length});
        m_position += 4 + length;
    }
    record->rewind();
    return true;
}

} // namespace excel
