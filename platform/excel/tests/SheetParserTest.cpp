#include "platform/excel/SheetParser.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/WorkbookData.h"

#include <gtest/gtest.h>

using namespace excel;

namespace {

const char *kSheet = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- a comment with <c r="Z9"><v>9</v></c> inside -->
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<sheetFormatPr defaultRowHeight="14.25"/>
<sheetData>
<row r="1" ht="30" customHeight="1"><c r="A1" t="s"><v>1</v></c><c r="B1" s="1"><v>-1.5E-3</v></c><c r="C1" t="inlineStr"><is><t>a &amp; b &#x4E2D;</t></is></c></row>
<row r="3"><c r="B3" t="b"><v>1</v></c><c r="D3" t="str"><f>"q"&amp;"&gt;"</f><v><![CDATA[q>&]]></v></c><c r="E3" attr='x>y'><v>7</v></c></row>
<row><c><v>12345678901234567890</v></c><c t="e"><v>#DIV/0!</v></c></row>
</sheetData>
<mergeCells count="1"><mergeCell ref="A5:B6"/></mergeCells>
</worksheet>)";

struct Parsed
{
    WorkbookData book;
    SheetData sheet;
    QString error;
};

void parseInChunks(const std::string &xml, std::size_t chunk, Parsed *out)
{
    out->book.strings = {QStringLiteral("zero"), QStringLiteral("one")};
    out->book.styles.resize(2);
    SheetParser parser(&out->sheet, &out->book, 2);
    bool ok = true;
    for (std::size_t i = 0; ok && i < xml.size(); i += chunk)
        ok = parser.feed(xml.data() + i, std::min(chunk, xml.size() - i));
    if (ok) ok = parser.finish();
    if (!ok) out->error = parser.error();
}

QString describe(const Parsed &p)
{
    QString s;
    for (std::size_t r = 0; r < p.sheet.rows.size(); ++r)
        for (const Cell &c : p.sheet.rows[r]) {
            s += QStringLiteral("%1:%2:%3:%4:")
                     .arg(r + 1)
                     .arg(c.column)
                     .arg(int(c.kind()))
                     .arg(c.style);
            switch (c.kind()) {
            case CellKind::Number:
                s += QString::number(c.number(), 'g', 17);
                break;
            case CellKind::String:
                s += p.book.strings[c.string()];
                break;
            case CellKind::Boolean:
                s += QString::number(c.boolean());
                break;
            case CellKind::Error:
                s += QString::number(c.error());
                break;
            case CellKind::Blank:
                break;
            }
            if (c.hasFormula)
                s += QLatin1Char('|') + CellStore::formulaText(p.sheet, int(r) + 1, c);
            s += QLatin1Char('\n');
        }
    for (const CellRect &m : p.sheet.merges)
        s += QStringLiteral("merge %1,%2,%3,%4\n")
                 .arg(m.firstRow)
                 .arg(m.firstColumn)
                 .arg(m.lastRow)
                 .arg(m.lastColumn);
    for (const auto &[row, h] : p.sheet.rowHeights)
        s += QStringLiteral("height %1 %2\n").arg(row).arg(h);
    s += QStringLiteral("default %1\n").arg(p.sheet.defaultRowHeight);
    return s;
}

} // namespace

// Chunk boundaries fall everywhere: inside tags, attribute values, entities, CDATA, comments.
TEST(SheetParser, SameResultForEveryChunkSize)
{
    Parsed whole;
    parseInChunks(kSheet, std::string(kSheet).size(), &whole);
    ASSERT_TRUE(whole.error.isEmpty()) << whole.error.toStdString();
    const QString expected = QStringLiteral(
        "1:1:2:0:one\n1:2:1:1:-0.0015\n1:3:2:0:a & b 中\n3:2:3:0:1\n3:4:2:0:q>&|=\"q\"&\">\"\n"
        "3:5:1:0:7\n4:1:1:0:1.2345678901234567e+19\n4:2:4:0:2007\nmerge 5,1,6,2\nheight 1 "
        "30\ndefault 14.25\n");
    EXPECT_EQ(describe(whole).toStdString(), expected.toStdString());
    for (std::size_t chunk : {1u, 2u, 3u, 7u, 64u, 4095u, 5000u}) {
        Parsed p;
        parseInChunks(kSheet, chunk, &p);
        EXPECT_TRUE(p.error.isEmpty()) << chunk << ": " << p.error.toStdString();
        EXPECT_EQ(describe(p).toStdString(), expected.toStdString()) << "chunk " << chunk;
    }
}

TEST(SheetParser, ErrorsNameTheLineAndTheValue)
{
    struct Case
    {
        const char *xml;
        const char *message;
    } cases[] = {
        {"<worksheet><sheetData>\n<row r=\"1\"><c r=\"A1\" "
         "s=\"9\"><v>1</v></c></row></sheetData></worksheet>",
         "line 2: cell A1 names a style that does not exist"},
        {"<worksheet><sheetData><row r=\"2\">\n\n<c "
         "r=\"A1\"><v>1</v></c></row></sheetData></worksheet>",
         "line 3: bad cell reference in row 2"},
        {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"zz\"/></row></sheetData></worksheet>",
         "unknown type"},
        {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><f t=\"shared\" "
         "si=\"4\"/></c></row></sheetData></worksheet>",
         "shared formula 4 is not defined"},
        {"<worksheet><sheetData><row r=\"1\"><c r=\"A1\" "
         "t=\"inlineStr\"><is><t>&bogus;</t></is></c></row></sheetData></worksheet>",
         "bad character reference"},
        {"<worksheet><sheetData><c r=\"A1\"/></sheetData></worksheet>", "a cell outside a row"},
        {"<worksheet><sheetData><row r=\"1\"><c r=\"XFE1\"/></row></sheetData></worksheet>",
         "bad cell reference"},
        {"<worksheet><mergeCells><mergeCell ref=\"A1:ZZZZ9\"/></mergeCells></worksheet>",
         "bad merged range \"A1:ZZZZ9\""},
        {"<worksheet><sheetData>", "ends before its elements are closed"},
    };
    for (const Case &c : cases) {
        Parsed p;
        p.book.styles.resize(2);
        parseInChunks(c.xml, 3, &p);
        EXPECT_TRUE(p.error.contains(QString::fromUtf8(c.message)))
            << c.xml << "\n -> " << p.error.toStdString();
    }
}

// Cells of the common shape <c ...><v>value</v></c> are taken in one go; a blank before </c>
// sends the same cell the general way. Both must store the same cell or give the same fault.
TEST(SheetParser, CommonCellsReadAsTheGeneralWayReadsThem)
{
    const char *cells[] = {
        R"(<c r="A1"><v>1.5</v></c>)",
        R"(<c r="B1" s="1" t="s"><v>1</v></c>)",
        R"(<c r="C1" t="b"><v>1</v></c><c r="D1" t="e"><v>#N/A</v></c>)",
        R"(<c r="E1" t="str"><v>a &gt; b</v></c>)",
        R"(<c r="F1" t="d"><v>2024-01-31T12:00:00</v></c>)",
        R"(<c><v>7</v></c><c t="n" x='a>b'><v> 8 </v></c>)",
        R"(<c r="A1"><v></v></c>)",
        R"(<c r="A1"
 t="n"><v>1x</v></c>)",
        R"(<c r="A1" t="s"><v>9</v></c>)",
        R"(<c r="A1" s="5"><v>1</v></c>)",
        R"(<c r="A2"><v>1</v></c>)",
        R"(<c r="A1" t="d"><v>no date</v></c>)",
    };
    for (const char *cell : cells) {
        SCOPED_TRACE(cell);
        std::string general = cell;
        for (std::size_t at = 0; (at = general.find("</v></c>", at)) != std::string::npos; at += 9)
            general.replace(at, 8, "</v> </c>");
        for (std::size_t chunk : {std::size_t(5), std::size_t(1) << 20}) {
            Parsed fast, slow;
            parseInChunks("<worksheet><sheetData>\n<row r=\"1\">" + std::string(cell) +
                              "</row></sheetData></worksheet>",
                          chunk, &fast);
            parseInChunks("<worksheet><sheetData>\n<row r=\"1\">" + general +
                              "</row></sheetData></worksheet>",
                          chunk, &slow);
            EXPECT_EQ(fast.error.toStdString(), slow.error.toStdString()) << chunk;
            EXPECT_EQ(describe(fast).toStdString(), describe(slow).toStdString()) << chunk;
        }
    }
}
