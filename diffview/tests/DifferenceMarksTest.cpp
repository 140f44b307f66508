// Difference marks on the spreadsheet's own windows, offscreen: where a cell's mark goes, which
// window it is drawn on, and that the window's next repaint wipes it.
#include "core/ClsMap.h"
#include "diffview/ClsExcelDraw.h"
#include "diffview/ClsResultParser.h"
#include "diffview/ModDrawInExcel.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ClsTxtCompareResult.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/windows/tests/SheetWindowSupport.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace win {

// found by argument lookup, for the checks below
bool operator==(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::ostream &operator<<(std::ostream &out, const RECT &r)
{
    return out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}

} // namespace win

namespace {

// Where the sheet window draws the cell, one pixel in on every side, in the main window's
// client coordinates.
win::RECT drawnCell(const ShownWorkbook &w, int row, int column)
{
    const QRect r = w.grid()->cellRect(row, column);
    const QPoint at = w.grid()->mapTo(w.mainWindow(), r.topLeft());
    return win::RECT{at.x() + 1, at.y() + 1, at.x() + r.width() - 1, at.y() + r.height() - 1};
}

win::RECT markOf(const ShownWorkbook &w, int row, int column)
{
    win::RECT rect{-7, -7, -7, -7};
    ModDrawInExcel::GetCellClientRect(w.app, row, column, rect);
    return rect;
}

const win::RECT untouched{-7, -7, -7, -7};

int redPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += image.pixel(x, y) == qRgb(255, 0, 0);
    return n;
}

// The sheet window's area in the main window (the command bars hold a red button of their own).
QRect sheetArea(const ShownWorkbook &w)
{
    return QRect(w.grid()->mapTo(w.mainWindow(), QPoint(0, 0)), w.grid()->size());
}

QRect toQRect(const win::RECT &r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

ClsMap fieldMap(const QStringList &columns)
{
    ClsMap map;
    for (const QString &c : columns)
        map.Add(c, QStringLiteral("x<->y"));
    return map;
}

} // namespace

TEST(DifferenceMarks, RectanglesFollowZoomAndScrolling)
{
    ShownWorkbook w;
    for (int zoom : {100, 50}) {
        w.window()->setZoom(zoom);
        QCoreApplication::processEvents();
        for (auto [row, column] : {std::pair{1, 1}, {3, 2}, {12, 5}})
            EXPECT_EQ(markOf(w, row, column), drawnCell(w, row, column))
                << "zoom " << zoom << " cell " << row << "," << column;
    }
    // 48 points at 96 pixels per inch is 64 pixels, 32 at half size, 30 inside the grid lines.
    const win::RECT half = markOf(w, 3, 2);
    EXPECT_EQ(half.right - half.left, 30);
    EXPECT_EQ(half.bottom - half.top, 8);

    w.window()->setZoom(100);
    w.window()->setScrollRow(200);
    w.window()->setScrollColumn(5);
    QCoreApplication::processEvents();
    const excel::Range visible = w.window()->VisibleRange();
    const int firstRow = visible.Row(), lastRow = firstRow + visible.Rows().Count() - 1;
    const int firstColumn = visible.Column();
    const int lastColumn = firstColumn + visible.Columns().Count() - 1;
    ASSERT_EQ(firstRow, 200);
    ASSERT_EQ(firstColumn, 5);
    for (auto [row, column] : {std::pair{firstRow, firstColumn},
                               {lastRow, lastColumn},
                               {firstRow, lastColumn},
                               {lastRow, firstColumn}})
        EXPECT_EQ(markOf(w, row, column), drawnCell(w, row, column)) << row << "," << column;
    for (auto [row, column] : {std::pair{firstRow - 1, firstColumn},
                               {lastRow + 1, firstColumn},
                               {firstRow, firstColumn - 1},
                               {firstRow, lastColumn + 1},
                               {1, 1}})
        EXPECT_EQ(markOf(w, row, column), untouched) << row << "," << column;
}

TEST(DifferenceMarks, TallRowsAndWideColumnsAndAnAnswerlessApplication)
{
    ShownWorkbook w;
    w.sheet()->Rows(4).setRowHeight(33.75);
    w.sheet()->Range(QStringLiteral("C1")).setValue(com::Variant(1));
    w.window()->setZoom(75);
    QCoreApplication::processEvents();
    for (auto [row, column] : {std::pair{4, 3}, {5, 3}, {4, 1}}) {
        const win::RECT mark = markOf(w, row, column), drawn = drawnCell(w, row, column);
        // rounding the points first may move an edge by a pixel; never more
        EXPECT_LE(std::abs(mark.left - drawn.left), 1) << row << "," << column;
        EXPECT_LE(std::abs(mark.top - drawn.top), 1) << row << "," << column;
        EXPECT_LE(std::abs(mark.right - drawn.right), 1) << row << "," << column;
        EXPECT_LE(std::abs(mark.bottom - drawn.bottom), 1) << row << "," << column;
    }
    // An application without a workbook leaves the rectangle as it was.
    auto bare = excel::Application::create();
    win::RECT rect{-7, -7, -7, -7};
    ModDrawInExcel::GetCellClientRect(bare, 1, 1, rect);
    EXPECT_EQ(rect, untouched);
    ModDrawInExcel::GetCellClientRect(nullptr, 1, 1, rect);
    EXPECT_EQ(rect, untouched);
    bare->Quit();
}

TEST(DifferenceMarks, OnePassDrawsOnlyOnItsOwnWindowUntilTheNextRepaint)
{
    ShownWorkbook left, right;
    const win::HWND leftWindow = left.app->Hwnd(), rightWindow = right.app->Hwnd();
    ASSERT_NE(leftWindow, rightWindow);

    win::setEllipseLogging(true);
    {
        ClsExcelDraw draw;
        draw.Initialize(left.app);
        draw.BeginDraw();
        // An empty key is skipped; "3" is column C; Z is off screen.
        draw.DrawDiffCols(5, fieldMap({QStringLiteral("B"), QString(), QStringLiteral("3"),
                                       QStringLiteral("Z")}));
        draw.EndDraw();
    }
    const std::vector<win::EllipseCall> log = win::takeEllipseLog();
    win::setEllipseLogging(false);
    ASSERT_EQ(log.size(), 3u);
    for (const win::EllipseCall &call : log) {
        EXPECT_EQ(call.window, leftWindow);
        EXPECT_TRUE(call.memory);
        EXPECT_EQ(call.color, 255u);
    }
    EXPECT_EQ(log[0].rect, drawnCell(left, 5, 2));
    EXPECT_EQ(log[1].rect, drawnCell(left, 5, 3));
    EXPECT_EQ(log[2].rect, win::RECT{}); // nothing drawn

    const QImage shown = left.shot(QStringLiteral("marks"));
    EXPECT_GT(redPixels(shown, toQRect(drawnCell(left, 5, 2))), 40);
    EXPECT_GT(redPixels(shown, toQRect(drawnCell(left, 5, 3))), 40);
    // (the drawing layer's outline may lean a pixel out at the sides of a flat ellipse)
    const QRect around = toQRect(drawnCell(left, 5, 2)).united(toQRect(drawnCell(left, 5, 3)));
    EXPECT_EQ(redPixels(shown, sheetArea(left)), redPixels(shown, around.adjusted(-1, 0, 1, 0)));
    EXPECT_TRUE(win::overlayImage(rightWindow).isNull());
    EXPECT_EQ(redPixels(right.shot(QStringLiteral("unmarked")), sheetArea(right)), 0);

    // A scroll repaints the sheet window: the marks are gone.
    win::SendMessage(win::hwndOf(left.grid()), win::WM_VSCROLL,
                     win::MAKEWPARAM(unsigned(win::SB_LINEDOWN), 0), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(redPixels(left.shot(QStringLiteral("scrolled")), sheetArea(left)), 0);
    EXPECT_TRUE(win::overlayImage(leftWindow).isNull());
}

TEST(DifferenceMarks, APassWithoutItsEndFreesItsDrawingObjects)
{
    ShownWorkbook w;
    {
        ClsExcelDraw draw;
        draw.Initialize(w.app);
        draw.BeginDraw();
        draw.BeginDraw(); // a second begin starts over
        draw.DrawCellInMemDc(2, 2);
    } // no EndDraw: nothing reaches the window
    EXPECT_TRUE(win::overlayImage(w.app->Hwnd()).isNull());
    // Without a window there is nothing to draw on.
    auto bare = excel::Application::create();
    ClsExcelDraw none;
    none.Initialize(bare);
    none.BeginDraw();
    none.DrawCellInMemDc(1, 1);
    none.EndDraw();
    bare->Quit();
}

// Two workbooks aligned and marked as the difference view shows them: matched rows face each
// other, the inserted rows are hatched, one-side rows are red and each differing cell has its
// ellipse. With QUORVA_SHOT_DIR set, the pair is saved as pair.png.
TEST(DifferenceMarks, AlignedPairWithMarks)
{
    ShownWorkbook left(QString(), QSize(520, 420)), right(QString(), QSize(520, 420));
    auto fill = [](const std::shared_ptr<excel::Worksheet> &sheet, const QStringList &rows) {
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const QStringList cells = rows[r].split(QLatin1Char(','));
            for (qsizetype c = 0; c < cells.size(); ++c)
                sheet->Cells(int(r) + 1, int(c) + 1).setValue(com::Variant(cells[c]));
        }
    };
    fill(left.sheet(),
         {QStringLiteral("编号,名称,数量"), QStringLiteral("1,苹果,10"),
          QStringLiteral("2,香蕉,20"), QStringLiteral("3,樱桃,30"), QStringLiteral("5,葡萄,50")});
    fill(right.sheet(),
         {QStringLiteral("编号,名称,数量"), QStringLiteral("1,苹果,10"),
          QStringLiteral("2,香蕉,25"), QStringLiteral("4,橙子,40"), QStringLiteral("5,葡萄,55")});
    auto pair = std::make_shared<ClsComparePair>();
    ClsTxtCompareResult &result = *pair->GetTxtRecorder();
    result.AddRec(ClsTxtCompareResult::PairKey(2, 2), 2, 2, QString(), QString());
    result.AddRec(ClsTxtCompareResult::PairKey(3, 3), 3, 3, QStringLiteral("C"),
                  QStringLiteral("20<->25"));
    result.AddRec(ClsTxtCompareResult::PairKey(5, 5), 5, 5, QStringLiteral("C"),
                  QStringLiteral("50<->55"));
    result.AddLeftSingleRow(4);
    result.AddRightSingleRow(4);

    ClsResultParser parser;
    parser.SetPair(pair);
    parser.InitDiffObj(result.GetResult());
    parser.InitLeft(result.GetLeftSingleRows(), left.sheet());
    parser.InitRight(result.GetRightSingleRows(), right.sheet());
    parser.Deal();
    QCoreApplication::processEvents();

    // The view's overlay pass: the pairs on the left window's visible rows, both windows.
    ClsExcelDraw leftDraw, rightDraw;
    leftDraw.Initialize(left.app);
    rightDraw.Initialize(right.app);
    leftDraw.BeginDraw();
    rightDraw.BeginDraw();
    const excel::Range visible = left.window()->VisibleRange();
    result.GetResult().GetObject().forEach(
        [&](const QString &, const std::shared_ptr<ClsOneRowDiff> &d) {
            if (d->NewLeftRow() < visible.Row() ||
                d->NewLeftRow() >= visible.Row() + visible.Rows().Count())
                return;
            leftDraw.DrawDiffCols(d->NewLeftRow(), *d->GetFieldMap());
            rightDraw.DrawDiffCols(d->NewRightRow(), *d->GetFieldMap());
        });
    leftDraw.EndDraw();
    rightDraw.EndDraw();

    const QImage a = left.shot(QStringLiteral("pair-left"));
    const QImage b = right.shot(QStringLiteral("pair-right"));
    const QString dir = qEnvironmentVariable("QUORVA_SHOT_DIR");
    if (!dir.isEmpty()) {
        QImage both(a.width() + b.width() + 8, std::max(a.height(), b.height()),
                    QImage::Format_RGB32);
        both.fill(Qt::darkGray);
        QPainter painter(&both);
        painter.drawImage(0, 0, a);
        painter.drawImage(a.width() + 8, 0, b);
        painter.end();
        both.save(QDir(dir).filePath(QStringLiteral("pair.png")));
    }
    // Pair 5/5 now sits on row 6 of both sheets, its C cell circled on each side.
    EXPECT_EQ(result.GetResult().GetValue(ClsTxtCompareResult::PairKey(5, 5))->NewLeftRow(), 6);
    EXPECT_GT(redPixels(a, toQRect(drawnCell(left, 6, 3))), 30);
    EXPECT_GT(redPixels(b, toQRect(drawnCell(right, 6, 3))), 30);
    EXPECT_GT(redPixels(a, toQRect(drawnCell(left, 3, 3))), 30);
    // The equal pair has no mark.
    EXPECT_EQ(redPixels(a, toQRect(drawnCell(left, 2, 3))), 0);
    EXPECT_EQ(right.sheet()->Rows(QStringLiteral("4")).Interior().Pattern().toLong(),
              ClsResultParser::xlPatternUp);
    EXPECT_EQ(left.sheet()->Rows(QStringLiteral("5")).Interior().Pattern().toLong(),
              ClsResultParser::xlPatternUp);
}
