#include "engine/ModCompare.h"
#include "core/ClsMap.h"
#include "engine/ModExcelColumnList.h"

#include <gtest/gtest.h>

namespace {

QStringList keys(ClsMap &map)
{
    QStringList out;
    for (int i = 0; i < map.count(); ++i)
        out.append(map.GetKey(i));
    return out;
}

QStringList pairsOf(ClsMap &map)
{
    QStringList out;
    for (int i = 0; i < map.count(); ++i) {
        const QString key = map.GetKey(i);
        out.append(key + QStringLiteral("->") + map.GetValue(key));
    }
    return out;
}

QStringList split(const char *text)
{
    const QString s = QString::fromUtf8(text);
    return s.isEmpty() ? QStringList() : s.split(QLatin1Char(','));
}

} // namespace

TEST(ModCompareColumns, ParseColumnListTable)
{
    struct Case
    {
        const char *list;
        bool ok;
        const char *columns; // what the map holds afterwards, also after a failure
    };
    const Case cases[] = {
        {"", true, ""},
        {"A", true, "1"},
        {"A-C,E", true, "1,2,3,5"},
        {"C-A", true, "1,2,3"},
        {"c-a", true, "1,2,3"},
        {"a,B", true, "1,2"},
        {"2-4", true, "2,3,4"},
        {"B-2", true, "2"},
        {"A-A", true, "1"},
        {"IV", true, "256"},
        {"iv", true, "256"},
        {"IW", true, "257"}, // the grid check belongs to IsValidColumnList
        {"3,1", true, "3,1"},
        {" b ", true, "2"},
        {"1,A", false, "1"},
        {"A,B-D,C", false, "1,2,3,4"},
        {"A-C,B", false, "1,2,3"},
        {"0", false, ""},
        {"A,,B", false, "1"},
        {"A,", false, "1"},
        {",A", false, ""},
        {"ABC", false, ""},
        {"A1", false, ""},
        {"A-", false, ""},
        {"-B", false, ""},
        {"A-B-C", false, ""},
        {"A，B", false, ""}, // the session window turns the full-width comma first
        {"1-99999999", false, ""},
        {"ZZ", true, "702"},
        {"1-1000", false, ""},
    };
    for (const Case &c : cases) {
        ClsMap map;
        EXPECT_EQ(ModCompare::ParseColumnList(QString::fromUtf8(c.list), QStringLiteral(","), map),
                  c.ok)
            << c.list;
        EXPECT_EQ(keys(map), split(c.columns)) << c.list;
    }
}

TEST(ModCompareColumns, SeparatorIsExact)
{
    ClsMap map;
    EXPECT_TRUE(ModCompare::ParseColumnList(QStringLiteral("A;C"), QStringLiteral(";"), map));
    EXPECT_EQ(keys(map), split("1,3"));
}

TEST(ModComparePairing, ByNameAndPosition)
{
    struct Case
    {
        const char *left;
        const char *right;
        bool byName;
        const char *pairs;
    };
    const Case cases[] = {
        {"Sheet1,Data,Notes", "data,Summary,Sheet1", true,
         "Sheet1->Sheet1,Data->Data,Notes->Summary"},
        {"A,B,C", "X", true, "A->X"},
        {"A,B", "B,A,C", false, "A->B,B->A"},
        {"A,B", "B,A,C", true, "A->A,B->B"},
        {"a,X,Y", "Q,A", true, "a->a,X->Q"},
        {"", "A,B", true, ""},
        {"A,B", "", true, ""},
        {"", "A,B", false, ""},
        {"A,B,C", "x,y", false, "A->x,B->y"},
        {"K,L", "l,m,k", true, "K->K,L->L"},
    };
    for (const Case &c : cases) {
        ClsMap pairs;
        pairs.Add(QStringLiteral("stale"), QStringLiteral("old"));
        if (c.byName)
            ModCompare::PairByName(split(c.left), split(c.right), pairs);
        else
            ModCompare::PairByPosition(split(c.left), split(c.right), pairs);
        EXPECT_EQ(pairsOf(pairs), split(c.pairs)) << c.left << " / " << c.right;
    }
}

TEST(ModComparePaths, RelativeAndAbsolute)
{
    EXPECT_EQ(ModCompare::GetAbsolutePath(QStringLiteral("/work/"), QStringLiteral("data.xlsx")),
              QStringLiteral("/work/data.xlsx"));
    EXPECT_EQ(ModCompare::GetAbsolutePath(QStringLiteral("/work"), QStringLiteral("sub/d.xlsx")),
              QStringLiteral("/work/sub/d.xlsx"));
    EXPECT_EQ(ModCompare::GetAbsolutePath(QStringLiteral("/work/"), QStringLiteral("/x/d.xlsx")),
              QStringLiteral("/x/d.xlsx"));
    // A colon is an ordinary character in a Linux file name.
    EXPECT_EQ(ModCompare::GetAbsolutePath(QStringLiteral("/work/"), QStringLiteral("a:b.xlsx")),
              QStringLiteral("/work/a:b.xlsx"));

    EXPECT_EQ(ModCompare::GetRelativeFileName(QStringLiteral("/work/"),
                                              QStringLiteral("/work/data.xlsx")),
              QStringLiteral("data.xlsx"));
    EXPECT_EQ(
        ModCompare::GetRelativeFileName(QStringLiteral("/work"), QStringLiteral("/work/data.xlsx")),
        QStringLiteral("data.xlsx"));
    EXPECT_EQ(ModCompare::GetRelativeFileName(QStringLiteral("/work/"),
                                              QStringLiteral("/work/sub/data.xlsx")),
              QStringLiteral("/work/sub/data.xlsx"));
    EXPECT_EQ(ModCompare::GetRelativeFileName(QStringLiteral("/work/"),
                                              QStringLiteral("/WORK/data.xlsx")),
              QStringLiteral("/WORK/data.xlsx"));
    EXPECT_EQ(
        ModCompare::GetRelativeFileName(QStringLiteral("/work/"), QStringLiteral("data.xlsx")),
        QStringLiteral("data.xlsx"));
}

TEST(ModCompareCancel, FlagAndListener)
{
    int hidden = 0;
    ModCompare::SetCancelListener([&hidden] { ++hidden; });
    ModCompare::SetCancelCompare(false);
    EXPECT_FALSE(ModCompare::IsCancelCompare());
    EXPECT_EQ(hidden, 0);
    ModCompare::SetCancelCompare(true);
    EXPECT_TRUE(ModCompare::IsCancelCompare());
    EXPECT_EQ(hidden, 1);
    ModCompare::SetCancelCompare(false);
    EXPECT_FALSE(ModCompare::IsCancelCompare());
    EXPECT_EQ(hidden, 1);
    ModCompare::SetCancelListener(nullptr);
}

TEST(ModCompareColumns, IsValidColumnListTable)
{
    const struct
    {
        const char *list;
        bool valid;
    } cases[] = {
        {"", true},      {"A", true},     {"a,B", true},   {"A-C,E", true}, {"C-A", true},
        {"IV", true},    {"256", true},   {"1,A", true},   {"A,A", true},   {" b ", true},
        {"IW", false},   {"257", false},  {"0", false},    {"ABC", false},  {"A1", false},
        {"A,,B", false}, {"A,", false},   {",A", false},   {"A-", false},   {"-A", false},
        {"A--B", false}, {"A，B", false}, {"1e10", false}, {"A B", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ModExcel::IsValidColumnList(QString::fromUtf8(c.list)), c.valid) << c.list;
    EXPECT_TRUE(ModExcel::IsValidColumn(QStringLiteral("iv")));
    EXPECT_FALSE(ModExcel::IsValidColumn(QString()));
}
