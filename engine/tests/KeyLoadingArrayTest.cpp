#include "core/ClsArrayMap.h"
#include "core/ClsMap.h"
#include "engine/ModCompare.h"
#include "platform/com/VariantArray.h"

#include <gtest/gtest.h>

namespace {

// A block of one or two key columns; "" is an empty cell, "#n" the number n.
std::shared_ptr<com::VariantArray> blockOf(const std::vector<QStringList> &rows)
{
    const int columns = rows.empty() ? 1 : int(rows.front().size());
    auto block = com::VariantArray::grid(int(rows.size()), columns);
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < columns; ++c) {
            const QString &text = rows[r].at(c);
            if (text.startsWith(QLatin1Char('#')))
                block->at(r + 1, c + 1) = com::Variant(text.mid(1).toDouble());
            else if (!text.isEmpty())
                block->at(r + 1, c + 1) = com::Variant(text);
        }
    }
    return block;
}

ClsMap columnsOf(const char *list)
{
    ClsMap map;
    EXPECT_TRUE(ModCompare::ParseColumnList(QString::fromLatin1(list), QStringLiteral(","), map));
    return map;
}

QString rowOf(ClsArrayMap &map, const QStringList &key)
{
    return map.Exists(key) ? map.GetValue(key) : QStringLiteral("-");
}

} // namespace

TEST(KeyLoadingArray, BlankKeyRowsEndTheLoadOnlyWhenNoKeyFollows)
{
    // Twelve blank rows spread out, then a run of eleven, then keys, then a blank tail.
    std::vector<QStringList> rows;
    QStringList expected;
    int n = 0;
    for (int i = 0; i < 12; ++i) {
        rows.push_back({QStringLiteral("k%1").arg(++n)});
        rows.push_back({QString()});
    }
    for (int i = 0; i < 11; ++i)
        rows.push_back({QString()});
    rows.push_back({QStringLiteral("late")});
    rows.push_back({QStringLiteral("#42")});
    for (int i = 0; i < 15; ++i)
        rows.push_back({QString()});

    ClsArrayMap keys;
    keys.setCompareMode(1);
    const ClsMap columns = columnsOf("A");
    int first = 1;
    ModCompare::LoadKeyRowsFromArray(*blockOf(rows), first, int(rows.size()), columns, keys, true);
    for (int i = 1; i <= 12; ++i)
        EXPECT_EQ(rowOf(keys, {QStringLiteral("k%1").arg(i)}), QString::number(2 * i - 1)) << i;
    EXPECT_EQ(rowOf(keys, {QStringLiteral("late")}), QStringLiteral("36"));
    EXPECT_EQ(rowOf(keys, {QStringLiteral("42")}), QStringLiteral("37"));
    // The blank key is stored once, with the first blank row.
    EXPECT_EQ(rowOf(keys, {QString()}), QStringLiteral("2"));
}

TEST(KeyLoadingArray, DuplicatesCaseAndTrim)
{
    const std::vector<QStringList> rows = {
        {QStringLiteral("x"), QStringLiteral("1")},  {QStringLiteral("X"), QStringLiteral("1")},
        {QStringLiteral("x"), QStringLiteral("1")},  {QStringLiteral(" y "), QStringLiteral("2")},
        {QStringLiteral("y"), QStringLiteral("#2")}, {QString(), QStringLiteral("3")},
    };
    const auto block = blockOf(rows);
    const ClsMap columns = columnsOf("A-B");
    struct Case
    {
        int mode;
        bool trim;
        const char *x, *bigX, *y, *paddedY, *half;
    };
    const Case cases[] = {
        {1, true, "1", "1", "4", "-", "6"},
        {0, true, "1", "2", "4", "-", "6"},
        {1, false, "1", "1", "5", "4", "6"},
        {0, false, "1", "2", "5", "4", "6"},
    };
    for (const Case &c : cases) {
        ClsArrayMap keys;
        keys.setCompareMode(c.mode);
        int first = 1;
        ModCompare::LoadKeyRowsFromArray(*block, first, 6, columns, keys, c.trim);
        const QString one = QStringLiteral("1"), two = QStringLiteral("2");
        EXPECT_EQ(rowOf(keys, {QStringLiteral("x"), one}), QString::fromLatin1(c.x));
        EXPECT_EQ(rowOf(keys, {QStringLiteral("X"), one}), QString::fromLatin1(c.bigX));
        EXPECT_EQ(rowOf(keys, {QStringLiteral("y"), two}), QString::fromLatin1(c.y));
        EXPECT_EQ(rowOf(keys, {QStringLiteral(" y "), two}), QString::fromLatin1(c.paddedY));
        EXPECT_EQ(rowOf(keys, {QString(), QStringLiteral("3")}), QString::fromLatin1(c.half));
    }
}

TEST(KeyLoadingArray, ReadArrayRowCellsInColumnOrder)
{
    const auto block =
        blockOf({{QStringLiteral(" a"), QStringLiteral("#1.5"), QStringLiteral("c ")}});
    QStringList row{QStringLiteral("stale"), QStringLiteral("x"), QStringLiteral("y"),
                    QStringLiteral("z")};
    ModCompare::ReadArrayRowCells(*block, 1, {3, 1}, row, true);
    EXPECT_EQ(row, (QStringList{QStringLiteral("c"), QStringLiteral("a")}));
    ModCompare::ReadArrayRowCells(*block, 1, {2, 3}, row, false);
    EXPECT_EQ(row, (QStringList{QStringLiteral("1.5"), QStringLiteral("c ")}));
}

TEST(KeyLoadingArray, NoKeyColumnLoadsNothing)
{
    ClsArrayMap keys;
    ClsMap none;
    int first = 1;
    ModCompare::LoadKeyRowsFromArray(*blockOf({{QStringLiteral("a")}, {QString()}}), first, 2, none,
                                     keys, true);
    EXPECT_FALSE(keys.Exists({QStringLiteral("a")}));
}
