// Reads the same 65,536 x 20 sheet (half numbers, half shared strings) as .xlsx and as .xls,
// both made here in memory, and prints the cells read per second by each reader (best of three).
#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <cstdio>
#include <cstring>
#include <functional>
#include <zip.h>

namespace {

constexpr int kRows = 65536;
constexpr int kColumns = 20;
constexpr int kStrings = 500;

double numberAt(int row, int column)
{
    return row * 20 + column + 0.5;
}

QByteArray stringAt(int index)
{
    return "s" + QByteArray::number(index).rightJustified(3, '0');
}

// --- .xls: BIFF8 records in a version-4 compound file ---------------------------------------

void put16(QByteArray &b, std::uint16_t v)
{
    char c[2];
    qToLittleEndian(v, c);
    b.append(c, 2);
}

void put32(QByteArray &b, std::uint32_t v)
{
    char c[4];
    qToLittleEndian(v, c);
    b.append(c, 4);
}

void record(QByteArray &out, std::uint16_t type, const QByteArray &body)
{
    put16(out, type);
    put16(out, std::uint16_t(body.size()));
    out += body;
}

QByteArray bof(std::uint16_t kind)
{
    QByteArray b;
    put16(b, 0x0600);
    put16(b, kind);
    b.append(12, '\0');
    return b;
}

QByteArray workbookStream()
{
    QByteArray globals;
    record(globals, 0x0809, bof(0x0005));
    QByteArray sheetEntry;
    put32(sheetEntry, 0); // position, set below
    sheetEntry.append(2, '\0');
    sheetEntry.append(char(6));
    sheetEntry.append('\0');
    sheetEntry.append("Sheet1");
    const int positionAt = int(globals.size()) + 4;
    record(globals, 0x0085, sheetEntry);
    QByteArray sst;
    put32(sst, kRows * kColumns / 2);
    put32(sst, kStrings);
    for (int i = 0; i < kStrings; ++i) {
        const QByteArray s = stringAt(i);
        put16(sst, std::uint16_t(s.size()));
        sst.append('\0');
        sst += s;
    }
    record(globals, 0x00FC, sst);
    record(globals, 0x000A, QByteArray());
    qToLittleEndian(std::uint32_t(globals.size()), globals.data() + positionAt);

    QByteArray sheet;
    sheet.reserve(kRows * kColumns * 18);
    record(sheet, 0x0809, bof(0x0010));
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            QByteArray body;
            put16(body, std::uint16_t(r));
            put16(body, std::uint16_t(c));
            put16(body, 0);
            if (c < kColumns / 2) {
                const double d = numberAt(r, c);
                std::uint64_t bits;
                std::memcpy(&bits, &d, 8);
                char b[8];
                qToLittleEndian(bits, b);
                body.append(b, 8);
                record(sheet, 0x0203, body);
            } else {
                put32(body, std::uint32_t((r * 7 + c) % kStrings));
                record(sheet, 0x00FD, body);
            }
        }
    }
    record(sheet, 0x000A, QByteArray());
    return globals + sheet;
}

QByteArray compoundFile(const QByteArray &stream)
{
    const std::uint32_t sector = 4096, perFat = sector / 4;
    const std::uint32_t streamSectors = std::uint32_t((stream.size() + sector - 1) / sector);
    std::uint32_t fatSectors = 1;
    while (fatSectors * perFat < fatSectors + 1 + streamSectors)
        ++fatSectors;
    QByteArray out;
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(16, '\0');
    put16(out, 0x003E);
    put16(out, 4);
    put16(out, 0xFFFE);
    put16(out, 12);
    put16(out, 6);
    out.append(6, '\0');
    put32(out, 1);          // directory sectors
    put32(out, fatSectors); // FAT sectors
    put32(out, fatSectors); // first directory sector
    put32(out, 0);          // transaction
    put32(out, 4096);       // mini stream cutoff
    put32(out, 0xFFFFFFFE); // mini FAT
    put32(out, 0);
    put32(out, 0xFFFFFFFE); // DIFAT
    put32(out, 0);
    for (std::uint32_t i = 0; i < 109; ++i)
        put32(out, i < fatSectors ? i : 0xFFFFFFFF);
    out.append(int(sector) - int(out.size()), '\0');
    QByteArray fat;
    for (std::uint32_t i = 0; i < fatSectors; ++i)
        put32(fat, 0xFFFFFFFD);
    put32(fat, 0xFFFFFFFE); // directory
    for (std::uint32_t i = 0; i < streamSectors; ++i)
        put32(fat, i + 1 == streamSectors ? 0xFFFFFFFE : fatSectors + 2 + i);
    while (fat.size() < qsizetype(fatSectors * sector))
        put32(fat, 0xFFFFFFFF);
    out += fat;
    const auto entry = [](const QString &name, int type, std::uint32_t child, std::uint32_t start,
                          std::uint32_t size) {
        QByteArray e;
        for (QChar c : name)
            put16(e, c.unicode());
        e.append(64 - int(e.size()), '\0');
        put16(e, std::uint16_t(name.isEmpty() ? 0 : 2 * name.size() + 2));
        e.append(char(type));
        e.append(char(1));
        put32(e, 0xFFFFFFFF);
        put32(e, 0xFFFFFFFF);
        put32(e, child);
        e.append(36, '\0');
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        return e;
    };
    QByteArray dir = entry(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0) +
                     entry(QStringLiteral("Workbook"), 2, 0xFFFFFFFF, fatSectors + 1,
                           std::uint32_t(stream.size()));
    while (dir.size() < qsizetype(sector))
        dir += entry(QString(), 0, 0xFFFFFFFF, 0, 0);
    out += dir;
    out += stream;
    out.append(int(streamSectors * sector - stream.size()), '\0');
    return out;
}

// --- .xlsx -----------------------------------------------------------------------------------

QByteArray xlsxFile()
{
    QByteArray sheet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"http://"
                       "schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    for (int r = 0; r < kRows; ++r) {
        sheet += "<row r=\"" + QByteArray::number(r + 1) + "\">";
        for (int c = 0; c < kColumns; ++c) {
            const QByteArray ref = QByteArray(1, char('A' + c)) + QByteArray::number(r + 1);
            if (c < kColumns / 2)
                sheet += "<c r=\"" + ref + "\"><v>" + QByteArray::number(numberAt(r, c), 'g', 17) +
                         "</v></c>";
            else
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" +
                         QByteArray::number((r * 7 + c) % kStrings) + "</v></c>";
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    QByteArray strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"http://schemas."
                         "openxmlformats.org/spreadsheetml/2006/main\" uniqueCount=\"" +
                         QByteArray::number(kStrings) + "\">";
    for (int i = 0; i < kStrings; ++i)
        strings += "<si><t>" + stringAt(i) + "</t></si>";
    strings += "</sst>";
    const std::pair<const char *, QByteArray> parts[] = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Types xmlns=\"http://schemas."
         "openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default "
         "Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/"
         "workbook.xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
         "spreadsheetml.sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
         "worksheet+xml\"/><Override PartName=\"/xl/sharedStrings.xml\" ContentType=\""
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
         "</Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas."
         "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\""
         "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workbook xmlns=\"http://schemas."
         "openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"http://schemas.openxmlformats."
         "org/officeDocument/2006/relationships\"><sheets><sheet name=\"Sheet1\" sheetId=\"1\" "
         "r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"http://schemas."
         "openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\""
         "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"http://schemas."
         "openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" Target=\""
         "sharedStrings.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", sheet},
        {"xl/sharedStrings.xml", strings},
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(target);
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    for (const auto &[name, data] : parts) {
        zip_source_t *s =
            zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        zip_file_add(archive, name, s, ZIP_FL_OVERWRITE);
    }
    zip_close(archive); // the parts' buffers are read here
    QByteArray out;
    zip_source_open(target);
    zip_source_seek(target, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(target);
    zip_source_seek(target, 0, SEEK_SET);
    out.resize(qsizetype(size));
    zip_source_read(target, out.data(), zip_uint64_t(size));
    zip_source_close(target);
    zip_source_free(target);
    return out;
}

double best(const std::function<bool()> &read)
{
    double fastest = 1e30;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        if (!read()) return -1;
        fastest = std::min(fastest, t.nsecsElapsed() / 1e9);
    }
    return fastest;
}

} // namespace

int main()
{
    const double cells = double(kRows) * kColumns;
    const QByteArray xlsx = xlsxFile();
    const QByteArray xls = compoundFile(workbookStream());
    QString error;
    const double xlsxSeconds = best([&] {
        excel::WorkbookData book;
        return excel::XlsxReader::readBytes(xlsx, QStringLiteral("bench.xlsx"), &book, &error) &&
               book.sheets.size() == 1;
    });
    const double xlsSeconds = best([&] {
        excel::WorkbookData book;
        return excel::XlsReader::readBytes(xls, &book, &error, QStringLiteral("bench.xls")) &&
               book.sheets.size() == 1 && book.sheets[0]->rows.size() == std::size_t(kRows);
    });
    if (xlsxSeconds < 0 || xlsSeconds < 0) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("xlsx_read_65536x20 %.0f cells/s\n", cells / xlsxSeconds);
    std::printf("xls_read_65536x20 %.0f cells/s\n", cells / xlsSeconds);
    return 0;
}
