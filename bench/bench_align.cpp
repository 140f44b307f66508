// Lining up a pair of sheets that become 65,536 rows each (1% of the matched rows differ, 0.5%
// of each sheet's rows are on its side only) and drawing one screen of difference marks on both
// windows. Beside each, in the same run, the floor it is measured against: the spreadsheet's own
// row insertions and hatching for the alignment, and copying both windows' pictures out and back
// for the marks. Prints "<figure> <value> <unit>" lines.
#include "core/ClsMap.h"
#include "diffview/ClsExcelDraw.h"
#include "diffview/ClsResultParser.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ClsTxtCompareResult.h"
#include "platform/com/VariantArray.h"
#include "platform/excel/Application.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int FinalRows = 65536;
constexpr int Columns = 10;
constexpr int SinglesPerSide = FinalRows / 200;         // 0.5%
constexpr int SheetRows = FinalRows - SinglesPerSide;   // rows of each sheet before aligning
constexpr int MatchedRows = SheetRows - SinglesPerSide; // rows matched on both sides
constexpr int DifferingRows = MatchedRows / 100;        // 1%

using SheetRef = std::shared_ptr<excel::Worksheet>;
using AppRef = std::shared_ptr<excel::Application>;

struct Layout
{
    std::vector<int> leftSingles, rightSingles; // ascending
    std::vector<std::pair<int, int>> matches;   // in order on both sides
    std::vector<bool> differs;                  // per match
};

std::vector<int> pick(std::mt19937 &random, int rows, int count)
{
    std::vector<int> all(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i)
        all[std::size_t(i)] = i + 1;
    std::shuffle(all.begin(), all.end(), random);
    all.resize(std::size_t(count));
    std::sort(all.begin(), all.end());
    return all;
}

Layout makeLayout()
{
    std::mt19937 random(65536);
    Layout l;
    l.leftSingles = pick(random, SheetRows, SinglesPerSide);
    l.rightSingles = pick(random, SheetRows, SinglesPerSide);
    std::vector<bool> leftSingle(SheetRows + 1), rightSingle(SheetRows + 1);
    for (int r : l.leftSingles)
        leftSingle[std::size_t(r)] = true;
    for (int r : l.rightSingles)
        rightSingle[std::size_t(r)] = true;
    int right = 1;
    for (int left = 1; left <= SheetRows; ++left) {
        if (leftSingle[std::size_t(left)]) continue;
        while (rightSingle[std::size_t(right)])
            ++right;
        l.matches.emplace_back(left, right++);
    }
    l.differs.assign(l.matches.size(), false);
    for (int i : pick(random, int(l.matches.size()), DifferingRows))
        l.differs[std::size_t(i - 1)] = true;
    return l;
}

void fillSheet(const SheetRef &sheet, int salt)
{
    constexpr int Block = 4096;
    for (int first = 1; first <= SheetRows; first += Block) {
        const int rows = std::min(Block, SheetRows - first + 1);
        auto block = com::VariantArray::grid(rows, Columns);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= Columns; ++c)
                block->at(r, c) = com::Variant(double((first + r - 1) * 10 + c + salt));
        sheet->Range(sheet->Cells(first, 1), sheet->Cells(first + rows - 1, Columns))
            .setValue(com::Variant(block));
    }
}

struct Pair
{
    AppRef leftApp = excel::Application::create(), rightApp = excel::Application::create();
    std::shared_ptr<excel::Workbook> leftBook = leftApp->Workbooks()->Add();
    std::shared_ptr<excel::Workbook> rightBook = rightApp->Workbooks()->Add();
    SheetRef left = leftBook->Worksheets()->Item(1), right = rightBook->Worksheets()->Item(1);
    std::shared_ptr<ClsComparePair> pair = std::make_shared<ClsComparePair>();

    explicit Pair(const Layout &l)
    {
        fillSheet(left, 0);
        fillSheet(right, 1);
        pair->setLeftEndRow(SheetRows);
        pair->setRightEndRow(SheetRows);
        ClsTxtCompareResult &result = *pair->GetTxtRecorder();
        for (std::size_t i = 0; i < l.matches.size(); ++i) {
            const auto [a, b] = l.matches[i];
            const QString key = ClsTxtCompareResult::PairKey(a, b);
            if (l.differs[i])
                result.AddRec(key, a, b, QStringLiteral("C"), QStringLiteral("1<->2"));
            else
                result.AddRec(key, a, b, QString(), QString());
        }
        for (int r : l.leftSingles)
            result.AddLeftSingleRow(r);
        for (int r : l.rightSingles)
            result.AddRightSingleRow(r);
    }
    ~Pair()
    {
        leftApp->Quit();
        rightApp->Quit();
    }
};

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    win::setScreenDpi(96);
    const Layout layout = makeLayout();

    // --- the alignment ---
    double aligned = 0, inserted = 0, listed = 0, cleaned = 0;
    {
        Pair p(layout);
        ClsResultParser parser;
        QElapsedTimer timer;
        timer.start();
        ClsTxtCompareResult &result = *p.pair->GetTxtRecorder();
        parser.SetPair(p.pair);
        parser.InitDiffObj(result.GetResult());
        parser.InitLeft(result.GetLeftSingleRows(), p.left);
        parser.InitRight(result.GetRightSingleRows(), p.right);
        parser.Deal();
        aligned = msSince(timer);
        timer.restart();
        QList<int> rows;
        parser.CreateDiffArray(rows);
        listed = msSince(timer);
        if (p.left->UsedRange().Rows().Count() != FinalRows ||
            p.right->UsedRange().Rows().Count() != FinalRows)
            std::fprintf(stderr, "the aligned sheets do not hold %d rows\n", FinalRows);

        // The floor: the same rows inserted and hatched directly into a fresh pair.
        Pair floor(layout);
        timer.restart();
        for (auto [sheet, at] : {std::pair{floor.right, parser.rowsInsertedIntoRight()},
                                 {floor.left, parser.rowsInsertedIntoLeft()}}) {
            const int lastColumn = excel::CellAddress::GridColumns;
            for (int row : at) {
                sheet->Rows(QStringLiteral("%1:%1").arg(row)).Insert();
                sheet->Range(sheet->Cells(row, 1), sheet->Cells(row, lastColumn))
                    .Interior()
                    .setPattern(ClsResultParser::xlPatternUp);
            }
        }
        inserted = msSince(timer);

        timer.restart();
        parser.DeleteLeftAddedEmptyRows();
        parser.DeleteRightAddedEmptyRows();
        cleaned = msSince(timer);
    }
    std::printf("align_65536 %.1f ms\n", aligned);
    std::printf("align_insert_floor %.1f ms\n", inserted);
    std::printf("diff_list_65536 %.2f ms\n", listed);
    std::printf("delete_inserted_65536 %.1f ms\n", cleaned);

    // --- one screen of marks, both windows, as the view draws them ---
    excel::SheetWindows::install();
    {
        Pair p(layout);
        ClsResultParser parser;
        ClsTxtCompareResult &result = *p.pair->GetTxtRecorder();
        parser.SetPair(p.pair);
        parser.InitDiffObj(result.GetResult());
        parser.InitLeft(result.GetLeftSingleRows(), p.left);
        parser.InitRight(result.GetRightSingleRows(), p.right);
        parser.Deal();
        std::vector<std::shared_ptr<ClsOneRowDiff>> diffs = result.GetResult().GetObject().values();
        for (const AppRef &app : {p.leftApp, p.rightApp}) {
            static_cast<excel::SheetAppView *>(app->windowView())->mainWindow()->resize(1280, 960);
            app->setVisible(true);
        }
        // The screen (about 45 rows) that holds the most rows to visit.
        QList<int> visit;
        parser.CreateDiffArray(visit);
        int row = 1, most = 0;
        for (qsizetype i = 0, j = 0; i < visit.size(); ++i) {
            while (j < visit.size() && visit[j] < visit[i] + 45)
                ++j;
            if (j - i > most) most = int(j - i), row = visit[i];
        }
        p.leftApp->ActiveWindow()->setScrollRow(row);
        p.rightApp->ActiveWindow()->setScrollRow(row);
        QCoreApplication::processEvents();

        int marked = 0;
        auto pass = [&](bool withMarks) {
            ClsExcelDraw left, right;
            left.Initialize(p.leftApp);
            right.Initialize(p.rightApp);
            left.BeginDraw();
            right.BeginDraw();
            if (withMarks) {
                const excel::Range visible = p.leftApp->ActiveWindow()->VisibleRange();
                const int first = visible.Row(), count = visible.Rows().Count();
                marked = 0;
                for (const auto &d : diffs)
                    if (d->NewLeftRow() >= first && d->NewLeftRow() < first + count) {
                        left.DrawDiffCols(d->NewLeftRow(), *d->GetFieldMap());
                        right.DrawDiffCols(d->NewRightRow(), *d->GetFieldMap());
                        marked += d->GetFieldMap()->count();
                    }
            }
            left.EndDraw();
            right.EndDraw();
        };
        std::vector<double> marks, copies;
        for (int round = 0; round < 15; ++round) {
            QElapsedTimer timer;
            timer.start();
            pass(true);
            marks.push_back(msSince(timer));
            timer.restart();
            pass(false);
            copies.push_back(msSince(timer));
        }
        std::printf("marks_one_screen %.2f ms\n", median(marks));
        std::printf("marks_copy_floor %.2f ms\n", median(copies));
        std::printf("marks_cells_per_window %d cells\n", marked);
    }
    excel::SheetWindows::uninstall();
    return 0;
}
