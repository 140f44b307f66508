// A legacy workbook through the object model: opened like .xlsx, never written back as .xls,
// saved under an .xlsx name that an independent reader reads back.
#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

using namespace excel;

namespace {

TEST(XlsModelTest, OpensReadsAndSavesAsXlsx)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("legacy.xls"));
    ASSERT_TRUE(TestFiles::write(source, TestFiles::read(TestFiles::path(QStringLiteral(
                                             "platform/excel/tests/fixtures/libreoffice.xls")))));
    const QByteArray before = TestFiles::read(source);

    auto app = Application::create();
    auto book = app->Workbooks()->Open(source);
    ASSERT_TRUE(book);
    auto data = book->Worksheets()->Item(QStringLiteral("Data"));
    EXPECT_EQ(data->Range(QStringLiteral("A1")).Value().toText(), QStringLiteral("Name"));
    EXPECT_TRUE(data->Range(QStringLiteral("C2")).Value().isDate());
    EXPECT_TRUE(data->Range(QStringLiteral("E2")).Value().isError());
    auto calc = book->Worksheets()->Item(QStringLiteral("Calc"));
    EXPECT_EQ(calc->Range(QStringLiteral("C1")).Formula(), QStringLiteral("=SUM(A1:A3)"));
    EXPECT_EQ(calc->Range(QStringLiteral("C1")).Value().toText(), QStringLiteral("6"));

    EXPECT_NE(errorNumberOf([&] { book->Save(); }), 0);
    EXPECT_EQ(TestFiles::read(source), before);
    const QString saved = dir.filePath(QStringLiteral("saved.xlsx"));
    book->SaveAs(saved);
    book->Close();
    EXPECT_EQ(TestFiles::read(source), before);

    QString output;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral("import sys, openpyxl\n"
                                                  "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                                  "print(wb['Data']['A1'].value)\n"
                                                  "print(wb['Calc']['C1'].value)\n"
                                                  "print(wb['Hidden'].sheet_state)\n"),
                                   {saved}, &output),
              0)
        << output.toStdString();
    EXPECT_EQ(output.trimmed().split(QLatin1Char('\n')),
              QStringList({QStringLiteral("Name"), QStringLiteral("=SUM(A1:A3)"),
                           QStringLiteral("hidden")}));
}

} // namespace
