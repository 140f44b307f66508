// Workbooks as other writers make them: what they hold must read as they hold it and survive a
// save of an edited sheet.
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Worksheet.h"
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
    return c && c->kind() == CellKind::String ? wb.strings[c->string()].toStdString() : "<none>";
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

namespace {

// Each cell's format as openpyxl sees it: font colour (type:value:tint), bold, fill (kind,
// pattern, foreground, background), left border; and the cell's format index in the file.
const char kFormats[] = R"py(
import sys, re, zipfile, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
xml = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml').decode()
def col(c):
    if c is None: return '-'
    v = c.rgb if c.type == 'rgb' else c.theme if c.type == 'theme' else c.indexed
    return '%s:%s:%.2f' % (c.type, v, c.tint or 0)
for ref in sys.argv[2:]:
    c = ws[ref]
    f = c.fill
    if f.tagname == 'gradientFill':
        fill = 'gradient:%s' % ','.join(col(s.color) for s in f.stop)
    else:
        fill = '%s:%s:%s' % (f.patternType, col(f.fgColor), col(f.bgColor))
    m = re.search(r'<c r="%s"[^>]* s="(\d+)"' % ref, xml)
    print(ref, col(c.font.color), c.font.b, fill, c.border.left.style, c.number_format,
          'xf=' + (m.group(1) if m else '0'))
)py";

} // namespace

// Saving an edited sheet leaves the formats of untouched cells as they were (theme colours
// with a tint, pattern fills with two colours, gradients), and a changed format changes only
// what was changed.
TEST_F(XlsxFidelityTest, FormatsNobodyChangedSurviveASave)
{
    REQUIRE_OPENPYXL();
    const QString path = writeWithOpenpyxl(m_dir, QStringLiteral("formats.xlsx"), QStringLiteral(R"(
from openpyxl.styles import Color, GradientFill, Border, Side
tinted = Color(theme=4, tint=0.3999)
thin = Border(left=Side(style='thin'))
ws['A1'] = 'tinted font'; ws['A1'].font = Font(color=tinted)
ws['A2'] = 'pattern'; ws['A2'].fill = PatternFill('darkGrid', fgColor='FFFF0000', bgColor='FF00FF00')
ws['A3'] = 'gradient'; ws['A3'].fill = GradientFill(stop=('FFFF0000', 'FF0000FF'))
ws['A4'] = 'tinted fill'; ws['A4'].fill = PatternFill('solid', fgColor=tinted); ws['A4'].font = Font(bold=True); ws['A4'].border = thin
ws['A5'] = 'pattern 2'; ws['A5'].fill = PatternFill('darkGrid', fgColor='FFFF0000', bgColor='FF00FF00')
ws['A6'] = 'gradient 2'; ws['A6'].fill = GradientFill(stop=('FFFF0000', 'FF0000FF'))
ws['A7'] = 1.5; ws['A7'].number_format = '0.000'; ws['A7'].font = Font(color=tinted, bold=True)
)"));
    const QStringList cells = {"A1", "A2", "A3", "A4", "A5", "A6", "A7"};
    auto formats = [&](const QString &file) {
        QString out;
        EXPECT_EQ(
            TestFiles::runPython(QString::fromLatin1(kFormats), QStringList{file} + cells, &out), 0)
            << out.toStdString();
        QStringList lines = out.trimmed().split(QLatin1Char('\n'));
        return lines.mid(lines.size() - int(cells.size()));
    };
    const QStringList before = formats(path);

    {
        auto app = Application::create();
        auto book = app->Workbooks()->Open(path);
        auto ws = book->Worksheets()->Item(1);
        ws->Range(QStringLiteral("B1")).setValue(com::Variant(QStringLiteral("edited")));
        ws->Range(QStringLiteral("A4")).Font().setColorIndex(3);
        ws->Range(QStringLiteral("A5")).Interior().setColorIndex(6);
        ws->Range(QStringLiteral("A6")).Font().setColorIndex(5);
        ws->Range(QStringLiteral("A7")).Interior().setColorIndex(6);
        book->Save();
    }
    const QStringList after = formats(path);
    ASSERT_EQ(after.size(), before.size()) << after.join(u'\n').toStdString();
    // Untouched: the very same format.
    for (int i : {0, 1, 2})
        EXPECT_EQ(after[i].toStdString(), before[i].toStdString());
    auto expect = [&](int i, const char *want) {
        EXPECT_EQ(after[i].section(u' ', 0, -2).toStdString(), want)
            << "was " << before[i].toStdString();
    };
    expect(3, "A4 rgb:FFFF0000:0.00 True solid:theme:4:0.40:rgb:00000000:0.00 thin General");
    expect(4, "A5 theme:1:0.00 False darkGrid:rgb:FFFFFF00:0.00:rgb:FF00FF00:0.00 None General");
    expect(5, "A6 rgb:FF0000FF:0.00 False gradient:rgb:FFFF0000:0.00,rgb:FF0000FF:0.00 None "
              "General");
    expect(6, "A7 theme:4:0.40 True solid:rgb:FFFFFF00:0.00:indexed:64:0.00 None 0.000");

    // And our reader sees the new colours.
    auto app = Application::create();
    auto ws = app->Workbooks()->Open(path)->Worksheets()->Item(1);
    EXPECT_EQ(ws->Range(QStringLiteral("A4")).Font().ColorIndex().toText(), QStringLiteral("3"));
    EXPECT_EQ(ws->Range(QStringLiteral("A5")).Interior().ColorIndex().toText(),
              QStringLiteral("6"));
}

// The East Asian date ids are dates only when the file leaves them to the built-in formats:
// a writer that numbers its own formats from 50 means what their codes say.
TEST_F(XlsxFidelityTest, AFormatTheFileDefinesIsJudgedByItsCode)
{
    struct Case
    {
        int id;
        const char *code; // the file's definition, or null for none
        bool date;
    };
    const Case cases[] = {
        {50, "0.0\" d\"", false}, {51, "#,##0\" yd\"", false},
        {27, "0.00", false},      {57, "yyyy\"年\"m\"月\"", true},
        {14, nullptr, true},      {31, nullptr, true},
        {58, nullptr, true},      {164, "0.00\" h\"", false},
        {165, "[h]:mm", true},    {166, "[Red]0.00", false},
        {2, nullptr, false},      {49, "@", false},
    };
    QByteArray numFmts, xfs = "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>";
    QString row; // one cell a case, in columns A, B, ...
    int defined = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].code) {
            numFmts += "<numFmt numFmtId=\"" + QByteArray::number(cases[i].id) +
                       "\" formatCode=\"" + QByteArray(cases[i].code).replace("\"", "&quot;") +
                       "\"/>";
            ++defined;
        }
        xfs += "<xf numFmtId=\"" + QByteArray::number(cases[i].id) +
               "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" applyNumberFormat=\"1\"/>";
        row += QStringLiteral("<c s=\"%1\"><v>45322.5</v></c>").arg(i + 1);
    }
    HandPackage p = HandPackage::workbook(
        {QStringLiteral("S")},
        {sheetXml(QStringLiteral("<row r=\"1\">") + row + QStringLiteral("</row>"))});
    p.workbookPart("styles", "styles.xml",
                   QByteArray("<styleSheet ") + kMain + "><numFmts count=\"" +
                       QByteArray::number(defined) + "\">" + numFmts +
                       "</numFmts><fonts count=\"1\"><font/></fonts><fills count=\"1\"><fill/>"
                       "</fills><borders count=\"1\"><border/></borders><cellXfs>" +
                       xfs + "</cellXfs></styleSheet>");
    const QString path = write(QStringLiteral("formats.xlsx"), p);

    auto app = Application::create();
    auto ws = app->Workbooks()->Open(path)->Worksheets()->Item(1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "format " << cases[i].id << " "
                                        << (cases[i].code ? cases[i].code : "(built in)"));
        const com::Variant v = ws->Cells(1, int(i) + 1).Value();
        EXPECT_EQ(v.isDate(), cases[i].date) << v.toText().toStdString();
    }
}

// A cell keeps its style and formula numbers in a few bits: a workbook with more cell formats
// than fit is refused, naming the file and the part, instead of giving cells the wrong format.
TEST_F(XlsxFidelityTest, MoreCellFormatsThanACellCanNameAreRefused)
{
    for (const std::uint32_t count : {Cell::MaxStyles - 1, Cell::MaxStyles}) {
        SCOPED_TRACE(count);
        QByteArray xfs;
        xfs.reserve(qsizetype(count) * 6);
        for (std::uint32_t i = 0; i < count; ++i)
            xfs += "<xf/>";
        HandPackage p = HandPackage::workbook(
            {QStringLiteral("S")},
            {sheetXml(QStringLiteral("<row r=\"1\"><c r=\"A1\" s=\"%1\"><v>1</v></c></row>")
                          .arg(count - 1))});
        p.workbookPart("styles", "styles.xml",
                       QByteArray("<styleSheet ") + kMain + "><cellXfs>" + xfs +
                           "</cellXfs></styleSheet>");
        const QString path = write(QStringLiteral("formats.xlsx"), p);
        WorkbookData wb;
        QString error;
        const bool read = XlsxReader::read(path, &wb, &error);
        if (count < Cell::MaxStyles) {
            ASSERT_TRUE(read) << error.toStdString();
            EXPECT_EQ(wb.sheets[0]->rows[0][0].style, count - 1);
            continue;
        }
        EXPECT_FALSE(read);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"") + path))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("xl/styles.xml"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String("cell formats"))) << error.toStdString();
    }
}

// A damaged worksheet part is refused, naming the file and the part, instead of opening as an
// empty sheet (which a comparison would report as every row deleted).
TEST_F(XlsxFidelityTest, AWorksheetPartThatIsNoWorksheetIsRefused)
{
    struct Case
    {
        QByteArray part;
        const char *error; // "" when the part reads
    };
    const QByteArray ok = QByteArray("<worksheet ") + kMain + "><sheetData/></worksheet>";
    const Case cases[] = {
        {"", "xl/worksheets/sheet1.xml: line 1: the part is empty"},
        {"   \n ", "the part holds no XML element"},
        {"<?xml version=\"1.0\"?>\n<!-- nothing -->", "the part holds no XML element"},
        {"PK\x03\x04 not xml at all", "line 1: the part is not XML: text \"PK"},
        {"hello, world", "the part is not XML: text \"hello, world\""},
        {QByteArray("\xFF\xFE<\0w\0", 6), "it looks like UTF-16"},
        {"<chartsheet/>", "not a worksheet: its root element is <chartsheet>"},
        {"<x:sst xmlns:x=\"urn:x\"><x:si/></x:sst>", "its root element is <sst>"},
        {"<worksheet/>\n<worksheet/>", "line 2: the part has a second root element"},
        {"<worksheet/> trailing", "text \"trailing\" stands outside"},
        {"<worksheet/><![CDATA[x]]>", "character data stands outside"},
        {ok, ""},
        {"\xEF\xBB\xBF" + ok, ""},
        {"<?xml version=\"1.0\"?><!-- c --><x:worksheet xmlns:x=\"urn:x\"/>\n", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.part.toStdString());
        const QString path = write(QStringLiteral("damaged.xlsx"),
                                   HandPackage::workbook({QStringLiteral("S")}, {QString()})
                                       .put(QStringLiteral("xl/worksheets/sheet1.xml"), c.part));
        WorkbookData wb;
        QString error;
        const bool read = XlsxReader::read(path, &wb, &error);
        if (!*c.error) {
            EXPECT_TRUE(read) << error.toStdString();
            continue;
        }
        EXPECT_FALSE(read);
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"") + path))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
}

namespace {

// A workbook of every part the reader reads: three sheets, shared strings, styles, a theme
// and comments.
HandPackage everyPart(const QStringList &names, const QByteArray &workbookExtra = QByteArray())
{
    QStringList sheets;
    for (int i = 0; i < names.size(); ++i)
        sheets << sheetXml(QStringLiteral("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"));
    HandPackage p = HandPackage::workbook(names, sheets, workbookExtra);
    p.workbookPart("sharedStrings", "sharedStrings.xml",
                   QByteArray("<sst ") + kMain + "><si><t>x</t></si></sst>");
    p.workbookPart("styles", "styles.xml",
                   QByteArray("<styleSheet ") + kMain +
                       "><fonts count=\"1\"><font/></fonts><fills count=\"1\"><fill/></fills>"
                       "<borders count=\"1\"><border/></borders><cellXfs count=\"1\"><xf/>"
                       "</cellXfs></styleSheet>");
    p.workbookPart("theme", "theme/theme1.xml",
                   "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
                   "<a:themeElements><a:clrScheme name=\"x\"><a:dk1><a:srgbClr val=\"000000\"/>"
                   "</a:dk1></a:clrScheme></a:themeElements></a:theme>");
    p.put("xl/worksheets/_rels/sheet1.xml.rels",
          HandPackage::rels({{"comments", "../comments1.xml"}}));
    p.override("/xl/comments1.xml", "comments+xml");
    p.put("xl/comments1.xml", QByteArray("<comments ") + kMain +
                                  "><authors><author>A</author></authors><commentList>"
                                  "<comment ref=\"A1\" authorId=\"0\"><text><t>c</t></text>"
                                  "</comment></commentList></comments>");
    return p;
}

} // namespace

// What every later save would refuse is refused when the file is opened, so that reading and
// writing agree: two sheets of one name, two zip entries of one name.
TEST_F(XlsxFidelityTest, WhatNoSaveCouldWriteIsRefusedOnOpening)
{
    const QByteArray sheet = sheetXml(QStringLiteral("")).toUtf8();
    struct Case
    {
        const char *name;
        HandPackage package;
        const char *error;
    };
    const Case cases[] = {
        {"same name", everyPart({QStringLiteral("Data"), QStringLiteral("Data")}),
         "xl/workbook.xml: two sheets are named \"Data\""},
        {"names differing in case", everyPart({QStringLiteral("数据 Ä"), QStringLiteral("数据 ä")}),
         "two sheets are named \"数据 ä\""},
        {"two entries", everyPart({QStringLiteral("S")}).append("xl/worksheets/sheet1.xml", sheet),
         "the package holds two entries named \"xl/worksheets/sheet1.xml\""},
        {"entries differing in case",
         everyPart({QStringLiteral("S")}).append("XL/Worksheets/Sheet1.xml", sheet),
         "two entries named \"XL/Worksheets/Sheet1.xml\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(QStringLiteral("refused.xlsx"), c.package);
        WorkbookData wb;
        QString error;
        EXPECT_FALSE(XlsxReader::read(path, &wb, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"") + path))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << error.toStdString();
    }
    // The same package without the second entry opens and saves.
    WorkbookData wb;
    read(write(QStringLiteral("fine.xlsx"), everyPart({QStringLiteral("S")})), &wb);
    QString error;
    EXPECT_TRUE(XlsxWriter::save(wb, file(QStringLiteral("fine2.xlsx")), &error))
        << error.toStdString();
}

// A document type declaration is refused in whichever XML part it stands, as it is in a
// worksheet.
TEST_F(XlsxFidelityTest, DocumentTypeDeclarationsAreRefusedInEveryPart)
{
    const QByteArray doctype = "<!DOCTYPE x [<!ENTITY e \"v\">]>";
    const HandPackage base = everyPart({QStringLiteral("S")});
    const QByteArray good = base.zip();
    for (const char *part :
         {"[Content_Types].xml", "_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
          "xl/sharedStrings.xml", "xl/styles.xml", "xl/theme/theme1.xml",
          "xl/worksheets/sheet1.xml", "xl/worksheets/_rels/sheet1.xml.rels", "xl/comments1.xml"}) {
        SCOPED_TRACE(part);
        HandPackage p = base;
        p.put(QString::fromLatin1(part), doctype + p.entry(QString::fromLatin1(part)));
        WorkbookData wb;
        QString error;
        EXPECT_FALSE(XlsxReader::readBytes(p.zip(), QStringLiteral("dtd.xlsx"), &wb, &error));
        EXPECT_TRUE(error.contains(QLatin1String(part) + QStringLiteral(": ")))
            << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("document type declarations are not allowed")))
            << error.toStdString();
    }
    WorkbookData wb;
    QString error;
    EXPECT_TRUE(XlsxReader::readBytes(good, QStringLiteral("good.xlsx"), &wb, &error))
        << error.toStdString();
}

// The sheet in front when the file was saved is the active sheet after opening; a hidden one
// gives way to the first visible sheet.
TEST_F(XlsxFidelityTest, TheActiveSheetIsTheFilesActiveTab)
{
    const QStringList names = {QStringLiteral("One"), QStringLiteral("Two"),
                               QStringLiteral("Three")};
    struct Case
    {
        const char *views;
        const char *active;
    };
    const Case cases[] = {
        {"<bookViews><workbookView activeTab=\"2\"/></bookViews>", "Three"},
        {"<bookViews><workbookView activeTab=\"1\"/><workbookView activeTab=\"2\"/></bookViews>",
         "Two"},
        {"<bookViews><workbookView/></bookViews>", "One"},
        {"", "One"},
        {"<bookViews><workbookView activeTab=\"9\"/></bookViews>", "One"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.views);
        const QString path = write(QStringLiteral("tabs.xlsx"), everyPart(names, c.views));
        auto app = Application::create();
        EXPECT_EQ(app->Workbooks()->Open(path)->ActiveSheet()->Name().toStdString(), c.active);
    }
    // The file's active tab is hidden: the first visible sheet is in front.
    HandPackage hidden = everyPart(names, "<bookViews><workbookView activeTab=\"0\"/></bookViews>");
    hidden.put(QStringLiteral("xl/workbook.xml"),
               hidden.entry(QStringLiteral("xl/workbook.xml"))
                   .replace("name=\"One\"", "name=\"One\" state=\"hidden\""));
    auto app = Application::create();
    EXPECT_EQ(app->Workbooks()
                  ->Open(write(QStringLiteral("hidden.xlsx"), hidden))
                  ->ActiveSheet()
                  ->Name()
                  .toStdString(),
              "Two");
}

// A height given to every row is shown by every reader: the sheet's default says it was set
// on purpose, and each row written carries it too (some readers ignore the default).
TEST_F(XlsxFidelityTest, AHeightForEveryRowReachesEveryReader)
{
    REQUIRE_OPENPYXL();
    const char kHeights[] = R"(
import sys, openpyxl
for ws in openpyxl.load_workbook(sys.argv[1]).worksheets:
    f = ws.sheet_format
    print(ws.title, f.defaultRowHeight, bool(f.customHeight),
          ','.join('%d:%s' % (r, ws.row_dimensions[r].height) for r in range(1, 5)))
)";
    auto heights = [&](const QString &path) {
        QString out;
        EXPECT_EQ(TestFiles::runPython(QString::fromLatin1(kHeights), {path}, &out), 0)
            << out.toStdString();
        return out.trimmed().toStdString();
    };

    // A new workbook, as the comparison's report is made.
    {
        auto app = Application::create();
        auto book = app->Workbooks()->Add();
        auto ws = book->Worksheets()->Item(1);
        ws->Range(QStringLiteral("A1:B3")).setValue(com::Variant(QStringLiteral("x")));
        ws->Rows().setRowHeight(30);
        book->SaveAs(file(QStringLiteral("new.xlsx")));
    }
    EXPECT_EQ(heights(file(QStringLiteral("new.xlsx"))),
              "Sheet1 30.0 True 1:30.0,2:30.0,3:30.0,4:None\n"
              "Sheet2 15.0 False 1:None,2:None,3:None,4:None\n"
              "Sheet3 15.0 False 1:None,2:None,3:None,4:None");

    // A sheet of a file, spliced: its default changes, what else its format says stays.
    const QString path = writeWithOpenpyxl(m_dir, QStringLiteral("old.xlsx"), QStringLiteral(R"(
ws.title = 'Data'
for r in range(1, 4): ws.cell(row=r, column=1, value=r)
ws.row_dimensions[2].height = 40
ws.sheet_format.baseColWidth = 12
other = wb.create_sheet('Other'); other['A1'] = 1
)"));
    {
        auto app = Application::create();
        auto book = app->Workbooks()->Open(path);
        book->Worksheets()->Item(1)->Rows().setRowHeight(24);
        book->Save();
        auto reader = Application::create();
        auto again = reader->Workbooks()->Open(path)->Worksheets()->Item(1);
        EXPECT_EQ(again->Rows(1).RowHeight().toText(), QStringLiteral("24"));
        EXPECT_EQ(again->Rows(7).RowHeight().toText(), QStringLiteral("24"));
        EXPECT_EQ(again->StandardHeight(), 24.0);
    }
    EXPECT_EQ(heights(path), "Data 24.0 True 1:24.0,2:24.0,3:24.0,4:None\n"
                             "Other 15.0 False 1:None,2:None,3:None,4:None");
    QString out;
    ASSERT_EQ(
        TestFiles::runPython(QStringLiteral("import sys, openpyxl\n"
                                            "print(openpyxl.load_workbook(sys.argv[1])['Data']"
                                            ".sheet_format.baseColWidth)"),
                             {path}, &out),
        0);
    EXPECT_EQ(out.trimmed().toStdString(), "12");
}

// A styles part that lists no fonts or fills (the schema lets them out) still takes a new
// font colour and fill, in lists made where the schema wants them, with the two fills that
// spreadsheet programs reserve ahead of the new one.
TEST_F(XlsxFidelityTest, AStylesPartWithoutListsTakesNewFormats)
{
    HandPackage p = HandPackage::workbook(
        {QStringLiteral("S")},
        {sheetXml(QStringLiteral("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"))});
    p.workbookPart("styles", "styles.xml",
                   QByteArray("<styleSheet ") + kMain +
                       "><cellXfs count=\"1\"><xf numFmtId=\"0\"/></cellXfs></styleSheet>");
    const QString path = write(QStringLiteral("bare.xlsx"), p);
    {
        auto app = Application::create();
        auto book = app->Workbooks()->Open(path);
        auto ws = book->Worksheets()->Item(1);
        ws->Range(QStringLiteral("A1")).Font().setColorIndex(3);
        ws->Range(QStringLiteral("A1")).Interior().setColorIndex(6);
        book->Save();
    }
    auto app = Application::create();
    auto ws = app->Workbooks()->Open(path)->Worksheets()->Item(1);
    EXPECT_EQ(ws->Range(QStringLiteral("A1")).Font().ColorIndex().toText().toStdString(), "3");
    EXPECT_EQ(ws->Range(QStringLiteral("A1")).Interior().ColorIndex().toText().toStdString(), "6");

    REQUIRE_OPENPYXL();
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, openpyxl
c = openpyxl.load_workbook(sys.argv[1]).active['A1']
print(c.font.color.rgb, c.fill.patternType, c.fill.fgColor.rgb)
)"),
                                   {path}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed().section(u'\n', -1).toStdString(), "FFFF0000 solid FFFFFF00");
}
