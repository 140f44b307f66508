#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace excel;
using com::Variant;

namespace {

// A workbook with parts the model does not own: a chart, a data validation, a defined name and
// a named cell style.
const char *kRichWorkbook = R"(
from openpyxl.chart import BarChart, Reference
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.styles import NamedStyle
ws.title = 'Data'
for r in range(1, 11):
    ws.cell(row=r, column=1, value=r)
    ws.cell(row=r, column=2, value='=A%d*2' % r)
ws['C1'] = 'keep'
ws['C1'].comment = Comment('old note', 'me')
chart = BarChart(); chart.add_data(Reference(ws, min_col=1, min_row=1, max_row=10)); ws.add_chart(chart, 'E2')
dv = DataValidation(type='whole', operator='between', formula1='0', formula2='100'); ws.add_data_validation(dv); dv.add('A1:A10')
wb.defined_names.append(DefinedName('MyRange', attr_text='Data!$A$1:$A$10'))
style = NamedStyle(name='MyStyle'); style.font = Font(bold=True); wb.add_named_style(style); ws['D1'].style = 'MyStyle'
other = wb.create_sheet('Other'); other['A1'] = '=Data!A5'
)";

// What openpyxl sees in the saved file, one fact a line.
const char *kInspect = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb['Data']
print('A3', ws['A3'].value)
print('A5', ws['A5'].value)
print('B6', ws['B6'].value)
print('C1', ws['C1'].value)
print('C4', ws['C4'].comment.text if ws['C4'].comment else None)
print('C1c', ws['C1'].comment.text if ws['C1'].comment else None)
print('charts', len(ws._charts))
print('validations', len(ws.data_validations.dataValidation))
print('names', 'MyRange' in wb.defined_names)
print('styles', 'MyStyle' in wb.named_styles)
print('other', wb['Other']['A1'].value)
print('sheets', ','.join(wb.sheetnames))
)";

} // namespace

TEST(ModelRoundTrip, EditsSurviveASaveAndUnownedPartsStay)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path =
        writeWithOpenpyxl(dir, QStringLiteral("rich.xlsx"), QString::fromUtf8(kRichWorkbook));
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    auto ws = book->Worksheets()->Item(QStringLiteral("Data"));
    ws->Range(QStringLiteral("C1")).setValue(Variant(QStringLiteral("edited")));
    ws->Range(QStringLiteral("C1")).Comment()->Text(QStringLiteral("new note"));
    ws->Range(QStringLiteral("C3")).AddComment(QStringLiteral("added"));
    ws->Rows(QStringLiteral("3:4")).Insert();
    ws->Range(QStringLiteral("A3")).setValue(Variant(QStringLiteral("inserted")));
    ws->Rows(QStringLiteral("4:4")).Delete();
    book->Save();
    EXPECT_TRUE(book->Saved());

    QString output;
    ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(kInspect), {path}, &output), 0)
        << output.toStdString();
    const char *facts[] = {"A3 inserted", "A5 4",         "B6 =A6*2",       "C1 edited",
                           "C4 added",    "C1c new note", "charts 1",       "validations 1",
                           "names True",  "styles True",  "other =Data!A6", "sheets Data,Other"};
    for (const char *fact : facts)
        EXPECT_TRUE(output.contains(QString::fromUtf8(fact) + u'\n')) << fact << "\n"
                                                                      << output.toStdString();

    // our reader sees the same, also after the workbook is opened afresh
    auto again = Application::create();
    auto reread = again->Workbooks()->Open(path);
    auto ws2 = reread->Worksheets()->Item(1);
    EXPECT_EQ(ws2->Range(QStringLiteral("A3")).Value().toText(), QStringLiteral("inserted"));
    EXPECT_EQ(ws2->Range(QStringLiteral("B6")).Formula(), QStringLiteral("=A6*2"));
    EXPECT_EQ(ws2->Range(QStringLiteral("C4")).Comment()->Text(),
              QStringLiteral("added")); // moved by the rows

    // a second save builds on the first
    ws->Range(QStringLiteral("A1")).setValue(Variant(QStringLiteral("second")));
    book->Save();
    ASSERT_EQ(TestFiles::runPython(
                  QStringLiteral(
                      "import sys, "
                      "openpyxl\nprint(openpyxl.load_workbook(sys.argv[1])['Data']['A1'].value)"),
                  {path}, &output),
              0);
    EXPECT_EQ(output.trimmed(), QStringLiteral("second"));
}

TEST(ModelRoundTrip, NewWorkbookSavedAsAndRenamed)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto ws = book->Worksheets()->Item(1);
    ws->setName(QStringLiteral("报告"));
    ws->Range(QStringLiteral("A1:B2")).setValue(Variant(QStringLiteral("值")));
    ws->Range(QStringLiteral("C1")).Font().setColorIndex(3);
    ws->Range(QStringLiteral("C1")).setValue(Variant::fromDate(45322.0));
    book->Worksheets()->Item(3)->setVisible(2);
    QString path = dir.filePath(QStringLiteral("report.xlsx"));
    book->SaveAs(path);
    EXPECT_EQ(book->Name(), QStringLiteral("report.xlsx"));
    EXPECT_EQ(book->FullName(), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(book->Saved());

    QString output;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
print(ws.title, ws['B2'].value, ws['C1'].font.color.rgb if ws['C1'].font.color else None, ws['C1'].is_date, wb.worksheets[2].sheet_state)
)"),
                                   {path}, &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(output.startsWith(QStringLiteral("报告 值 FFFF0000 True veryHidden")))
        << output.toStdString();

    // after SaveAs the workbook is an ordinary file workbook: Save works
    ws->Range(QStringLiteral("A1")).setValue(Variant(1));
    book->Save();
    auto otherApp = Application::create();
    EXPECT_EQ(otherApp->Workbooks()
                  ->Open(path)
                  ->Worksheets()
                  ->Item(1)
                  ->Range(QStringLiteral("A1"))
                  .Value()
                  .toText(),
              QStringLiteral("1"));
}

TEST(ModelRoundTrip, FailedSaveRaisesAndKeepsTheOldFile)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    QString path =
        writeWithOpenpyxl(dir, QStringLiteral("keep.xlsx"), QStringLiteral("ws['A1'] = 'old'"));
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path);
    book->Worksheets()
        ->Item(1)
        ->Range(QStringLiteral("A1"))
        .setValue(Variant(QStringLiteral("new")));
    // a target in a folder that does not exist, and a target that is a folder
    QString missingFolder = dir.filePath(QStringLiteral("no/such/folder/x.xlsx"));
    QDir(dir.path()).mkdir(QStringLiteral("taken.xlsx"));
    for (const QString &target : {missingFolder, dir.filePath(QStringLiteral("taken.xlsx"))}) {
        try {
            book->SaveAs(target);
            ADD_FAILURE() << "saved to " << target.toStdString();
        } catch (const BasicError &e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_FALSE(e.description().isEmpty());
        }
    }
    EXPECT_FALSE(book->Saved());
    EXPECT_EQ(book->FullName(), QFileInfo(path).absoluteFilePath());
    EXPECT_FALSE(QFile::exists(missingFolder));
    QString output;
    ASSERT_EQ(TestFiles::runPython(
                  QStringLiteral(
                      "import sys, "
                      "openpyxl\nprint(openpyxl.load_workbook(sys.argv[1]).active['A1'].value)"),
                  {path}, &output),
              0);
    EXPECT_EQ(output.trimmed(), QStringLiteral("old"));
}
