// The session window's share of a comparison: the time from pressing Compare in a session window
// (offscreen, inside the main window) until both reports are written, for a keyed comparison of
// two 65,536-row x 20-column sheets, beside the same comparison run by the engine alone with the
// same options (both with the workbooks already open). Each run is its own process; each figure
// is the better of two runs. Prints "<figure> <value> <unit>" lines.
//
// The workbooks are written by the program's own writer: a header row, a unique key in A, texts
// and numbers in B..T; the right side misses every thousandth row, gains as many at the end and
// differs in one cell of every hundredth row.
#include "app/ModMain.h"
#include "app/ProgramEntry.h"
#include "app/frmMain.h"
#include "app/frmSession.h"
#include "bench/BenchSupport.h"
#include "core/ProcessGlobals.h"
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

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Rows = 65536;
constexpr int Columns = 20;

// Messages go to stderr and questions are answered No: a benchmark never waits for a click.
class QuietBoxes : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int style, const QString &title) override
    {
        std::fprintf(stderr, "message [%s] %s\n", qPrintable(title), qPrintable(prompt));
        const int buttons = style & 7;
        return buttons == win::vbYesNo || buttons == win::vbYesNoCancel ? win::vbNo : win::vbOK;
    }
};

class QuietShell : public shell::ShellSeam
{
public:
    bool openDocument(const QString &) override { return true; }
    bool startProgram(const QString &, const QStringList &) override { return true; }
};

void put(excel::WorkbookData &book, std::vector<excel::Cell> &row, int column, const QString &text)
{
    excel::Cell cell;
    cell.column = std::uint16_t(column);
    cell.setString(std::uint32_t(book.strings.size()));
    book.strings.push_back(text);
    row.push_back(cell);
}

void put(std::vector<excel::Cell> &row, int column, double value)
{
    excel::Cell cell;
    cell.column = std::uint16_t(column);
    cell.setNumber(value);
    row.push_back(cell);
}

bool writeBook(const QString &path, bool right)
{
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Add();
    auto sheet = book->Worksheets()->Item(1);
    sheet->setName(QStringLiteral("Data"));
    excel::WorkbookData &data = book->data();
    excel::SheetData &cells = sheet->data();
    cells.rows.assign(std::size_t(Rows), {});
    std::size_t out = 0;
    for (int c = 1; c <= Columns; ++c)
        put(data, cells.rows[out], c, QStringLiteral("H%1").arg(c));
    ++out;
    int missing = 0;
    for (int r = 2; r <= Rows; ++r) {
        if (right && r % 1000 == 500) {
            ++missing;
            continue;
        }
        std::vector<excel::Cell> &row = cells.rows[out++];
        put(data, row, 1, QStringLiteral("K%1").arg(r, 6, 10, QLatin1Char('0')));
        const int changed = right && r % 100 == 7 ? 2 + r % 19 : 0;
        for (int c = 2; c <= Columns; ++c) {
            const bool differs = c == changed;
            if (c % 2 == 1)
                put(data, row, c,
                    QStringLiteral("s%1_%2").arg(r).arg(c) + (differs ? QStringLiteral("x") : ""));
            else
                put(row, c, r * double(c) + 0.5 + (differs ? 1 : 0));
        }
    }
    for (int k = 0; k < missing; ++k) {
        std::vector<excel::Cell> &row = cells.rows[out++];
        put(data, row, 1, QStringLiteral("N%1").arg(k, 6, 10, QLatin1Char('0')));
        for (int c = 2; c <= Columns; ++c)
            put(row, c, k + c);
    }
    cells.rows.resize(out);
    cells.modified = true;
    book->markChanged(&cells);
    return BenchSupport::saveAndQuit(book, app, path);
}

bool reportsWritten(const QString &reports)
{
    return QFile::exists(reports + QStringLiteral("Data.txt")) &&
           QFile::exists(reports + QStringLiteral("Data.xlsx"));
}

// The engine alone, with the options a new session window gives a keyed comparison. The
// workbooks are open before the clock starts, as the session window's are: reading its sheet
// lists opened them.
int runEngine(const QString &folder)
{
    const QString reports = folder + QStringLiteral("/engine/");
    auto options = BenchSupport::allReportsOptions(reports);
    ClsCompareCore core;
    core.SetAppendOpt(options);
    core.m_leftObj->setFileName(folder + QStringLiteral("/left.xlsx"));
    core.m_rightObj->setFileName(folder + QStringLiteral("/right.xlsx"));
    for (auto side : {core.m_leftObj, core.m_rightObj}) {
        side->setStartRow(1);
        side->setKeyCol(QStringLiteral("A"));
        side->InitDoc();
    }
    QElapsedTimer clock;
    clock.start();
    if (!core.CheckOpt(false)) return 1;
    core.CompareSheetEntry(false);
    const double secs = clock.nsecsElapsed() / 1e9;
    if (!reportsWritten(reports)) return 1;
    std::printf("%.3f\n", secs);
    return 0;
}

// A session window in the main window: the user has chosen both workbooks and their sheets, the
// key column and the report folder; the time runs from pressing Compare.
int runSession(const QString &folder)
{
    const QString reports = folder + QStringLiteral("/session/");
    const QString program = folder + QStringLiteral("/program/");
    QDir().mkpath(program + QStringLiteral("Lang"));
    frmMain *main = ModMain::Main(program, QString());
    main->mnuFileNew->trigger();
    QApplication::processEvents();
    frmSession *frm = main->ActiveSessionWindow();
    if (!frm) return 1;
    frm->TxtLeftFileName->setText(folder + QStringLiteral("/left.xlsx"));
    frm->txtRightFileName->setText(folder + QStringLiteral("/right.xlsx"));
    frm->CmdLeft_Refresh_Sheet->click();
    frm->CmdRight_Refresh_Sheet->click();
    frm->txtLeftKeyCol->setText(QStringLiteral("A"));
    frm->txtReportPath->setText(reports);
    frm->ChkTxtReport->setChecked(true);
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    frm->CmdCompare->click();
    const double secs = clock.nsecsElapsed() / 1e9;
    if (!reportsWritten(reports)) return 1;
    std::printf("%.3f\n", secs);
    main->close();
    QApplication::processEvents();
    return 0;
}

double runChild(const QString &self, const QString &which, const QString &folder)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--case"), which, folder});
    child.waitForFinished(-1);
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) return -1;
    bool ok = false;
    const double secs = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? secs : -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QuietBoxes boxes;
    win::MessageBoxSeam::install(&boxes);
    QuietShell shellSeam;
    shell::ShellSeam::install(&shellSeam);

    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("--case")) {
        if (args.at(2) == QLatin1String("engine")) return runEngine(args.at(3));
        if (args.at(2) == QLatin1String("session")) return runSession(args.at(3));
        return 2;
    }

    QTemporaryDir temporary;
    const QString folder = args.size() >= 2 ? args.at(1) : temporary.path();
    if (!temporary.isValid() || !QDir().mkpath(folder)) return 1;
    if (!writeBook(folder + QStringLiteral("/left.xlsx"), false) ||
        !writeBook(folder + QStringLiteral("/right.xlsx"), true))
        return 1;

    double engine = -1, session = -1;
    for (int round = 0; round < 2; ++round) {
        const double e = runChild(app.applicationFilePath(), QStringLiteral("engine"), folder);
        const double s = runChild(app.applicationFilePath(), QStringLiteral("session"), folder);
        if (e < 0 || s < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
        engine = engine < 0 ? e : std::min(engine, e);
        session = session < 0 ? s : std::min(session, s);
    }
    std::printf("engine_compare_65536x20 %.3f s\n", engine);
    std::printf("session_compare_65536x20 %.3f s\n", session);
    std::printf("session_overhead_65536x20 %.1f %%\n", (session / engine - 1) * 100);
    return 0;
}
