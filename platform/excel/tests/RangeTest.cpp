#include "platform/com/VariantArray.h"
#include "platform/excel/Comment.h"
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"
#include "platform/text/BasicText.h"

using namespace excel;
using com::Variant;

namespace {

struct NewBook
{
    std::shared_ptr<Application> app = Application::create();
    std::shared_ptr<Workbook> book = app->Workbooks()->Add();
    std::shared_ptr<Worksheet> ws = book->Worksheets()->Item(1);
};

Variant text(const char *s)
{
    return Variant(QString::fromUtf8(s));
}

} // namespace

TEST(Range, AddressForms)
{
    NewBook b;
    struct Case
    {
        Range range;
        const char *address;
    } cases[] = {
        {b.ws->Range(QStringLiteral("C5")), "$C$5"},
        {b.ws->Range(QStringLiteral("A1:C5")), "$A$1:$C$5"},
        {b.ws->Range(QStringLiteral("C5:A1")), "$A$1:$C$5"},
        {b.ws->Range(QStringLiteral("c3:c120")), "$C$3:$C$120"},
        {b.ws->Range(QStringLiteral("A3:IV120")), "$A$3:$IV$120"},
        {b.ws->Rows(QStringLiteral("3:4")), "$3:$4"},
        {b.ws->Columns(QStringLiteral("A:C")), "$A:$C"},
        {b.ws->Range(QStringLiteral("C5")).EntireRow(), "$5:$5"},
        {b.ws->Range(QStringLiteral("C5:D6")).EntireColumn(), "$C:$D"},
        {b.ws->Cells(5, 3), "$C$5"},
        {b.ws->Range(QStringLiteral("B2:D9")).Cells(2, 2), "$C$3"},
        {b.ws->Range(QStringLiteral("B2:D9"))(1, 1), "$B$2"},
        {b.ws->Range(QStringLiteral("B2:D9")).Rows(2), "$B$3:$D$3"},
        {b.ws->Range(QStringLiteral("B2:D9")).Columns(3), "$D$2:$D$9"},
        {b.ws->Range(QStringLiteral("A1"), QStringLiteral("B2")), "$A$1:$B$2"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.range.Address(), QString::fromUtf8(c.address));
    EXPECT_EQ(b.ws->Range(QStringLiteral("C5:D6")).Address(false, false), QStringLiteral("C5:D6"));
    EXPECT_EQ(errorNumberOf([&] { b.ws->Range(QStringLiteral("5C")); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { b.ws->Range(QStringLiteral("A0")); }), 1004);
}

TEST(Range, CountForms)
{
    NewBook b;
    Range r = b.ws->Range(QStringLiteral("B2:D6"));
    struct Case
    {
        Range range;
        int count;
    } cases[] = {
        {r, 15},
        {r.Rows(), 5},
        {r.Columns(), 3},
        {r.EntireRow(), 5},
        {r.EntireColumn(), 3},
        {r.Cells(), 15},
        {b.ws->Rows(QStringLiteral("3:4")), 2},
        {b.ws->Columns(QStringLiteral("B:D")), 3},
        {b.ws->Cells(1, 1), 1},
        {b.ws->Rows(), 1048576},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.range.Count(), c.count) << c.range.Address().toStdString();
    EXPECT_EQ(errorNumberOf([&] { b.ws->Cells().Count(); }), 6);
    EXPECT_EQ(r.Row(), 2);
    EXPECT_EQ(r.Column(), 2);
}

TEST(Range, UsedRangeNeedNotStartAtA1)
{
    NewBook b;
    EXPECT_EQ(b.ws->UsedRange().Address(), QStringLiteral("$A$1"));
    struct Step
    {
        std::function<void()> change;
        const char *used;
    } steps[] = {
        {[&] { b.ws->Range(QStringLiteral("C5")).setValue(Variant(1.0)); }, "$C$5"},
        {[&] { b.ws->Range(QStringLiteral("E9")).setFormula(QStringLiteral("=C5")); }, "$C$5:$E$9"},
        {[&] { b.ws->Range(QStringLiteral("B12")).AddComment(QStringLiteral("c")); }, "$B$5:$E$12"},
        {[&] { b.ws->Range(QStringLiteral("G3")).Font().setColorIndex(3); }, "$B$3:$G$12"},
        {[&] { b.ws->Range(QStringLiteral("H20:I21")).setMergeCells(true); }, "$B$3:$I$21"},
    };
    for (const Step &s : steps) {
        s.change();
        EXPECT_EQ(b.ws->UsedRange().Address(), QString::fromUtf8(s.used));
    }
    Range used = b.ws->UsedRange();
    EXPECT_EQ(used.Cells(1, 1).Address(), QStringLiteral("$B$3"));
    EXPECT_EQ(used.EntireRow().Count(), 19);
    EXPECT_EQ(used.EntireColumn().Count(), 8);
}

TEST(Range, ValueOfOneCellAndOfABlock)
{
    NewBook b;
    b.ws->Range(QStringLiteral("B2")).setValue(Variant(1.5));
    b.ws->Range(QStringLiteral("C2")).setValue(text("x"));
    b.ws->Range(QStringLiteral("B3")).setValue(Variant(true));
    b.ws->Range(QStringLiteral("C3")).setValue(Variant::fromError(2042));
    b.ws->Range(QStringLiteral("D3")).setValue(Variant::fromDate(BasicText::makeDate(2024, 1, 31)));

    Variant block = b.ws->Range(QStringLiteral("B2:D4")).Value();
    ASSERT_TRUE(block.isArray());
    auto a = block.array();
    EXPECT_EQ(a->lbound(1), 1);
    EXPECT_EQ(a->ubound(1), 3);
    EXPECT_EQ(a->lbound(2), 1);
    EXPECT_EQ(a->ubound(2), 3);
    struct Case
    {
        int i, j;
        const char *text;
        com::VarType type;
    } cases[] = {
        {1, 1, "1.5", com::vbDouble},       {1, 2, "x", com::vbString},
        {1, 3, "", com::vbEmpty},           {2, 1, "True", com::vbBoolean},
        {2, 2, "Error 2042", com::vbError}, {2, 3, "2024-01-31", com::vbDate},
        {3, 3, "", com::vbEmpty},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(a->at(c.i, c.j).type(), c.type) << c.i << "," << c.j;
        EXPECT_EQ(a->at(c.i, c.j).toText(), QString::fromUtf8(c.text)) << c.i << "," << c.j;
    }
    EXPECT_EQ(b.ws->Range(QStringLiteral("B2")).Value().toText(), QStringLiteral("1.5"));
    EXPECT_TRUE(b.ws->Range(QStringLiteral("Z99")).Value().isEmpty());
}

TEST(Range, ValueSetFillsScalarsAndArraysAndNeverMakesFormulas)
{
    NewBook b;
    b.ws->Range(QStringLiteral("A1:B2")).setValue(Variant(7));
    EXPECT_EQ(b.ws->Range(QStringLiteral("B2")).Value().toText(), QStringLiteral("7"));

    auto grid = com::VariantArray::grid(2, 2);
    grid->at(1, 1) = text("a");
    grid->at(1, 2) = Variant(2);
    grid->at(2, 1) = Variant();
    grid->at(2, 2) = text("=1+2");
    b.ws->Range(QStringLiteral("C1:E3")).setValue(Variant(grid));
    struct Case
    {
        const char *cell;
        const char *value;
        const char *formula;
    } cases[] = {
        {"C1", "a", "a"},
        {"D1", "2", "2"},
        {"C2", "", ""},
        {"D2", "=1+2", "=1+2"},
        {"E1", "Error 2042", "#N/A"},
        {"C3", "Error 2042", "#N/A"},
    };
    for (const Case &c : cases) {
        Range r = b.ws->Range(QString::fromUtf8(c.cell));
        EXPECT_EQ(r.Value().toText(), QString::fromUtf8(c.value)) << c.cell;
        EXPECT_EQ(r.Formula(), QString::fromUtf8(c.formula)) << c.cell;
    }
    // the text "=1+2" stays a text
    EXPECT_EQ(b.ws->Range(QStringLiteral("D2")).Value().type(), com::vbString);

    // Empty clears the value
    b.ws->Range(QStringLiteral("A1:B2")).setValue(Variant());
    EXPECT_TRUE(b.ws->Range(QStringLiteral("A1")).Value().isEmpty());
}

TEST(Range, FormulaGetAndSet)
{
    NewBook b;
    Range a1 = b.ws->Range(QStringLiteral("A1"));
    struct Case
    {
        const char *entered;
        const char *formula;
        com::VarType type;
    } cases[] = {
        {"12.5", "12.5", com::vbDouble},      {"true", "TRUE", com::vbBoolean},
        {"#DIV/0!", "#DIV/0!", com::vbError}, {"'12", "12", com::vbString},
        {"abc", "abc", com::vbString},        {"", "", com::vbEmpty},
    };
    for (const Case &c : cases) {
        a1.setFormula(QString::fromUtf8(c.entered));
        EXPECT_EQ(a1.Formula(), QString::fromUtf8(c.formula)) << c.entered;
        EXPECT_EQ(a1.Value().type(), c.type) << c.entered;
    }
    // a formula keeps the cell's value as its cached result (a copied cell keeps its value)
    a1.setValue(Variant(42));
    a1.setFormula(QStringLiteral("=B1*2"));
    EXPECT_EQ(a1.Formula(), QStringLiteral("=B1*2"));
    EXPECT_EQ(a1.Value().toText(), QStringLiteral("42"));
    // a block gets the formula with relative references moved per cell
    b.ws->Range(QStringLiteral("C1:D2")).setFormula(QStringLiteral("=A1+$A$1"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("D2")).Formula(), QStringLiteral("=B2+$A$1"));
}

TEST(Range, MergedAreas)
{
    NewBook b;
    b.ws->Range(QStringLiteral("B2")).setValue(text("head"));
    b.ws->Range(QStringLiteral("C2")).setValue(text("lost"));
    b.ws->Range(QStringLiteral("B2:C3")).setMergeCells(true);
    struct Case
    {
        const char *range;
        const char *merge; // "T", "F" or "N" (Null)
        const char *area;
        const char *value;
    } cases[] = {
        {"B2", "T", "$B$2:$C$3", "head"}, {"C3", "T", "$B$2:$C$3", ""},
        {"C2", "T", "$B$2:$C$3", ""},     {"D2", "F", "$D$2", ""},
        {"B2:C3", "T", "$B$2:$C$3", ""},  {"A1:C3", "N", "$A$1:$C$3", ""},
    };
    for (const Case &c : cases) {
        Range r = b.ws->Range(QString::fromUtf8(c.range));
        Variant m = r.MergeCells();
        QString merge = m.isNull()      ? QStringLiteral("N")
                        : m.boolValue() ? QStringLiteral("T")
                                        : QStringLiteral("F");
        EXPECT_EQ(merge, QString::fromUtf8(c.merge)) << c.range;
        EXPECT_EQ(r.MergeArea().Address(), QString::fromUtf8(c.area)) << c.range;
        if (r.Count() == 1) {
            EXPECT_EQ(r.Value().toText(), QString::fromUtf8(c.value)) << c.range;
        }
    }
    Variant block = b.ws->Range(QStringLiteral("B2:C3")).Value();
    EXPECT_EQ(block.array()->at(1, 1).toText(), QStringLiteral("head"));
    EXPECT_TRUE(block.array()->at(1, 2).isEmpty());
    b.ws->Range(QStringLiteral("B2")).setMergeCells(false);
    EXPECT_FALSE(b.ws->Range(QStringLiteral("C3")).MergeCells().boolValue());
}

TEST(Range, Comments)
{
    NewBook b;
    Range c = b.ws->Range(QStringLiteral("C3"));
    EXPECT_EQ(c.Comment(), nullptr);
    c.AddComment(QStringLiteral("first"));
    EXPECT_EQ(c.Comment()->Text(), QStringLiteral("first"));
    EXPECT_EQ(errorNumberOf([&] { c.AddComment(QStringLiteral("again")); }), 1004);
    c.Comment()->Text(QStringLiteral("second"));
    EXPECT_EQ(c.Comment()->Text(), QStringLiteral("second"));
    c.Comment()->Delete();
    EXPECT_EQ(c.Comment(), nullptr);
}

TEST(Range, FontAndInteriorColours)
{
    NewBook b;
    Range r = b.ws->Range(QStringLiteral("A1:B2"));
    EXPECT_EQ(r.Font().ColorIndex().toLong(), -4105);
    EXPECT_EQ(r.Interior().ColorIndex().toLong(), -4142);
    b.ws->Range(QStringLiteral("A1")).Font().setColorIndex(3);
    EXPECT_TRUE(r.Font().ColorIndex().isNull());
    EXPECT_EQ(b.ws->Range(QStringLiteral("A1")).Font().ColorIndex().toLong(), 3);
    EXPECT_EQ(b.ws->Range(QStringLiteral("A1")).Font().Color().toLong(), 255); // red as 0xBBGGRR
    r.Font().setColor(0xFF0000);                                               // blue
    EXPECT_EQ(r.Font().ColorIndex().toLong(), 5);

    r.Interior().setColorIndex(6);
    EXPECT_EQ(r.Interior().Pattern().toLong(), 1);
    EXPECT_EQ(r.Interior().Color().toLong(), 0x00FFFF);
    r.Interior().setColorIndex(-4142); // none also clears the pattern
    EXPECT_EQ(r.Interior().Pattern().toLong(), -4142);
    EXPECT_EQ(r.Interior().ColorIndex().toLong(), -4142);
    // the values stay
    b.ws->Range(QStringLiteral("A1")).setValue(Variant(5));
    b.ws->Range(QStringLiteral("A1")).Font().setColorIndex(3);
    EXPECT_EQ(b.ws->Range(QStringLiteral("A1")).Value().toText(), QStringLiteral("5"));
}

// A format taken off again, or one that changes nothing, leaves no blank cells behind: they
// would widen the used range of a saved file (a hatched row typed into kept 256 of them).
TEST(Range, FormatsTakenOffLeaveNoBlankCells)
{
    const struct
    {
        const char *what;
        std::function<void(Worksheet &)> change;
    } cases[] = {{"hatch on a whole row, then no fill",
                  [](Worksheet &ws) {
                      ws.Rows(3).Interior().setPattern(-4162);
                      ws.Rows(3).Interior().setColorIndex(-4142);
                  }},
                 {"red font, then automatic",
                  [](Worksheet &ws) {
                      ws.Range(QStringLiteral("A1:F4")).Font().setColorIndex(3);
                      ws.Range(QStringLiteral("A1:F4")).Font().setColorIndex(-4105);
                  }},
                 {"no fill on empty cells", [](Worksheet &ws) {
                      ws.Range(QStringLiteral("A1:Z9")).Interior().setColorIndex(-4142);
                  }}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        NewBook b;
        b.ws->Range(QStringLiteral("A1:B2")).setValue(Variant(1));
        c.change(*b.ws);
        EXPECT_EQ(b.ws->UsedRange().Address(), QStringLiteral("$A$1:$B$2"));
        EXPECT_EQ(b.ws->Range(QStringLiteral("A1")).Value().toText(), QStringLiteral("1"));
    }
}

TEST(Range, InsertAndDeleteRowsShiftEverything)
{
    NewBook b;
    b.ws->Range(QStringLiteral("A2")).setValue(text("two"));
    b.ws->Range(QStringLiteral("A5")).setValue(text("five"));
    b.ws->Range(QStringLiteral("B6")).setFormula(QStringLiteral("=A5&A2&SUM(A1:A5)"));
    b.ws->Range(QStringLiteral("C5")).AddComment(QStringLiteral("note"));
    b.ws->Range(QStringLiteral("A7:B8")).setMergeCells(true);
    b.ws->Rows(5).setRowHeight(30);
    std::shared_ptr<Worksheet> other = b.book->Worksheets()->Item(2);
    other->Range(QStringLiteral("A1")).setFormula(QStringLiteral("=Sheet1!A5+A5"));

    b.ws->Rows(QStringLiteral("3:4")).Insert();
    EXPECT_EQ(b.ws->Range(QStringLiteral("A2")).Value().toText(), QStringLiteral("two"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("A7")).Value().toText(), QStringLiteral("five"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("B8")).Formula(), QStringLiteral("=A7&A2&SUM(A1:A7)"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("C7")).Comment()->Text(), QStringLiteral("note"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("B10")).MergeArea().Address(),
              QStringLiteral("$A$9:$B$10"));
    EXPECT_EQ(b.ws->Rows(7).RowHeight().toDouble(), 30.0);
    EXPECT_EQ(b.ws->Rows(5).RowHeight().toDouble(), 15.0);
    EXPECT_EQ(other->Range(QStringLiteral("A1")).Formula(), QStringLiteral("=Sheet1!A7+A5"));

    b.ws->Range(QStringLiteral("A3:A4")).EntireRow().Delete();
    EXPECT_EQ(b.ws->Range(QStringLiteral("A5")).Value().toText(), QStringLiteral("five"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("B6")).Formula(), QStringLiteral("=A5&A2&SUM(A1:A5)"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("C5")).Comment()->Text(), QStringLiteral("note"));
    EXPECT_EQ(b.ws->Range(QStringLiteral("A7")).MergeArea().Address(), QStringLiteral("$A$7:$B$8"));
    EXPECT_EQ(b.ws->Rows(5).RowHeight().toDouble(), 30.0);
    EXPECT_EQ(other->Range(QStringLiteral("A1")).Formula(), QStringLiteral("=Sheet1!A5+A5"));

    // deleting a referenced row breaks the reference, as the user would see it
    b.ws->Rows(QStringLiteral("2")).Delete();
    EXPECT_EQ(b.ws->Range(QStringLiteral("B5")).Formula(), QStringLiteral("=A4&#REF!&SUM(A1:A4)"));
    EXPECT_EQ(errorNumberOf([&] { b.ws->Range(QStringLiteral("A1")).Insert(); }), 1004);
}

TEST(Range, InsertRefusesToPushFilledCellsOffTheSheet)
{
    NewBook b;
    b.ws->Cells(1048575, 1).setValue(Variant(1));
    EXPECT_EQ(errorNumberOf([&] { b.ws->Rows(QStringLiteral("1:2")).Insert(); }), 1004);
    EXPECT_EQ(b.ws->Cells(1048575, 1).Value().toText(), QStringLiteral("1"));
    b.ws->Rows(QStringLiteral("1:1")).Insert();
    EXPECT_EQ(b.ws->Cells(1048576, 1).Value().toText(), QStringLiteral("1"));
}

TEST(Range, ChangeEventsFireForCodeAndRowChanges)
{
    NewBook b;
    std::vector<QString> seen;
    int id = b.ws->onChange([&](const Range &target) { seen.push_back(target.Address()); });
    b.ws->Range(QStringLiteral("A1")).setValue(Variant(1));
    b.ws->Range(QStringLiteral("B1:B2")).setFormula(QStringLiteral("=A1"));
    b.ws->Rows(QStringLiteral("3:4")).Insert();
    b.ws->Rows(QStringLiteral("3:4")).Delete();
    b.ws->disconnect(id);
    b.ws->Range(QStringLiteral("A1")).setValue(Variant(2));
    EXPECT_EQ(seen, (std::vector<QString>{QStringLiteral("$A$1"), QStringLiteral("$B$1:$B$2"),
                                          QStringLiteral("$3:$4"), QStringLiteral("$3:$4")}));
    int selections = 0;
    b.ws->onSelectionChange([&](const Range &) { ++selections; });
    b.ws->Range(QStringLiteral("C3")).Select();
    EXPECT_EQ(selections, 1);
    EXPECT_EQ(b.ws->Selection().Address(), QStringLiteral("$C$3"));
}

// Cell values read from a file written by openpyxl, as text: the texts decide equality.
TEST(Range, TextOfValuesReadFromAFile)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path = writeWithOpenpyxl(dir, QStringLiteral("t.xlsx"), QStringLiteral(R"(
rows = [0.1 + 0.2, 1e15, 1e16, 123456789012345678, 0.00001, 0.000001, -0.0, 1/3, 100, True, False,
        datetime.datetime(2024, 1, 31), datetime.datetime(2024, 1, 31, 13, 5, 9), datetime.time(6, 30),
        '=1/0', ' padded ', '']
for i, v in enumerate(rows, 1):
    ws.cell(row=i, column=1, value=v)
ws['B1'] = 45322
ws['B1'].number_format = 'yyyy"年"m"月"d"日"'
ws['B2'] = 45322
ws['B2'].number_format = '"d"0.00'
ws['B3'] = 0.5
ws['B3'].number_format = '[h]:mm'
)"));
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    auto ws = book->Worksheets()->Item(1);
    const char *expected[] = {"0.3",
                              "1E+15",
                              "1E+16",
                              "1.23456789012346E+17",
                              "0.00001",
                              "1E-06",
                              "0",
                              "0.333333333333333",
                              "100",
                              "True",
                              "False",
                              "2024-01-31",
                              "2024-01-31 13:05:09",
                              "06:30:00",
                              "",
                              " padded ",
                              ""};
    for (int i = 0; i < int(std::size(expected)); ++i)
        EXPECT_EQ(ws->Cells(i + 1, 1).Value().toText(), QString::fromUtf8(expected[i]))
            << "row " << i + 1;
    EXPECT_EQ(ws->Cells(15, 1).Formula(), QStringLiteral("=1/0"));
    EXPECT_EQ(ws->Cells(1, 2).Value().type(), com::vbDate);
    EXPECT_EQ(ws->Cells(2, 2).Value().type(), com::vbDouble);
    EXPECT_EQ(ws->Cells(3, 2).Value().toText(), QStringLiteral("12:00:00"));
}

// Workbooks whose dates count from 1904 read and write the same dates as any other.
TEST(Range, DatesOf1904Workbooks)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path = writeWithOpenpyxl(dir, QStringLiteral("mac.xlsx"), QStringLiteral(R"(
wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
ws['A1'] = datetime.datetime(2024, 1, 31, 6, 0)
)"));
    auto app = Application::create();
    auto ws = app->Workbooks()->Open(path)->Worksheets()->Item(1);
    EXPECT_EQ(ws->Range(QStringLiteral("A1")).Value().toText(),
              QStringLiteral("2024-01-31 06:00:00"));
    ws->Range(QStringLiteral("A2")).setValue(Variant::fromDate(BasicText::makeDate(2000, 2, 29)));
    EXPECT_EQ(ws->Range(QStringLiteral("A2")).Value().toText(), QStringLiteral("2000-02-29"));
    EXPECT_EQ(ws->Range(QStringLiteral("A2")).Value().type(), com::vbDate);
}
