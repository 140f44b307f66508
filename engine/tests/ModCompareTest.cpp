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

// One grammar for the session window's check and the run: the check passes every list the run
// accepts, and also lists that name a column twice (the run refuses those with its message).
TEST(ModCompareColumns, ColumnListGrammar)
{
    struct Case
    {
        const char *list;
        bool parses, checks;
        const char *columns; // what the map holds afterwards, also after a failure
    };
    const Case cases[] = {
        {"", true, true, ""},
        {"A", true, true, "1"},
        {"A-C,E", true, true, "1,2,3,5"},
        {"C-A", true, true, "1,2,3"},
        {"c-a", true, true, "1,2,3"},
        {"a,B", true, true, "1,2"},
        {"2-4", true, true, "2,3,4"},
        {"B-2", true, true, "2"},
        {"A-A", true, true, "1"},
        {"IV", true, true, "256"},
        {"iv", true, true, "256"},
        {"256", true, true, "256"},
        {"3,1", true, true, "3,1"},
        {" b ", true, true, "2"},
        {"2.4", true, true, "2"},
        {"1,A", false, true, "1"},
        {"A,A", false, true, "1"},
        {"A,B-D,C", false, true, "1,2,3,4"},
        {"A-C,B", false, true, "1,2,3"},
        {"IW", false, false, ""},
        {"257", false, false, ""},
        {"ZZ", false, false, ""},
        {"A-IW", false, false, ""},
        {"0", false, false, ""},
        {"A,,B", false, false, "1"},
        {"A,", false, false, "1"},
        {",A", false, false, ""},
        {"ABC", false, false, ""},
        {"A1", false, false, ""},
        {"A-", false, false, ""},
        {"-B", false, false, ""},
        {"A-B-C", false, false, ""},
        {"A--B", false, false, ""},
        {"A，B", false, false, ""}, // the session window turns the full-width comma first
        {"A B", false, false, ""},
        {"1e10", false, false, ""},
        {"1-99999999", false, false, ""},
    };
    for (const Case &c : cases) {
        ClsMap map;
        const QString list = QString::fromUtf8(c.list);
        EXPECT_EQ(ModCompare::ParseColumnList(list, QStringLiteral(","), map), c.parses) << c.list;
        EXPECT_EQ(keys(map), split(c.columns)) << c.list;
        EXPECT_EQ(ModExcel::IsValidColumnList(list), c.checks) << c.list;
    }
    EXPECT_TRUE(ModExcel::IsValidColumn(QStringLiteral("iv")));
    EXPECT_FALSE(ModExcel::IsValidColumn(QString()));
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
