// Reads a 65,536 x 20 sheet through the wrapped sheet's in-memory view, against a plain walk of
// the same cell store (the floor), and writes 1% of its rows as differing pairs into a report
// sheet. Prints "<figure> <value> <unit>" lines.
#include "engine/ClsWrappedSheet.h"
#include "engine/SheetBlock.h"
#include "engine/TXlsCompareResult.h"
#include "platform/excel/Application.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

#include <QElapsedTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void fill(excel::Worksheet &sheet, int rows, int columns, int salt)
{
    excel::WorkbookData &book = sheet.book();
    excel::SheetData &data = sheet.data();
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) {
            excel::Cell &cell = excel::CellStore::obtain(data, r, c);
            if (c % 2) {
                cell.setString(excel::CellStore::addString(
                    book, QStringLiteral("文本%1-%2").arg(r).arg(c + (r % 100 == 0 ? salt : 0))));
            } else {
                cell.setNumber(r * 0.5 + c);
            }
        }
    }
}

} // namespace

int main()
{
    const int rows = 65536, columns = 20;
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Add();
    auto sheet = book->Worksheets()->Item(1);
    fill(*sheet, rows, columns, 0);
    const double rssFilled = peakRssMb();

    // Floor: every stored cell's value as text, straight from the store.
    QElapsedTimer t;
    t.start();
    qint64 chars = 0;
    for (const auto &row : sheet->data().rows)
        for (const excel::Cell &cell : row)
            chars += excel::CellStore::value(sheet->book(), cell).toText().size();
    const double floorSecs = t.nsecsElapsed() / 1e9;

    ClsWrappedSheet wrapped;
    wrapped.setEndCol(columns);
    wrapped.SetUserConfigObj(1, ClsMap());
    t.restart();
    wrapped.Init(sheet, rows);
    qint64 wrappedChars = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= columns; ++c)
            wrappedChars += wrapped.GetCell(r, c).size();
    const double wrappedSecs = t.nsecsElapsed() / 1e9;
    const double cells = double(rows) * columns;
    std::printf("floor_store_scan_65536x20 %.3g cells/s\n", cells / floorSecs);
    std::printf("wrapped_getcell_65536x20 %.3g cells/s\n", cells / wrappedSecs);
    std::printf("wrapped_extra_rss_65536x20 %.1f MB\n", peakRssMb() - rssFilled);
    if (chars != wrappedChars) std::printf("wrapped_mismatch %lld chars\n", chars - wrappedChars);

    // The differences sheet of a run where every hundredth row differs.
    auto report = app->Workbooks()->Add();
    TXlsCompareResult diff;
    diff.Initialize(QStringLiteral("diff"));
    diff.m_OutSheet = report->Worksheets()->Item(1);
    diff.InitInputSheet(sheet, sheet);
    diff.setMaxCol(columns + 2);
    t.restart();
    ClsMap fields;
    fields.Add(QStringLiteral("A"), QString());
    int pairs = 0;
    for (int r = 100; r <= rows; r += 100, ++pairs) {
        diff.CopyRowFrom(true, nullptr, sheet, r, QStringLiteral("C"));
        diff.CopyRowFrom(true, nullptr, sheet, r, QStringLiteral("C"));
        diff.SetForeColor(fields);
    }
    diff.EndWrite(wrapped.memoryCopy(), wrapped.memoryCopy());
    std::printf("report_diff_rows_%dpairsx20 %.3g s\n", pairs, t.nsecsElapsed() / 1e9);
    std::printf("peak_rss %.1f MB\n", peakRssMb());
    app->Quit();
    return 0;
}
