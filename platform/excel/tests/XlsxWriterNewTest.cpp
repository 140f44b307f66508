#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;
using namespace xlsxtest;

namespace {

class XlsxWriterNewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(m_dir.isValid());
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QJsonObject saveAndDump(const WorkbookData &wb,
                            const QString &name = QStringLiteral("out.xlsx"))
    {
        QString error;
        EXPECT_TRUE(XlsxWriter::save(wb, file(name), &error)) << error.toStdString();
        QString failure;
        QJsonObject o = dump(file(name), &failure);
        EXPECT_FALSE(o.isEmpty()) << failure.toStdString();
        return o;
    }

    QTemporaryDir m_dir;
};

TEST_F(XlsxWriterNewTest, ValuesOfEveryKindReadBack)
{
    WorkbookData wb;
    SheetData &s = addSheet(wb, QStringLiteral("数据"));
    setNumber(s, 1, 1, 0.1 + 0.2);
    setNumber(s, 1, 2, -1.5e-300);
    setNumber(s, 1, 3, 123456789012345.0);
    setString(wb, s, 2, 1, QStringLiteral("  leading and trailing  "));
    setString(wb, s, 2, 2, QStringLiteral("a < b & \"c\" > d"));
    setString(wb, s, 2, 3, QStringLiteral("中文"));
    setString(wb, s, 2, 4, QStringLiteral("tab\there\nline"));
    setString(wb, s, 2, 5, QStringLiteral("bell\x07 and _x0041_"));
    Cell &b = put(s, 3, 1);
    b.setBoolean(true);
    Cell &b2 = put(s, 3, 2);
    b2.setBoolean(false);
    const std::pair<int, const char *> errors[] = {
        {2000, "#NULL!"}, {2007, "#DIV/0!"}, {2015, "#VALUE!"}, {2023, "#REF!"},
        {2029, "#NAME?"}, {2036, "#NUM!"},   {2042, "#N/A"}};
    int col = 1;
    for (const auto &[code, text] : errors) {
        Cell &e = put(s, 4, col++);
        e.setError(code);
    }
    setNumber(s, 100, 256, 7); // IV100
    setNumber(s, 5, 16384, 8); // the last column

    QJsonObject o = saveAndDump(wb);
    QJsonObject sh = sheet(o, 0);
    EXPECT_EQ(sh[QStringLiteral("name")].toString(), QStringLiteral("数据"));
    EXPECT_EQ(cell(sh, "A1")[0].toString(), QStringLiteral("0.30000000000000004"));
    EXPECT_EQ(cell(sh, "B1")[0].toString(), QStringLiteral("-1.5e-300"));
    EXPECT_EQ(cell(sh, "C1")[0].toString(), QStringLiteral("123456789012345"));
    EXPECT_EQ(cell(sh, "A2")[0].toString(), QStringLiteral("  leading and trailing  "));
    EXPECT_EQ(cell(sh, "B2")[0].toString(), QStringLiteral("a < b & \"c\" > d"));
    EXPECT_EQ(cell(sh, "C2")[0].toString(), QStringLiteral("中文"));
    EXPECT_EQ(cell(sh, "D2")[0].toString(), QStringLiteral("tab\there\nline"));
    EXPECT_EQ(cell(sh, "A3")[0].toString(), QStringLiteral("True"));
    EXPECT_EQ(cell(sh, "B3")[0].toString(), QStringLiteral("False"));
    col = 0;
    for (const auto &[code, text] : errors) {
        QByteArray ref = QByteArray(1, char('A' + col++)) + "4";
        EXPECT_EQ(cell(sh, ref.constData())[0].toString(), QLatin1String(text)) << code;
        EXPECT_EQ(cell(sh, ref.constData())[2].toString(), QStringLiteral("e"));
    }
    EXPECT_EQ(cell(sh, "IV100")[0].toString(), QStringLiteral("7"));
    EXPECT_EQ(cell(sh, "XFD5")[0].toString(), QStringLiteral("8"));

    // openpyxl leaves the workbook's _xHHHH_ escapes alone, so check the raw text with a
    // reader that decodes them the way spreadsheet programs do.
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
sst = z.read('xl/sharedStrings.xml').decode()
print('bell_x0007_ and _x005F_x0041_' in sst)
)"),
                                   {file(QStringLiteral("out.xlsx"))}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("True"));
}

TEST_F(XlsxWriterNewTest, FormulasKeepTheirTextAndCachedResults)
{
    WorkbookData wb;
    SheetData &s = addSheet(wb, QStringLiteral("Sheet1"));
    setNumber(s, 1, 1, 2);
    setNumber(s, 2, 1, 3);
    setFormula(s, 3, 1, QStringLiteral("=SUM(A1:A2)"));
    put(s, 3, 1).setNumber(5);
    setFormula(s, 4, 1, QStringLiteral("=A1&\"<x>\""));
    wb.strings.push_back(QStringLiteral("2<x>"));
    put(s, 4, 1).setString(std::uint32_t(wb.strings.size() - 1));
    setFormula(s, 5, 1, QStringLiteral("=A1>A2"));
    put(s, 5, 1).setBoolean(false);
    setFormula(s, 6, 1, QStringLiteral("=1/0"));
    put(s, 6, 1).setError(2007);
    setFormula(s, 7, 1, QStringLiteral("=NOW()")); // no cached result

    QJsonObject sh = sheet(saveAndDump(wb), 0);
    const std::tuple<const char *, const char *, const char *> expected[] = {
        {"A3", "=SUM(A1:A2)", "5"},
        {"A4", "=A1&\"<x>\"", "2<x>"},
        {"A5", "=A1>A2", "False"},
        {"A6", "=1/0", "#DIV/0!"},
    };
    for (const auto &[ref, formula, value] : expected) {
        EXPECT_EQ(cell(sh, ref)[0].toString(), QLatin1String(formula)) << ref;
        EXPECT_EQ(cell(sh, ref)[1].toString(), QString::fromUtf8(value)) << ref;
    }
    EXPECT_EQ(cell(sh, "A7")[0].toString(), QStringLiteral("=NOW()"));
    EXPECT_TRUE(cell(sh, "A7")[1].isNull());
}

TEST_F(XlsxWriterNewTest, NewerFunctionsCarryTheirFilePrefix)
{
    const std::pair<const char *, const char *> cases[] = {
        {"=CONCAT(A1,\"CONCAT(\")", "=_xlfn.CONCAT(A1,\"CONCAT(\")"},
        {"=_xlfn.IFS(TRUE,1)", "=_xlfn.IFS(TRUE,1)"},
        {"=filter(A1:A2,A1:A2>1)", "=_xlfn._xlws.filter(A1:A2,A1:A2>1)"},
        {"=SUM(XLOOKUP(1,A:A,B:B),'CONCAT(x'!A1)", "=SUM(_xlfn.XLOOKUP(1,A:A,B:B),'CONCAT(x'!A1)"},
        {"=STDEV.S(A1:A3)+STDEV(A1:A3)", "=_xlfn.STDEV.S(A1:A3)+STDEV(A1:A3)"},
    };
    WorkbookData wb;
    SheetData &s = addSheet(wb, QStringLiteral("F"));
    int row = 1;
    for (const auto &c : cases)
        setFormula(s, row++, 2, QString::fromUtf8(c.first));
    QJsonObject sh = sheet(saveAndDump(wb), 0);
    row = 1;
    for (const auto &c : cases) {
        const QByteArray ref = "B" + QByteArray::number(row++);
        EXPECT_EQ(cell(sh, ref.constData())[0].toString(), QString::fromUtf8(c.second)) << c.first;
    }
}

TEST_F(XlsxWriterNewTest, SheetsVisibilityMergesHeightsAndComments)
{
    WorkbookData wb;
    SheetData &a = addSheet(wb, QStringLiteral("Visible"));
    SheetData &h = addSheet(wb, QStringLiteral("Hidden"));
    SheetData &v = addSheet(wb, QStringLiteral("Very & hidden"));
    h.visible = 0;
    v.visible = 2;
    setString(wb, a, 1, 1, QStringLiteral("merged"));
    a.merges.push_back({1, 1, 2, 3});
    a.merges.push_back({10, 2, 12, 2});
    a.rowHeights[1] = 30.5;
    a.rowHeights[40] = 6;   // a row with a height and no cells
    a.rowHeights[41] = 500; // more than a row can be: the most it can
    a.comments[SheetData::commentKey(1, 1)] = {QStringLiteral("first\nnote"),
                                               QStringLiteral("Ann")};
    a.comments[SheetData::commentKey(65536, 256)] = {QStringLiteral("corner <&>"),
                                                     QStringLiteral("李")};
    v.comments[SheetData::commentKey(2, 2)] = {QStringLiteral("on a hidden sheet"), QString()};
    setNumber(v, 2, 2, 1);

    QJsonObject o = saveAndDump(wb);
    QJsonArray sheets = o[QStringLiteral("sheets")].toArray();
    ASSERT_EQ(sheets.size(), 3);
    EXPECT_EQ(sheet(o, 0)[QStringLiteral("state")].toString(), QStringLiteral("visible"));
    EXPECT_EQ(sheet(o, 1)[QStringLiteral("state")].toString(), QStringLiteral("hidden"));
    EXPECT_EQ(sheet(o, 2)[QStringLiteral("state")].toString(), QStringLiteral("veryHidden"));
    EXPECT_EQ(sheet(o, 2)[QStringLiteral("name")].toString(), QStringLiteral("Very & hidden"));
    QJsonObject sa = sheet(o, 0);
    EXPECT_EQ(sa[QStringLiteral("merges")].toArray(),
              (QJsonArray{QStringLiteral("A1:C2"), QStringLiteral("B10:B12")}));
    EXPECT_EQ(sa[QStringLiteral("heights")].toObject()[QStringLiteral("1")].toDouble(), 30.5);
    EXPECT_EQ(sa[QStringLiteral("heights")].toObject()[QStringLiteral("40")].toDouble(), 6.0);
    EXPECT_EQ(sa[QStringLiteral("heights")].toObject()[QStringLiteral("41")].toDouble(), 409.5);
    QJsonObject comments = sa[QStringLiteral("comments")].toObject();
    EXPECT_EQ(comments[QStringLiteral("A1")].toArray()[0].toString(),
              QStringLiteral("first\nnote"));
    EXPECT_EQ(comments[QStringLiteral("A1")].toArray()[1].toString(), QStringLiteral("Ann"));
    EXPECT_EQ(comments[QStringLiteral("IV65536")].toArray()[0].toString(),
              QStringLiteral("corner <&>"));
    EXPECT_EQ(comments[QStringLiteral("IV65536")].toArray()[1].toString(), QStringLiteral("李"));
    EXPECT_EQ(sheet(o, 2)[QStringLiteral("comments")]
                  .toObject()[QStringLiteral("B2")]
                  .toArray()[0]
                  .toString(),
              QStringLiteral("on a hidden sheet"));

    // Spreadsheet programs show comments through the legacy drawing: each commented sheet
    // names one, and its shapes sit on the commented cells.
    const char *script = R"py(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
for sheet in ('sheet1', 'sheet3'):
    xml = z.read('xl/worksheets/%s.xml' % sheet).decode()
    rels = z.read('xl/worksheets/_rels/%s.xml.rels' % sheet).decode()
    rid = re.search(r'<legacyDrawing r:id="([^"]+)"', xml).group(1)
    target = re.search(r'<Relationship Id="%s"[^>]*Target="([^"]+)"' % rid, rels)
    vml = z.read('xl/' + target.group(1).replace('../', '')).decode()
    print(sheet, re.findall(r'<x:Row>(\d+)</x:Row><x:Column>(\d+)</x:Column>', vml))
ct = z.read('[Content_Types].xml').decode()
print('vml' in ct, ct.count('comments+xml'))
)py";
    QString out;
    ASSERT_EQ(
        TestFiles::runPython(QString::fromLatin1(script), {file(QStringLiteral("out.xlsx"))}, &out),
        0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(),
              QStringLiteral("sheet1 [('0', '0'), ('65535', '255')]\nsheet3 [('1', '1')]\nTrue 2"));
}

TEST_F(XlsxWriterNewTest, StylesCarryNumberFormatsFontColoursAndFills)
{
    WorkbookData wb;
    auto addStyle = [&](CellStyle st) {
        wb.styles.push_back(st);
        return std::uint32_t(wb.styles.size() - 1);
    };
    CellStyle date;
    date.numberFormatId = 14;
    date.numberFormat = QStringLiteral("m/d/yyyy");
    date.isDate = true;
    CellStyle custom;
    custom.numberFormat = QStringLiteral("0.000\" kg\"");
    CellStyle red;
    red.fontColor = 0xFF0000;
    CellStyle yellow;
    yellow.fillPattern = 1;
    yellow.fillColor = 0xFFFF00;
    CellStyle indexed;
    indexed.fillPattern = 1;
    indexed.fillColorIndex = 6; // palette yellow
    indexed.fontColorIndex = 3; // palette red
    CellStyle both = custom;
    both.fontColor = 0x0000FF;
    both.fillPattern = 1;
    both.fillColor = 0x00FF00;
    SheetData &s = addSheet(wb, QStringLiteral("S"));
    setNumber(s, 1, 1, 45000, addStyle(date));
    setNumber(s, 1, 2, 1.5, addStyle(custom));
    setNumber(s, 1, 3, 1, addStyle(red));
    setNumber(s, 1, 4, 1, addStyle(yellow));
    setNumber(s, 1, 5, 1, addStyle(indexed));
    setNumber(s, 1, 6, 1, addStyle(both));
    put(s, 2, 1).style = 4;   // a blank cell with a fill
    setNumber(s, 3, 1, 1, 2); // reuses a format

    QJsonObject styles = sheet(saveAndDump(wb), 0)[QStringLiteral("styles")].toObject();
    auto style = [&](const char *ref) { return styles[QLatin1String(ref)].toObject(); };
    EXPECT_EQ(style("A1")[QStringLiteral("numFmt")].toString(),
              QStringLiteral("mm-dd-yy")); // built-in 14
    EXPECT_EQ(style("B1")[QStringLiteral("numFmt")].toString(), QStringLiteral("0.000\" kg\""));
    EXPECT_EQ(style("C1")[QStringLiteral("font")].toString(), QStringLiteral("FFFF0000"));
    EXPECT_EQ(style("D1")[QStringLiteral("pattern")].toString(), QStringLiteral("solid"));
    EXPECT_EQ(style("D1")[QStringLiteral("fg")].toString(), QStringLiteral("FFFFFF00"));
    EXPECT_EQ(style("E1")[QStringLiteral("fg")].toString(), QStringLiteral("indexed:13"));
    EXPECT_EQ(style("E1")[QStringLiteral("font")].toString(), QStringLiteral("indexed:10"));
    EXPECT_EQ(style("F1")[QStringLiteral("numFmt")].toString(), QStringLiteral("0.000\" kg\""));
    EXPECT_EQ(style("F1")[QStringLiteral("font")].toString(), QStringLiteral("FF0000FF"));
    EXPECT_EQ(style("F1")[QStringLiteral("fg")].toString(), QStringLiteral("FF00FF00"));
    EXPECT_EQ(style("A2")[QStringLiteral("fg")].toString(), QStringLiteral("FFFFFF00"));
    EXPECT_EQ(style("A3")[QStringLiteral("numFmt")].toString(), QStringLiteral("0.000\" kg\""));
}

TEST_F(XlsxWriterNewTest, LargeSheetWritesAllCells)
{
    WorkbookData wb;
    SheetData &s = addSheet(wb, QStringLiteral("Big"));
    const int rows = 20000, cols = 30;
    s.rows.resize(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            Cell cell;
            cell.column = std::uint16_t(c);
            cell.setNumber(r * 1000 + c);
            s.rows[size_t(r)].push_back(cell);
        }
    }
    QString error;
    ASSERT_TRUE(XlsxWriter::save(wb, file(QStringLiteral("big.xlsx")), &error))
        << error.toStdString();
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1], read_only=True).active
n = 0; total = 0
for row in ws.iter_rows(values_only=True):
    for v in row:
        n += 1; total += v
print(n, total, ws.calculate_dimension())
)"),
                                   {file(QStringLiteral("big.xlsx"))}, &out),
              0)
        << out.toStdString();
    long long total = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 1; c <= cols; ++c)
            total += r * 1000 + c;
    EXPECT_EQ(out.trimmed(), QStringLiteral("%1 %2 A1:AD%3").arg(rows * cols).arg(total).arg(rows));
}

} // namespace
