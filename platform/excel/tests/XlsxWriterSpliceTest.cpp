#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;
using namespace xlsxtest;

namespace {

// A workbook with features the store does not model: a chart, a data validation, conditional
// formatting, defined names (one local to the third sheet), a named style, a hidden row and a
// comment. Its cell formats: 1 is the named style (bold, blue font), 2 a green fill in Arial 14.
const char makeSource[] = R"py(
import sys, zipfile, openpyxl
from openpyxl.chart import BarChart, Reference
from openpyxl.worksheet.datavalidation import DataValidation
from openpyxl.styles import NamedStyle, Font, PatternFill
from openpyxl.comments import Comment
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.formatting.rule import CellIsRule
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'Data'
ws['A1'] = 'name'; ws['B1'] = 'value'
for i in range(2, 6):
    ws.cell(i, 1, 'item%d' % i); ws.cell(i, 2, i * 10)
ws['C2'] = '=B2*2'
ws['E2'] = '=B2:B3*2'
ws.formula_attributes['E2'] = {'t': 'array', 'ref': 'E2:E3'}
hl = NamedStyle(name='Highlight'); hl.font = Font(bold=True, color='FF0000FF')
wb.add_named_style(hl)
ws['A1'].style = 'Highlight'
ws['B2'].fill = PatternFill('solid', fgColor='FF00FF00')
ws['B2'].font = Font(name='Arial', size=14)
dv = DataValidation(type='list', formula1='"a,b,c"'); ws.add_data_validation(dv); dv.add('D2:D10')
ws.conditional_formatting.add('B2:B5', CellIsRule(operator='greaterThan', formula=['25'], fill=PatternFill('solid', fgColor='FFFF0000')))
ch = BarChart(); ch.add_data(Reference(ws, min_col=2, min_row=1, max_row=5), titles_from_data=True); ws.add_chart(ch, 'H2')
ws.merge_cells('A10:B10')
ws.row_dimensions[7].hidden = True
ws['A2'].comment = Comment('old note', 'Ann')
other = wb.create_sheet('Other'); other['A1'] = 'untouched'; other['B1'] = 42
third = wb.create_sheet('Third'); third['A1'] = 3
try:
    wb.defined_names.append(DefinedName('Total', attr_text='Data!$B$2:$B$5'))
    wb.defined_names.append(DefinedName('LocalThird', attr_text='Third!$A$1', localSheetId=2))
except AttributeError:
    wb.defined_names['Total'] = DefinedName('Total', attr_text='Data!$B$2:$B$5')
    wb.defined_names['LocalThird'] = DefinedName('LocalThird', attr_text='Third!$A$1', localSheetId=2)
wb.save(sys.argv[1])
if len(sys.argv) > 2:
    # The same workbook as .xlsm: a macros part with its relationship and content type.
    src = zipfile.ZipFile(sys.argv[1])
    out = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)
    for item in src.infolist():
        data = src.read(item.filename)
        if item.filename == '[Content_Types].xml':
            data = data.replace(b'spreadsheetml.sheet.main+xml', b'ms-excel.sheet.macroEnabled.main+xml'.replace(b'ms-excel.', b'ms-excel.'))
            data = data.replace(b'application/vnd.openxmlformats-officedocument.ms-excel.sheet.macroEnabled.main+xml', b'application/vnd.ms-excel.sheet.macroEnabled.main+xml')
            data = data.replace(b'</Types>', b'<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/></Types>')
        if item.filename == 'xl/_rels/workbook.xml.rels':
            data = data.replace(b'</Relationships>', b'<Relationship Id="rIdVba" Type="http://schemas.microsoft.com/office/2006/relationships/vbaProject" Target="vbaProject.bin"/></Relationships>')
        out.writestr(item, data)
    out.writestr('xl/vbaProject.bin', bytes(range(256)) * 4)
    out.close()
)py";

// The parts of two packages that differ, or are missing from the second.
const char compareParts[] = R"py(
import sys, zipfile
a = zipfile.ZipFile(sys.argv[1]); b = zipfile.ZipFile(sys.argv[2])
names = set(b.namelist())
print(' '.join(sorted(n for n in a.namelist() if n not in names or a.read(n) != b.read(n))))
)py";

class XlsxWriterSpliceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(m_dir.isValid());
        QString out;
        ASSERT_EQ(TestFiles::runPython(
                      QString::fromLatin1(makeSource),
                      {file(QStringLiteral("src.xlsx")), file(QStringLiteral("src.xlsm"))}, &out),
                  0)
            << out.toStdString();
        buildStore();
    }

    QString file(const QString &name) const { return m_dir.filePath(name); }

    // What the reader delivers for the source workbook.
    void buildStore()
    {
        m_wb.format = WorkbookData::Format::Xlsx;
        m_wb.path = file(QStringLiteral("src.xlsx"));
        CellStyle named;
        named.fontColor = 0x0000FF;
        named.sourceIndex = 1;
        CellStyle green;
        green.fillPattern = 1;
        green.fillColor = 0x00FF00;
        green.sourceIndex = 2;
        m_wb.styles.push_back(named);
        m_wb.styles.push_back(green);
        m_wb.styles[0].sourceIndex = 0;
        SheetData &data = addSheet(m_wb, QStringLiteral("Data"));
        data.partName = QStringLiteral("xl/worksheets/sheet1.xml");
        setString(m_wb, data, 1, 1, QStringLiteral("name"), 1);
        setString(m_wb, data, 1, 2, QStringLiteral("value"));
        for (int i = 2; i <= 5; ++i) {
            setString(m_wb, data, i, 1, QStringLiteral("item%1").arg(i));
            setNumber(data, i, 2, i * 10, i == 2 ? 2 : 0);
        }
        setFormula(data, 2, 3, QStringLiteral("=B2*2"));
        setFormula(data, 2, 5, QStringLiteral("=B2:B3*2"));
        data.merges.push_back({10, 1, 10, 2});
        data.comments[SheetData::commentKey(2, 1)] = {QStringLiteral("old note"),
                                                      QStringLiteral("Ann")};
        SheetData &other = addSheet(m_wb, QStringLiteral("Other"));
        other.partName = QStringLiteral("xl/worksheets/sheet2.xml");
        setString(m_wb, other, 1, 1, QStringLiteral("untouched"));
        setNumber(other, 1, 2, 42);
        SheetData &third = addSheet(m_wb, QStringLiteral("Third"));
        third.partName = QStringLiteral("xl/worksheets/sheet3.xml");
        setNumber(third, 1, 1, 3);
    }

    QStringList changedParts(const QString &from, const QString &to)
    {
        QString out;
        EXPECT_EQ(TestFiles::runPython(QString::fromLatin1(compareParts), {from, to}, &out), 0)
            << out.toStdString();
        return out.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    WorkbookData m_wb;
};

TEST_F(XlsxWriterSpliceTest, UnchangedWorkbookKeepsEveryPartByteForByte)
{
    QString error;
    ASSERT_TRUE(XlsxWriter::save(m_wb, file(QStringLiteral("copy.xlsx")), &error))
        << error.toStdString();
    EXPECT_EQ(changedParts(file(QStringLiteral("src.xlsx")), file(QStringLiteral("copy.xlsx"))),
              QStringList());
}

TEST_F(XlsxWriterSpliceTest, EditedSheetIsSplicedAndEverythingElseSurvives)
{
    SheetData &data = *m_wb.sheets[0];
    setNumber(data, 3, 2, 99);
    setString(m_wb, data, 1, 5, QStringLiteral("新 text"));
    setString(m_wb, data, 12, 1, QStringLiteral("item2")); // an existing text again
    data.merges.push_back({5, 5, 6, 6});
    data.rowHeights[3] = 25;
    data.comments[SheetData::commentKey(2, 1)].text = QStringLiteral("new note");
    data.comments[SheetData::commentKey(4, 4)] = {QStringLiteral("added"), QStringLiteral("Bo")};
    CellStyle red = m_wb.styles[2]; // the green Arial cell, now with a red font
    red.fontColor = 0xFF0000;
    m_wb.styles.push_back(red);
    put(data, 2, 2).style = std::uint32_t(m_wb.styles.size() - 1);
    data.modified = true;

    QString error;
    const QString out = file(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(XlsxWriter::save(m_wb, out, &error)) << error.toStdString();
    QString failure;
    QJsonObject o = dump(out, &failure);
    ASSERT_FALSE(o.isEmpty()) << failure.toStdString();

    QJsonObject d = sheet(o, 0);
    EXPECT_EQ(cell(d, "B3")[0].toString(), QStringLiteral("99"));
    EXPECT_EQ(cell(d, "E1")[0].toString(), QStringLiteral("新 text"));
    EXPECT_EQ(cell(d, "A12")[0].toString(), QStringLiteral("item2"));
    EXPECT_EQ(cell(d, "A5")[0].toString(), QStringLiteral("item5"));
    EXPECT_EQ(cell(d, "C2")[0].toString(), QStringLiteral("=B2*2"));
    EXPECT_EQ(d[QStringLiteral("merges")].toArray(),
              (QJsonArray{QStringLiteral("A10:B10"), QStringLiteral("E5:F6")}));
    EXPECT_EQ(d[QStringLiteral("heights")].toObject()[QStringLiteral("3")].toDouble(), 25.0);
    QJsonObject comments = d[QStringLiteral("comments")].toObject();
    EXPECT_EQ(comments[QStringLiteral("A2")].toArray()[0].toString(), QStringLiteral("new note"));
    EXPECT_EQ(comments[QStringLiteral("D4")].toArray()[0].toString(), QStringLiteral("added"));
    // Not modelled, kept: validation, conditional format, chart, named style, names.
    EXPECT_EQ(d[QStringLiteral("validations")].toInt(), 1);
    EXPECT_EQ(d[QStringLiteral("conditional")].toInt(), 1);
    EXPECT_EQ(d[QStringLiteral("charts")].toInt(), 1);
    QJsonObject styles = d[QStringLiteral("styles")].toObject();
    EXPECT_EQ(styles[QStringLiteral("A1")].toObject()[QStringLiteral("named")].toString(),
              QStringLiteral("Highlight"));
    EXPECT_TRUE(styles[QStringLiteral("A1")].toObject()[QStringLiteral("bold")].toBool());
    QJsonObject b2 = styles[QStringLiteral("B2")].toObject();
    EXPECT_EQ(b2[QStringLiteral("font")].toString(), QStringLiteral("FFFF0000"));
    EXPECT_EQ(b2[QStringLiteral("fg")].toString(), QStringLiteral("FF00FF00"));
    EXPECT_EQ(o[QStringLiteral("names")].toArray().size(), 2);

    // The hidden row, the face of the re-coloured font, the array formula and recalculation on
    // open.
    QString xml;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb['Data']
print(ws.row_dimensions[7].hidden, ws['B2'].font.name, ws['B2'].font.sz, ws.formula_attributes.get('E2'), ws['E2'].value)
z = zipfile.ZipFile(sys.argv[1])
print('fullCalcOnLoad="1"' in z.read('xl/workbook.xml').decode())
)py"),
                                   {out}, &xml),
              0)
        << xml.toStdString();
    EXPECT_EQ(xml.trimmed(),
              QStringLiteral("True Arial 14.0 {'t': 'array', 'ref': 'E2:E3'} =B2:B3*2\nTrue"));

    // Sheets and parts nobody touched are copied as they were.
    QStringList changed = changedParts(file(QStringLiteral("src.xlsx")), out);
    for (const char *part :
         {"xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml", "xl/charts/chart1.xml",
          "xl/drawings/drawing1.xml", "xl/theme/theme1.xml", "docProps/core.xml"})
        EXPECT_FALSE(changed.contains(QLatin1String(part))) << part;
    EXPECT_TRUE(changed.contains(QStringLiteral("xl/worksheets/sheet1.xml")));
}

TEST_F(XlsxWriterSpliceTest, StructureChangesRewriteTheSheetList)
{
    // Third moves first and is renamed, Other is hidden, Data is deleted, a new sheet is added.
    auto data = std::move(m_wb.sheets[0]);
    auto other = std::move(m_wb.sheets[1]);
    auto third = std::move(m_wb.sheets[2]);
    m_wb.sheets.clear();
    third->name = QStringLiteral("Renamed <3>");
    other->visible = 0;
    m_wb.sheets.push_back(std::move(third));
    m_wb.sheets.push_back(std::move(other));
    SheetData &added = addSheet(m_wb, QStringLiteral("Added"));
    added.visible = 2;
    setString(m_wb, added, 1, 1, QStringLiteral("fresh"));
    added.comments[SheetData::commentKey(1, 1)] = {QStringLiteral("on a new sheet"),
                                                   QStringLiteral("Cy")};
    added.modified = true;
    m_wb.structureModified = true;

    QString error;
    const QString out = file(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(XlsxWriter::save(m_wb, out, &error)) << error.toStdString();
    QString failure;
    QJsonObject o = dump(out, &failure);
    ASSERT_FALSE(o.isEmpty()) << failure.toStdString();
    EXPECT_EQ(o[QStringLiteral("order")].toArray(),
              (QJsonArray{QStringLiteral("Renamed <3>"), QStringLiteral("Other"),
                          QStringLiteral("Added")}));
    EXPECT_EQ(sheet(o, 0)[QStringLiteral("state")].toString(), QStringLiteral("visible"));
    EXPECT_EQ(sheet(o, 1)[QStringLiteral("state")].toString(), QStringLiteral("hidden"));
    EXPECT_EQ(sheet(o, 2)[QStringLiteral("state")].toString(), QStringLiteral("veryHidden"));
    EXPECT_EQ(cell(sheet(o, 0), "A1")[0].toString(), QStringLiteral("3"));
    EXPECT_EQ(cell(sheet(o, 1), "A1")[0].toString(), QStringLiteral("untouched"));
    EXPECT_EQ(cell(sheet(o, 2), "A1")[0].toString(), QStringLiteral("fresh"));
    EXPECT_EQ(sheet(o, 2)[QStringLiteral("comments")]
                  .toObject()[QStringLiteral("A1")]
                  .toArray()[0]
                  .toString(),
              QStringLiteral("on a new sheet"));
    // The sheet-local name follows its sheet to position 0 and to its new name; a name on the
    // deleted sheet reads #REF!, as after deleting a sheet by hand.
    int found = 0;
    for (const auto &n : o[QStringLiteral("names")].toArray()) {
        const QJsonArray name = n.toArray();
        if (name[0].toString() == QLatin1String("LocalThird")) {
            ++found;
            EXPECT_EQ(name[1].toString(), QStringLiteral("'Renamed <3>'!$A$1"));
            EXPECT_EQ(name[2].toInt(), 0);
        } else if (name[0].toString() == QLatin1String("Total")) {
            ++found;
            EXPECT_EQ(name[1].toString(), QStringLiteral("#REF!$B$2:$B$5"));
        }
    }
    EXPECT_EQ(found, 2);
    QStringList changed = changedParts(file(QStringLiteral("src.xlsx")), out);
    EXPECT_FALSE(changed.contains(QStringLiteral("xl/worksheets/sheet3.xml")));
    EXPECT_FALSE(changed.contains(QStringLiteral("xl/worksheets/sheet2.xml")));
    EXPECT_TRUE(changed.contains(QStringLiteral("xl/worksheets/sheet1.xml"))); // deleted
}

TEST_F(XlsxWriterSpliceTest, MacroWorkbookKeepsItsMacros)
{
    m_wb.format = WorkbookData::Format::Xlsm;
    m_wb.path = file(QStringLiteral("src.xlsm"));
    setNumber(*m_wb.sheets[1], 2, 2, 7);
    m_wb.sheets[1]->modified = true;
    QString error;
    const QString out = file(QStringLiteral("out.xlsm"));
    ASSERT_TRUE(XlsxWriter::save(m_wb, out, &error)) << error.toStdString();
    QStringList changed = changedParts(file(QStringLiteral("src.xlsm")), out);
    EXPECT_FALSE(changed.contains(QStringLiteral("xl/vbaProject.bin")));
    EXPECT_TRUE(changed.contains(QStringLiteral("xl/worksheets/sheet2.xml")));
    QString text;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile, openpyxl
z = zipfile.ZipFile(sys.argv[1])
print('macroEnabled.main+xml' in z.read('[Content_Types].xml').decode(), 'vbaProject' in z.read('xl/_rels/workbook.xml.rels').decode())
print(openpyxl.load_workbook(sys.argv[1], keep_vba=True)['Other']['B2'].value)
)py"),
                                   {out}, &text),
              0)
        << text.toStdString();
    EXPECT_EQ(text.trimmed(), QStringLiteral("True True\n7"));
}

TEST_F(XlsxWriterSpliceTest, CommentDrawingKeepsItsOtherShapes)
{
    // A button drawn in the same legacy drawing as the comment boxes.
    QString out;
    ASSERT_EQ(TestFiles::runPython(
                  QStringLiteral(R"py(
import sys, zipfile
src = zipfile.ZipFile(sys.argv[1]); dst = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)
button = ('<ns9:shape xmlns:ns9="urn:schemas-microsoft-com:vml" id="_x0000_s1030" type="#_x0000_t201">'
          '<ns8:ClientData xmlns:ns8="urn:schemas-microsoft-com:office:excel" ObjectType="Button"/></ns9:shape>')
for item in src.infolist():
    data = src.read(item.filename)
    if item.filename.endswith('.vml'):
        data = data.replace(b'</xml>', button.encode() + b'</xml>')
    dst.writestr(item, data)
dst.close()
)py"),
                  {file(QStringLiteral("src.xlsx")), file(QStringLiteral("button.xlsx"))}, &out),
              0)
        << out.toStdString();
    m_wb.path = file(QStringLiteral("button.xlsx"));
    SheetData &data = *m_wb.sheets[0];
    data.comments[SheetData::commentKey(3, 3)] = {QStringLiteral("second"), QStringLiteral("Ann")};
    data.comments[SheetData::commentKey(4, 4)] = {QStringLiteral("third"), QStringLiteral("Ann")};
    data.modified = true;
    QString error;
    const QString target = file(QStringLiteral("out.xlsx"));
    ASSERT_TRUE(XlsxWriter::save(m_wb, target, &error)) << error.toStdString();
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, re, zipfile
import xml.etree.ElementTree as ET
z = zipfile.ZipFile(sys.argv[1])
vml = z.read('xl/drawings/commentsDrawing1.vml').decode()
root = ET.fromstring(vml)
shapes = [e for e in root.iter() if e.tag.endswith('}shape')]
kinds = sorted(c.get('ObjectType') for s in shapes for c in s if c.tag.endswith('}ClientData'))
ids = [s.get('id') for s in shapes]
rows = sorted(int(r.text) for r in root.iter() if r.tag.endswith('}Row'))
print(kinds, len(ids) == len(set(ids)), rows)
)py"),
                                   {target}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("['Button', 'Note', 'Note', 'Note'] True [1, 2, 3]"));
}

TEST_F(XlsxWriterSpliceTest, FileKindFollowsTheNewName)
{
    // .xlsm saved as .xlsx loses its macros (a spreadsheet program refuses an .xlsx that holds
    // them); .xlsx saved as .xlsm says it is a macro workbook.
    const struct
    {
        const char *source;
        const char *target;
        const char *expected;
    } cases[] = {
        {"src.xlsm", "plain.xlsx", "False False sheet.main+xml"},
        {"src.xlsx", "macro.xlsm", "False False macroEnabled.main+xml"},
        {"src.xlsm", "again.xlsm", "True True macroEnabled.main+xml"},
    };
    for (const auto &c : cases) {
        m_wb.path = file(QLatin1String(c.source));
        m_wb.format = m_wb.path.endsWith(QLatin1String(".xlsm")) ? WorkbookData::Format::Xlsm
                                                                 : WorkbookData::Format::Xlsx;
        QString error;
        const QString out = file(QLatin1String(c.target));
        ASSERT_TRUE(XlsxWriter::save(m_wb, out, &error)) << error.toStdString();
        QString text;
        ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, re, zipfile, openpyxl
z = zipfile.ZipFile(sys.argv[1])
ct = z.read('[Content_Types].xml').decode()
kind = re.search(r'PartName="/xl/workbook.xml" ContentType="[^"]*?([a-zA-Z]+\.main\+xml)"', ct).group(1)
print('xl/vbaProject.bin' in z.namelist(), 'vbaProject' in z.read('xl/_rels/workbook.xml.rels').decode(), kind)
openpyxl.load_workbook(sys.argv[1])
)py"),
                                       {out}, &text),
                  0)
            << text.toStdString();
        EXPECT_EQ(text.trimmed(), QLatin1String(c.expected)) << c.target;
    }
}

} // namespace

namespace {

// A package written by hand the way some generators write it: every SpreadsheetML element with
// an "x:" prefix, shared strings, no comments yet and an empty second sheet.
const char makePrefixed[] = R"py(
import sys, zipfile
M = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
R = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
P = 'http://schemas.openxmlformats.org/package/2006/relationships'
parts = {
'[Content_Types].xml': '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/><Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/></Types>',
'_rels/.rels': '<Relationships xmlns="%s"><Relationship Id="r1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (P, R),
'xl/workbook.xml': '<x:workbook xmlns:x="%s" xmlns:rel="%s"><x:sheets><x:sheet name="First" sheetId="1" rel:id="a"/><x:sheet name="Empty" sheetId="2" rel:id="b"/></x:sheets></x:workbook>' % (M, R),
'xl/_rels/workbook.xml.rels': '<Relationships xmlns="%s"><Relationship Id="a" Type="%s/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="b" Type="%s/worksheet" Target="worksheets/sheet2.xml"/><Relationship Id="c" Type="%s/sharedStrings" Target="sharedStrings.xml"/><Relationship Id="d" Type="%s/styles" Target="styles.xml"/><Relationship Id="e" Type="%s/calcChain" Target="calcChain.xml"/></Relationships>' % (P, R, R, R, R, R),
'xl/worksheets/sheet1.xml': '<x:worksheet xmlns:x="%s"><x:dimension ref="A1:B1"/><x:sheetData><x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c><x:c r="B1"><x:v>2</x:v></x:c></x:row></x:sheetData><x:pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></x:worksheet>' % M,
'xl/worksheets/sheet2.xml': '<x:worksheet xmlns:x="%s"><x:sheetData/></x:worksheet>' % M,
'xl/calcChain.xml': '<x:calcChain xmlns:x="%s"><x:c r="B1" i="1"/></x:calcChain>' % M,
'xl/sharedStrings.xml': '<x:sst xmlns:x="%s" count="1" uniqueCount="1"><x:si><x:t>hello</x:t></x:si><x:extLst><x:ext uri="{0}"/></x:extLst></x:sst>' % M,
'xl/styles.xml': '<x:styleSheet xmlns:x="%s"><x:fonts count="1"><x:font><x:sz val="11"/><x:name val="Calibri"/></x:font></x:fonts><x:fills count="2"><x:fill><x:patternFill patternType="none"/></x:fill><x:fill><x:patternFill patternType="gray125"/></x:fill></x:fills><x:borders count="1"><x:border/></x:borders><x:cellStyleXfs count="1"><x:xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></x:cellStyleXfs><x:cellXfs count="1"><x:xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></x:cellXfs></x:styleSheet>' % M,
}
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)
for name, text in parts.items():
    if sys.argv[2] == 'utf-16' and name in ('xl/worksheets/sheet1.xml', 'xl/sharedStrings.xml', 'xl/styles.xml', 'xl/workbook.xml'):
        z.writestr(name, ('<?xml version="1.0" encoding="UTF-16"?>' + text).encode('utf-16'))
    else:
        z.writestr(name, text)
z.close()
)py";

TEST(XlsxWriterPrefixedTest, PrefixedPartsAreSplicedInTheirOwnPrefix)
{
    QUORVA_NEED_OPENPYXL();
    // Parts in UTF-16, which XML allows, take UTF-8 additions just the same.
    for (const char *encoding : {"utf-8", "utf-16"}) {
        SCOPED_TRACE(encoding);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("prefixed.xlsx"));
        QString out;
        ASSERT_EQ(TestFiles::runPython(QString::fromLatin1(makePrefixed),
                                       {source, QLatin1String(encoding)}, &out),
                  0)
            << out.toStdString();

        WorkbookData wb;
        wb.format = WorkbookData::Format::Xlsx;
        wb.path = source;
        wb.styles[0].sourceIndex = 0;
        wb.styles[0].numberFormat = QStringLiteral("General");
        SheetData &first = addSheet(wb, QStringLiteral("First"));
        first.partName = QStringLiteral("xl/worksheets/sheet1.xml");
        setString(wb, first, 1, 1, QStringLiteral("hello"));
        setNumber(first, 1, 2, 2);
        setString(wb, first, 2, 1, QStringLiteral("world"));
        first.merges.push_back({3, 1, 3, 2});
        first.comments[SheetData::commentKey(1, 2)] = {QStringLiteral("two"), QStringLiteral("Di")};
        CellStyle red;
        red.fontColor = 0xFF0000;
        wb.styles.push_back(red);
        setNumber(first, 4, 1, 4, 1);
        first.modified = true;
        SheetData &empty = addSheet(wb, QStringLiteral("Empty"));
        empty.partName = QStringLiteral("xl/worksheets/sheet2.xml");
        setNumber(empty, 2, 2, 22);
        empty.modified = true;

        const QString target = dir.filePath(QStringLiteral("out.xlsx"));
        QString error;
        ASSERT_TRUE(XlsxWriter::save(wb, target, &error)) << error.toStdString();
        QString failure;
        QJsonObject o = dump(target, &failure);
        ASSERT_FALSE(o.isEmpty()) << failure.toStdString();
        QJsonObject s = o[QStringLiteral("sheets")].toArray()[0].toObject();
        QJsonObject cells = s[QStringLiteral("cells")].toObject();
        EXPECT_EQ(cells[QStringLiteral("A1")].toArray()[0].toString(), QStringLiteral("hello"));
        EXPECT_EQ(cells[QStringLiteral("A2")].toArray()[0].toString(), QStringLiteral("world"));
        EXPECT_EQ(s[QStringLiteral("merges")].toArray(), QJsonArray{QStringLiteral("A3:B3")});
        EXPECT_EQ(
            s[QStringLiteral("comments")].toObject()[QStringLiteral("B1")].toArray()[0].toString(),
            QStringLiteral("two"));
        EXPECT_EQ(s[QStringLiteral("styles")]
                      .toObject()[QStringLiteral("A4")]
                      .toObject()[QStringLiteral("font")]
                      .toString(),
                  QStringLiteral("FFFF0000"));
        QJsonObject e = o[QStringLiteral("sheets")].toArray()[1].toObject();
        EXPECT_EQ(
            e[QStringLiteral("cells")].toObject()[QStringLiteral("B2")].toArray()[0].toString(),
            QStringLiteral("22"));

        // Every element added to a prefixed part carries the prefix.
        ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile, re
z = zipfile.ZipFile(sys.argv[1])
for name in ('xl/worksheets/sheet1.xml', 'xl/worksheets/sheet2.xml', 'xl/sharedStrings.xml', 'xl/styles.xml', 'xl/workbook.xml'):
    xml = z.read(name).decode()
    print(name, sorted(set(re.findall(r'<(?!/|\?)([A-Za-z]+)[ />]', xml))))
# A calculation chain may name cells that no longer hold formulas: it goes, with its references.
print('xl/calcChain.xml' in z.namelist(), 'calcChain' in z.read('[Content_Types].xml').decode() + z.read('xl/_rels/workbook.xml.rels').decode())
sst = z.read('xl/sharedStrings.xml').decode()
print(sst.index('world') < sst.index('extLst'))
)py"),
                                       {target}, &out),
                  0)
            << out.toStdString();
        EXPECT_EQ(out.trimmed(),
                  QStringLiteral("xl/worksheets/sheet1.xml []\nxl/worksheets/sheet2.xml []\n"
                                 "xl/sharedStrings.xml []\nxl/styles.xml []\nxl/workbook.xml []\n"
                                 "False False\nTrue"));
    }
}

} // namespace
