// Workbooks as other writers make them: what they hold must read as they hold it and survive a
// save of an edited sheet.
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/HandPackage.h"
#include "platform/excel/tests/ModelTestSupport.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;
using namespace xlsxtest;

namespace {

const char kMain[] = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

QString sheetXml(const QString &cells)
{
    return QStringLiteral("<worksheet %1><sheetData>%2</sheetData></worksheet>")
        .arg(QLatin1String(kMain), cells);
}

const Cell *cellAt(const SheetData &s, int row, int column)
{
    if (row < 1 || row > int(s.rows.size())) return nullptr;
    for (const Cell &c : s.rows[size_t(row - 1)])
        if (c.column == column) return &c;
    return nullptr;
}

// A cell's text, as UTF-8 so that a failure shows it.
std::string textAt(const WorkbookData &wb, int row, int column, int sheet = 0)
{
    const Cell *c = cellAt(*wb.sheets[size_t(sheet)], row, column);
    return c && c->kind == CellKind::String ? wb.strings[c->value.string].toStdString() : "<none>";
}

class XlsxFidelityTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString write(const QString &name, const HandPackage &p) const
    {
        const QString path = file(name);
        EXPECT_TRUE(TestFiles::write(path, p.zip()));
        return path;
    }
    static void read(const QString &path, WorkbookData *wb)
    {
        QString error;
        ASSERT_TRUE(XlsxReader::read(path, wb, &error)) << error.toStdString();
    }
    // Saves with one more cell on the first sheet, so that its cell data is written anew.
    static void saveEdited(WorkbookData &wb, const QString &to)
    {
        setNumber(*wb.sheets[0], 20, 1, 7);
        wb.sheets[0]->modified = true;
        QString error;
        ASSERT_TRUE(XlsxWriter::save(wb, to, &error)) << error.toStdString();
    }

    QTemporaryDir m_dir;
};

} // namespace

// A text of blanks is a text: " " is not an empty cell, and a run of one blank between two
// words is part of the text.
TEST_F(XlsxFidelityTest, WhiteSpaceTextsAreKeptOnReadingAndSaving)
{
    HandPackage p = HandPackage::workbook(
        {QStringLiteral("S")},
        {sheetXml(QStringLiteral("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" "
                                 "t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
                                 "<c r=\"D1\" t=\"s\"><v>3</v></c></row>"))});
    p.workbookPart("sharedStrings", "sharedStrings.xml",
                   QByteArray("<sst ") + kMain +
                       ">\n  <si><t xml:space=\"preserve\"> </t></si>\n"
                       "  <si><r><t>Hello</t></r><r><t xml:space=\"preserve\"> </t></r>"
                       "<r><rPr><b/></rPr><t>World</t></r></si>\n"
                       "  <si><t>\t</t></si>\n"
                       "  <si><t xml:space=\"preserve\">  two  </t><rPh sb=\"0\" eb=\"1\"><t> "
                       "</t></rPh></si>\n"
                       "</sst>");
    p.put("xl/worksheets/_rels/sheet1.xml.rels",
          HandPackage::rels({{"comments", "../comments1.xml"}}));
    p.override("/xl/comments1.xml", "comments+xml");
    p.put("xl/comments1.xml", QByteArray("<comments ") + kMain +
                                  "><authors><author> </author><author>Ann</author></authors>"
                                  "<commentList><comment ref=\"A1\" authorId=\"0\"><text>"
                                  "<r><t>a</t></r><r><t xml:space=\"preserve\"> </t></r>"
                                  "<r><t>b</t></r></text></comment>"
                                  "<comment ref=\"B1\" authorId=\"1\"><text><t xml:space="
                                  "\"preserve\"> </t></text></comment></commentList></comments>");
    const QString path = write(QStringLiteral("blanks.xlsx"), p);

    auto check = [&](const WorkbookData &wb, const char *when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(textAt(wb, 1, 1), " ");
        EXPECT_EQ(textAt(wb, 1, 2), "Hello World");
        EXPECT_EQ(textAt(wb, 1, 3), "\t");
        EXPECT_EQ(textAt(wb, 1, 4), "  two  ");
        const auto &comments = wb.sheets[0]->comments;
        ASSERT_EQ(comments.size(), 2u);
        EXPECT_EQ(comments.at(SheetData::commentKey(1, 1)).author.toStdString(), " ");
        EXPECT_EQ(comments.at(SheetData::commentKey(1, 1)).text.toStdString(), "a b");
        EXPECT_EQ(comments.at(SheetData::commentKey(1, 2)).text.toStdString(), " ");
    };
    WorkbookData wb;
    read(path, &wb);
    check(wb, "read");

    const QString saved = file(QStringLiteral("saved.xlsx"));
    saveEdited(wb, saved);
    WorkbookData again;
    read(saved, &again);
    check(again, "saved and read again");

    REQUIRE_OPENPYXL();
    QString failure;
    const QJsonObject dumped = dump(saved, &failure);
    ASSERT_FALSE(dumped.isEmpty()) << failure.toStdString();
    const QJsonObject s = sheet(dumped, 0);
    EXPECT_EQ(cell(s, "A1")[0].toString(), QStringLiteral(" "));
    EXPECT_EQ(cell(s, "B1")[0].toString(), QStringLiteral("Hello World"));
    EXPECT_EQ(cell(s, "D1")[0].toString(), QStringLiteral("  two  "));
    const QJsonArray note =
        s[QStringLiteral("comments")].toObject()[QStringLiteral("A1")].toArray();
    EXPECT_EQ(note[0].toString(), QStringLiteral("a b"));
    EXPECT_EQ(note[1].toString(), QStringLiteral(" "));
}
