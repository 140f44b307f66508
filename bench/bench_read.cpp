// Reads the same 65,536 x 20 sheet (half numbers, half shared strings) as .xlsx and as .xls,
// both made here in memory, and prints the cells read per second by each reader (best of three).
#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/tests/XlsBuilder.h"

#include <QElapsedTimer>
#include <cstdio>
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

// --- .xls -------------------------------------------------------------------------------------

QByteArray xlsFile()
{
    using B = XlsBuilder;
    QByteArray sst = B::u32(kRows * kColumns / 2) + B::u32(kStrings);
    for (int i = 0; i < kStrings; ++i)
        sst += B::text(QString::fromLatin1(stringAt(i)));
    QByteArray cells;
    cells.reserve(kRows * kColumns * 18);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            if (c < kColumns / 2)
                cells += B::record(0x0203, B::cell(r, c) + B::f64(numberAt(r, c)));
            else
                cells += B::record(0x00FD,
                                   B::cell(r, c) + B::u32(std::uint32_t((r * 7 + c) % kStrings)));
        }
    }
    return B::container(B::workbook(B::record(0x00FC, sst), {{QStringLiteral("Sheet1"), cells}}));
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
    const QByteArray xls = xlsFile();
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
