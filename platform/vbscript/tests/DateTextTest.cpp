#include "platform/vbscript/DateText.h"
#include "platform/vbscript/tests/ScriptTestHelpers.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

struct ExprCase
{
    const char *expr;
    const char *expected;
};

// The dates users type on Windows with the English (United States) locale, as CDate reads them.
TEST(ScriptDates, CDateReadsTheFormsTheScriptsLocaleAccepts)
{
    const QString thisYear = QString::number(QDate::currentDate().year());
    struct Case
    {
        const char *text;
        QString expected;
    } cases[] = {
        // Month/day/year, with slashes or dashes, two-digit years around 1930.
        {"1/15/2024", "Date:2024-01-15"},
        {"1-15-2024", "Date:2024-01-15"},
        {"01/05/2024", "Date:2024-01-05"},
        {"3/5/24", "Date:2024-03-05"},
        {"3/5/00", "Date:2000-03-05"},
        {"3/5/29", "Date:2029-03-05"},
        {"3/5/30", "Date:1930-03-05"},
        {"12/31/99", "Date:1999-12-31"},
        // The first number cannot be a month: day/month/year.
        {"13/1/2024", "Date:2024-01-13"},
        {"31-12-2024", "Date:2024-12-31"},
        // A year written first.
        {"2024-01-15", "Date:2024-01-15"},
        {"2024/1/15", "Date:2024-01-15"},
        // Month names and abbreviations, any case, with or without a weekday in front.
        {"January 15, 2024", "Date:2024-01-15"},
        {"15-Jan-2024", "Date:2024-01-15"},
        {"15-jan-24", "Date:2024-01-15"},
        {"Jan 15 2024", "Date:2024-01-15"},
        {"15 January 2024", "Date:2024-01-15"},
        {"2024 Jan 15", "Date:2024-01-15"},
        {"SEP 1, 1999", "Date:1999-09-01"},
        {"Monday, January 15, 2024", "Date:2024-01-15"},
        {"January 2024", "Date:2024-01-01"},
        {"Feb 29 2024", "Date:2024-02-29"},
        // Without a year: this year.
        {"Jan 15", "Date:" + thisYear + "-01-15"},
        {"1/15", "Date:" + thisYear + "-01-15"},
        // Times, alone or with a date on either side.
        {"8:30 PM", "Date:20:30:00"},
        {"8:30PM", "Date:20:30:00"},
        {"8:30:15 am", "Date:08:30:15"},
        {"8 PM", "Date:20:00:00"},
        {"20:30", "Date:20:30:00"},
        {"12:00 AM", "Date:00:00:00"},
        {"12:00 PM", "Date:12:00:00"},
        {"12:30 AM", "Date:00:30:00"},
        {"1/15/2024 8:30 AM", "Date:2024-01-15 08:30:00"},
        {"1/15/2024 8:30 PM", "Date:2024-01-15 20:30:00"},
        {"8:30 PM 1/15/2024", "Date:2024-01-15 20:30:00"},
        {"January 15, 2024 11:59:59 PM", "Date:2024-01-15 23:59:59"},
        {"2024-01-15 13:04:09", "Date:2024-01-15 13:04:09"},
        {"  3/5/24  ", "Date:2024-03-05"},
        // Numbers in text stay numbers.
        {"45306", "Date:2024-01-15"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(evalExpr(QStringLiteral("CDate(\"%1\")").arg(QLatin1String(c.text))), c.expected)
            << c.text;
}

TEST(ScriptDates, ImpossibleAndMalformedDatesAreRefused)
{
    const char *refused[] = {
        "2/30/2024",
        "Feb 29 2023",
        "February 30, 2024",
        "13/13/2024",
        "0/1/2024",
        "1/0/2024",
        "2024-02-30",
        "1/15-2024",
        "1 15 2024",
        "15Jan2024",
        "Jan Feb 2024",
        "Janu 15 2024",
        "Sept 1 2024",
        "January",
        "Monday",
        "1/2/3/4",
        "1/15/2024,",
        "/1/15",
        "13:00 PM",
        "24:00",
        "8:60",
        "8:30:60",
        "8:30:",
        "8:30 1:00",
        "1/15/2024 8:30 XM",
        "1/15/99999",
        "1/15/0050",
        "8h30",
        "",
        "   ",
        "PM",
        "1/15/2024T08:00",
    };
    for (const char *text : refused) {
        QString literal = QStringLiteral("\"%1\"").arg(QLatin1String(text));
        EXPECT_EQ(evalExpr(QStringLiteral("IsDate(%1)").arg(literal)), "Boolean:False") << text;
        EXPECT_EQ(evalExpr(QStringLiteral("CDate(%1)").arg(literal)), "error 13") << text;
    }
}

TEST(ScriptDates, DateFunctionsAndComparisonsUseTheSameReading)
{
    const ExprCase cases[] = {
        {"IsDate(\"3/5/24\")", "Boolean:True"},
        {"IsDate(\"January 15, 2024\")", "Boolean:True"},
        {"IsDate(\"8:30 PM\")", "Boolean:True"},
        {"IsDate(\"12\")", "Boolean:False"},
        {"Year(\"3/5/24\")", "Integer:2024"},
        {"Month(\"3/5/24\")", "Integer:3"},
        {"DateValue(\"1/15/2024 8:30 PM\")", "Date:2024-01-15"},
        {"DateValue(\"15-Jan-2024\")", "Date:2024-01-15"},
        {"TimeValue(\"1/15/2024 8:30 PM\")", "Date:20:30:00"},
        {"TimeValue(\"12:00 AM\")", "Date:00:00:00"},
        {"DateDiff(\"d\", \"Jan 1 2024\", \"3/1/24\")", "Long:60"},
        {"CDate(\"3/5/24\") = CDate(\"March 5, 2024\")", "Boolean:True"},
        {"CDate(\"1/15/2024 8:30 PM\") = CDate(\"2024-01-15 20:30\")", "Boolean:True"},
        {"#3/5/24# = \"3/5/24\"", "Boolean:True"},
        {"#3/5/24#", "Date:2024-03-05"},
        {"#January 15, 2024 8:30 PM#", "Date:2024-01-15 20:30:00"},
        {"CDbl(\"1/2/2000\")", "Double:36527"},
    };
    for (const ExprCase &c : cases)
        EXPECT_EQ(evalExpr(QString::fromUtf8(c.expr)).toStdString(), std::string(c.expected))
            << c.expr;
}

// A typical user script: texts that name the same day in different forms are equal.
TEST(ScriptDates, AnIsEqualScriptComparesDatesTypedDifferently)
{
    vbs::ScriptControl sc;
    sc.AddCode(QStringLiteral("Function IsEqual(a, b)\n"
                              "  If IsDate(a) And IsDate(b) Then\n"
                              "    IsEqual = (CDate(a) = CDate(b))\n"
                              "  Else\n"
                              "    IsEqual = (a = b)\n"
                              "  End If\n"
                              "End Function\n"));
    auto isEqual = [&sc](const char *a, const char *b) {
        return sc
            .Run(QStringLiteral("IsEqual"),
                 {com::Variant(QString::fromLatin1(a)), com::Variant(QString::fromLatin1(b))})
            .toBool();
    };
    EXPECT_TRUE(isEqual("3/5/24", "March 5, 2024"));
    EXPECT_TRUE(isEqual("15-Mar-2024", "3/15/2024"));
    EXPECT_TRUE(isEqual("1/15/2024 8:30 PM", "2024-01-15 20:30:00"));
    EXPECT_FALSE(isEqual("3/5/24", "5/3/24"));
    EXPECT_FALSE(isEqual("3/5/24", "3/5/1924"));
}

TEST(ScriptDates, AYearlessDateIsInTheGivenYear)
{
    double d = 0;
    ASSERT_TRUE(vbs::DateText::parse(QStringLiteral("Feb 29"), &d, 2024));
    EXPECT_EQ(describe(com::Variant::fromDate(d)), "Date:2024-02-29");
    EXPECT_FALSE(vbs::DateText::parse(QStringLiteral("Feb 29"), &d, 2023));
    ASSERT_TRUE(vbs::DateText::parse(QStringLiteral("13/5"), &d, 2023));
    EXPECT_EQ(describe(com::Variant::fromDate(d)), "Date:2023-05-13");
}

} // namespace
