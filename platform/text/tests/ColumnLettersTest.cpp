#include "platform/text/ColumnLetters.h"

#include <gtest/gtest.h>

TEST(ColumnLetters, NumbersAndLettersBothWays)
{
    const struct
    {
        int column;
        const char *letters;
    } cases[] = {{1, "A"},    {26, "Z"},   {27, "AA"},   {52, "AZ"},   {53, "BA"},
                 {256, "IV"}, {702, "ZZ"}, {703, "AAA"}, {728, "AAZ"}, {16384, "XFD"}};
    for (const auto &c : cases) {
        EXPECT_EQ(ColumnLetters::fromNumber(c.column), QLatin1String(c.letters)) << c.column;
        EXPECT_EQ(ColumnLetters::toNumber(QString::fromLatin1(c.letters)), c.column) << c.letters;
        EXPECT_EQ(ColumnLetters::toNumber(QString::fromLatin1(c.letters).toLower()), c.column);
    }
    for (int c = 1; c <= ColumnLetters::MaxColumn; ++c)
        ASSERT_EQ(ColumnLetters::toNumber(ColumnLetters::fromNumber(c)), c);
}

TEST(ColumnLetters, RefusesWhatIsNoColumn)
{
    for (int c : {0, -1, 16385, 1 << 30})
        EXPECT_EQ(ColumnLetters::fromNumber(c), QString()) << c;
    // XFE is one past the last column; "ſ" and "ı" become letters only by a case change.
    for (const char *text :
         {"", "A1", "1", "ABCD", "XFE", "ZZZ", "A B", "\xC5\xBF", "\xC4\xB1", "\xEF\xBC\xA1"})
        EXPECT_EQ(ColumnLetters::toNumber(QString::fromUtf8(text)), 0) << text;
}
