#include "platform/excel/XlsxReader.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/ZipReader.h"
#include "platform/excel/tests/ModelTestSupport.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace excel;

namespace {

const Cell *cellAt(const SheetData &s, int row, int column)
{
    if (row < 1 || std::size_t(row) > s.rows.size()) return nullptr;
    for (const Cell &c : s.rows[std::size_t(row - 1)])
        if (c.column == column) return &c;
    return nullptr;
}

} // namespace

TEST(XlsxReader, ReadsValuesFormulasStylesCommentsAndMerges)
{
    QUORVA_NEED_OPENPYXL();
    QTemporaryDir dir;
    QString path = writeWithOpenpyxl(dir, QStringLiteral("a.xlsx"), QStringLiteral(R"(
ws.title = 'Data'
ws['B2'] = 1.5
ws['C2'] = 'text & <more>'
ws['D2'] = True
ws['E2'] = '=B2*2'
ws['F2'] = datetime.datetime(2024, 1, 31, 12, 0)
ws['B3'] = 0.1 + 0.2
ws['B3'].font = Font(color='FFFF0000')
ws['C3'].fill = PatternFill('solid', fgColor='FFFFFF00')
ws['C2'].comment = Comment('note text', 'me')
ws.merge_cells('B5:C6')
ws['B5'] = 'merged'
ws.row_dimensions[2].height = 30
h = wb.create_sheet('Hidden'); h.sheet_state = 'hidden'
v = wb.create_sheet('Very'); v.sheet_state = 'veryHidden'
v['A1'] = 'x'
wb.epoch = openpyxl.utils.datetime.CALENDAR_WINDOWS_1900
)"));
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(path, &wb, &error)) << error.toStdString();
    ASSERT_EQ(wb.sheets.size(), 3u);
    const SheetData &s = *wb.sheets[0];
    EXPECT_EQ(s.name, QStringLiteral("Data"));
    EXPECT_EQ(wb.sheets[1]->visible, 0);
    EXPECT_EQ(wb.sheets[2]->visible, 2);
    EXPECT_EQ(s.visible, -1);

    const Cell *b2 = cellAt(s, 2, 2);
    ASSERT_TRUE(b2);
    EXPECT_EQ(b2->kind(), CellKind::Number);
    EXPECT_EQ(b2->number(), 1.5);
    const Cell *c2 = cellAt(s, 2, 3);
    ASSERT_TRUE(c2);
    ASSERT_EQ(c2->kind(), CellKind::String);
    EXPECT_EQ(wb.strings[c2->string()], QStringLiteral("text & <more>"));
    EXPECT_EQ(cellAt(s, 2, 4)->kind(), CellKind::Boolean);
    EXPECT_TRUE(cellAt(s, 2, 4)->boolean());
    const Cell *e2 = cellAt(s, 2, 5);
    ASSERT_TRUE(e2 && e2->hasFormula);
    EXPECT_EQ(CellStore::formulaText(s, 2, *e2), QStringLiteral("=B2*2"));
    const Cell *f2 = cellAt(s, 2, 6);
    ASSERT_TRUE(f2);
    EXPECT_TRUE(wb.styles[f2->style].isDate);
    EXPECT_DOUBLE_EQ(f2->number(), 45322.5);
    EXPECT_EQ(wb.styles[cellAt(s, 3, 2)->style].fontColor, 0xFF0000);
    EXPECT_EQ(wb.styles[cellAt(s, 3, 2)->style].fontColorIndex, 3);
    const CellStyle &fill = wb.styles[cellAt(s, 3, 3)->style];
    EXPECT_EQ(fill.fillPattern, 1);
    EXPECT_EQ(fill.fillColor, 0xFFFF00);
    EXPECT_EQ(fill.fillColorIndex, 6);
    ASSERT_EQ(s.comments.count(SheetData::commentKey(2, 3)), 1u);
    EXPECT_TRUE(
        s.comments.at(SheetData::commentKey(2, 3)).text.contains(QStringLiteral("note text")));
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0].firstRow, 5);
    EXPECT_EQ(s.merges[0].lastColumn, 3);
    EXPECT_EQ(s.rowHeights.at(2), 30.0);
    EXPECT_EQ(s.partName, QStringLiteral("xl/worksheets/sheet1.xml"));
}

// Written by libxlsxwriter: shared strings, cached formula results, a shared formula written
// as a block, and rich text.
TEST(XlsxReader, ReadsFixtureFromAnotherWriter)
{
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(
        TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/other_writer.xlsx")), &wb,
        &error))
        << error.toStdString();
    ASSERT_GE(wb.sheets.size(), 2u);
    const SheetData &s = *wb.sheets[0];
    const Cell *a1 = cellAt(s, 1, 1);
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->kind(), CellKind::String);
    EXPECT_EQ(wb.strings[a1->string()], QStringLiteral("名称"));
    const Cell *c2 = cellAt(s, 2, 3);
    ASSERT_TRUE(c2 && c2->hasFormula);
    EXPECT_EQ(CellStore::formulaText(s, 2, *c2), QStringLiteral("=A2+B2"));
    EXPECT_EQ(c2->kind(), CellKind::Number);
    EXPECT_EQ(c2->number(), 42.0);
    const Cell *d2 = cellAt(s, 2, 4);
    ASSERT_TRUE(d2);
    EXPECT_EQ(d2->kind(), CellKind::String);
    EXPECT_EQ(wb.strings[d2->string()], QStringLiteral("cached text"));
    const Cell *rich = cellAt(s, 3, 1);
    ASSERT_TRUE(rich);
    EXPECT_EQ(wb.strings[rich->string()], QStringLiteral("bold and plain"));
    EXPECT_EQ(wb.sheets[1]->visible, 0);
}

// A package built by hand: shared formulas, inline rich strings with a phonetic run, errors,
// cells without references, a 1904 workbook.
TEST(XlsxReader, ExpandsSharedFormulasAndInlineStrings)
{
    QUORVA_NEED_OPENPYXL();
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("h.xlsx"));
    QString script = QStringLiteral(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1], 'w')
z.writestr('[Content_Types].xml', '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
z.writestr('_rels/.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>')
z.writestr('xl/workbook.xml', '<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><x:workbookPr date1904="1"/><x:sheets><x:sheet name="S" sheetId="1" r:id="rId1"/></x:sheets></x:workbook>')
z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/s.xml"/></Relationships>')
z.writestr('xl/worksheets/s.xml', '''<?xml version="1.0"?><x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData>
<x:row r="2"><x:c r="B2"><x:f t="shared" ref="B2:C4" si="0">A2*$A$1+SUM(A$1:A2)&amp;"A1"</x:f><x:v>1</x:v></x:c><x:c><x:f t="shared" si="0"/><x:v>2</x:v></x:c></x:row>
<x:row><x:c r="B3"><x:f t="shared" si="0"/></x:c><x:c r="D3" t="e"><x:v>#N/A</x:v></x:c><x:c r="E3" t="inlineStr"><x:is><x:r><x:t>ab</x:t></x:r><x:r><x:t xml:space="preserve"> c_x000D_</x:t></x:r><x:rPh><x:t>skip</x:t></x:rPh></x:is></x:c></x:row>
<x:row r="5"><x:c r="A5" t="str"><x:f>"x"&amp;"y"</x:f><x:v>xy</x:v></x:c><x:c r="B5" t="b"><x:v>0</x:v></x:c><x:c r="C5"><![CDATA[]]></x:c></x:row>
</x:sheetData></x:worksheet>''')
z.close()
)");
    QString output;
    ASSERT_EQ(TestFiles::runPython(script, {path}, &output), 0) << output.toStdString();
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(path, &wb, &error)) << error.toStdString();
    EXPECT_TRUE(wb.date1904);
    const SheetData &s = *wb.sheets[0];
    auto formula = [&](int r, int c) {
        const Cell *cell = cellAt(s, r, c);
        return cell ? CellStore::formulaText(s, r, *cell) : QString();
    };
    EXPECT_EQ(formula(2, 2), QStringLiteral("=A2*$A$1+SUM(A$1:A2)&\"A1\""));
    EXPECT_EQ(formula(2, 3), QStringLiteral("=B2*$A$1+SUM(B$1:B2)&\"A1\""));
    EXPECT_EQ(formula(3, 2), QStringLiteral("=A3*$A$1+SUM(A$1:A3)&\"A1\""));
    EXPECT_EQ(cellAt(s, 3, 4)->kind(), CellKind::Error);
    EXPECT_EQ(cellAt(s, 3, 4)->error(), 2042);
    EXPECT_EQ(wb.strings[cellAt(s, 3, 5)->string()], QStringLiteral("ab c\r"));
    EXPECT_EQ(wb.strings[cellAt(s, 5, 1)->string()], QStringLiteral("xy"));
    EXPECT_EQ(formula(5, 1), QStringLiteral("=\"x\"&\"y\""));
    EXPECT_EQ(cellAt(s, 5, 2)->kind(), CellKind::Boolean);
    EXPECT_EQ(cellAt(s, 5, 3)->kind(), CellKind::Blank);
}

TEST(XlsxReader, BadFilesGiveClearErrorsNamingFileAndPart)
{
    QUORVA_NEED_OPENPYXL();
    QTemporaryDir dir;
    QString good = writeWithOpenpyxl(dir, QStringLiteral("good.xlsx"),
                                     QStringLiteral("ws['A1'] = 1\nws['A2'] = 'x'"));
    QByteArray bytes = TestFiles::read(good);

    // a script that rewrites one part of the good file
    auto patched = [&](const QString &name, const QString &part, const QString &content) {
        QString path = dir.filePath(name);
        QString script = QStringLiteral(R"(
import sys, zipfile
src = zipfile.ZipFile(sys.argv[1]); dst = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)
for i in src.infolist():
    if i.filename != sys.argv[3]:
        dst.writestr(i, src.read(i.filename))
if sys.argv[4] != '-':
    dst.writestr(sys.argv[3], eval(sys.argv[4]))
dst.close()
)");
        QString output;
        EXPECT_EQ(TestFiles::runPython(script, {good, path, part, content}, &output), 0)
            << output.toStdString();
        return path;
    };

    struct Case
    {
        QString path;
        QString expected; // part of the message
    };
    QString notZip = dir.filePath(QStringLiteral("notzip.xlsx"));
    TestFiles::write(notZip, "hello, this is text");
    QString truncated = dir.filePath(QStringLiteral("trunc.xlsx"));
    TestFiles::write(truncated, bytes.left(bytes.size() / 2));
    QString ole = dir.filePath(QStringLiteral("ole.xlsx"));
    TestFiles::write(ole,
                     QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0'));
    const Case cases[] = {
        {notZip, QStringLiteral("not a zip")},
        {truncated, QStringLiteral("trunc.xlsx")},
        {ole, QStringLiteral("legacy .xls")},
        {patched(QStringLiteral("noSheet.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("-")),
         QStringLiteral("xl/worksheets/sheet1.xml: the part is missing")},
        {patched(QStringLiteral("badXml.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<worksheet><sheetData><row r=\"1\"><c "
                                "r=\"A1\"><v>1</v></row></sheetData></worksheet>'")),
         QStringLiteral("line 1: the end tag </row> does not match")},
        {patched(QStringLiteral("badWb.xlsx"), QStringLiteral("xl/workbook.xml"),
                 QStringLiteral("'<workbook><sheets>'")),
         QStringLiteral("xl/workbook.xml: malformed XML")},
        {patched(QStringLiteral("badNum.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<worksheet><sheetData><row r=\"1\">\\n<c "
                                "r=\"A1\"><v>1x</v></c></row></sheetData></worksheet>'")),
         QStringLiteral("line 2: cell A1: bad number \"1x\"")},
        {patched(QStringLiteral("badRow.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral(
                     "'<worksheet><sheetData><row r=\"99999999\"/></sheetData></worksheet>'")),
         QStringLiteral("row number out of range")},
        {patched(QStringLiteral("deep.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<worksheet>' + '<a>' * 500 + '</a>' * 500 + '</worksheet>'")),
         QStringLiteral("nested deeper")},
        {patched(QStringLiteral("doctype.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<!DOCTYPE x [<!ENTITY a \"b\">]><worksheet/>'")),
         QStringLiteral("document type declarations are not allowed")},
        {patched(QStringLiteral("cut.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1'")),
         QStringLiteral("ends")},
        {patched(QStringLiteral("badStr.xlsx"), QStringLiteral("xl/worksheets/sheet1.xml"),
                 QStringLiteral("'<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
                                "t=\"s\"><v>7</v></c></row></sheetData></worksheet>'")),
         QStringLiteral("shared string 7 does not exist")},
    };
    for (const Case &c : cases) {
        WorkbookData wb;
        QString error;
        EXPECT_FALSE(XlsxReader::read(c.path, &wb, &error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(c.expected))
            << error.toStdString() << " / expected " << c.expected.toStdString();
        EXPECT_TRUE(error.contains(QFileInfo(c.path).fileName())) << error.toStdString();
    }
}

TEST(XlsxReader, ZipBombIsRefused)
{
    QUORVA_NEED_OPENPYXL();
    QTemporaryDir dir;
    QString good =
        writeWithOpenpyxl(dir, QStringLiteral("good.xlsx"), QStringLiteral("ws['A1'] = 1"));
    QString bomb = dir.filePath(QStringLiteral("bomb.xlsx"));
    QString script = QStringLiteral(R"(
import sys, zipfile
src = zipfile.ZipFile(sys.argv[1]); dst = zipfile.ZipFile(sys.argv[2], 'w', zipfile.ZIP_DEFLATED)
for i in src.infolist():
    if i.filename != 'xl/worksheets/sheet1.xml':
        dst.writestr(i, src.read(i.filename))
dst.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData>' + ' ' * (80 << 20) + '</sheetData></worksheet>')
dst.close()
)");
    ASSERT_EQ(TestFiles::runPython(script, {good, bomb}), 0);
    WorkbookData wb;
    QString error;
    EXPECT_FALSE(XlsxReader::read(bomb, &wb, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("zip bomb"))) << error.toStdString();
    XlsxLimits small;
    small.maxSheetBytes = 1 << 20;
    EXPECT_FALSE(XlsxReader::read(bomb, &wb, &error, small));
    EXPECT_TRUE(error.contains(QStringLiteral("more than 1048576 bytes"))) << error.toStdString();
}

TEST(XlsxReader, CellsBeyondTheGridAreNamed)
{
    QUORVA_NEED_OPENPYXL();
    QTemporaryDir dir;
    QString path = writeWithOpenpyxl(
        dir, QStringLiteral("big.xlsx"),
        QStringLiteral("ws.title='Big'\nws['A1'] = 1\nws.cell(row=70000, column=300, value=5)"));
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(path, &wb, &error)) << error.toStdString();
    ASSERT_EQ(wb.warnings.size(), 1u);
    EXPECT_TRUE(wb.warnings[0].contains(QStringLiteral("\"Big\""))) << wb.warnings[0].toStdString();
    EXPECT_TRUE(wb.warnings[0].contains(QStringLiteral("KN70000"))) << wb.warnings[0].toStdString();
    EXPECT_EQ(cellAt(*wb.sheets[0], 70000, 300)->number(), 5.0);
}

namespace {

// What the object model takes on trust from a workbook the reader accepted: every index and
// position in range, rows' cells in column order. "" when all holds, else the first fault.
std::string faultIn(const WorkbookData &wb)
{
    if (wb.sheets.empty() || wb.activeSheet >= int(wb.sheets.size())) return "sheets";
    for (const auto &sheet : wb.sheets) {
        const std::string at = sheet->name.toStdString() + ": ";
        if (sheet->name.isEmpty()) return "a sheet without a name";
        for (const auto &row : sheet->rows) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                const Cell &cell = row[i];
                if (cell.column > 16384 || (i > 0 ? row[i - 1].column : 0) >= cell.column)
                    return at + "column " + std::to_string(cell.column) + " out of order";
                if (cell.style >= wb.styles.size()) return at + "style out of range";
                if (cell.hasFormula &&
                    !CellStore::formula(*sheet, int(&row - sheet->rows.data()) + 1, cell))
                    return at + "formula out of range";
                if (cell.kind() == CellKind::String && cell.string() >= wb.strings.size())
                    return at + "shared string out of range";
            }
        }
    }
    return {};
}

QStringList entryNames(const QByteArray &package)
{
    ZipReader zip;
    QStringList names;
    if (!zip.openBytes(package)) return names;
    for (std::int64_t i = 0; i < zip.entryCount(); ++i)
        names.append(zip.entryName(i));
    return names;
}

} // namespace

// Mutated copies of a real workbook give a workbook whose cells the model can read, or an
// error naming the file and, when the package itself opens, the part at fault; never an
// exception, a crash or a hang.
TEST(XlsxReader, SurvivesMutatedFiles)
{
    const QByteArray base = TestFiles::read(
        TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/other_writer.xlsx")));
    ASSERT_FALSE(base.isEmpty());
    const QStringList baseParts = entryNames(base);
    const QString prefix = QStringLiteral("Cannot read \"mutant\": ");
    std::mt19937 rng(4242);
    int accepted = 0, partFaults = 0;
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes = base;
        int flips = 1 + int(rng() % 8);
        for (int k = 0; k < flips; ++k)
            bytes[int(rng() % std::uint32_t(bytes.size()))] = char(rng());
        SCOPED_TRACE(i);
        WorkbookData wb;
        QString error;
        bool ok = false;
        try {
            ok = XlsxReader::readBytes(bytes, QStringLiteral("mutant"), &wb, &error);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "the reader threw: " << e.what();
            continue;
        }
        if (ok) {
            ++accepted;
            EXPECT_EQ(faultIn(wb), "");
            continue;
        }
        ASSERT_TRUE(error.startsWith(prefix)) << error.toStdString();
        const QStringList parts = entryNames(bytes);
        if (parts.isEmpty()) continue; // the package itself is damaged: no part to name
        const QString why = error.mid(prefix.size());
        const bool named = std::any_of(parts.begin(), parts.end(), [&](const QString &p) {
            return why.startsWith(p + ": ") || baseParts.contains(why.section(": ", 0, 0));
        });
        partFaults += named;
        EXPECT_TRUE(named || why.contains(QStringLiteral(": the part is missing")))
            << error.toStdString();
    }
    // The mutants reach both outcomes, the part checks included.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(partFaults, 0);
}
