// Row insertion at the comparison grid's edge, row hatching and which changes raise Change: the
// members the difference view's row aligner relies on.
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

using namespace excel;
using com::Variant;

namespace {

struct Book
{
    std::shared_ptr<Application> app = Application::create();
    std::shared_ptr<Workbook> book = app->Workbooks()->Add();
    std::shared_ptr<Worksheet> ws = book->Worksheets()->Item(1);
};

constexpr int xlPatternUp = -4162;
constexpr int xlColorIndexNone = -4142;

} // namespace

TEST(RangeRows, InsertKeepsASheetThatFitsTheGridInsideIt)
{
    struct Case
    {
        const char *what;
        std::function<void(Worksheet &)> fill;
        const char *rows;
        bool refused;
    } cases[] = {
        {"value at the last row", [](Worksheet &ws) { ws.Cells(65536, 2).setValue(Variant(1)); },
         "3", true},
        {"value two rows above the end, two rows inserted",
         [](Worksheet &ws) { ws.Cells(65534, 1).setValue(Variant(1)); }, "10:11", false},
        {"value two rows above the end, three rows inserted",
         [](Worksheet &ws) { ws.Cells(65534, 1).setValue(Variant(1)); }, "10:12", true},
        {"formula near the end",
         [](Worksheet &ws) { ws.Cells(65535, 1).setFormula(QStringLiteral("=1+1")); }, "1:2", true},
        {"comment at the last row",
         [](Worksheet &ws) { ws.Cells(65536, 3).AddComment(QStringLiteral("note")); }, "5", true},
        {"insertion below the last filled row",
         [](Worksheet &ws) { ws.Cells(65530, 1).setValue(Variant(1)); }, "65531:65536", false},
        {"only a format at the last row",
         [](Worksheet &ws) { ws.Cells(65536, 1).Interior().setColorIndex(6); }, "1:4", false},
        // a sheet that already reaches past the grid is limited by the file format only
        {"data beyond the grid",
         [](Worksheet &ws) {
             ws.Cells(65536, 1).setValue(Variant(1));
             ws.Cells(70000, 1).setValue(Variant(2));
         },
         "1:10", false},
    };
    for (const Case &c : cases) {
        Book b;
        c.fill(*b.ws);
        const int error = errorNumberOf([&] { b.ws->Rows(QString::fromUtf8(c.rows)).Insert(); });
        EXPECT_EQ(error, c.refused ? 1004 : 0) << c.what;
    }
    // A refused insertion changes nothing.
    Book b;
    b.ws->Cells(65536, 1).setValue(Variant(QStringLiteral("last")));
    b.ws->Cells(2, 1).setValue(Variant(QStringLiteral("two")));
    EXPECT_EQ(errorNumberOf([&] { b.ws->Rows(QStringLiteral("1")).Insert(); }), 1004);
    EXPECT_EQ(b.ws->Cells(2, 1).Value().toText(), QStringLiteral("two"));
    EXPECT_EQ(b.ws->Cells(65536, 1).Value().toText(), QStringLiteral("last"));
}

TEST(RangeRows, ARowReadsAsHatchedOnlyWhenItIsHatchedThroughout)
{
    Book b;
    b.ws->Range(QStringLiteral("A1:F8")).setValue(Variant(1));
    b.ws->Rows(QStringLiteral("3:4")).Interior().setPattern(xlPatternUp);
    EXPECT_EQ(b.ws->Rows(QStringLiteral("3")).Interior().Pattern().toLong(), xlPatternUp);
    EXPECT_EQ(b.ws->Rows(QStringLiteral("3:4")).Interior().Pattern().toLong(), xlPatternUp);
    EXPECT_TRUE(b.ws->Rows(QStringLiteral("3:5")).Interior().Pattern().isNull());
    EXPECT_EQ(b.ws->Rows(QStringLiteral("5")).Interior().Pattern().toLong(), xlColorIndexNone);

    // One cell of a row hatched is not a hatched row.
    b.ws->Cells(6, 2).Interior().setPattern(xlPatternUp);
    EXPECT_TRUE(b.ws->Rows(QStringLiteral("6")).Interior().Pattern().isNull());
    // A cell of a hatched row losing its hatch makes the row mixed.
    b.ws->Cells(4, 4).Interior().setColorIndex(xlColorIndexNone);
    EXPECT_TRUE(b.ws->Rows(QStringLiteral("4")).Interior().Pattern().isNull());

    // No fill on the row clears the hatch with the colour.
    b.ws->Rows(QStringLiteral("3")).Interior().setColorIndex(xlColorIndexNone);
    EXPECT_EQ(b.ws->Rows(QStringLiteral("3")).Interior().Pattern().toLong(), xlColorIndexNone);
    EXPECT_EQ(b.ws->Rows(QStringLiteral("3")).Interior().ColorIndex().toLong(), xlColorIndexNone);
    EXPECT_EQ(b.ws->Cells(3, 2).Value().toLong(), 1); // values stay

    // Inserted rows carry no format of their own; a hatch moves with its row.
    b.ws->Rows(QStringLiteral("4")).Interior().setPattern(xlPatternUp);
    b.ws->Rows(QStringLiteral("2:3")).Insert();
    EXPECT_EQ(b.ws->Rows(QStringLiteral("2")).Interior().Pattern().toLong(), xlColorIndexNone);
    EXPECT_EQ(b.ws->Rows(QStringLiteral("6")).Interior().Pattern().toLong(), xlPatternUp);
    b.ws->Rows(QStringLiteral("1:2")).Delete();
    EXPECT_EQ(b.ws->Rows(QStringLiteral("4")).Interior().Pattern().toLong(), xlPatternUp);
}

TEST(RangeRows, ChangeFiresForValuesAndRowsButNotForFormats)
{
    Book b;
    std::vector<QString> seen;
    b.ws->onChange([&](const Range &target) { seen.push_back(target.Address()); });
    b.ws->Range(QStringLiteral("A1:C2")).Font().setColorIndex(3);
    b.ws->Range(QStringLiteral("A1:C2")).Font().setColor(0xFF0000);
    b.ws->Rows(QStringLiteral("4:5")).Interior().setPattern(xlPatternUp);
    b.ws->Rows(QStringLiteral("4:5")).Interior().setColorIndex(xlColorIndexNone);
    b.ws->Rows(QStringLiteral("2")).setRowHeight(30);
    EXPECT_TRUE(seen.empty());
    b.ws->Rows(QStringLiteral("7:9")).Insert();
    b.ws->Rows(QStringLiteral("8")).Delete();
    b.ws->Range(QStringLiteral("B2:C3")).setValue(Variant(5));
    EXPECT_EQ(seen, (std::vector<QString>{QStringLiteral("$7:$9"), QStringLiteral("$8:$8"),
                                          QStringLiteral("$B$2:$C$3")}));
    // A refused insertion raises no Change.
    b.ws->Cells(65536, 1).setValue(Variant(1));
    seen.clear();
    EXPECT_EQ(errorNumberOf([&] { b.ws->Rows(QStringLiteral("1")).Insert(); }), 1004);
    EXPECT_TRUE(seen.empty());
}

// What a file keeps by row number and the store does not hold follows inserted and deleted rows
// on saving (the difference view keeps an inserted row that the user typed into), and a second
// save does not move it again.
TEST(RangeRows, WhatTheFileKeepsByRowFollowsInsertedAndDeletedRows)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString path = writeWithOpenpyxl(dir, QStringLiteral("rows.xlsx"), QStringLiteral(R"(
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.formatting.rule import FormulaRule
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.worksheet.pagebreak import Break
ws.title = 'Data'
for r in range(1, 11):
    ws.append(['k%d' % r, r])
ws.row_dimensions[4].hidden = True
ws.row_dimensions[7].outlineLevel = 1
ws['B6'].hyperlink = 'http://example.com/6'
ws['B3'].hyperlink = 'http://example.com/3'
dv = DataValidation(type='whole', formula1='$B$1')
dv.add('B5:B6')
ws.add_data_validation(dv)
ws.conditional_formatting.add('A8:A9', FormulaRule(formula=['$B$8>7'], font=Font(bold=True)))
ws.auto_filter.ref = 'A1:B10'
ws.row_breaks.append(Break(id=8))
wb.defined_names.append(DefinedName('pick', attr_text='Data!$B$5:$B$6'))
from openpyxl.worksheet.table import Table
ws['D1'] = 'head'
for r in range(2, 11):
    ws.cell(r, 4, r)
ws.add_table(Table(displayName='T', ref='D1:D10'))
)"));
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    auto ws = book->Worksheets()->Item(1);
    ws->Rows(QStringLiteral("2:3")).Insert(); // every original row from 2 on moves down two
    ws->Rows(QStringLiteral("5")).Delete();   // original row 3 (its hyperlink goes with it)
    book->Save();
    book->Save(); // nothing moves twice
    app->Quit();

    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1]); ws = wb['Data']
print('hidden', [r for r in range(1, 15) if ws.row_dimensions[r].hidden])
print('outline', [r for r in range(1, 15) if ws.row_dimensions[r].outlineLevel])
print('links', [(c.coordinate, c.hyperlink.target) for row in ws.iter_rows() for c in row if c.hyperlink])
print('validation', [(str(d.sqref), d.formula1) for d in ws.data_validations.dataValidation])
print('formats', [(str(r.sqref), r.rules[0].formula) for r in ws.conditional_formatting])
print('filter', ws.auto_filter.ref)
print('breaks', [b.id for b in ws.row_breaks.brk])
print('name', wb.defined_names['pick'].attr_text)
print('table', ws.tables['T'].ref)
print('k4 at', [r for r in range(1, 15) if ws.cell(r, 1).value == 'k4'])
)"),
                                   {path}, &out),
              0)
        << out.toStdString();
    const QStringList expected = {
        // original rows 4 and 7 now stand at 5 and 8 (two inserted above, one deleted)
        "hidden [5]",
        "outline [8]",
        "links [('B7', 'http://example.com/6')]",
        "validation [('B6:B7', '$B$1')]",
        "formats [('A9:A10', ['$B$9>7'])]",
        "filter A1:B11",
        "breaks [9]",
        "name Data!$B$6:$B$7",
        "table D1:D11",
        "k4 at [5]",
    };
    EXPECT_EQ(out.trimmed().toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}
