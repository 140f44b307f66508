#include "platform/excel/Comment.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/WorkbookFile.h"
#include "platform/excel/WorkbookPrefetch.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

using namespace excel;
using com::Variant;

TEST(Workbook, NewWorkbookHoldsThreeSheetsAndLooksThemUpIgnoringCase)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add(Variant(QStringLiteral("工作簿")));
    EXPECT_EQ(app->Workbooks()->Count(), 1);
    EXPECT_EQ(book->Name(), QStringLiteral("Book1"));
    EXPECT_EQ(book->FullName(), QStringLiteral("Book1"));
    EXPECT_EQ(book->Path(), QString());
    auto sheets = book->Worksheets();
    ASSERT_EQ(sheets->Count(), 3);
    EXPECT_EQ(sheets->Item(2)->Name(), QStringLiteral("Sheet2"));
    EXPECT_EQ(sheets->Item(QStringLiteral("sHEET3")), sheets->Item(3));
    EXPECT_EQ(errorNumberOf([&] { sheets->Item(QStringLiteral("Sheet9")); }), 9);
    EXPECT_EQ(errorNumberOf([&] { sheets->Item(4); }), 9);
    EXPECT_EQ(errorNumberOf([&] { sheets->Item(0); }), 9);

    auto added = book->Sheets()->Add(Variant(QStringLiteral("工作表")));
    EXPECT_EQ(added->Name(), QStringLiteral("Sheet4"));
    EXPECT_EQ(added->Index(), 4);
    EXPECT_EQ(book->ActiveSheet(), added);

    added->Move(sheets->Item(1), nullptr);
    EXPECT_EQ(sheets->Item(1), added);
    added->Move(nullptr, sheets->Item(sheets->Count()));
    EXPECT_EQ(sheets->Item(4), added);
    sheets->Item(1)->Move(nullptr, sheets->Item(2));
    EXPECT_EQ(sheets->Item(1)->Name(), QStringLiteral("Sheet2"));
    EXPECT_EQ(sheets->Item(2)->Name(), QStringLiteral("Sheet1"));
}

TEST(Workbook, SheetNameRules)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto ws = book->Worksheets()->Item(1);
    struct Case
    {
        QString name;
        int error;
    } cases[] = {
        {QStringLiteral("Data"), 0},
        {QString(31, u'x'), 0},
        {QString(32, u'x'), 1004},
        {QString(), 1004},
        {QStringLiteral("a/b"), 1004},
        {QStringLiteral("a[1]"), 1004},
        {QStringLiteral("a:b"), 1004},
        {QStringLiteral("a*"), 1004},
        {QStringLiteral("a?"), 1004},
        {QStringLiteral("a\\b"), 1004},
        {QStringLiteral("sheet2"), 1004}, // taken, ignoring case
        {QStringLiteral("数据 2024"), 0},
        {QStringLiteral("DATA"), 0}, // its own name in another case
    };
    for (const Case &c : cases) {
        QString before = ws->Name();
        int error = errorNumberOf([&] { ws->setName(c.name); });
        EXPECT_EQ(error, c.error) << c.name.toStdString();
        EXPECT_EQ(ws->Name(), error ? before : c.name);
    }
}

TEST(Workbook, VisibilityKeepsOneVisibleSheet)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto s = book->Worksheets();
    s->Item(1)->setVisible(0);
    s->Item(2)->setVisible(2);
    EXPECT_EQ(s->Item(1)->Visible(), 0);
    EXPECT_EQ(s->Item(2)->Visible(), 2);
    EXPECT_EQ(errorNumberOf([&] { s->Item(3)->setVisible(0); }), 1004);
    EXPECT_EQ(s->Item(3)->Visible(), -1);
    s->Item(2)->setVisible(-1);
    s->Item(3)->setVisible(2);
    EXPECT_EQ(s->Item(3)->Visible(), 2);
}

TEST(Workbook, ClosedWorkbookAndQuitApplicationRaise)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto ws = book->Worksheets()->Item(1);
    Range a1 = ws->Range(QStringLiteral("A1"));
    book->Close();
    EXPECT_EQ(app->Workbooks()->Count(), 0);
    EXPECT_NE(errorNumberOf([&] { book->Name(); }), 0);
    EXPECT_NE(errorNumberOf([&] { ws->Name(); }), 0);
    EXPECT_NE(errorNumberOf([&] { a1.Value(); }), 0);
    EXPECT_NE(errorNumberOf([&] { book->Close(); }), 0);

    auto other = app->Workbooks()->Add();
    app->Quit();
    EXPECT_NE(errorNumberOf([&] { other->Name(); }), 0);
    EXPECT_NE(errorNumberOf([&] { app->Workbooks(); }), 0);
}

TEST(Workbook, SavedFollowsChanges)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto ws = book->Worksheets()->Item(1);
    EXPECT_TRUE(book->Saved());
    std::function<void()> changes[] = {
        [&] { ws->Range(QStringLiteral("A1")).setValue(Variant(1)); },
        [&] { ws->Range(QStringLiteral("A1")).setFormula(QStringLiteral("=2")); },
        [&] { ws->Range(QStringLiteral("A2")).AddComment(QStringLiteral("c")); },
        [&] { ws->Range(QStringLiteral("A2")).Comment()->Text(QStringLiteral("d")); },
        [&] { ws->setName(QStringLiteral("N")); },
        [&] { ws->Rows(QStringLiteral("2:2")).Insert(); },
        [&] { ws->Rows(QStringLiteral("2:2")).Delete(); },
        [&] { ws->Range(QStringLiteral("B1:C1")).setMergeCells(true); },
        [&] { ws->Range(QStringLiteral("B1")).Interior().setColorIndex(4); },
        [&] { book->Worksheets()->Item(2)->setVisible(0); },
        [&] { book->Worksheets()->Add(); },
    };
    for (auto &change : changes) {
        book->setSaved(true);
        change();
        EXPECT_FALSE(book->Saved());
    }
}

TEST(Workbook, OpensFilesWithTheirSheetsAndNames)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path = writeWithOpenpyxl(dir, QStringLiteral("Book A.xlsx"), QStringLiteral(R"(
ws.title = 'Left'
ws['A1'] = 'x'
h = wb.create_sheet('Hidden'); h.sheet_state = 'hidden'
ws['B2'].comment = Comment('hello', 'someone')
)"));
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    EXPECT_EQ(book->Name(), QStringLiteral("Book A.xlsx"));
    EXPECT_EQ(book->FullName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(book->Path(), QFileInfo(path).absolutePath());
    EXPECT_TRUE(book->Saved());
    EXPECT_FALSE(book->ReadOnly());
    EXPECT_EQ(app->Workbooks()->Open(path), book); // already open
    EXPECT_EQ(book->Worksheets()->Item(QStringLiteral("hidden"))->Visible(), 0);
    EXPECT_EQ(book->Worksheets()->Item(1)->Range(QStringLiteral("B2")).Comment()->Text(),
              QStringLiteral("hello"));
    EXPECT_EQ(app->ActiveWorkbook(), book);

    auto second = Application::create(); // applications are independent
    auto ro = second->Workbooks()->Open(path, true);
    EXPECT_NE(ro, book);
    EXPECT_TRUE(ro->ReadOnly());
    EXPECT_EQ(errorNumberOf([&] { ro->Save(); }), 1004);
}

TEST(Workbook, OpeningBadOrMissingFilesRaisesWithTheFileName)
{
    QTemporaryDir dir;
    auto app = Application::create();
    QString missing = dir.filePath(QStringLiteral("missing.xlsx"));
    QString xls = dir.filePath(QStringLiteral("old.xls"));
    TestFiles::write(xls,
                     QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(1024, '\0'));
    for (const QString &path : {missing, xls}) {
        try {
            app->Workbooks()->Open(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const BasicError &e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_TRUE(e.description().contains(QFileInfo(path).fileName()))
                << e.description().toStdString();
        }
    }
    EXPECT_EQ(app->Workbooks()->Count(), 0);
}

TEST(Workbook, APrefetchHandsItsReadToTheOpenOfTheSameFileOnly)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString good = writeWithOpenpyxl(dir, QStringLiteral("good.xlsx"), QStringLiteral(R"(
ws.title = 'Data'
for r in range(1, 200):
    ws.cell(r, 1, 'k%d' % r); ws.cell(r, 2, r * 1.5)
)"));
    const QString other =
        writeWithOpenpyxl(dir, QStringLiteral("other.xlsx"), QStringLiteral("ws['A1'] = 'other'"));
    const QString bad = dir.filePath(QStringLiteral("bad.xlsx"));
    TestFiles::write(bad, QByteArray("PK\x03\x04 not really a package"));

    struct Case
    {
        const char *name;
        QString prefetched, opened;
        bool held; // the open takes the prefetched read
    };
    const Case cases[] = {
        {"same file", good, good, true},
        {"same file by a relative path", good, QDir(QDir::currentPath()).relativeFilePath(good),
         true},
        {"another file", other, good, false},
        {"a damaged file", bad, bad, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto app = Application::create();
        WorkbookPrefetch prefetch;
        prefetch.start(c.prefetched);
        EXPECT_EQ(prefetch.holds(c.opened), c.held);
        QString direct, viaPrefetch;
        std::shared_ptr<Workbook> book;
        try {
            book = app->Workbooks()->Open(c.opened, false, &prefetch);
        } catch (const BasicError &e) {
            viaPrefetch = e.description();
        }
        EXPECT_FALSE(prefetch.holds(c.opened));
        auto plain = Application::create();
        std::shared_ptr<Workbook> reference;
        try {
            reference = plain->Workbooks()->Open(c.opened);
        } catch (const BasicError &e) {
            direct = e.description();
        }
        // Same message or same cells as an open that reads the file itself.
        EXPECT_EQ(viaPrefetch.toStdString(), direct.toStdString());
        ASSERT_EQ(bool(book), bool(reference));
        if (!book) continue;
        EXPECT_EQ(book->FullName(), reference->FullName());
        const auto a = book->Worksheets()->Item(1), b = reference->Worksheets()->Item(1);
        EXPECT_EQ(a->Name(), b->Name());
        for (const QString &cell :
             {QStringLiteral("A1"), QStringLiteral("B7"), QStringLiteral("A199")})
            EXPECT_EQ(a->Range(cell).Value(), b->Range(cell).Value());
    }
}

TEST(Workbook, SaveRulesAndAFailedSaveKeepsTheOldFile)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path =
        writeWithOpenpyxl(dir, QStringLiteral("keep.xlsx"), QStringLiteral("ws['A1'] = 'old'"));
    QByteArray before = TestFiles::read(path);
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    book->Worksheets()
        ->Item(1)
        ->Range(QStringLiteral("A1"))
        .setValue(Variant(QStringLiteral("new")));

    EXPECT_EQ(errorNumberOf([&] { book->SaveAs(dir.filePath(QStringLiteral("x.xls"))); }), 1004);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.xls"))));
    EXPECT_EQ(errorNumberOf([&] { book->SaveAs(dir.filePath(QStringLiteral("x.txt"))); }), 1004);
    auto fresh = app->Workbooks()->Add();
    EXPECT_EQ(errorNumberOf([&] { fresh->Save(); }), 1004);

    // a folder that cannot be written: the save raises and the file stays as it was
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner);
    int error = errorNumberOf([&] { book->Save(); });
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    if (error == 0 && ::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    EXPECT_EQ(error, 1004);
    EXPECT_EQ(TestFiles::read(path), before);
    EXPECT_FALSE(book->Saved());
}

// A workbook saved as a report (a link at its path replaced, not followed) is saved alike
// later: a link planted meanwhile is replaced again.
TEST(Workbook, ALaterSaveTreatsLinksAsTheSaveAsDid)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.xlsx"));
    const QString victim = dir.filePath(QStringLiteral("victim.xlsx"));
    ASSERT_TRUE(TestFiles::write(victim, "victim"));
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    book->SaveAs(path, XlsxWriter::Link::Replace);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(victim, path));
    book->Worksheets()->Item(1)->Range(QStringLiteral("A1")).setValue(com::Variant(1));
    book->Save();
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(TestFiles::read(victim), QByteArray("victim"));
}
