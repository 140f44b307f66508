#include "platform/excel/tests/XlsBuilder.h"

#include <QtEndian>
#include <cstring>

QByteArray XlsBuilder::u16(std::uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    return QByteArray(b, 2);
}

QByteArray XlsBuilder::u32(std::uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray XlsBuilder::f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    char b[8];
    qToLittleEndian(bits, b);
    return QByteArray(b, 8);
}

QByteArray XlsBuilder::record(std::uint16_t type, const QByteArray &body)
{
    return u16(type) + u16(std::uint16_t(body.size())) + body;
}

QByteArray XlsBuilder::bof(std::uint16_t kind, std::uint16_t version)
{
    return record(0x0809, u16(version) + u16(kind) + QByteArray(12, '\0'));
}

QByteArray XlsBuilder::cell(int row, int column, int xf)
{
    return u16(std::uint16_t(row)) + u16(std::uint16_t(column)) + u16(std::uint16_t(xf));
}

QByteArray XlsBuilder::chars(const QString &s, bool wide)
{
    QByteArray out;
    for (QChar c : s)
        out += wide ? u16(c.unicode()) : QByteArray(1, char(c.unicode()));
    return out;
}

static bool needsWide(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 0xFF) return true;
    }
    return false;
}

QByteArray XlsBuilder::text(const QString &s)
{
    const bool wide = needsWide(s);
    return u16(std::uint16_t(s.size())) + QByteArray(1, char(wide ? 1 : 0)) + chars(s, wide);
}

QByteArray XlsBuilder::shortText(const QString &s)
{
    const bool wide = needsWide(s);
    return QByteArray(1, char(s.size())) + QByteArray(1, char(wide ? 1 : 0)) + chars(s, wide);
}

QByteArray XlsBuilder::workbook(const QByteArray &globals, const std::vector<Sheet> &sheets)
{
    QByteArray head = bof(0x0005);
    std::vector<qsizetype> positions;
    for (const Sheet &s : sheets) {
        positions.push_back(head.size() + 4);
        head += record(0x0085, u32(0) + QByteArray(1, char(s.state)) + QByteArray(1, char(s.kind)) +
                                   shortText(s.name));
    }
    head += globals + record(0x000A, QByteArray());
    QByteArray body;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        qToLittleEndian(std::uint32_t(head.size() + body.size()), head.data() + positions[i]);
        body += bof(sheets[i].kind == 2 ? 0x0020 : 0x0010) + sheets[i].records +
                record(0x000A, QByteArray());
    }
    return head + body;
}

QByteArray XlsBuilder::container(QByteArray stream, const QString &streamName)
{
    if (stream.size() < 4096) stream.append(4096 - stream.size(), '\0');
    const std::uint32_t sector = 4096, perFat = sector / 4;
    const std::uint32_t streamSectors = std::uint32_t((stream.size() + sector - 1) / sector);
    std::uint32_t fatSectors = 1;
    while (fatSectors * perFat < fatSectors + 1 + streamSectors)
        ++fatSectors;
    QByteArray out("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out += QByteArray(16, '\0') + u16(0x003E) + u16(4) + u16(0xFFFE) + u16(12) + u16(6) +
           QByteArray(6, '\0');
    out += u32(1) + u32(fatSectors) + u32(fatSectors) + u32(0) + u32(4096) + u32(0xFFFFFFFE) +
           u32(0) + u32(0xFFFFFFFE) + u32(0);
    for (std::uint32_t i = 0; i < 109; ++i)
        out += u32(i < fatSectors ? i : 0xFFFFFFFF);
    out.append(qsizetype(sector) - out.size(), '\0');
    QByteArray fat;
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        fat += u32(0xFFFFFFFD);
    fat += u32(0xFFFFFFFE); // the directory
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        fat += u32(i + 1 == streamSectors ? 0xFFFFFFFE : fatSectors + 2 + i);
    while (fat.size() < qsizetype(fatSectors * sector))
        fat += u32(0xFFFFFFFF);
    out += fat;
    const auto entry = [](const QString &name, int type, std::uint32_t child, std::uint32_t start,
                          std::uint32_t size) {
        QByteArray e = chars(name, true);
        e.append(64 - e.size(), '\0');
        e += u16(std::uint16_t(name.isEmpty() ? 0 : 2 * name.size() + 2));
        e += QByteArray(1, char(type)) + QByteArray(1, char(1));
        e += u32(0xFFFFFFFF) + u32(0xFFFFFFFF) + u32(child) + QByteArray(36, '\0');
        e += u32(start) + u32(size) + u32(0);
        return e;
    };
    QByteArray dir = entry(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0) +
                     entry(streamName, 2, 0xFFFFFFFF, fatSectors + 1, std::uint32_t(stream.size()));
    while (dir.size() < qsizetype(sector))
        dir += entry(QString(), 0, 0xFFFFFFFF, 0, 0);
    out += dir + stream;
    out.append(qsizetype(streamSectors * sector) - stream.size(), '\0');
    return out;
}
