#include "engine/ModExcel.h"
#include "engine/ModControlExcel.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbooks.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace ModExcel;
using com::Variant;

namespace {

QString writeBook(const QTemporaryDir &dir, const QString &name, const QString &body)
{
    QString path = dir.filePath(name);
    QString script =
        QStringLiteral("import sys, openpyxl\nwb = openpyxl.Workbook()\nws = wb.active\n") + body +
        QStringLiteral("\nwb.save(sys.argv[1])\n");
    QString output;
    EXPECT_EQ(TestFiles::runPython(script, {path}, &output), 0) << output.toStdString();
    return path;
}

struct Report
{
    AppRef app;
    BookRef book;
    Report() { EXPECT_TRUE(NewWorkbook(app, book)); }
    SheetRef sheet(int i) const { return book->Worksheets()->Item(i); }
};

} // namespace

TEST(ModExcel, OpenWorkbookRules)
{
    QUORVA_NEED_OPENPYXL();
    FakeMessageBox boxes;
    QTemporaryDir dir;
    QString a = writeBook(dir, QStringLiteral("a.xlsx"), QStringLiteral("ws['A1'] = 'a'"));
    QString b = writeBook(dir, QStringLiteral("b.xlsx"), QStringLiteral("ws['A1'] = 'b'"));
    AppRef app;
    BookRef book;

    // a missing file: nothing opened, no message, True
    EXPECT_TRUE(OpenWorkbook(dir.filePath(QStringLiteral("none.xlsx")), app, book, false));
    EXPECT_TRUE(app);
    EXPECT_FALSE(book);
    EXPECT_FALSE(app->Visible());

    ASSERT_TRUE(OpenWorkbook(a, app, book, false));
    BookRef first = book;
    EXPECT_TRUE(OpenWorkbook(a, app, book, false));
    EXPECT_EQ(book, first); // the same file stays open
    ASSERT_TRUE(OpenWorkbook(b, app, book, false));
    EXPECT_NE(book, first); // another file is opened, the old one closed
    EXPECT_FALSE(IsWorkbookAlive(first));
    EXPECT_EQ(GetCellText(book->Worksheets()->Item(1), 1, 1), QStringLiteral("b"));
    EXPECT_EQ(app->Workbooks()->Count(), 1);
    EXPECT_TRUE(boxes.shown().empty());

    // files that are no workbook: one message in the program's language naming the file and
    // why, False
    struct Unreadable
    {
        const char *name;
        QByteArray content;
        const char *reason;
        bool details; // the reader's own line follows
    } unreadable[] = {
        {"text.xlsx", "not a workbook\n", "它的内容既不是 .xlsx / .xlsm 格式，也不是 .xls", false},
        {"empty.xlsx", "", "它的内容既不是", false},
        {"cut.xlsx", QByteArray("PK\x03\x04\x14\0\0\0", 8), "压缩包，但已损坏或不完整", true},
        {"cut.xls", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), "已加密", true},
    };
    for (const Unreadable &u : unreadable) {
        SCOPED_TRACE(u.name);
        const QString bad = dir.filePath(QString::fromUtf8(u.name));
        TestFiles::write(bad, u.content);
        boxes.expect(win::vbOK);
        BookRef none;
        EXPECT_FALSE(OpenWorkbook(bad, app, none, false));
        ASSERT_EQ(boxes.shown().size(), 1u);
        const QString prompt = boxes.shown()[0].prompt;
        EXPECT_TRUE(
            prompt.startsWith(QStringLiteral("文件 %1 不是 Quorva 能读取的工作簿。").arg(bad)))
            << prompt.toStdString();
        EXPECT_TRUE(prompt.contains(QString::fromUtf8(u.reason))) << prompt.toStdString();
        EXPECT_EQ(prompt.contains(QStringLiteral("详细信息：")), u.details) << prompt.toStdString();
        EXPECT_FALSE(prompt.contains(QStringLiteral("excel"))) << prompt.toStdString();
        EXPECT_EQ(boxes.shown()[0].style, 16);
        EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("输入有效性检查"));
        boxes.clear();
    }

    // a pipe or a device where a workbook should be: named as what it is, without waiting for a
    // writer or reading for ever
    const QString pipe = dir.filePath(QStringLiteral("pipe.xlsx"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const QString &special : {pipe, QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(special.toStdString());
        boxes.expect(win::vbOK);
        BookRef none;
        EXPECT_FALSE(OpenWorkbook(special, app, none, false));
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(
            boxes.shown()[0].prompt,
            QStringLiteral("%1 是设备或管道，不是普通文件，不能当作工作簿读取。").arg(special));
        boxes.clear();
    }

    QuitExcel(app, book);
    EXPECT_FALSE(app);
    EXPECT_FALSE(book);
}

TEST(ModExcel, CloseAndQuitIgnoreGoneObjects)
{
    Report r;
    BookRef book = r.book;
    AppRef app = r.app;
    app->Quit();
    CloseWorkbook(book);
    EXPECT_FALSE(book);
    BookRef empty;
    CloseWorkbook(empty);
    QuitExcel(app, empty);
    EXPECT_FALSE(app);
}

TEST(ModExcel, NewWorkbookIsHiddenAndReplacesADeadReference)
{
    AppRef app;
    BookRef book;
    ASSERT_TRUE(NewWorkbook(app, book));
    // Its owner shows it once the workbook holds what it should.
    EXPECT_FALSE(app->Visible());
    BookRef same = book;
    ASSERT_TRUE(NewWorkbook(app, book));
    EXPECT_EQ(book, same);
    book->Close();
    ASSERT_TRUE(NewWorkbook(app, book));
    EXPECT_NE(book, same);
    EXPECT_TRUE(IsWorkbookAlive(book));
}

TEST(ModExcel, GetOrAddSheetRenamesTheStandardSheetsThenAdds)
{
    Report r;
    const char *names[] = {"diff", "LeftSingle", "RightSingle", "Fourth"};
    for (const char *n : names)
        GetOrAddSheet(r.book, QString::fromUtf8(n));
    auto sheets = r.book->Worksheets();
    ASSERT_EQ(sheets->Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sheets->Item(i + 1)->Name(), QString::fromUtf8(names[i]));
    SheetRef existing = GetOrAddSheet(r.book, QStringLiteral("LEFTSINGLE"));
    EXPECT_EQ(existing, sheets->Item(2));
    EXPECT_EQ(existing->Name(), QStringLiteral("LeftSingle")); // returned unchanged
    EXPECT_TRUE(SheetExists(QStringLiteral("diff"), r.book));
    EXPECT_FALSE(SheetExists(QStringLiteral("nope"), r.book));
    EXPECT_FALSE(SheetExists(QStringLiteral("diff"), nullptr));
}

TEST(ModExcel, CellTextsWithMergedAreasAndComments)
{
    Report r;
    SheetRef ws = r.sheet(1);
    ws->Range(QStringLiteral("B2")).setValue(Variant(QStringLiteral("head")));
    ws->Range(QStringLiteral("B2:C4")).setMergeCells(true);
    ws->Range(QStringLiteral("E1")).setValue(Variant(0.1 + 0.2));
    struct Case
    {
        int row, column;
        const char *text;
    } cases[] = {{2, 2, "head"}, {4, 3, "head"}, {3, 2, "head"},
                 {5, 2, ""},     {1, 1, ""},     {1, 5, "0.3"}};
    for (const Case &c : cases)
        EXPECT_EQ(GetCellText(ws, c.row, c.column), QString::fromUtf8(c.text))
            << c.row << "," << c.column;
    EXPECT_TRUE(HasMergedCells(ws->Range(QStringLiteral("B1:B9"))));
    EXPECT_TRUE(HasMergedCells(ws->Range(QStringLiteral("C3"))));
    EXPECT_FALSE(HasMergedCells(ws->Range(QStringLiteral("D1:D9"))));
    EXPECT_EQ(GetCellCommentText(ws->Range(QStringLiteral("A1"))), QString());
    ws->Range(QStringLiteral("A1")).AddComment(QStringLiteral("note"));
    EXPECT_EQ(GetCellCommentText(ws->Range(QStringLiteral("A1"))), QStringLiteral("note"));
}

TEST(ModExcel, CopyRowCellsStopsAtColumn256)
{
    Report r;
    SheetRef source = r.sheet(1), target = r.sheet(2);
    for (int c = 1; c <= 5; ++c)
        source->Cells(3, c).setValue(Variant(c * 10));
    source->Cells(3, 2).setFormula(QStringLiteral("=A3*2"));
    source->Cells(3, 3).AddComment(QStringLiteral("c3"));

    CopyRowCells(target, 1, QStringLiteral("IV"), source, 3, 5);
    EXPECT_EQ(target->Cells(1, 256).Value().toText(), QStringLiteral("10"));
    EXPECT_EQ(target->UsedRange().Address(), QStringLiteral("$IV$1"));

    CopyRowCells(target, 2, QStringLiteral("C"), source, 3, 5);
    EXPECT_EQ(target->Cells(2, 3).Value().toText(), QStringLiteral("10"));
    EXPECT_EQ(target->Cells(2, 4).Formula(), QStringLiteral("=A3*2"));
    EXPECT_EQ(target->Cells(2, 4).Value().toText(), QStringLiteral("20")); // the cached result
    EXPECT_EQ(GetCellCommentText(target->Cells(2, 5)), QStringLiteral("c3"));

    CopyRowValues(target, 5, source, 3);
    EXPECT_EQ(target->Cells(5, 5).Value().toText(), QStringLiteral("50"));
}

TEST(ModExcel, EmptinessAndUsedExtents)
{
    Report r;
    SheetRef ws = r.sheet(1);
    EXPECT_EQ(GetLastUsedRow(ws), 1);
    EXPECT_EQ(GetLastUsedColumn(ws), 1);
    EXPECT_EQ(GetNextNonEmptySheetRow(ws, 4), 4);

    ws->Range(QStringLiteral("C5")).setValue(Variant(1));
    ws->Range(QStringLiteral("F9")).setValue(Variant(QStringLiteral("x")));
    EXPECT_EQ(GetLastUsedRow(ws), 9);
    EXPECT_EQ(GetLastUsedColumn(ws), 6);
    int first = 0, last = 0;
    GetUsedColumnSpan(ws, first, last);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 6);
    // the used range starts at C: its last column F still counts
    EXPECT_FALSE(IsSheetRowEmpty(ws, 9));
    EXPECT_TRUE(IsSheetRowEmpty(ws, 6));
    EXPECT_EQ(GetNextNonEmptySheetRow(ws, 6), 9);
    EXPECT_EQ(GetNextNonEmptySheetRow(ws, 10), 10);
    EXPECT_TRUE(IsSheetRowEmptyInCols(ws, 9, {1, 2, 3}));
    EXPECT_FALSE(IsSheetRowEmptyInCols(ws, 9, {6}));

    Variant block = ws->Range(QStringLiteral("A1:F9")).Value();
    const com::VariantArray &a = *block.array();
    EXPECT_TRUE(IsArrayRowEmptyInCols(a, 1, {1, 2, 3}));
    EXPECT_FALSE(IsArrayRowEmptyInCols(a, 5, {3}));
    EXPECT_EQ(GetNextNonEmptyArrayRow(a, 6, 9, 6), 9);
    EXPECT_EQ(GetNextNonEmptyArrayRow(a, 6, 8, 6), 6);

    QList<int> seq;
    EXPECT_EQ(FillSequence(3, 6, seq), 3);
    EXPECT_EQ(seq, (QList<int>{3, 4, 5, 6}));
    int v = 10;
    KeepMin(v, 12);
    EXPECT_EQ(v, 10);
    KeepMin(v, 4);
    EXPECT_EQ(v, 4);
}

TEST(ModExcel, VisibleSheetsComeBackExactly)
{
    Report r;
    auto sheets = r.book->Worksheets();
    sheets->Add();
    sheets->Item(3)->setVisible(2); // very hidden
    sheets->Item(4)->setVisible(0); // hidden
    ClsMap saved;
    SaveVisibleSheets(r.book, saved);

    ModControlExcel::ShowOnlySheet(r.book, QStringLiteral("sheet2")); // another case still names it
    EXPECT_EQ(sheets->Item(1)->Visible(), 0);
    EXPECT_EQ(sheets->Item(2)->Visible(), -1);
    EXPECT_EQ(sheets->Item(3)->Visible(), 2);

    RestoreVisibleSheets(r.book, saved);
    const int expected[] = {-1, -1, 2, 0};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sheets->Item(i + 1)->Visible(), expected[i]) << i + 1;

    // showing a hidden sheet alone, then restoring, hides it again
    ModControlExcel::ShowOnlySheet(r.book, QStringLiteral("Sheet4"));
    EXPECT_EQ(sheets->Item(4)->Visible(), -1);
    RestoreVisibleSheets(r.book, saved);
    EXPECT_EQ(sheets->Item(4)->Visible(), 0);
    EXPECT_EQ(sheets->Item(1)->Visible(), -1);
}
