#include "platform/excel/XlsFormula.h"

#include <gtest/gtest.h>

using namespace excel;

namespace {

XlsFormula::Context context()
{
    using Kind = XlsFormula::Context::SupBookKind;
    XlsFormula::Context c;
    c.sheetNames = {QStringLiteral("Sheet1"), QStringLiteral("My Sheet"), QStringLiteral("2024")};
    c.xti = {{0, 0, 0}, {0, 1, 1}, {0, 0, 2}, {1, -2, -2}, {2, 0, 0}, {0, -1, -1}};
    c.supBooks = {Kind::Internal, Kind::AddIn, Kind::External};
    c.externNames = {
        {},
        {QStringLiteral("EDATE"), QStringLiteral("_xlfn.IFERROR"), QStringLiteral("_xlfn.STDEV.S")},
        {}};
    c.names = {QStringLiteral("MyName")};
    return c;
}

struct Case
{
    const char *tokens; // hex
    const char *extra;  // hex
    const char *text;   // expected; "?" for a text saying it was not decompiled
};

// Formulas are decompiled as if they were in cell D5 (row 4, column 3, 0-based).
const Case kCases[] = {
    {"1e0100 1e0200 03", "", "=1+2"},
    // Precedence without stored parentheses gets parentheses where needed, and only there.
    {"440000 00c0 440100 00c0 03 440200 00c0 05", "", "=(A1+A2)*A3"},
    {"440000 00c0 440100 00c0 440200 00c0 05 03", "", "=A1+A2*A3"},
    {"1e0100 1e0200 1e0300 04 04", "", "=1-(2-3)"},
    {"1e0100 1e0200 04 1e0300 04", "", "=1-2-3"},
    {"440000 00c0 13 1e0200 07", "", "=-A1^2"},
    {"440000 00c0 1e0200 07 13", "", "=-(A1^2)"},
    {"1e0100 1e0200 03 14", "", "=(1+2)%"},
    {"440000 00c0 440100 00c0 03 15 440200 00c0 05", "", "=(A1+A2)*A3"},
    {"1e0100 1e0200 08 1e0300 0b", "", "=1&2=3"},
    {"1e0100 1e0200 1e0300 0b 08", "", "=1&(2=3)"},
    // References: absolute and relative, areas, whole rows and columns, other sheets.
    {"440000 0000 440100 0040 03 440200 0080 03", "", "=$A$1+A$2+$A3"},
    {"250000 0200 00c0 00c0", "", "=A1:A3"},
    {"250000 ffff 0040 0140", "", "=A:B"},
    {"250000 0100 0000 ff00", "", "=$1:$2"},
    {"3a0100 0000 00c0", "", "='My Sheet'!A1"},
    {"3a0000 0400 03c0", "", "=Sheet1!D5"},
    {"250000 0100 0000 ff3f", "", "=$1:$2"},
    {"3b0200 0000 0100 0000 0100", "", "='Sheet1:2024'!$A$1:$B$2"},
    {"3a0500 0000 00c0", "", "=#REF!A1"},
    {"2a00000000", "", "=#REF!"},
    {"3c0000 00000000", "", "=Sheet1!#REF!"},
    // Shared formula tokens: offsets from the cell the formula is read for.
    {"4cffff ffc0", "", "=C4"},
    {"4c0100 01c0", "", "=E6"},
    {"2d0000 0100 00c0 00c0", "", "=D5:D6"},
    {"4c0000 0500", "", "=$F$1"},
    // Constants.
    {"1f 9a9999999999b93f", "", "=0.1"},
    {"1f 0000000000000000", "", "=0"},
    {"1f 000000000000f0bf", "", "=-1"},
    {"1f 30298 81a564320 44", "", "=1.5E+20"},
    {"17 0300 612262", "", "=\"a\"\"b\""},
    {"17 0201 2d4e8765", "", "=\"\u4e2d\u6587\""},
    {"1d01 1d00 0b", "", "=TRUE=FALSE"},
    {"1c07", "", "=#DIV/0!"},
    {"1c2a", "", "=#N/A"},
    {"1c63", "", "?"},
    {"60 00000000000000", "010000 020200006162", "?"},
    {"60 00000000000000", "010000 02020000616204010000000000000000", "={\"ab\",TRUE}"},
    {"60 00000000000000", "000100 01000000000000f03f 102a00000000000000", "={1;#N/A}"},
    // Functions: fixed and stored argument counts, SUM of one argument, IF and CHOOSE with
    // their jump hints, a union in an argument list, an add-in function, names.
    {"250000 0200 00c0 00c0 191000 00", "", "=SUM(A1:A3)"},
    {"440000 00c0 1e0100 0b 190207 00 170300 6f6e65 19080f 00 170500 6f74686572 190803 00 "
     "420301 00",
     "", "=IF(A1=1,\"one\",\"other\")"},
    {"1e0200 19040300 0800 1000 1800 2000 170100 61 190813 00 170100 62 19080b 00 170100 63 "
     "190803 00 420464 00",
     "", "=CHOOSE(2,\"a\",\"b\",\"c\")"},
    {"440000 00c0 440100 00c0 10 420104 00", "", "=SUM((A1,A2))"},
    {"440000 00c0 440100 00c0 10 15 420104 00", "", "=SUM((A1,A2))"},
    {"250000 0200 00c0 00c0 250100 0200 01c0 01c0 0f 420104 00", "", "=SUM(A1:A3 B2:B3)"},
    {"441200 02c0 410300", "", "=ISERROR(C19)"},
    {"42000a00", "", "=NA()"},
    {"410a00", "", "=NA()"},
    {"412200", "", "=TRUE()"},
    {"1e0100 16 420204 00", "", "=SUM(1,)"},
    {"390300 0100 0000 440000 00c0 1e0100 4203ff 00", "", "=EDATE(A1,1)"},
    {"4301000000 1e0200 05", "", "=MyName*2"},
    // Excel 2007 functions lose their stored prefix; later ones keep it, as in .xlsx.
    {"390300 0200 0000 1e0100 1e0000 06 170100 78 4203ff 00", "", "=IFERROR(1/0,\"x\")"},
    {"390300 0300 0000 440000 00c0 4202ff 00", "", "=_xlfn.STDEV.S(A1)"},
    {"29 0800 250000 0200 00c0 00c0 420104 00", "", "=SUM(A1:A3)"},
    // White space kept where it was typed.
    {"440000 00c0 194000 01 440100 00c0 03", "", "=A1+ A2"},
    // Not decompiled: never a formula that means something else.
    {"0100000300", "", "?"},
    {"0200000300", "", "?"},
    {"18 00", "", "?"},
    {"03", "", "?"},
    {"1e0100 1e0200", "", "?"},
    {"213500", "", "?"},
    {"42000180", "", "?"},
    {"4305000000", "", "?"},
    {"3a0400 0000 00c0", "", "?"},
    {"3a0900 0000 00c0", "", "?"},
    {"440000", "", "?"},
    {"", "", "?"},
};

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

TEST(XlsFormulaTest, DecompilesTokens)
{
    const XlsFormula::Context c = context();
    for (const Case &t : kCases) {
        const QString text = XlsFormula::decompile(hex(t.tokens), hex(t.extra), c, 4, 3);
        if (QLatin1String(t.text) == QLatin1String("?"))
            EXPECT_TRUE(text.startsWith(XlsFormula::kNotDecompiled))
                << t.tokens << " gave " << text.toStdString();
        else
            EXPECT_EQ(text.toStdString(), t.text) << t.tokens;
    }
}

TEST(XlsFormulaTest, GivesUpOnTextsLongerThanAFormulaMayBe)
{
    // 1 wrapped in 5000 pairs of parentheses, and a long chain of additions.
    const QByteArray parens = QByteArray::fromHex("1e0100") + QByteArray(5000, '\x15');
    EXPECT_TRUE(
        XlsFormula::decompile(parens, {}, context(), 0, 0).startsWith(XlsFormula::kNotDecompiled));
    QByteArray sum = QByteArray::fromHex("1e0100");
    for (int i = 0; i < 5000; ++i)
        sum += QByteArray::fromHex("1e0100 03");
    EXPECT_TRUE(
        XlsFormula::decompile(sum, {}, context(), 0, 0).startsWith(XlsFormula::kNotDecompiled));
    EXPECT_EQ(XlsFormula::decompile(QByteArray::fromHex("1e0100") + QByteArray(100, '\x15'), {},
                                    context(), 0, 0)
                  .size(),
              202);
}

TEST(XlsFormulaTest, NamesAndNumbers)
{
    const std::pair<int, const char *> columns[] = {
        {0, "A"}, {25, "Z"}, {26, "AA"}, {255, "IV"}, {16383, "XFD"}};
    for (const auto &[column, name] : columns)
        EXPECT_EQ(XlsFormula::columnName(column).toStdString(), name);
    const std::pair<const char *, const char *> sheets[] = {
        {"Sheet1", "Sheet1"}, {"My Sheet", "'My Sheet'"}, {"2024", "'2024'"},
        {"A1", "'A1'"},       {"it's", "'it''s'"},        {"数据", "数据"},
        {"R1C1", "'R1C1'"},   {"a.b_c", "a.b_c"},         {"x-y", "'x-y'"}};
    for (const auto &[sheet, quoted] : sheets)
        EXPECT_EQ(XlsFormula::quoteSheetName(QString::fromUtf8(sheet)).toStdString(), quoted);
    const std::pair<double, const char *> numbers[] = {{1, "1"},
                                                       {0.5, "0.5"},
                                                       {1e20, "1E+20"},
                                                       {1.23e-7, "1.23E-07"},
                                                       {123456789012.0, "123456789012"}};
    for (const auto &[number, text] : numbers)
        EXPECT_EQ(XlsFormula::numberText(number).toStdString(), text);
}

} // namespace
