// The difference view on a pair of 65,536-row x 20-column sheets in which 1% of the rows differ
// (offscreen, 1600 x 900): the time from the detail comparison's start to the view's first frame
// with its marks drawn, beside the same comparison without a view (its floor); and the median
// time of one step to the next difference (scroll both windows, draw the marks, repaint), beside
// the same scroll and repaint without marks.
//
// Prints "<figure> <value> <unit>" lines.

#include "bench/BenchSupport.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "diffview/HookManagerSeam.h"
#include "diffview/LeftRightViewSeam.h"
#include "diffview/frmLeftRight.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsSessionOption.h"
#include "engine/TSingleSideConfig.h"
#include "platform/com/VariantArray.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "platform/win/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kRows = 65536;
constexpr int kColumns = 20;
constexpr int kSteps = 60;

// No linkage: the figures are the view's own.
class NoHooks : public HookManagerSeam
{
    class Manager : public HookManager
    {
        void RemoveAllPairs() override {}
        bool AddPair(int, int) override { return true; }
        bool SetSpyHook(bool) override { return true; }
    };

public:
    std::unique_ptr<HookManager> create() override { return std::make_unique<Manager>(); }
};

class Silent : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int style, const QString &) override
    {
        std::fprintf(stderr, "message: %s\n", prompt.toUtf8().constData());
        return win::defaultAnswer(style);
    }
};

// Key in A ("K1".."K65536"), numbers elsewhere; on the right, 1% of the rows differ in one column.
bool makeBook(const QString &path, bool right)
{
    std::mt19937 random(2024);
    std::vector<bool> differs(kRows + 1, false);
    for (int n = 0; n < kRows / 100; ++n)
        differs[std::size_t(1 + random() % kRows)] = true;
    auto app = excel::Application::create();
    auto book = app->Workbooks()->Add();
    auto sheet = book->Worksheets()->Item(1);
    sheet->setName(QStringLiteral("Data"));
    constexpr int block = 4096;
    for (int first = 1; first <= kRows; first += block) {
        const int rows = std::min(block, kRows - first + 1);
        auto values = com::VariantArray::grid(rows, kColumns);
        for (int r = 1; r <= rows; ++r) {
            const int row = first + r - 1;
            values->at(r, 1) = com::Variant(QStringLiteral("K%1").arg(row));
            for (int c = 2; c <= kColumns; ++c)
                values->at(r, c) = com::Variant(double(row * 100 + c));
            if (right && differs[std::size_t(row)])
                values->at(r, 2 + row % (kColumns - 1)) = com::Variant(-1.0);
        }
        sheet->Range(sheet->Cells(first, 1), sheet->Cells(first + rows - 1, kColumns))
            .setValue(com::Variant(values));
    }
    return BenchSupport::saveAndQuit(book, app, path);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void settle()
{
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:size=1600x900");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir().mkpath(dir.filePath(QStringLiteral("prog/Lang")))) return 1;
    g_AppPath = dir.filePath(QStringLiteral("prog/"));
    win::setScreenDpi(96);
    Twips::setDpiOverride(96);
    excel::SheetWindows::install();
    Silent silent;
    win::MessageBoxSeam::Scope boxes(&silent);
    NoHooks noHooks;
    HookManagerSeam::Scope hooks(&noHooks);

    const QString left = dir.filePath(QStringLiteral("L.xlsx"));
    const QString right = dir.filePath(QStringLiteral("R.xlsx"));
    if (!makeBook(left, false) || !makeBook(right, true)) return 1;

    auto options = std::make_shared<ClsSessionOption>();
    options->setReportPath(dir.filePath(QStringLiteral("report/")));
    options->setCompareItem(1);
    options->setCompareAllCol(true);
    options->setCompareInDetail(true);
    options->setShowDiffMethod(ClsSessionOption::ShowEllipses);
    options->leftSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    options->rightSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    auto newCore = [&] {
        auto core = std::make_unique<ClsCompareCore>();
        core->SetAppendOpt(options);
        core->m_leftObj->setFileName(left);
        core->m_rightObj->setFileName(right);
        core->m_leftObj->setKeyCol(QStringLiteral("A"));
        core->m_rightObj->setKeyCol(QStringLiteral("A"));
        return core;
    };

    // The floor: the same detail comparison, with a view that shows nothing.
    class NoView : public CompareViewSeam
    {
    public:
        void ShowPairDetail(ClsCompareCore &, std::shared_ptr<ClsComparePair>) override {}
    } noView;
    double compareMs = 0;
    {
        auto core = newCore();
        if (!core->CheckOpt(true)) return 1;
        CompareViewSeam::Scope installed(&noView);
        QElapsedTimer t;
        t.start();
        core->CompareSheetEntry(true);
        compareMs = double(t.nsecsElapsed()) / 1e6;
    }

    LeftRightViewSeam viewSeam;
    QElapsedTimer clock;
    double openMs = 0;
    int marks = 0, rowsToVisit = 0;
    std::vector<double> steps, floor;
    double builtMs = 0;
    viewSeam.setRunner([&](frmLeftRight &view) {
        builtMs = double(clock.nsecsElapsed()) / 1e6;
        // The first frame: the view and both hosted windows painted, the marks over them.
        view.repaint();
        settle();
        win::setEllipseLogging(true);
        view.NeedReDraw();
        view.Timer1_Timer();
        marks = int(win::takeEllipseLog().size());
        openMs = double(clock.nsecsElapsed()) / 1e6;
        rowsToVisit = view.diffUBound() + 1;

        QToolButton *next = view.ToolbarButtons.at(0);
        for (int i = 0; i < kSteps && i < rowsToVisit - 1; ++i) {
            QElapsedTimer t;
            t.start();
            next->click();
            settle();
            steps.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        // The same scrolls and repaints without marks.
        auto leftWindow = view.pair()->GetLeftSheet()->Parent()->application()->ActiveWindow();
        auto rightWindow = view.pair()->GetRightSheet()->Parent()->application()->ActiveWindow();
        for (int i = 0; i < kSteps && i < rowsToVisit; ++i) {
            const int row = view.diffRows().at(i);
            QElapsedTimer t;
            t.start();
            leftWindow->setScrollRow(row);
            rightWindow->setScrollRow(row);
            settle();
            floor.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        win::setEllipseLogging(false);
        view.close();
    });
    {
        auto core = newCore();
        if (!core->CheckOpt(true)) return 1;
        CompareViewSeam::Scope installed(&viewSeam);
        clock.start();
        core->CompareSheetEntry(true);
    }

    std::printf("detail_compare_65536x20 %.1f ms\n", compareMs);
    // Where the open's time goes: the comparison with the view's row lists, the view's windows
    // built and laid out, then the first frame painted with its marks.
    std::printf("view_built_65536x20 %.1f ms\n", builtMs);
    std::printf("view_first_frame_65536x20 %.1f ms\n", openMs - builtMs);
    std::printf("view_open_65536x20 %.1f ms (goal 500 ms)\n", openMs);
    std::printf("view_rows_to_visit %d rows\n", rowsToVisit);
    std::printf("view_marks_first_frame %d ellipses\n", marks);
    std::printf("view_next_diff_median %.2f ms\n", median(steps));
    std::printf("view_scroll_repaint_floor_median %.2f ms\n", median(floor));
    excel::SheetWindows::uninstall();
    return 0;
}
