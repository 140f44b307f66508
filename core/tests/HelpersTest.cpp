#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ModStl.h"
#include "core/ModString.h"
#include "platform/text/BasicError.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

// The upper bound is the last index: -1 for no pieces, and empty pieces count.
TEST(ModString, SplitToArrayKeepsEveryPiece)
{
    const std::tuple<const char *, int, QStringList> cases[] = {
        {"", -1, {}},
        {"x", 0, {S("x")}},
        {"a,,b,", 3, {S("a"), S(""), S("b"), S("")}},
        {",", 1, {S(""), S("")}},
    };
    for (const auto &[text, upperBound, expected] : cases) {
        QStringList parts{S("stale")};
        EXPECT_EQ(ModString::SplitToArray(S(text), S(","), parts), upperBound) << text;
        EXPECT_EQ(parts, expected) << text;
    }
    // A key row is empty when it has no cell or only empty cells; a blank is a value.
    EXPECT_TRUE(ModCommon::IsStrArrayEmpty({}));
    EXPECT_TRUE(ModCommon::IsStrArrayEmpty({S(""), S("")}));
    EXPECT_FALSE(ModCommon::IsStrArrayEmpty({S(""), S(" ")}));
}

TEST(ModCommon, SplitOnce)
{
    QString l = S("keep"), r = S("keep");
    EXPECT_FALSE(ModCommon::SplitOnce(S("a-b"), S("X"), l, r));
    EXPECT_EQ(l, S("keep"));
    EXPECT_FALSE(ModCommon::SplitOnce(S("aXb"), S("x"), l, r)); // case counts
    EXPECT_TRUE(ModCommon::SplitOnce(S("a-b-c"), S("-"), l, r));
    EXPECT_EQ(l, S("a"));
    EXPECT_EQ(r, S("b-c"));
    EXPECT_TRUE(ModCommon::SplitOnce(S("abc"), QString(), l, r));
    EXPECT_EQ(l, QString());
    EXPECT_EQ(r, S("abc"));
}

TEST(ModCommon, ColumnLetters)
{
    struct
    {
        int column;
        const char *letters;
    } cases[] = {{1, "A"},    {26, "Z"},   {27, "AA"},  {52, "AZ"}, {53, "BA"},
                 {256, "IV"}, {257, "IW"}, {702, "ZZ"}, {0, ""},    {703, ""}};
    for (auto c : cases) {
        EXPECT_EQ(ModCommon::GetColumnLetter(c.column), S(c.letters)) << c.column;
        if (*c.letters) {
            EXPECT_EQ(ModCommon::ColumnLetterToNumber(S(c.letters)), c.column) << c.letters;
        }
    }
}

TEST(ModCommon, ColumnTexts)
{
    struct
    {
        const char *text;
        int column;
    } cases[] = {
        {" iv ", 256}, {"a", 1},  {"Zz", 702}, {"ABC", 0}, {"A1", 0}, {"1A", 0},
        {"ß", 0},      {"中", 0}, {"A B", 0},  {"@", 0},   {"[", 0},  {"Ａ", 0},
    };
    for (auto c : cases)
        EXPECT_EQ(ModCommon::ColumnLetterToNumber(S(c.text)), c.column) << c.text;
    EXPECT_EQ(errorNumberOf([] { ModCommon::ColumnLetterToNumber(S("  ")); }), 5);

    struct
    {
        const char *text;
        int column;
    } parsed[] = {{"3", 3},   {"c", 3},    {" 27 ", 27}, {"2.5", 2}, {"3.5", 4}, {"-1", -1},
                  {"1E2", 0}, {"&H10", 0}, {"1,0", 0},   {"A1", 0},  {"IW", 257}};
    for (auto c : parsed)
        EXPECT_EQ(ModCommon::ParseColumn(S(c.text)), c.column) << c.text;
    EXPECT_EQ(errorNumberOf([] { ModCommon::ParseColumn(QString()); }), 5);
    EXPECT_EQ(errorNumberOf([] { ModCommon::ParseColumn(S("99999999999")); }), 6);
}

TEST(ModCommon, NaturalOrder)
{
    struct
    {
        const char *a, *b;
        bool less;
    } cases[] = {
        {"Z", "AA", true},
        {"AA", "Z", false},
        {"AB", "BA", true},
        {"BA", "AB", false},
        {"9", "10", true},
        {"12", "21", true},
        {"21", "12", false},
        {"", "A", true},
        {"A", "", false},
        {"AB", "AB", false},
        {"A9", "B1", true},
        {"1B", "1A", false},
        {"99999999999", "99999999998", false}, // long digit runs compare without overflow
    };
    for (auto c : cases)
        EXPECT_EQ(ModCommon::IsStrLess(S(c.a), S(c.b)), c.less) << c.a << " < " << c.b;

    QStringList cols{S("AA"), S("C"), S("B"), S("IV"), S("A")};
    ModCommon::SortStrArray(cols, 4);
    EXPECT_EQ(cols, QStringList({S("A"), S("B"), S("C"), S("AA"), S("IV")}));
    QStringList part{S("C"), S("B"), S("A")};
    ModCommon::SortStrArray(part, 1);
    EXPECT_EQ(part, QStringList({S("B"), S("C"), S("A")}));
    QList<int> rows{5, -1, 3, 3};
    ModCommon::SortLongArray(rows, 3);
    EXPECT_EQ(rows, QList<int>({-1, 3, 3, 5}));
    ModCommon::SortLongArray(rows, -1); // nothing to sort
    EXPECT_EQ(errorNumberOf([&] { ModCommon::SortLongArray(rows, 4); }), 9);
}

TEST(ModCommon, NumberInString)
{
    struct
    {
        const char *text;
        int number;
    } cases[] = {{"abc", -1}, {"", -1},   {"row12", 12}, {"x2.5y", 2},
                 {"x3.5", 4}, {"a-7", 7}, {"1 2", 12},   {"第3行", 3}};
    for (auto c : cases)
        EXPECT_EQ(ModCommon::GetNumberInString(S(c.text)), c.number) << c.text;
    EXPECT_EQ(errorNumberOf([] { ModCommon::GetNumberInString(S("n99999999999")); }), 6);
}

TEST(ModCommon, PadToWidthCountsAnsiBytes)
{
    struct
    {
        const char *text;
        int width;
        const char *padded;
    } cases[] = {
        {"中文", 6, "中文  "}, {"中文ab", 6, "中文ab"}, {"中文中文", 6, "中文中文"},
        {"ab", 4, "ab  "},     {"", 2, "  "},           {"abc", 0, "abc"},
    };
    for (auto c : cases)
        EXPECT_EQ(ModCommon::PadToWidth(S(c.text), c.width), S(c.padded)) << c.text;
    EXPECT_EQ(ModString::GetAnsiByteLength(S("左边row")), 7);
    EXPECT_EQ(ModCommon::MinLong(-3, 2), -3);
    EXPECT_EQ(ModCommon::MaxLong(-3, 2), 2);
}

TEST(ModCommon, ShowMsgGoesThroughTheMessageBox)
{
    FakeMessageBox box;
    box.expect(win::vbNo);
    EXPECT_EQ(ModCommon::ShowMsg(S("继续？"), win::vbYesNo + win::vbQuestion, S("Quorva")),
              win::vbNo);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].prompt, S("继续？"));
    EXPECT_EQ(box.shown()[0].style, 36);
    EXPECT_EQ(box.shown()[0].title, S("Quorva"));
}

TEST(ModString, NumberedNames)
{
    struct
    {
        const char *in, *out;
    } cases[] = {{"name", "name_1"},   {"name_3", "name_4"}, {"a_b", "a_b_1"},
                 {"name_", "name__1"}, {"x_9", "x_10"},      {"", "_1"},
                 {"x_-1", "x_0"},      {"x_1e2", "x_1e2_1"}, {"表_2", "表_3"}};
    for (auto c : cases)
        EXPECT_EQ(ModString::NextNumberedName(S(c.in)), S(c.out)) << c.in;
}

TEST(ModString, ExtractBetween)
{
    const QString key = S("左边Row: 12 , 匹配右边row: 15 :");
    EXPECT_EQ(ModString::ExtractBetween(key, S("左边row"), S(":"), S(",")), S("12"));
    EXPECT_EQ(ModString::ExtractBetween(key, S("匹配右边row"), S(":"), S(":")), S("15"));
    EXPECT_EQ(ModString::ExtractBetween(S("a=1"), S("b"), S("="), S(";")), QString());
    EXPECT_EQ(ModString::ExtractBetween(S("a=1"), S("a"), S(":"), S(";")), QString());
    EXPECT_EQ(ModString::ExtractBetween(S("aX1x2"), S("a"), S("X"), S("X")), S("1"));
    EXPECT_EQ(ModString::ExtractBetween(S("ax 1 "), S("A"), S("x"), S(";")), S("1"));
    EXPECT_EQ(ModString::ExtractBetween(S("aX1"), S("a"), S("x"), S(";")), QString());
}

TEST(ModString, ListsAndRanges)
{
    int index = 42;
    EXPECT_TRUE(ModString::FindInArray({S("x"), S("ABC")}, S("abc"), index));
    EXPECT_EQ(index, 1);
    index = 42;
    EXPECT_FALSE(ModString::FindInArray({S("x")}, S("y"), index));
    EXPECT_EQ(index, 42);

    QStringList dups{S("a"), S("A"), S("b"), S("a")};
    ModString::RemoveDuplicates(dups);
    EXPECT_EQ(dups, QStringList({S("a"), S("b")}));
    QStringList none;
    ModString::RemoveDuplicates(none);
    EXPECT_TRUE(none.isEmpty());

    EXPECT_EQ(ModString::TrimAtNull(QString(S("ab")) + QChar(0) + S("cd")), S("ab"));
    EXPECT_EQ(ModString::TrimAtNull(S("ab")), S("ab"));

    QStringList ranges;
    EXPECT_EQ(ModString::JoinAsRanges({3, 4, 5, 9, 11, 12}, ranges), 2);
    EXPECT_EQ(ranges, QStringList({S("3-5"), S("9-9"), S("11-12")}));
    EXPECT_EQ(ModString::JoinAsRanges({7}, ranges), 0);
    EXPECT_EQ(ranges, QStringList{S("7-7")});
    EXPECT_EQ(errorNumberOf([&] { ModString::JoinAsRanges({}, ranges); }), 9);
}

TEST(ModStl, ExpandColumnRange)
{
    struct
    {
        const char *item;
        QStringList out;
    } cases[] = {
        {"D-B", {"B", "C", "D"}},
        {"b-d", {"B", "C", "D"}},
        {"2-4", {"B", "C", "D"}},
        {"C", {"C"}},
        {"A-A", {"A"}},
        {"c", {"c"}},
        {"Z-AB", {"Z", "AA", "AB"}},
    };
    for (auto &c : cases) {
        QStringList out{S("stale")};
        EXPECT_EQ(ModStl::ExpandColumnRange(S(c.item), S("-"), out), c.out.size() - 1) << c.item;
        EXPECT_EQ(out, c.out) << c.item;
    }
    QStringList out;
    EXPECT_EQ(errorNumberOf([&] { ModStl::ExpandColumnRange(S("1-100000000"), S("-"), out); }), 9);
    EXPECT_EQ(errorNumberOf([&] { ModStl::ExpandColumnRange(S("A1-C"), S("-"), out); }), 9);
    EXPECT_EQ(errorNumberOf([&] { ModStl::ExpandColumnRange(S("A-"), S("-"), out); }), 5);
}

TEST(ModStl, MapUtilities)
{
    ClsMap a;
    ModStl::FillMapWithNumbers(3, a);
    QStringList keys;
    ModStl::MapKeysToArray(a, keys);
    EXPECT_EQ(keys, QStringList({S("1"), S("2"), S("3")}));

    ClsMap b;
    b.Add(S("2"), S("kept"));
    b.Add(S("x"), S("y"));
    ModStl::AppendMap(b, a);
    ModStl::MapKeysToArray(b, keys);
    EXPECT_EQ(keys, QStringList({S("2"), S("x"), S("1"), S("3")}));
    EXPECT_EQ(b.GetValue(S("2")), S("kept"));

    ModStl::CopyMap(b, a);
    ModStl::MapKeysToArray(b, keys);
    EXPECT_EQ(keys, QStringList({S("1"), S("2"), S("3")}));
    ModStl::CopyMap(a, a);
    EXPECT_EQ(a.count(), 3);

    ClsMap empty;
    ModStl::MapKeysToArray(empty, keys);
    EXPECT_TRUE(keys.isEmpty());
}

TEST(ModStl, SortMapByKey)
{
    ClsMap m;
    const char *pairs[][2] = {{"AA", "27"}, {"B", "2"}, {"IV", "256"}, {"A", "1"}, {"Z", "26"}};
    for (auto &p : pairs)
        m.Add(S(p[0]), S(p[1]));
    ModStl::SortMapByKey(m);
    QStringList keys;
    ModStl::MapKeysToArray(m, keys);
    EXPECT_EQ(keys, QStringList({S("A"), S("B"), S("Z"), S("AA"), S("IV")}));
    for (auto &p : pairs)
        EXPECT_EQ(m.GetValue(S(p[0])), S(p[1]));
    EXPECT_EQ(m.CompareMode(), 1);

    // A binary map keeps keys that differ only in case.
    ClsMap bin;
    bin.setCompareMode(0);
    bin.Add(S("b"), S("1"));
    bin.Add(S("B"), S("2"));
    ModStl::SortMapByKey(bin);
    ModStl::MapKeysToArray(bin, keys);
    EXPECT_EQ(keys, QStringList({S("B"), S("b")}));
    EXPECT_EQ(bin.GetValue(S("b")), S("1"));
    EXPECT_EQ(bin.CompareMode(), 0);
}

} // namespace
