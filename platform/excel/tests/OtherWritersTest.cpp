#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

using namespace excel;

// Files written by LibreOffice and gnumeric (fixtures/README.md): the .xlsx opens through our
// reader, the .xls through the legacy reader, and the model shows the same texts for both.
TEST(OtherWriters, XlsxAndXlsTwinsShowTheSameTexts)
{
    for (const char *program : {"libreoffice", "gnumeric"}) {
        auto app = Application::create();
        const QString base = TestFiles::path(
            QStringLiteral("platform/excel/tests/fixtures/%1").arg(QLatin1String(program)));
        std::shared_ptr<Workbook> xlsx, xls;
        try {
            xlsx = app->Workbooks()->Open(base + QStringLiteral(".xlsx"), true);
            xls = app->Workbooks()->Open(base + QStringLiteral(".xls"), true);
        } catch (const BasicError &e) {
            FAIL() << program << ": " << e.description().toStdString();
        }
        auto a = xlsx->Worksheets()->Item(QStringLiteral("Data"));
        auto b = xls->Worksheets()->Item(QStringLiteral("Data"));
        EXPECT_EQ(a->UsedRange().Address(), b->UsedRange().Address()) << program;
        // the rows of texts, numbers, dates and booleans
        com::Variant va = a->Range(QStringLiteral("A1:D7")).Value(),
                     vb = b->Range(QStringLiteral("A1:D7")).Value();
        for (int r = 1; r <= 7; ++r)
            for (int c = 1; c <= 4; ++c)
                EXPECT_EQ(va.array()->at(r, c).toText(), vb.array()->at(r, c).toText())
                    << program << " " << r << "," << c;
        EXPECT_EQ(a->Range(QStringLiteral("C3")).Value().type(), com::vbDate) << program;
        EXPECT_EQ(a->Range(QStringLiteral("C3")).Value().toText(),
                  QStringLiteral("2023-12-31 13:45:30"))
            << program;
        EXPECT_EQ(a->Range(QStringLiteral("A3")).Value().toText(), QStringLiteral("香蕉 banana"))
            << program;
        EXPECT_EQ(a->Range(QStringLiteral("B11")).MergeArea().Address(),
                  QStringLiteral("$A$10:$C$11"))
            << program;
        EXPECT_EQ(b->Range(QStringLiteral("B11")).MergeArea().Address(),
                  QStringLiteral("$A$10:$C$11"))
            << program;
        ASSERT_TRUE(a->Range(QStringLiteral("A2")).Comment()) << program;
        EXPECT_TRUE(a->Range(QStringLiteral("A2"))
                        .Comment()
                        ->Text()
                        .contains(QStringLiteral("first fruit")))
            << program;
        EXPECT_EQ(a->Range(QStringLiteral("A1")).Font().ColorIndex().toLong(), 3) << program;
        EXPECT_EQ(b->Range(QStringLiteral("A1")).Font().ColorIndex().toLong(), 3) << program;
        EXPECT_EQ(a->Range(QStringLiteral("B1")).Interior().ColorIndex().toLong(), 6) << program;
        EXPECT_EQ(b->Range(QStringLiteral("B1")).Interior().ColorIndex().toLong(), 6) << program;

        // a workbook from .xls is never written back as .xls; SaveAs .xlsx works
        EXPECT_EQ(errorNumberOf([&] { xls->Save(); }), 1004);
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("from_xls.xlsx"));
        xls->SaveAs(saved);
        auto again = app->Workbooks()->Open(saved);
        EXPECT_EQ(again->Worksheets()
                      ->Item(QStringLiteral("Data"))
                      ->Range(QStringLiteral("A3"))
                      .Value()
                      .toText(),
                  QStringLiteral("香蕉 banana"))
            << program;
    }
}
