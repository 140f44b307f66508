// Whole comparisons of two 65,536-row sheets through ClsCompareCore (keyed with one- and
// two-part keys, row by row, and 256 columns with "all columns"): open both workbooks, compare,
// write the text report and the report workbook. Beside them, in the same run:
// - the floor: merely inflating each workbook's sheet part and shared-strings part with zlib and
//   scanning them for cells and strings, building nothing (floor_sst_*), and the same with each
//   workbook on its own thread (floor_sst_par_*);
// - the component's own open of both workbooks, the second on a thread of its own as the
//   comparison opens them (open_*), which the comparison includes.
// Every case runs in its own process so that its peak memory is its own. Prints
// "<figure> <value> <unit>" lines; "<figure>_x_floor" is the comparison's time over the floor.
//
// The workbooks are written by the program's own writer into a temporary folder: about 1% of
// the rows differ in one cell, some rows exist on one side only.
#include "bench/BenchSupport.h"
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
#include "platform/excel/WorkbookPrefetch.h"
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
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>
#include <zip.h>
#include <zlib.h>

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
    cell.setNumber(value);
    row.push_back(cell);
}

void putString(excel::WorkbookData &book, std::vector<excel::Cell> &row, int column,
               const QString &text)
{
    excel::Cell cell;
    cell.column = std::uint16_t(column);
    cell.setString(std::uint32_t(book.strings.size()));
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
    return BenchSupport::saveAndQuit(book, app, path);
}

QString fileOf(const QString &folder, int columns, bool right)
{
    return folder + QStringLiteral("/data%1_%2.xlsx").arg(columns).arg(right ? 'R' : 'L');
}

int runOpen(const QString &folder, int columns, const QString &figure)
{
    QElapsedTimer clock;
    clock.start();
    // As the comparison opens them: the right workbook is read on a thread of its own.
    auto app = excel::Application::create();
    excel::WorkbookPrefetch rightRead;
    rightRead.start(fileOf(folder, columns, true));
    auto left = app->Workbooks()->Open(fileOf(folder, columns, false));
    auto right = app->Workbooks()->Open(fileOf(folder, columns, true), false, &rightRead);
    const double secs = clock.nsecsElapsed() / 1e9;
    const std::size_t rows = left->Worksheets()->Item(1)->data().rows.size() +
                             right->Worksheets()->Item(1)->data().rows.size();
    std::printf("%s %.3f s\n", qPrintable(figure), secs);
    std::printf("%s_peak_rss %.0f MB\n", qPrintable(figure), peakRssMb());
    app->Quit();
    return rows > 0 ? 0 : 1;
}

// Inflates one part's stored deflate stream with zlib and counts the start tags `tag` (with
// `tagLength` bytes) in it; a tag split between two chunks is still seen, since the last bytes
// of a chunk are carried over. Returns -1 when the part cannot be read.
std::int64_t inflateAndCount(zip_t *archive, const char *part, const char *tag,
                             std::size_t tagLength)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(archive, part, 0, &st) != 0) return -1;
    zip_file_t *file = zip_fopen(archive, part, ZIP_FL_COMPRESSED);
    if (!file) return -1;
    std::vector<unsigned char> in(std::size_t(1) << 16);
    const std::size_t carry = tagLength - 1;
    std::vector<char> out((std::size_t(1) << 18) + carry, ' ');
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    std::int64_t count = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0) {
            const zip_int64_t n = zip_fread(file, in.data(), in.size());
            if (n <= 0) break;
            z.next_in = in.data();
            z.avail_in = uInt(n);
        }
        z.next_out = reinterpret_cast<Bytef *>(out.data() + carry);
        z.avail_out = uInt(out.size() - carry);
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) break;
        const char *p = out.data();
        const char *end = out.data() + out.size() - z.avail_out;
        while ((p = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p))))) {
            if (std::size_t(end - p) < tagLength) break;
            if (std::memcmp(p, tag, tagLength) == 0) ++count;
            ++p;
        }
        std::memmove(out.data(), end - carry, carry);
    }
    inflateEnd(&z);
    zip_fclose(file);
    return status == Z_STREAM_END ? count : -1;
}

// What any reader of one workbook must at least do: inflate the sheet and the shared strings
// and find the cells and the strings in them. Returns cells + strings, -1 on failure.
std::int64_t scanWorkbook(const QString &path)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive) return -1;
    const std::int64_t cells = inflateAndCount(archive, "xl/worksheets/sheet1.xml", "<c ", 3);
    const std::int64_t strings = inflateAndCount(archive, "xl/sharedStrings.xml", "<si>", 4);
    zip_close(archive);
    return cells < 0 || strings < 0 ? -1 : cells + strings;
}

int runTrueFloor(const QString &folder, int columns, const QString &figure, bool parallel)
{
    const QString left = fileOf(folder, columns, false), right = fileOf(folder, columns, true);
    QElapsedTimer clock;
    clock.start();
    std::int64_t leftCount = 0, rightCount = 0;
    if (parallel) {
        std::thread other([&] { rightCount = scanWorkbook(right); });
        leftCount = scanWorkbook(left);
        other.join();
    } else {
        leftCount = scanWorkbook(left);
        rightCount = scanWorkbook(right);
    }
    const double secs = clock.nsecsElapsed() / 1e9;
    if (leftCount <= 0 || rightCount <= 0) return 1;
    std::printf("%s %.3f s\n", qPrintable(figure), secs);
    std::printf("%s_peak_rss %.0f MB\n", qPrintable(figure), peakRssMb());
    return 0;
}

int runCompare(const QString &folder, int columns, const QString &figure, int method,
               const QString &keyColumns)
{
    QElapsedTimer clock;
    clock.start();
    auto options = BenchSupport::allReportsOptions(folder + QStringLiteral("/out_") + figure);
    options->setCompareMethod(method);
    options->setColorDiffCell(true);

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
    const int columns = name.endsWith(QLatin1String("x256")) ? 256 : 20;
    if (name.startsWith(QLatin1String("floor_sst_par_")))
        return runTrueFloor(folder, columns, name, true);
    if (name.startsWith(QLatin1String("floor_sst_")))
        return runTrueFloor(folder, columns, name, false);
    if (name.startsWith(QLatin1String("open_"))) return runOpen(folder, columns, name);
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

// Runs one case in a child process; its figures are merged into `best` (the smallest time, the
// largest peak memory over the rounds).
bool runChild(const QString &program, const QString &name, const QString &folder,
              QList<QPair<QString, QPair<double, QString>>> &best)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QStringLiteral("--case"), name, folder});
    child.waitForFinished(-1);
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 3) continue;
        const QString figure = QString::fromUtf8(parts.at(0));
        const double value = parts.at(1).toDouble();
        const bool peak = figure.endsWith(QLatin1String("_peak_rss"));
        auto it = std::find_if(best.begin(), best.end(),
                               [&](const auto &entry) { return entry.first == figure; });
        if (it == best.end())
            best.append({figure, {value, QString::fromUtf8(parts.at(2))}});
        else if (peak ? value > it->second.first : value < it->second.first)
            it->second.first = value;
    }
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QuietBoxes boxes;
    win::MessageBoxSeam::install(&boxes);
    QuietShell shellSeam;
    shell::ShellSeam::install(&shellSeam);

    QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("--case"))
        return runCase(args.at(2), args.at(3));

    // bench_compare [--rounds N] [folder]: every case runs N times (3 unless said), in turns,
    // so that floor and comparison meet the same load; the best time of each is printed. The
    // workbooks go to a temporary folder, or to the folder given (kept, so that the reports
    // can be looked at).
    int rounds = 3;
    if (args.size() >= 3 && args.at(1) == QLatin1String("--rounds")) {
        rounds = std::max(1, args.at(2).toInt());
        args.remove(1, 2);
    }
    QTemporaryDir temporary;
    const QString folder = args.size() >= 2 ? args.at(1) : temporary.path();
    if (!temporary.isValid() || !QDir().mkpath(folder)) return 1;
    for (int columns : {20, 256}) {
        for (bool right : {false, true}) {
            if (!writeBook(fileOf(folder, columns, right), columns, right)) return 1;
        }
    }
    const char *const names[] = {"floor_sst_65536x20",  "floor_sst_par_65536x20",
                                 "open_65536x20",       "keyed_1key_65536x20",
                                 "keyed_2key_65536x20", "rowbyrow_65536x20",
                                 "floor_sst_65536x256", "floor_sst_par_65536x256",
                                 "open_65536x256",      "allcols_65536x256"};
    // Figures taken on a busy machine mean little: the load goes with them.
    auto printLoad = [](const char *when) {
        QFile load(QStringLiteral("/proc/loadavg"));
        if (load.open(QIODevice::ReadOnly))
            std::printf("# load average %s: %s\n", when, load.readAll().trimmed().constData());
    };
    printLoad("before");
    QList<QPair<QString, QPair<double, QString>>> best;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        for (const char *name : names) {
            if (!runChild(app.applicationFilePath(), QLatin1String(name), folder, best)) ++failures;
        }
    }
    printLoad("after");
    auto valueOf = [&](const QString &figure) {
        for (const auto &entry : best)
            if (entry.first == figure) return entry.second.first;
        return 0.0;
    };
    for (const auto &entry : best)
        std::printf(entry.second.second == QLatin1String("s") ? "%s %.3f %s\n" : "%s %.0f %s\n",
                    qPrintable(entry.first), entry.second.first, qPrintable(entry.second.second));
    // The goals: each whole comparison against the floor of its size, measured in this run.
    for (const char *name :
         {"keyed_1key_65536x20", "keyed_2key_65536x20", "rowbyrow_65536x20", "allcols_65536x256"}) {
        const QString figure = QLatin1String(name);
        const QString size = figure.mid(figure.lastIndexOf(QLatin1Char('_')) + 1);
        const double floor = valueOf(QStringLiteral("floor_sst_") + size);
        const double floorPar = valueOf(QStringLiteral("floor_sst_par_") + size);
        if (floor > 0) std::printf("%s_x_floor_sst %.2f x\n", name, valueOf(figure) / floor);
        if (floorPar > 0)
            std::printf("%s_x_floor_sst_par %.2f x\n", name, valueOf(figure) / floorPar);
    }
    return failures == 0 ? 0 : 1;
}
