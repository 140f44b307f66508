#pragma once

#include "platform/excel/BiffRecord.h"

#include <QByteArray>

namespace excel {

// Walks the records of a BIFF8 stream ("Workbook"): each record comes with the CONTINUE
// records that follow it. The stream's bytes are referenced, not copied.
class BiffStream
{
public:
    static constexpr std::uint16_t kContinue = 0x003C;

    explicit BiffStream(const QByteArray &data) : m_data(data) {}

    qsizetype position() const { return m_position; }
    qsizetype size() const { return m_data.size(); }
    void seek(qsizetype position) { m_position = position; }
    bool atEnd() const { return m_position >= m_data.size(); }

    // Reads the record at the current position into `record` (reusing its storage). False at
    // the end of the stream or when a record header claims more bytes than remain; `*cutShort`
    // tells the two apart.
    bool next(BiffRecord *record, bool *cutShort);

private:
    const QByteArray &m_data;
    qsizetype m_position = 0;
};

} // namespace excel
