#include "platform/excel/FormulaText.h"
#include "platform/excel/CellAddress.h"

#include <gtest/gtest.h>

using namespace excel;

TEST(FormulaText, SharedFormulaShift)
{
    struct Case
    {
        const char *formula;
        int dRows, dColumns;
        const char *expected;
    } cases[] = {
        {"A1+B2", 1, 0, "A2+B3"},
        {"$A$1+A$1+$A1", 2, 2, "$A$1+C$1+$A3"},
        {"SUM(A1:B2)", 1, 1, "SUM(B2:C3)"},
        {"LOG10(A1)", 1, 0, "LOG10(A2)"}, // a function name that looks like a cell
        {"\"A1\"&A1", 1, 0, "\"A1\"&A2"}, // text stays
        {"Sheet2!A1+'My Sheet'!B1", 1, 0, "Sheet2!A2+'My Sheet'!B2"},
        {"'It''s'!A1", 0, 1, "'It''s'!B1"},
        {"SUM(A:A)+SUM(1:1)", 1, 1, "SUM(B:B)+SUM(2:2)"},
        {"Table1[Col A]+A1", 1, 0, "Table1[Col A]+A2"},
        {"A1-1.5E+3+TRUE", 1, 0, "A2-1.5E+3+TRUE"},
        {"A1", -1, 0, "#REF!"}, // off the top of the sheet
        {"_xlfn.XLOOKUP(A1,B:B,C:C)", 0, 1, "_xlfn.XLOOKUP(B1,C:C,D:D)"},
        {"MyName*2", 3, 3, "MyName*2"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormulaText::shift(QString::fromUtf8(c.formula), c.dRows, c.dColumns),
                  QString::fromUtf8(c.expected))
            << c.formula;
}

TEST(FormulaText, RowInsertionAndDeletion)
{
    struct Case
    {
        const char *formula;
        int row, count;
        FormulaText::Scope scope;
        const char *expected;
    } cases[] = {
        {"A1+A5+$A$5", 3, 2, FormulaText::Scope::OwnSheet, "A1+A7+$A$7"},
        {"SUM(A2:A9)", 3, 2, FormulaText::Scope::OwnSheet, "SUM(A2:A11)"},
        {"Data!A5+A5", 3, 2, FormulaText::Scope::OtherSheet, "Data!A7+A5"},
        {"data!A5+Other!A5", 3, 2, FormulaText::Scope::OwnSheet, "data!A7+Other!A5"},
        {"A2+A5", 3, -2, FormulaText::Scope::OwnSheet, "A2+A3"},
        {"A3+A1", 3, -2, FormulaText::Scope::OwnSheet, "#REF!+A1"},
        {"SUM(5:6)", 3, 1, FormulaText::Scope::OwnSheet, "SUM(6:7)"},
        {"A1048576", 1, 1, FormulaText::Scope::OwnSheet, "#REF!"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormulaText::insertRows(QString::fromUtf8(c.formula), c.row, c.count, c.scope,
                                          QStringLiteral("Data")),
                  QString::fromUtf8(c.expected))
            << c.formula;
}

TEST(CellAddress, ParsesAndFormats)
{
    struct Case
    {
        const char *text;
        bool ok;
        const char *address;
    } cases[] = {
        {"A1", true, "$A$1"},
        {"$iv$65536", true, "$IV$65536"},
        {"XFD1048576", true, "$XFD$1048576"},
        {"XFE1", false, ""},
        {"A0", false, ""},
        {"A1048577", false, ""},
        {"B7:A2", true, "$A$2:$B$7"},
        {"3:5", true, "$3:$5"},
        {"C:A", true, "$A:$C"},
        {"A", false, ""},
        {"1A", false, ""},
        {"", false, ""},
        {"A1:B", false, ""},
    };
    for (const Case &c : cases) {
        CellRect r;
        CellAddress::Kind kind;
        bool ok = CellAddress::parseRange(QString::fromUtf8(c.text), &r, &kind);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (ok) {
            EXPECT_EQ(CellAddress::address(r, kind), QString::fromUtf8(c.address)) << c.text;
        }
    }
    const int columns[] = {1, 26, 27, 52, 53, 256, 702, 703, 16384};
    for (int c : columns)
        EXPECT_EQ(CellAddress::columnNumber(CellAddress::columnLetters(c)), c);
    EXPECT_EQ(CellAddress::columnLetters(256), QStringLiteral("IV"));
    EXPECT_EQ(CellAddress::columnLetters(0), QString());
}
