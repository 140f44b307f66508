// Reading speed of the .xlsx reader against the physical floor: merely inflating the sheet part
// and scanning it for cells. Makes its own inputs (numbers and shared strings, half each) with
// a minimal writer, so it needs nothing but the build.
//
// Prints "xlsx_read_<rows>x<cols> <v> cells/s" beside "floor_<rows>x<cols> <v> cells/s", and
// the rate of reading a whole block through Range.Value ("model_value_<rows>x<cols>"), and the
// legacy .xls reader on a 65,536 x 20 sheet of the same kind ("xls_read_65536x20"); and the time
// of one cell's format access beside one cell's value access on a 140,000-cell sheet
// ("format_access_140000_cells", "value_access_140000_cells").

#include "platform/excel/Application.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/tests/XlsBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <zip.h>

namespace {

bool addPart(zip_t *z, const char *name, const std::string &data)
{
    // libzip keeps the buffer until zip_close; copy it into memory it may free
    void *copy = std::malloc(data.size());
    std::memcpy(copy, data.data(), data.size());
    zip_source_t *src = zip_source_buffer(z, copy, data.size(), 1);
    return src && zip_file_add(z, name, src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) >= 0;
}

std::string sheetXml(int rows, int columns)
{
    std::vector<std::string> letters(std::size_t(columns) + 1);
    for (int c = 1; c <= columns; ++c)
        letters[std::size_t(c)] = excel::CellAddress::columnLetters(c).toStdString();
    std::string x;
    x.reserve(std::size_t(rows) * std::size_t(columns) * 30 + 1024);
    x += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet "
         "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
    char buf[64];
    unsigned seed = 12345;
    for (int r = 1; r <= rows; ++r) {
        std::snprintf(buf, sizeof buf, "<row r=\"%d\">", r);
        x += buf;
        for (int c = 1; c <= columns; ++c) {
            seed = seed * 1103515245u + 12345u;
            if (c % 2)
                std::snprintf(buf, sizeof buf, "<c r=\"%s%d\" t=\"s\"><v>%u</v></c>",
                              letters[std::size_t(c)].c_str(), r, (seed >> 8) % 1000);
            else
                std::snprintf(buf, sizeof buf, "<c r=\"%s%d\"><v>%u.%02u</v></c>",
                              letters[std::size_t(c)].c_str(), r, (seed >> 4) % 1000000,
                              seed % 100);
            x += buf;
        }
        x += "</row>";
    }
    x += "</sheetData></worksheet>";
    return x;
}

bool writeWorkbook(const QString &path, int rows, int columns)
{
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) return false;
    std::string sst = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst "
                      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (int i = 0; i < 1000; ++i)
        sst += "<si><t>text " + std::to_string(i) + "</t></si>";
    sst += "</sst>";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    bool ok =
        addPart(z, "[Content_Types].xml",
                "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" "
                "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" "
                "ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
                "ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                "<Override PartName=\"/xl/sharedStrings.xml\" "
                "ContentType=\"application/"
                "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
                "</Types>") &&
        addPart(
            z, "_rels/.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" +
                rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>") &&
        addPart(z, "xl/workbook.xml",
                "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>") &&
        addPart(
            z, "xl/_rels/workbook.xml.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1\" Type=\"" +
                rel +
                "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"" +
                rel + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>") &&
        addPart(z, "xl/sharedStrings.xml", sst) &&
        addPart(z, "xl/worksheets/sheet1.xml", sheetXml(rows, columns));
    if (!ok) {
        zip_discard(z);
        return false;
    }
    return zip_close(z) == 0;
}

// Inflates the sheet part and counts cell start tags: what any reader must at least do.
double floorRate(const QString &path, std::int64_t *cells)
{
    QElapsedTimer timer;
    timer.start();
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    zip_file_t *f = zip_fopen(z, "xl/worksheets/sheet1.xml", 0);
    // two bytes carried over from the previous chunk, so that a tag split between chunks counts
    std::vector<char> buffer((1 << 18) + 2, ' ');
    std::int64_t count = 0;
    for (;;) {
        zip_int64_t n = zip_fread(f, buffer.data() + 2, buffer.size() - 2);
        if (n <= 0) break;
        const char *p = buffer.data(), *end = buffer.data() + 2 + n;
        while ((p = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p))))) {
            if (p + 2 >= end) break;
            if (p[1] == 'c' && (p[2] == ' ' || p[2] == '>')) ++count;
            ++p;
        }
        buffer[0] = end[-2];
        buffer[1] = end[-1];
    }
    zip_fclose(f);
    zip_close(z);
    *cells = count;
    return double(count) / (double(timer.nsecsElapsed()) / 1e9);
}

// The same kind of sheet as .xls (BIFF8): numbers and shared strings, half each.
QByteArray xlsFile(int rows, int columns)
{
    using B = XlsBuilder;
    const int strings = 1000;
    QByteArray sst = B::u32(std::uint32_t(rows) * std::uint32_t(columns) / 2) + B::u32(strings);
    for (int i = 0; i < strings; ++i)
        sst += B::text(QStringLiteral("text %1").arg(i));
    QByteArray cells;
    cells.reserve(qsizetype(rows) * columns * 18);
    unsigned seed = 12345;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            seed = seed * 1103515245u + 12345u;
            if (c % 2 == 0) // LABELSST
                cells += B::record(0x00FD, B::cell(r, c) + B::u32((seed >> 8) % strings));
            else // NUMBER
                cells += B::record(
                    0x0203, B::cell(r, c) + B::f64((seed >> 4) % 1000000 + (seed % 100) / 100.0));
        }
    return B::container(B::workbook(B::record(0x00FC, sst), {{QStringLiteral("Sheet1"), cells}}));
}

void runXls(int rows, int columns)
{
    const QByteArray bytes = xlsFile(rows, columns);
    double fastest = 1e30;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        excel::WorkbookData data;
        QString error;
        if (!excel::XlsReader::readBytes(bytes, &data, &error, QStringLiteral("bench.xls"))) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return;
        }
        fastest = std::min(fastest, double(timer.nsecsElapsed()) / 1e9);
    }
    std::printf("xls_read_%dx%d %.3g cells/s\n", rows, columns, double(rows) * columns / fastest);
    std::fflush(stdout);
}

void run(int rows, int columns, bool withModel)
{
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_KEEP"));
    const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
    if (!dir.autoRemove()) std::printf("# input kept in %s\n", qPrintable(path));
    if (!writeWorkbook(path, rows, columns)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return;
    }
    const QString tag = QStringLiteral("%1x%2").arg(rows).arg(columns);
    std::int64_t floorCells = 0;
    double floor = 0;
    for (int i = 0; i < 2; ++i) // the first pass warms the file cache
        floor = floorRate(path, &floorCells);

    QElapsedTimer timer;
    timer.start();
    excel::WorkbookData data;
    QString error;
    if (!excel::XlsxReader::read(path, &data, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::int64_t cells = 0;
    for (const auto &row : data.sheets[0]->rows)
        cells += std::int64_t(row.size());
    std::printf("floor_%s %.3g cells/s\n", qPrintable(tag), floor);
    std::printf("xlsx_read_%s %.3g cells/s\n", qPrintable(tag), double(cells) / seconds);
    if (cells != floorCells)
        std::printf("# cell counts differ: reader %lld, scan %lld\n", (long long)cells,
                    (long long)floorCells);
    std::fflush(stdout);

    if (withModel) {
        auto app = excel::Application::create();
        auto book = app->Workbooks()->Open(path);
        auto ws = book->Worksheets()->Item(1);
        timer.restart();
        com::Variant block = ws->Range(QStringLiteral("A1:%1%2")
                                           .arg(excel::CellAddress::columnLetters(columns))
                                           .arg(rows))
                                 .Value();
        const double valueSeconds = double(timer.nsecsElapsed()) / 1e9;
        std::printf("model_value_%s %.3g cells/s\n", qPrintable(tag),
                    double(rows) * columns / valueSeconds);
        std::fflush(stdout);
    }
}

// Single-cell access through the object model on a sheet of 140,000 cells: a value read, and a
// font and fill colour read and change (how the report and the difference view colour cells one
// by one). The format access must cost about what the value access costs, whatever the sheet's
// size.
void runCellAccess()
{
    const int rows = 7000, columns = 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("access.xlsx"));
    if (!writeWorkbook(path, rows, columns)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return;
    }
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Open(path);
    auto ws = book->Worksheets()->Item(1);
    const int accesses = 20000;
    auto cellOf = [&](int i, int *row, int *column) {
        *row = 1 + int((std::uint64_t(i) * 7919u) % unsigned(rows));
        *column = 1 + (i % columns);
    };
    QElapsedTimer timer;
    double sink = 0;
    timer.start();
    for (int i = 0; i < accesses; ++i) {
        int r = 0, c = 0;
        cellOf(i, &r, &c);
        sink += ws->Cells(r, c).Value().numberValue();
    }
    const double valueUs = double(timer.nsecsElapsed()) / 1e3 / accesses;
    timer.restart();
    for (int i = 0; i < accesses; ++i) {
        int r = 0, c = 0;
        cellOf(i, &r, &c);
        const excel::Range cell = ws->Cells(r, c);
        sink += cell.Font().ColorIndex().numberValue() + cell.Interior().ColorIndex().numberValue();
        cell.Font().setColorIndex(3 + i % 2);
        cell.Interior().setColorIndex(6);
    }
    const double formatUs = double(timer.nsecsElapsed()) / 1e3 / accesses / 4;
    std::printf("value_access_%d_cells %.2f us\n", rows * columns, valueUs);
    std::printf("format_access_%d_cells %.2f us\n", rows * columns, formatUs);
    if (sink == 0.123) std::printf("#\n");
    std::fflush(stdout);
    app->Quit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2) { // read a given file only (for profiling): bench_read <file.xlsx>
        QElapsedTimer timer;
        timer.start();
        excel::WorkbookData data;
        QString error;
        if (!excel::XlsxReader::read(QString::fromLocal8Bit(argv[1]), &data, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::int64_t cells = 0;
        for (const auto &sheet : data.sheets)
            for (const auto &row : sheet->rows)
                cells += std::int64_t(row.size());
        std::printf("xlsx_read %.3g cells/s\n",
                    double(cells) / (double(timer.nsecsElapsed()) / 1e9));
        return 0;
    }
    if (argc == 3) { // one size only: bench_read <rows> <columns>
        run(std::atoi(argv[1]), std::atoi(argv[2]), true);
        return 0;
    }
    run(65536, 20, true);
    runCellAccess();
    runXls(65536, 20);
    run(65536, 256, false);
    run(1000000, 10, false);
    return 0;
}
