// Saves sheets of 65,536 rows x 20 and x 256 columns (numbers with one shared-string column in
// four) with the .xlsx writer, new and then as an edit of the saved file, against the floor of
// merely generating the same sheet XML and deflating it at the same level, without the package
// around it. Prints "<figure> <value> <unit>" lines.
#include "platform/excel/XlsxSheetWriter.h"
#include "platform/excel/XlsxWriter.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <zlib.h>

using namespace excel;

namespace {

std::unique_ptr<WorkbookData> makeWorkbook(int rows, int columns)
{
    auto wb = std::make_unique<WorkbookData>();
    for (int i = 0; i < 1000; ++i)
        wb->strings.push_back(QStringLiteral("部门 %1").arg(i));
    wb->sheets.push_back(std::make_unique<SheetData>());
    SheetData &s = *wb->sheets.back();
    s.name = QStringLiteral("Big");
    s.rows.resize(std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        auto &cells = s.rows[std::size_t(r)];
        cells.reserve(std::size_t(columns));
        for (int c = 1; c <= columns; ++c) {
            Cell cell;
            cell.column = std::uint16_t(c);
            if (c % 4 == 1) {
                cell.setString(std::uint32_t((r * 31 + c) % 1000));
            } else {
                cell.setNumber(r * 0.25 + c * 1000.0 + (r % 7) / 3.0);
            }
            cells.push_back(cell);
        }
    }
    return wb;
}

// Generates the sheet XML and deflates it at level 1, as the writer does.
double floorSeconds(const WorkbookData &wb)
{
    QElapsedTimer t;
    t.start();
    std::vector<std::int32_t> stringMap(wb.strings.size());
    for (std::size_t i = 0; i < stringMap.size(); ++i)
        stringMap[i] = std::int32_t(i);
    std::vector<int> styleMap(wb.styles.size(), 0);
    XlsxSheetWriter writer(*wb.sheets[0], wb.strings, stringMap, styleMap,
                           XlsxSheetWriter::newSheetHead(*wb.sheets[0], true),
                           XlsxSheetWriter::newSheetTail(*wb.sheets[0], QByteArray()));
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(1 << 20);
    QByteArray piece;
    bool more = true;
    std::size_t compressed = 0;
    while (more) {
        piece.clear();
        more = writer.produce(piece);
        z.next_in = reinterpret_cast<Bytef *>(piece.data());
        z.avail_in = uInt(piece.size());
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            deflate(&z, more ? Z_NO_FLUSH : Z_FINISH);
            compressed += out.size() - z.avail_out;
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    std::fprintf(stderr, "(sheet XML deflated to %zu bytes)\n", compressed);
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    for (int columns : {20, 256}) {
        const int rows = 65536;
        auto wb = makeWorkbook(rows, columns);
        const double cells = double(rows) * columns;
        const QString path = dir.filePath(QStringLiteral("bench.xlsx"));
        QElapsedTimer t;
        t.start();
        QString error;
        if (!XlsxWriter::save(*wb, path, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double secs = t.nsecsElapsed() / 1e9;
        // The same sheet edited in the saved file: its cell data is spliced into the part.
        wb->path = path;
        wb->format = WorkbookData::Format::Xlsx;
        wb->sheets[0]->partName = QStringLiteral("xl/worksheets/sheet1.xml");
        wb->sheets[0]->modified = true;
        t.restart();
        if (!XlsxWriter::save(*wb, dir.filePath(QStringLiteral("edited.xlsx")), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const double spliceSecs = t.nsecsElapsed() / 1e9;
        const double floor = floorSeconds(*wb);
        std::printf("xlsx_write_%dx%d %.3g cells/s\n", rows, columns, cells / secs);
        std::printf("xlsx_write_time_%dx%d %.3g s\n", rows, columns, secs);
        std::printf("xlsx_splice_%dx%d %.3g cells/s\n", rows, columns, cells / spliceSecs);
        std::printf("floor_write_%dx%d %.3g cells/s\n", rows, columns, cells / floor);
        std::fflush(stdout);
    }
    return 0;
}
