#include "platform/excel/SharedStringsParser.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/XlsxReader.h"
#include "tests/support/TestFiles.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;

namespace {

// Parses the document in chunks of the given size; the strings, or "declined".
QStringList parse(const std::string &xml, std::size_t chunk)
{
    StringPool strings;
    SharedStringsParser parser(&strings, 8, std::int64_t(xml.size()));
    bool ok = true;
    for (std::size_t at = 0; ok && at < xml.size(); at += chunk)
        ok = parser.feed(xml.data() + at, std::min(chunk, xml.size() - at));
    if (!ok || !parser.finish()) return {QStringLiteral("declined")};
    return QStringList(strings.begin(), strings.end());
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                          "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                          "main\" count=\"9\" uniqueCount=\"9\">";

} // namespace

TEST(SharedStringsParser, ItemTextsInEveryChunkSize)
{
    struct Case
    {
        const char *name;
        std::string xml;
        QStringList expected;
    };
    const Case cases[] = {
        {"plain items", kHead + "<si><t>a</t></si><si><t>bc d</t></si></sst>", {"a", "bc d"}},
        {"empty items", kHead + "<si/><si><t/></si><si><t></t></si></sst>", {"", "", ""}},
        {"rich runs, every text of a run, phonetic runs left out",
         kHead + "<si><r><rPr><b/></rPr><t>Hello</t></r><r><t xml:space=\"preserve\"> </t></r>"
                 "<r><t>Wor</t><t>ld</t></r><rPh sb=\"0\" eb=\"1\"><t>ハロー</t></rPh>"
                 "<phoneticPr fontId=\"1\"/></si></sst>",
         {"Hello World"}},
        {"white space only is kept when it is all there is",
         kHead + "<si><t xml:space=\"preserve\">  </t></si><si><t>\n</t></si>"
                 "<si><t> <![CDATA[x]]></t></si></sst>",
         {"  ", "\n", "x"}},
        {"entities, character references and CDATA",
         kHead + "<si><t>a &amp; b &lt;&gt; &quot;&apos; &#65;&#x4E2D;</t></si>"
                 "<si><t><![CDATA[<&amp;>]]> z</t></si></sst>",
         {"a & b <> \"' A中", "<&amp;> z"}},
        {"line ends and escapes",
         kHead + "<si><t>1\r\n2\r3&#13;</t></si><si><t>a_x000D__x005F_x_x0041_</t></si>"
                 "<si><t>_x2</t></si></sst>",
         {"1\n2\n3\r", "a\r_xA", "_x2"}},
        {"prefixes, comments and a byte order mark",
         "\xEF\xBB\xBF<x:sst xmlns:x=\"m\"><!-- <si><t>no</t></si> --><x:si><x:t>yes</x:t>"
         "</x:si><x:si><x:r><x:t>run</x:t></x:r></x:si></x:sst>",
         {"yes", "run"}},
        {"text outside the texts is not the item's",
         kHead + "<si>\n  <t>in</t>\n  <extra><t>not</t></extra></si>\n</sst>",
         {"in"}},
        {"UTF-8 text",
         kHead + "<si><t>比较工作表 ü €</t></si></sst>",
         {QStringLiteral("比较工作表 ü €")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t chunk :
             {std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(64), c.xml.size()}) {
            SCOPED_TRACE(chunk);
            EXPECT_EQ(parse(c.xml, chunk), c.expected);
        }
    }
}

// What the streaming reader declines goes to the tree parser, which reads other encodings and
// names the faults of damaged parts.
TEST(SharedStringsParser, DeclinesWhatOnlyATreeParserReadsOrRefuses)
{
    const std::string utf16("<\0s\0s\0t\0/\0>\0", 12);
    const std::string deep = "<sst><si><t>" + std::string(20, '<') + "</t></si></sst>";
    std::string nested = "<sst><si>";
    for (int i = 0; i < 10; ++i)
        nested += "<a>";
    for (int i = 0; i < 10; ++i)
        nested += "</a>";
    nested += "</si></sst>";
    const std::pair<const char *, std::string> cases[] = {
        {"UTF-16", "\xFF\xFE" + utf16},
        {"UTF-16 without a byte order mark", utf16},
        {"another declared encoding",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><sst><si><t>a</t></si></sst>"},
        {"a document type", "<!DOCTYPE sst [<!ENTITY e \"x\">]><sst><si><t>&e;</t></si></sst>"},
        {"an unknown entity", "<sst><si><t>&nbsp;</t></si></sst>"},
        {"mismatched tags", "<sst><si><t>a</si></t></sst>"},
        {"an unclosed document", "<sst><si><t>a</t></si>"},
        {"no root element", "<?xml version=\"1.0\"?>"},
        {"two root elements", "<sst/><sst/>"},
        {"malformed attributes", "<sst><si><t a=b>x</t></si></sst>"},
        {"a stray angle bracket", deep},
        {"nesting deeper than the limit", nested},
    };
    for (const auto &[name, xml] : cases) {
        SCOPED_TRACE(name);
        for (std::size_t chunk : {std::size_t(3), xml.size()})
            EXPECT_EQ(parse(xml, chunk), QStringList{QStringLiteral("declined")});
    }
}

// The reader streams the shared strings and goes to the tree parser for what the streaming
// reader declines: a part in UTF-16 reads the same, a damaged one is refused naming the part
// and the line.
TEST(SharedStringsParser, TheReaderFallsBackToTheTreeParser)
{
    if (!TestFiles::haveOpenpyxl()) GTEST_SKIP() << "python3 missing";
    // A package written by hand: one sheet whose A1 and A2 are shared strings 0 and 1.
    const QString script = QStringLiteral(R"py(
import sys, zipfile
M = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
R = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
P = 'http://schemas.openxmlformats.org/package/2006/relationships'
sst = sys.argv[2]
parts = {
'[Content_Types].xml': '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/></Types>',
'_rels/.rels': '<Relationships xmlns="%s"><Relationship Id="r1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (P, R),
'xl/workbook.xml': '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="S" sheetId="1" r:id="a"/></sheets></workbook>' % (M, R),
'xl/_rels/workbook.xml.rels': '<Relationships xmlns="%s"><Relationship Id="a" Type="%s/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="b" Type="%s/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % (P, R, R),
'xl/worksheets/sheet1.xml': '<worksheet xmlns="%s"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c></row><row r="2"><c r="A2" t="s"><v>1</v></c></row></sheetData></worksheet>' % M,
}
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)
for name, text in parts.items():
    z.writestr(name, text)
if sst == 'utf-16':
    z.writestr('xl/sharedStrings.xml', ('<?xml version="1.0" encoding="UTF-16"?><sst xmlns="%s"><si><t>a &amp; b</t></si><si><r><t>c</t></r><r><t>d</t></r></si></sst>' % M).encode('utf-16'))
elif sst == 'damaged':
    z.writestr('xl/sharedStrings.xml', '<sst xmlns="%s">\n<si><t>x</si>\n</sst>' % M)
else:
    z.writestr('xl/sharedStrings.xml', '<sst xmlns="%s"><si><t>a &amp; b</t></si><si><r><t>c</t></r><r><t>d</t></r></si></sst>' % M)
z.close()
)py");
    QTemporaryDir dir;
    for (const char *kind : {"utf-8", "utf-16", "damaged"}) {
        SCOPED_TRACE(kind);
        const QString path = dir.filePath(QLatin1String(kind) + QStringLiteral(".xlsx"));
        QString output;
        ASSERT_EQ(TestFiles::runPython(script, {path, QLatin1String(kind)}, &output), 0)
            << output.toStdString();
        WorkbookData book;
        QString error;
        const bool read = XlsxReader::read(path, &book, &error);
        if (QLatin1String(kind) == QLatin1String("damaged")) {
            EXPECT_FALSE(read);
            EXPECT_TRUE(error.contains(QStringLiteral("damaged.xlsx")) &&
                        error.contains(QStringLiteral("xl/sharedStrings.xml: malformed XML at "
                                                      "line 2")))
                << error.toStdString();
            continue;
        }
        ASSERT_TRUE(read) << error.toStdString();
        EXPECT_EQ(QStringList(book.strings.begin(), book.strings.end()),
                  (QStringList{QStringLiteral("a & b"), QStringLiteral("cd")}));
    }
}

namespace {

// Everything a sheet's cells say, with string cells by their texts.
QString cellsOf(const WorkbookData &book)
{
    QString out;
    for (const auto &sheet : book.sheets) {
        out += sheet->name + QLatin1Char('\n');
        for (std::size_t r = 0; r < sheet->rows.size(); ++r)
            for (const Cell &c : sheet->rows[r]) {
                out += QStringLiteral("%1,%2:%3:").arg(r + 1).arg(c.column).arg(int(c.kind()));
                if (c.kind() == CellKind::String)
                    out += c.string() < book.strings.size() ? book.strings[c.string()]
                                                            : QStringLiteral("<bad index>");
                else if (c.kind() == CellKind::Number)
                    out += QString::number(c.number());
                out += QLatin1Char('\n');
            }
    }
    return out;
}

} // namespace

// Large shared strings are read on a thread of their own beside the sheets. A sheet that names
// a string not read yet waits for it, the sheets' own texts (inline strings, formula strings)
// join the pool after the shared strings, and faults are told as when the strings came first.
TEST(SharedStringsParser, StringsReadBesideTheSheetsGiveWhatReadingThemFirstGives)
{
    if (!TestFiles::haveOpenpyxl()) GTEST_SKIP() << "python3 missing";
    const QString script = QStringLiteral(R"py(
import sys, zipfile
M = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
R = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
P = 'http://schemas.openxmlformats.org/package/2006/relationships'
kind = sys.argv[2]
n = 3000
sst = '<sst xmlns="%s" uniqueCount="%d">' % (M, n) + ''.join('<si><t>s%d &amp; more</t></si>' % i for i in range(n)) + '</sst>'
if kind == 'damaged':
    sst = sst[:len(sst) // 2] + '<si><t>x</si>' + sst[len(sst) // 2:]
def row(r, cells):
    return '<row r="%d">%s</row>' % (r, cells)
last = n if kind == 'past-the-end' else n - 1
sheet1 = ('<worksheet xmlns="%s"><sheetData>' % M +
    row(1, '<c r="A1" t="s"><v>%d</v></c><c r="B1" t="inlineStr"><is><t>own 1</t></is></c>' % last) +
    ''.join(row(r, '<c r="A%d" t="s"><v>%d</v></c><c r="B%d"><v>%d</v></c>' % (r, (r * 7) % n, r, r)) for r in range(2, 400)) +
    row(400, '<c r="A400" t="str"><f>"f"</f><v>formula text</v></c><c r="B400" t="s"><v>0</v></c>') +
    '</sheetData></worksheet>')
sheet2 = ('<worksheet xmlns="%s"><sheetData>' % M +
    row(1, '<c r="A1" t="inlineStr"><is><t>own 2</t></is></c><c r="B1" t="s"><v>5</v></c>') +
    row(2, '<c r="A2" t="s"><v>%d</v></c>' % (n - 2)) + '</sheetData></worksheet>')
parts = {
'[Content_Types].xml': '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/></Types>',
'_rels/.rels': '<Relationships xmlns="%s"><Relationship Id="r1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % (P, R),
'xl/workbook.xml': '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="One" sheetId="1" r:id="a"/><sheet name="Two" sheetId="2" r:id="c"/></sheets></workbook>' % (M, R),
'xl/_rels/workbook.xml.rels': '<Relationships xmlns="%s"><Relationship Id="a" Type="%s/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="c" Type="%s/worksheet" Target="worksheets/sheet2.xml"/><Relationship Id="b" Type="%s/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % (P, R, R, R),
'xl/worksheets/sheet1.xml': sheet1,
'xl/worksheets/sheet2.xml': sheet2,
'xl/sharedStrings.xml': sst,
}
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)
for name, text in parts.items():
    z.writestr(name, text)
z.close()
)py");
    QTemporaryDir dir;
    for (const char *kind : {"good", "past-the-end", "damaged"}) {
        SCOPED_TRACE(kind);
        const QString path = dir.filePath(QLatin1String(kind) + QStringLiteral(".xlsx"));
        QString output;
        ASSERT_EQ(TestFiles::runPython(script, {path, QLatin1String(kind)}, &output), 0)
            << output.toStdString();
        XlsxLimits first, beside;
        first.sharedStringsBesideBytes = std::int64_t(1) << 60;
        beside.sharedStringsBesideBytes = 0;
        WorkbookData a, b;
        QString errorA, errorB;
        const bool readA = XlsxReader::read(path, &a, &errorA, first);
        const bool readB = XlsxReader::read(path, &b, &errorB, beside);
        EXPECT_EQ(readA, QLatin1String(kind) == QLatin1String("good"));
        EXPECT_EQ(readB, readA);
        EXPECT_EQ(errorB.toStdString(), errorA.toStdString());
        const QString expected = QLatin1String(kind) == QLatin1String("past-the-end")
                                     ? QStringLiteral("cell A1: shared string 3000 does not exist")
                                 : QLatin1String(kind) == QLatin1String("damaged")
                                     ? QStringLiteral("xl/sharedStrings.xml: malformed XML")
                                     : QString();
        EXPECT_TRUE(errorB.contains(expected)) << errorB.toStdString();
        if (!readA) continue;
        EXPECT_EQ(QStringList(b.strings.begin(), b.strings.end()),
                  QStringList(a.strings.begin(), a.strings.end()));
        EXPECT_EQ(cellsOf(b).toStdString(), cellsOf(a).toStdString());
        EXPECT_TRUE(cellsOf(b).contains(QStringLiteral("1,2:2:own 1")));
        EXPECT_TRUE(cellsOf(b).contains(QStringLiteral("1,1:2:s2999 & more")));
    }
}
