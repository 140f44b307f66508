#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *expr;
    const char *expected;
};

void runTable(const Case *cases, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_EQ(evalExpr(QString::fromUtf8(cases[i].expr)).toStdString(),
                  std::string(cases[i].expected))
            << cases[i].expr;
}

TEST(ScriptExpression, ArithmeticKeepsAndWidensSubtypes)
{
    const Case cases[] = {
        {"1 + 2", "Integer:3"},
        {"32767 + 1", "Long:32768"},
        {"2147483647 + 1", "Double:2147483648"},
        {"1.5 + 1", "Double:2.5"},
        {"\"1\" + 2", "Double:3"},
        {"\"1\" + \"2\"", "String:12"},
        {"\"a\" + Empty", "String:a"},
        {"Empty + Empty", "Integer:0"},
        {"True + True", "Integer:-2"},
        {"10 / 4", "Double:2.5"},
        {"10 \\ 4", "Integer:2"},
        {"-7 \\ 2", "Integer:-3"},
        {"7.5 \\ 2", "Long:4"},
        {"-7 Mod 3", "Integer:-1"},
        {"7 Mod -3", "Integer:1"},
        {"5.5 Mod 2", "Long:0"},
        {"2 ^ 10", "Double:1024"},
        {"-2 ^ 2", "Double:-4"},
        {"2 ^ -1", "Double:0.5"},
        {"2 ^ 3 ^ 2", "Double:64"},
        {"1 + 2 * 3", "Integer:7"},
        {"(1 + 2) * 3", "Integer:9"},
        {"-3 * -3", "Integer:9"},
        {"10 - 2 - 3", "Integer:5"},
        {"1 + 2 & 3", "String:33"},
        {"\"a\" & 1.5 & True & Null", "String:a1.5True"},
        {"Null & Null", "Null:"},
        {"Null + 1", "Null:"},
        {"-Null", "Null:"},
        {"0.1 + 0.2", "Double:0.3"},
        {"1 / 0", "error 11"},
        {"0 / 0", "error 6"},
        {"1 \\ 0", "error 11"},
        {"1 Mod 0", "error 11"},
        {"\"abc\" + 1", "error 13"},
        {"\"abc\" * 2", "error 13"},
        {"&HFF", "Integer:255"},
        {"&HFFFF", "Integer:-1"},
        {"&H10000", "Long:65536"},
        {"&O17", "Integer:15"},
        {"1E3", "Double:1000"},
        {"#2020-01-31# + 1", "Date:2020-02-01"},
        {"#2020-03-01# - #2020-02-01#", "Double:29"},
        {"CLng(2147483647) * 2", "Double:4294967294"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptExpression, ComparisonFollowsMixedKindRules)
{
    const Case cases[] = {
        {"\"10\" = 10", "Boolean:True"},
        {"10 = \"10\"", "Boolean:True"},
        {"\"abc\" < \"abd\"", "Boolean:True"},
        {"\"a\" < \"B\"", "Boolean:False"},
        {"\"A\" = \"a\"", "Boolean:False"},
        {"Empty = 0", "Boolean:True"},
        {"Empty = \"\"", "Boolean:True"},
        {"Null = Null", "Null:"},
        {"Null <> 1", "Null:"},
        {"1 = 1.0", "Boolean:True"},
        {"True = -1", "Boolean:True"},
        {"\"abc\" = 1", "error 13"},
        {"2 < 10", "Boolean:True"},
        {"\"2\" < \"10\"", "Boolean:False"},
        {"#2020-01-01# < #2020-01-02#", "Boolean:True"},
        {"Not 1 = 2", "Boolean:True"},
        {"Not 0", "Integer:-1"},
        {"Not True", "Boolean:False"},
        {"Not Null", "Null:"},
        {"1 < 2 = True", "Boolean:True"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptExpression, VariablesCompareByTheirSubtypes)
{
    // Between two variables a number is less than any text; a literal converts the text.
    EXPECT_EQ(runBody("a = \"10\": b = 10: T = (a = b)"), "Boolean:False");
    EXPECT_EQ(runBody("a = \"10\": b = 10: T = (a > b)"), "Boolean:True");
    EXPECT_EQ(runBody("a = \"10\": T = (a = 10)"), "Boolean:True");
    EXPECT_EQ(runBody("b = 10: T = (\"10\" = b)"), "Boolean:True");
    EXPECT_EQ(runBody("a = \"10\": T = (CLng(a) = 10)"), "Boolean:True");
    EXPECT_EQ(runBody("Const ten = 10\na = \"10\": T = (a = ten)"), "Boolean:True");
    EXPECT_EQ(runBody("a = Empty: T = (a = 0) And (a = \"\")"), "Boolean:True");
}

TEST(ScriptExpression, LogicalOperatorsAndNull)
{
    const Case cases[] = {
        {"True And False", "Boolean:False"}, {"True Or False", "Boolean:True"},
        {"True Xor True", "Boolean:False"},  {"True Eqv False", "Boolean:False"},
        {"False Imp False", "Boolean:True"}, {"12 And 10", "Integer:8"},
        {"12 Or 3", "Integer:15"},           {"Null And False", "Boolean:False"},
        {"Null And True", "Null:"},          {"Null Or True", "Boolean:True"},
        {"Null Or False", "Null:"},          {"Null Xor True", "Null:"},
        {"False Imp Null", "Boolean:True"},  {"True Imp Null", "Null:"},
        {"1 = 1 And 2 = 2", "Boolean:True"}, {"1 = 2 Or 2 = 2 And 3 = 4", "Boolean:False"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptExpression, ConversionsAndTypes)
{
    const Case cases[] = {
        {"CInt(2.5)", "Integer:2"},
        {"CInt(3.5)", "Integer:4"},
        {"CInt(-2.5)", "Integer:-2"},
        {"CLng(\"12\")", "Long:12"},
        {"CLng(\"1,234\")", "Long:1234"},
        {"CInt(40000)", "error 6"},
        {"CLng(\"abc\")", "error 13"},
        {"CLng(Null)", "error 94"},
        {"CDbl(\" 1.5 \")", "Double:1.5"},
        {"CBool(\"True\")", "Boolean:True"},
        {"CBool(0)", "Boolean:False"},
        {"CBool(\"x\")", "error 13"},
        {"CStr(1E+16)", "String:1E+16"},
        {"CStr(True)", "String:True"},
        {"CStr(Null)", "error 94"},
        {"CByte(255)", "Byte:255"},
        {"CByte(256)", "error 6"},
        {"CDate(\"2021-03-04\")", "Date:2021-03-04"},
        {"IsNumeric(\"1e3\")", "Boolean:True"},
        {"IsNumeric(\" 12 \")", "Boolean:True"},
        {"IsNumeric(\"\")", "Boolean:False"},
        {"IsNumeric(Empty)", "Boolean:True"},
        {"IsNumeric(Null)", "Boolean:False"},
        {"IsNumeric(\"12a\")", "Boolean:False"},
        {"IsEmpty(Empty)", "Boolean:True"},
        {"IsNull(Null)", "Boolean:True"},
        {"IsDate(\"2020-02-30\")", "Boolean:False"},
        {"IsDate(\"2020-02-29\")", "Boolean:True"},
        {"IsArray(Array(1))", "Boolean:True"},
        {"TypeName(1)", "String:Integer"},
        {"TypeName(100000)", "String:Long"},
        {"TypeName(\"\")", "String:String"},
        {"TypeName(Nothing)", "String:Nothing"},
        {"TypeName(Array())", "String:Variant()"},
        {"VarType(\"x\")", "Integer:8"},
        {"VarType(Array())", "Integer:8204"},
        {"Hex(255)", "String:FF"},
        {"Hex(-1)", "String:FFFF"},
        {"Oct(8)", "String:10"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptExpression, RoundIsBankers)
{
    const Case cases[] = {
        {"Round(2.5)", "Double:2"},       {"Round(3.5)", "Double:4"},
        {"Round(-2.5)", "Double:-2"},     {"Round(0.5)", "Double:0"},
        {"Round(1.5)", "Double:2"},       {"Round(2.45, 1)", "Double:2.4"},
        {"Round(2.55, 1)", "Double:2.6"}, {"Round(1.2345, 3)", "Double:1.234"},
        {"Round(7)", "Integer:7"},        {"Round(Null)", "Null:"},
        {"Round(\"2.5\")", "Double:2"},   {"Round(1.5, -1)", "error 5"},
        {"Int(-1.5)", "Double:-2"},       {"Fix(-1.5)", "Double:-1"},
        {"Abs(-3)", "Integer:3"},         {"Sgn(-0.1)", "Integer:-1"},
        {"Sqr(16)", "Double:4"},          {"Sqr(-1)", "error 5"},
    };
    runTable(cases, std::size(cases));
}

TEST(ScriptExpression, StringFunctionsAtTheirEdges)
{
    const Case cases[] = {
        {"Trim(\"  a b  \")", "String:a b"},
        {"Trim(vbTab & \"a\")", "String:\ta"},
        {"LTrim(\"  a \")", "String:a "},
        {"RTrim(\" a  \")", "String: a"},
        {"Trim(Null)", "Null:"},
        {"UCase(\"abc\")", "String:ABC"},
        {"LCase(\"ÄBC\")", "String:äbc"},
        {"Len(\"abc\")", "Long:3"},
        {"Len(123)", "Long:3"},
        {"Len(Null)", "Null:"},
        {"Len(\"中文\")", "Long:2"},
        {"Left(\"abc\", 5)", "String:abc"},
        {"Left(\"abc\", 0)", "String:"},
        {"Left(\"abc\", -1)", "error 5"},
        {"Right(\"abc\", 2)", "String:bc"},
        {"Mid(\"abcdef\", 3)", "String:cdef"},
        {"Mid(\"abcdef\", 3, 2)", "String:cd"},
        {"Mid(\"abc\", 5)", "String:"},
        {"Mid(\"abc\", 2, 10)", "String:bc"},
        {"Mid(\"abc\", 0)", "error 5"},
        {"Mid(Null, 1)", "Null:"},
        {"InStr(\"abcabc\", \"c\")", "Long:3"},
        {"InStr(4, \"abcabc\", \"c\")", "Long:6"},
        {"InStr(7, \"abcabc\", \"c\")", "Long:0"},
        {"InStr(\"abc\", \"\")", "Long:1"},
        {"InStr(\"\", \"a\")", "Long:0"},
        {"InStr(1, \"ABC\", \"b\", 1)", "Long:2"},
        {"InStr(1, \"ABC\", \"b\", 0)", "Long:0"},
        {"InStr(\"abc\", Null)", "Null:"},
        {"InStr(0, \"abc\", \"a\")", "error 5"},
        {"InStrRev(\"abcabc\", \"b\")", "Long:5"},
        {"InStrRev(\"abcabc\", \"b\", 4)", "Long:2"},
        {"Replace(\"aaaa\", \"a\", \"b\")", "String:bbbb"},
        {"Replace(\"aaaa\", \"a\", \"b\", 1, 2)", "String:bbaa"},
        {"Replace(\"abcabc\", \"b\", \"X\", 3)", "String:caXc"},
        {"Replace(\"aBAb\", \"b\", \"-\", 1, -1, 1)", "String:a-A-"},
        {"Replace(\"abc\", \"\", \"x\")", "String:abc"},
        {"Replace(\"abc\", \"b\", \"x\", 9)", "String:"},
        {"StrComp(\"a\", \"B\")", "Integer:1"},
        {"StrComp(\"a\", \"A\", 1)", "Integer:0"},
        {"StrComp(\"a\", \"b\", vbTextCompare)", "Integer:-1"},
        {"StrReverse(\"abc\")", "String:cba"},
        {"Space(3) & \"|\"", "String:   |"},
        {"String(3, \"xy\")", "String:xxx"},
        {"String(2, 65)", "String:AA"},
        {"Asc(\"A\")", "Integer:65"},
        {"Asc(\"中\")", "Integer:-10544"},
        {"AscW(\"中\")", "Integer:20013"},
        {"Asc(\"\")", "error 5"},
        {"Chr(65)", "String:A"},
        {"Chr(-10544)", "String:中"},
        {"ChrW(20013)", "String:中"},
        {"Join(Split(\"a,b,,c\", \",\"), \"|\")", "String:a|b||c"},
        {"UBound(Split(\"\", \",\"))", "Long:-1"},
        {"UBound(Split(\"a b c\"))", "Long:2"},
        {"Join(Split(\"a,b,c\", \",\", 2), \"|\")", "String:a|b,c"},
        {"Join(Array(1, \"x\", True))", "String:1 x True"},
        {"FormatNumber(1234.5)", "String:1,234.50"},
        {"FormatNumber(-0.5, 0)", "String:-1"},
        {"FormatNumber(0.25, 1, 0)", "String:.3"},
        {"FormatNumber(-1234.567, 2, -1, -1, 0)", "String:(1234.57)"},
        {"FormatPercent(0.1234)", "String:12.34%"},
        {"FormatPercent(-0.5, 0, , -1)", "String:(50%)"},
        {"Join(Filter(Array(\"ab\", \"cd\", \"AB\"), \"b\"), \"|\")", "String:ab"},
        {"Join(Filter(Array(\"ab\", \"cd\", \"AB\"), \"b\", True, 1), \"|\")", "String:ab|AB"},
        {"Join(Filter(Array(\"ab\", \"cd\"), \"b\", False), \"|\")", "String:cd"},
        {"UBound(Filter(Array(\"ab\"), \"z\"))", "Long:-1"},
    };
    runTable(cases, std::size(cases));
}

// LCase maps the usual characters itself: every character of the basic plane, alone and amid
// others, must come out as Unicode lower-casing gives it.
TEST(ScriptExpression, LowerCaseMatchesUnicode)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function L(s)\nL = LCase(s)\nEnd Function\n"));
    auto lower = [&sc](const QString &s) {
        return sc.Run(QStringLiteral("L"), {com::Variant(s)}).stringValue();
    };
    int wrong = 0;
    for (char32_t c = 0; c <= 0xFFFF && wrong < 5; ++c) {
        if (QChar::isSurrogate(c)) continue;
        QString s = QStringLiteral("Ab") + QChar(char16_t(c)) + QStringLiteral("部Z");
        if (lower(s) != s.toLower()) {
            ADD_FAILURE() << "U+" << std::hex << unsigned(c);
            ++wrong;
        }
    }
    const QString texts[] = {QString(), QStringLiteral("abc 123"), QStringLiteral("İSTANBUL"),
                             QStringLiteral("ΣΊΣΥΦΟΣ"), QString::fromUcs4(U"𐐀Deseret")};
    for (const QString &s : texts)
        EXPECT_EQ(lower(s), s.toLower()) << s.toStdString();
}

TEST(ScriptExpression, DateFunctions)
{
    const Case cases[] = {
        {"Year(#2021-03-04 05:06:07#)", "Integer:2021"},
        {"Month(\"2021-03-04\")", "Integer:3"},
        {"Day(#3/4/2021#)", "Integer:4"},
        {"Hour(#2021-03-04 05:06:07#)", "Integer:5"},
        {"Minute(#2021-03-04 05:06:07#)", "Integer:6"},
        {"Second(#2021-03-04 05:06:07#)", "Integer:7"},
        {"Year(Null)", "Null:"},
        {"DateValue(\"2021-03-04 10:00:00\")", "Date:2021-03-04"},
        {"DateAdd(\"m\", 1, #2021-01-31#)", "Date:2021-02-28"},
        {"DateAdd(\"d\", -1, #2021-03-01#)", "Date:2021-02-28"},
        {"DateAdd(\"h\", 25, #2021-03-01#)", "Date:2021-03-02 01:00:00"},
        {"DateAdd(\"yyyy\", 1, #2020-02-29#)", "Date:2021-02-28"},
        {"DateDiff(\"d\", #2021-01-01#, #2021-03-01#)", "Long:59"},
        {"DateDiff(\"m\", #2021-01-31#, #2021-02-01#)", "Long:1"},
        {"DateDiff(\"yyyy\", #2020-12-31#, #2021-01-01#)", "Long:1"},
        {"DateDiff(\"h\", #2021-01-01 10:59:00#, #2021-01-01 11:00:00#)", "Long:1"},
        {"DateDiff(\"x\", #2021-01-01#, #2021-01-02#)", "error 5"},
        {"Weekday(#2021-03-07#)", "Integer:1"},
        {"DateSerial(2021, 13, 1)", "Date:2022-01-01"},
        {"TypeName(Now)", "String:Date"},
        {"Date = Int(Now)", "Boolean:True"},
    };
    runTable(cases, std::size(cases));
}

} // namespace
