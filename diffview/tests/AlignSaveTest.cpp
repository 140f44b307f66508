// Before a side is saved its inserted rows go and its font colours come back: what is saved is
// the user's data and formatting, with the user's edits.
#include "diffview/tests/AlignSupport.h"
#include "engine/ClsOneRowDiff.h"
#include "platform/excel/Font.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using com::Variant;

namespace {

// Left: heading, K1, K2, one left-only row, K3. Right: heading, K1, four right-only rows, K2,
// K3. Aligned, the left sheet holds hatched rows 3 to 6 and the right sheet one at row 8:
//   1 H | H   2 K1 | K1   3-6 (hatched) | R3..R6   7 K2 | K2   8 L4 | (hatched)   9 K3 | K3
struct SavePair : AlignedPair
{
    QStringList leftBefore, rightBefore;

    // `before` runs on the built sheets before they are aligned.
    explicit SavePair(const std::function<void(AlignedPair &)> &before = {})
    {
        build(5, 8, {{2, 2, true}, {3, 7, true}, {5, 8}}, {4}, {3, 4, 5, 6});
        if (before) before(*this);
        leftBefore = rows(left);
        rightBefore = rows(right);
        align();
    }
};

QStringList withRows(QStringList rows, int at, const QStringList &added)
{
    for (qsizetype i = 0; i < added.size(); ++i)
        rows.insert(at + i, added[i]);
    return rows;
}

} // namespace

TEST(AlignSave, AlignedAsDrawn)
{
    SavePair p;
    for (int row = 3; row <= 6; ++row)
        EXPECT_TRUE(AlignedPair::hatched(p.left, row)) << row;
    EXPECT_TRUE(AlignedPair::hatched(p.right, 8));
    EXPECT_EQ(AlignedPair::text(p.left, 8), QStringLiteral("L4"));
    EXPECT_EQ(p.diff(5, 8)->NewLeftRow(), 9);
    EXPECT_EQ(p.diff(5, 8)->NewRightRow(), 9);
}

TEST(AlignSave, DeletingInsertedRowsKeepsTheUsersEdits)
{
    SavePair p;
    // A paste over two hatched rows, a value typed into a matched row.
    auto block = com::VariantArray::grid(2, 2);
    block->at(1, 1) = Variant(QStringLiteral("p1"));
    block->at(1, 2) = Variant(QStringLiteral("q1"));
    block->at(2, 1) = Variant(QStringLiteral("p2"));
    block->at(2, 2) = Variant(QStringLiteral("q2"));
    p.left->Range(QStringLiteral("A4:B5")).setValue(Variant(block));
    EXPECT_FALSE(AlignedPair::hatched(p.left, 4));
    EXPECT_FALSE(AlignedPair::hatched(p.left, 5));
    p.left->Cells(9, 3).setValue(Variant(QStringLiteral("changed")));

    p.parser.DeleteLeftAddedEmptyRows();
    QStringList expected =
        withRows(p.leftBefore, 2, {QStringLiteral("p1|q1|"), QStringLiteral("p2|q2|")});
    expected[6] = QStringLiteral("K3|b5|changed");
    EXPECT_EQ(AlignedPair::rows(p.left), expected);
    for (int row = 1; row <= 8; ++row)
        EXPECT_FALSE(AlignedPair::hatched(p.left, row)) << row;
    // The right side is untouched until it is saved itself.
    EXPECT_TRUE(AlignedPair::hatched(p.right, 8));
    p.parser.DeleteRightAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(p.right), p.rightBefore);
}

TEST(AlignSave, ASecondSaveAndTheUsersOwnRowsLoseNothing)
{
    {
        SavePair p;
        p.parser.DeleteLeftAddedEmptyRows();
        EXPECT_EQ(AlignedPair::rows(p.left), p.leftBefore);
        // The user empties a row and hatches it like an inserted one: a second save keeps it.
        p.left->Rows(QStringLiteral("3")).Insert();
        p.left->Rows(QStringLiteral("3")).Interior().setPattern(ClsResultParser::xlPatternUp);
        p.parser.DeleteLeftAddedEmptyRows();
        EXPECT_EQ(AlignedPair::rows(p.left), withRows(p.leftBefore, 2, {QStringLiteral("||")}));
    }
    {
        // The user inserts a row at the top: the list now names rows that moved; no row that
        // holds data is deleted (the last hatched row stays behind, empty).
        SavePair p;
        p.left->Rows(QStringLiteral("1")).Insert();
        p.parser.DeleteLeftAddedEmptyRows();
        QStringList expected = withRows(p.leftBefore, 0, {QStringLiteral("||")});
        expected.insert(3, QStringLiteral("||"));
        EXPECT_EQ(AlignedPair::rows(p.left), expected);
    }
    {
        // The user deletes a matched row above the inserted ones: the list names the hatched rows
        // one row up and the user's K2 row below them, which is kept (one hatched row stays).
        SavePair p;
        p.left->Rows(QStringLiteral("2")).Delete();
        p.parser.DeleteLeftAddedEmptyRows();
        QStringList expected = p.leftBefore;
        expected[1] = QStringLiteral("||");
        EXPECT_EQ(AlignedPair::rows(p.left), expected);
    }
}

TEST(AlignSave, FontColoursComeBack)
{
    // The left-only row has a blue cell, which the view paints red with the rest of the row.
    SavePair p([](AlignedPair &a) {
        a.left->Cells(4, 2).Font().setColor(0xFF0000); // blue
        a.left->Cells(5, 1).Font().setColorIndex(10);  // green, a matched row
        a.left->Cells(5, 3).Font().setColorIndex(3);   // red of the user's own
    });
    EXPECT_EQ(p.left->Range(QStringLiteral("A8:C8")).Font().ColorIndex().toLong(), 3);
    // Red-text marks on a differing cell, drawn again and again by the view's timer.
    p.parser.markLeftCellRed(9, 1);
    p.parser.markLeftCellRed(9, 3);
    EXPECT_EQ(p.left->Cells(9, 1).Font().ColorIndex().toLong(), 3);
    p.leftBook->setSaved(true);
    p.parser.markLeftCellRed(9, 1); // drawn again: nothing changes
    EXPECT_TRUE(p.leftBook->Saved());
    // The user picks a colour of their own for a red cell.
    p.left->Cells(8, 1).Font().setColorIndex(6);

    p.parser.DeleteLeftAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(p.left), p.leftBefore);
    EXPECT_EQ(p.left->Cells(4, 2).Font().Color().toLong(), 0xFF0000);
    EXPECT_EQ(p.left->Cells(4, 3).Font().ColorIndex().toLong(), -4105);
    EXPECT_EQ(p.left->Cells(4, 1).Font().ColorIndex().toLong(), 6); // the user's choice
    EXPECT_EQ(p.left->Cells(5, 1).Font().ColorIndex().toLong(), 10);
    EXPECT_EQ(p.left->Cells(5, 2).Font().ColorIndex().toLong(), -4105);
    EXPECT_EQ(p.left->Cells(5, 3).Font().ColorIndex().toLong(), 3);
    // The right side keeps its marks until it is saved.
    EXPECT_EQ(p.right->Range(QStringLiteral("A3:B6")).Font().ColorIndex().toLong(), 3);
    p.parser.DeleteRightAddedEmptyRows();
    EXPECT_EQ(p.right->UsedRange().Font().ColorIndex().toLong(), -4105);
}

// The saved file, read back by an independent reader: the user's values and colours, no
// hatched rows, no red.
TEST(AlignSave, SavedFileHoldsOnlyTheUsersData)
{
    if (!TestFiles::haveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl missing";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("left.xlsx"));
    QString output;
    ASSERT_EQ(TestFiles::runPython(
                  QStringLiteral("import sys, openpyxl\nfrom openpyxl.styles import Font\n"
                                 "wb = openpyxl.Workbook()\nws = wb.active\n"
                                 "for r, v in enumerate(['H', 'K1', 'K2', 'L4', 'K3'], 1):\n"
                                 "    ws.cell(r, 1, v); ws.cell(r, 2, 'b%d' % r)\n"
                                 "ws.cell(4, 2).font = Font(color='FF0000FF')\n"
                                 "ws.cell(2, 1).font = Font(color='FF00B050')\n"
                                 "wb.save(sys.argv[1])\n"),
                  {file}, &output),
              0)
        << output.toStdString();

    AlignedPair p;
    p.leftBook->Close();
    p.leftBook = p.app->Workbooks()->Open(file);
    p.left = p.leftBook->Worksheets()->Item(1);
    p.left->onChange([&p](const excel::Range &target) { p.parser.On_LeftSheet_Change(target); });
    for (int row = 1; row <= 8; ++row)
        AlignedPair::setRow(p.right, row, row == 1 ? QStringLiteral("H") : QStringLiteral("x"));
    for (auto [l, r] : {std::pair{2, 2}, {3, 7}, {5, 8}})
        p.result().AddRec(ClsTxtCompareResult::PairKey(l, r), l, r, QStringLiteral("B"),
                          QStringLiteral("x<->y"));
    p.result().AddLeftSingleRow(4);
    for (int row = 3; row <= 6; ++row)
        p.result().AddRightSingleRow(row);
    p.align();
    p.parser.markLeftCellRed(2, 1);
    p.left->Cells(9, 3).setValue(Variant(QStringLiteral("edit")));

    p.parser.DeleteLeftAddedEmptyRows();
    p.leftBook->Save();

    ASSERT_EQ(
        TestFiles::runPython(
            QStringLiteral("import sys, openpyxl\nws = openpyxl.load_workbook(sys.argv[1]).active\n"
                           "for row in ws.iter_rows():\n"
                           "    for c in row:\n"
                           "        k = c.font.color if c.font else None\n"
                           "        f = k.rgb if k is not None and k.type == 'rgb' else None\n"
                           "        p = c.fill.patternType if c.fill else None\n"
                           "        if c.value is not None or f or p:\n"
                           "            print(c.coordinate, c.value, f, p)\n"),
            {file}, &output),
        0)
        << output.toStdString();
    EXPECT_EQ(output.trimmed().split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("A1 H None None"), QStringLiteral("B1 b1 None None"),
                           QStringLiteral("A2 K1 FF00B050 None"), QStringLiteral("B2 b2 None None"),
                           QStringLiteral("A3 K2 None None"), QStringLiteral("B3 b3 None None"),
                           QStringLiteral("A4 L4 None None"), QStringLiteral("B4 b4 FF0000FF None"),
                           QStringLiteral("A5 K3 None None"), QStringLiteral("B5 b5 None None"),
                           QStringLiteral("C5 edit None None")}));

    // Our own reader agrees.
    auto again = excel::Application::create();
    auto book = again->Workbooks()->Open(file);
    auto sheet = book->Worksheets()->Item(1);
    EXPECT_EQ(
        AlignedPair::rows(sheet),
        (QStringList{QStringLiteral("H|b1|"), QStringLiteral("K1|b2|"), QStringLiteral("K2|b3|"),
                     QStringLiteral("L4|b4|"), QStringLiteral("K3|b5|edit")}));
    EXPECT_EQ(sheet->Cells(4, 2).Font().Color().toLong(), 0xFF0000);
    EXPECT_EQ(sheet->UsedRange().Interior().Pattern().toLong(), -4142);
    again->Quit();
}

TEST(AlignSave, TypingIntoAnInsertedRowKeepsIt)
{
    SavePair p;
    p.right->Cells(8, 2).setValue(Variant(QStringLiteral("typed")));
    EXPECT_FALSE(AlignedPair::hatched(p.right, 8));
    EXPECT_FALSE(p.parser.leftAddedRows().GetObject().exists(QStringLiteral("8")));
    // The one-row form, as the view passes a changed cell's row: only inserted rows lose a hatch.
    p.left->Rows(QStringLiteral("1")).Interior().setPattern(ClsResultParser::xlPatternUp);
    p.parser.On_LeftSheet_Change(1);
    p.parser.On_LeftSheet_Change(6);
    EXPECT_TRUE(AlignedPair::hatched(p.left, 1));
    EXPECT_FALSE(AlignedPair::hatched(p.left, 6));
    EXPECT_TRUE(AlignedPair::hatched(p.left, 5));
    QList<int> visit;
    p.parser.CreateDiffArray(visit);
    EXPECT_EQ(visit, (QList<int>{3, 4, 5, 9})); // K3 differs; inserted rows 3-5 still listed

    p.parser.DeleteRightAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(p.right), withRows(p.rightBefore, 7, {QStringLiteral("|typed|")}));
    p.parser.DeleteLeftAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(p.left), withRows(p.leftBefore, 2, {QStringLiteral("||")}));
}

// Once the file is written, the view gets its empty rows back: the sheet is as it was before
// the save, hatches and red single rows included, and a later save takes them out again.
TEST(AlignSave, TheRowsTakenOutForASaveGoBackAfterIt)
{
    SavePair p;
    p.left->Cells(9, 3).setValue(Variant(QStringLiteral("edit")));
    const QStringList aligned = AlignedPair::rows(p.left);
    QStringList saved = p.leftBefore;
    saved[4] = QStringLiteral("K3|b5|edit");
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(::testing::Message() << "save " << pass + 1);
        p.parser.DeleteLeftAddedEmptyRows();
        EXPECT_EQ(AlignedPair::rows(p.left), saved);
        p.parser.PutBackLeftAddedEmptyRows();
        p.parser.PutBackLeftAddedEmptyRows(); // nothing more without another deletion
        EXPECT_EQ(AlignedPair::rows(p.left), aligned);
        for (int row = 1; row <= 9; ++row)
            EXPECT_EQ(AlignedPair::hatched(p.left, row), row >= 3 && row <= 6) << row;
        EXPECT_EQ(p.left->Range(QStringLiteral("A8:B8")).Font().ColorIndex().toLong(), 3);
        EXPECT_EQ(p.parser.rightAddedRows().count(), 4);
        QList<int> visit;
        p.parser.CreateDiffArray(visit);
        EXPECT_EQ(visit, (QList<int>{3, 4, 5, 6, 8, 9}));
    }
    // Typing into a hatched row after the rows came back keeps that row at the next save.
    p.left->Cells(4, 1).setValue(Variant(QStringLiteral("typed")));
    p.parser.DeleteLeftAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(p.left), withRows(saved, 2, {QStringLiteral("typed||")}));
    p.parser.PutBackLeftAddedEmptyRows();
    EXPECT_EQ(AlignedPair::text(p.left, 4), QStringLiteral("typed"));
    EXPECT_EQ(AlignedPair::text(p.left, 9), QStringLiteral("K3"));
    EXPECT_TRUE(AlignedPair::hatched(p.left, 6));
    // The right side was never saved: untouched throughout.
    EXPECT_TRUE(AlignedPair::hatched(p.right, 8));
}
