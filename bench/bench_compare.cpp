// Whole comparisons of two 65,536-row sheets through ClsCompareCore (keyed with one- and
// two-part keys, row by row, and 256 columns with "all columns"), each beside the time merely
// to open both workbooks (inflate and scan their sheets). Every case runs in its own process so
// that its peak memory is its own. Prints "<figure> <value> <unit>" lines.
//
// The workbooks are written by the program's own writer into a temporary folder: about 1% of
// the rows differ in one cell, some rows exist on one side only.
#include "core/ClsMap.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsSessionOption.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Cell.h"
#include "platform/excel/SheetData.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/shell/ShellExecute.h"
#include "platform/win/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Rows = 65536;

// Message boxes go to stderr (a bench must never wait for a click); documents are not opened.
class QuietBoxes : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int, const QString &title) override
    {
        std::fprintf(stderr, "message [%s] %s\n", qPrintable(title), qPrintable(prompt));
        return win::vbOK;
    }
};

class QuietShell : public shell::ShellSeam
{
public:
    bool openDocument(const QString &) override { return true; }
    bool startProgram(const QString &, const QStringList &) override { return true; }
};

// The process's peak resident memory (VmHWM): unlike getrusage's maximum, it is not carried
// over from the parent that started this process.
double peakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

void putNumber(std::vector<excel::Cell> &row, int column, double value)
{
    excel::Cell cell;
    cell.column = std::uint16_t(column);
    cell.kind = excel::CellKind::Number;
    cell.value.number = value;
    row.push_back(cell);
}

void putString(excel::WorkbookData &book, std::vector<excel::Cell> &row, int column,
               const QString &text)
{
    excel::Cell cell;
    cell.column = std::uint16_t(column);
    cell.kind = excel::CellKind::String;
    cell.value.string = std::uint32_t(book.strings.size());
    book.strings.push_back(text);
    row.push_back(cell);
}

// One side's sheet "Data": a header row, then keyed rows. Column A holds a unique key, B a
// group (with A a unique two-part key); the other columns alternate numbers and texts, except
// in wide sheets, where every 16th column holds text. The right side misses every thousandth
// row, gains as many new rows at the end, and differs in one cell of every hundredth row.
void fillSheet(excel::WorkbookData &book, excel::SheetData &sheet, int columns, bool right)
{
    sheet.rows.assign(std::size_t(Rows), {});
    int out = 0;
    auto header = [&](std::vector<excel::Cell> &row) {
        for (int c = 1; c <= columns; ++c)
            putString(book, row, c, QStringLiteral("H%1").arg(c));
    };
    header(sheet.rows[std::size_t(out++)]);
    int extra = 0;
    for (int r = 2; r <= Rows; ++r) {
        if (right && r % 1000 == 500) {
            ++extra;
            continue;
        }
        std::vector<excel::Cell> &row = sheet.rows[std::size_t(out++)];
        row.reserve(std::size_t(columns));
        putString(book, row, 1, QStringLiteral("K%1").arg(r, 6, 10, QLatin1Char('0')));
        putString(book, row, 2, QStringLiteral("G%1").arg(r % 500));
        const int changed = (right && r % 100 == 7) ? 3 + r % 18 : 0;
        for (int c = 3; c <= columns; ++c) {
            const bool text = columns > 20 ? c % 16 == 0 : c % 2 == 1;
            const bool differs = c == changed;
            if (text)
                putString(book, row, c,
                          QStringLiteral("s%1_%2").arg(r).arg(c) +
                              (differs ? QStringLiteral("x") : QString()));
            else
                putNumber(row, c, r * double(c) + 0.5 + (differs ? 1 : 0));
        }
    }
    for (int k = 0; k < extra; ++k) {
        std::vector<excel::Cell> &row = sheet.rows[std::size_t(out++)];
        putString(book, row, 1, QStringLiteral("N%1").arg(k, 6, 10, QLatin1Char('0')));
        putString(book, row, 2, QStringLiteral("G0"));
        for (int c = 3; c <= columns; ++c)
            putNumber(row, c, k + c);
    }
    sheet.rows.resize(std::size_t(out));
    sheet.modified = true;
}

bool writeBook(const QString &path, int columns, bool right)
{
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Add();
    auto sheet = book->Worksheets()->Item(1);
    sheet->setName(QStringLiteral("Data"));
    fillSheet(book->data(), sheet->data(), columns, right);
    book->markChanged(&sheet->data());
    try {
        book->SaveAs(path);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), e.what());
        return false;
    }
    app->Quit();
    return true;
}

QString fileOf(const QString &folder, int columns, bool right)
{
    return folder + QStringLiteral("/data%1_%2.xlsx").arg(columns).arg(right ? 'R' : 'L');
}

int runFloor(const QString &folder, int columns, const QString &figure)
{
    QElapsedTimer clock;
    clock.start();
    auto app = excel::Application::create();
    auto left = app->Workbooks()->Open(fileOf(folder, columns, false));
    auto right = app->Workbooks()->Open(fileOf(folder, columns, true));
    const double secs = clock.nsecsElapsed() / 1e9;
    const std::size_t rows = left->Worksheets()->Item(1)->data().rows.size() +
                             right->Worksheets()->Item(1)->data().rows.size();
    std::printf("%s %.3f s\n", qPrintable(figure), secs);
    std::printf("%s_peak_rss %.0f MB\n", qPrintable(figure), peakRssMb());
    app->Quit();
    return rows > 0 ? 0 : 1;
}

int runCompare(const QString &folder, int columns, const QString &figure, int method,
               const QString &keyColumns)
{
    QElapsedTimer clock;
    clock.start();
    auto options = std::make_shared<ClsSessionOption>();
    options->setReportPath(folder + QStringLiteral("/out_") + figure);
    options->setCompareMethod(method);
    options->setCompareAllCol(true);
    options->setTxtReport(true);
    options->setShowXlsReport(true);
    options->setShowDiffInXls(true);
    options->setShowLeftSingleInXls(true);
    options->setShowRightSingleInXls(true);
    options->setColorDiffCell(true);
    options->leftSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    options->rightSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));

    ClsCompareCore core;
    core.SetAppendOpt(options);
    core.m_leftObj->setFileName(fileOf(folder, columns, false));
    core.m_rightObj->setFileName(fileOf(folder, columns, true));
    for (auto side : {core.m_leftObj, core.m_rightObj}) {
        side->setStartRow(1);
        side->setKeyCol(keyColumns);
        side->setDataCol(QString());
    }
    if (!core.CheckOpt(false)) return 1;
    core.CompareSheetEntry(false);
    const double secs = clock.nsecsElapsed() / 1e9;
    std::printf("%s %.3f s\n", qPrintable(figure), secs);
    std::printf("%s_peak_rss %.0f MB\n", qPrintable(figure), peakRssMb());
    return 0;
}

int runCase(const QString &name, const QString &folder)
{
    if (name == QLatin1String("floor_65536x20")) return runFloor(folder, 20, name);
    if (name == QLatin1String("floor_65536x256")) return runFloor(folder, 256, name);
    if (name == QLatin1String("keyed_1key_65536x20"))
        return runCompare(folder, 20, name, ClsSessionOption::CompareByKey, QStringLiteral("A"));
    if (name == QLatin1String("keyed_2key_65536x20"))
        return runCompare(folder, 20, name, ClsSessionOption::CompareByKey, QStringLiteral("A,B"));
    if (name == QLatin1String("rowbyrow_65536x20"))
        return runCompare(folder, 20, name, ClsSessionOption::CompareRowByRow, QStringLiteral("A"));
    if (name == QLatin1String("allcols_65536x256"))
        return runCompare(folder, 256, name, ClsSessionOption::CompareByKey, QStringLiteral("A"));
    std::fprintf(stderr, "unknown case %s\n", qPrintable(name));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QuietBoxes boxes;
    win::MessageBoxSeam::install(&boxes);
    QuietShell shellSeam;
    shell::ShellSeam::install(&shellSeam);

    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("--case"))
        return runCase(args.at(2), args.at(3));

    // The workbooks go to a temporary folder, or to a folder given as the argument (kept, so
    // that the reports can be looked at).
    QTemporaryDir temporary;
    const QString folder = args.size() >= 2 ? args.at(1) : temporary.path();
    if (!temporary.isValid() || !QDir().mkpath(folder)) return 1;
    for (int columns : {20, 256}) {
        for (bool right : {false, true}) {
            if (!writeBook(fileOf(folder, columns, right), columns, right)) return 1;
        }
    }
    int failures = 0;
    for (const char *name : {"floor_65536x20", "keyed_1key_65536x20", "keyed_2key_65536x20",
                             "rowbyrow_65536x20", "floor_65536x256", "allcols_65536x256"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(app.applicationFilePath(),
                    {QStringLiteral("--case"), QLatin1String(name), folder});
        child.waitForFinished(-1);
        std::fputs(child.readAllStandardOutput().constData(), stdout);
        std::fflush(stdout);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
