#include "engine/KeyRowIndex.h"
#include "core/ClsArrayMap.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

// The comparison's key index must find exactly what the key map (ClsArrayMap) of the same mode
// finds: the first row of a key, nothing for an absent key.
TEST(KeyRowIndex, FindsWhatTheKeyMapOfTheSameModeFinds)
{
    struct Case
    {
        const char *name;
        bool ignoreCase;
        std::vector<QStringList> added;                  // rows 1, 2, ... in order
        std::vector<std::pair<QStringList, int>> looked; // key -> row (0: absent)
    };
    const Case cases[] = {
        {"binary, first row stays",
         false,
         {{"a"}, {"A"}, {"a"}, {""}, {" a"}},
         {{{"a"}, 1}, {{"A"}, 2}, {{""}, 4}, {{" a"}, 5}, {{"b"}, 0}}},
        {"ignoring case",
         true,
         {{"Straße"}, {"STRASSE"}, {"x"}, {"X"}},
         {{{"straße"}, 1}, {{"x"}, 3}, {{"X"}, 3}, {{"y"}, 0}}},
        {"two parts never run into each other",
         false,
         {{"ab", "c"}, {"a", "bc"}, {"", "abc"}, {"AB", "c"}},
         {{{"ab", "c"}, 1},
          {{"a", "bc"}, 2},
          {{"", "abc"}, 3},
          {{"abc", ""}, 0},
          {{"AB", "c"}, 4}}},
        {"other scripts ignoring case",
         true,
         {{"Äpfel"}, {"äPFEL"}, {"ΣΑΣ"}, {"Ǆ", "x"}},
         {{{"ÄPFEL"}, 1}, {{"σας"}, 3}, {{"σασ"}, 3}, {{"ǆ", "X"}, 4}, {{"apfel"}, 0}}},
        {"two parts ignoring case",
         true,
         {{"k", "G1"}, {"K", "g1"}, {"k", "g2"}},
         {{{"K", "G1"}, 1}, {{"k", "G2"}, 3}, {{"k", ""}, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        KeyRowIndex index(c.ignoreCase);
        ClsArrayMap map;
        map.setCompareMode(c.ignoreCase ? 1 : 0);
        int row = 0;
        for (const QStringList &key : c.added) {
            index.add(key, ++row);
            map.Add(key, QString::number(row));
        }
        for (const auto &[key, expected] : c.looked) {
            EXPECT_EQ(index.find(key), expected) << key.join(u'|').toStdString();
            EXPECT_EQ(map.Exists(key) ? map.GetValue(key).toInt() : 0, expected);
        }
    }
}

TEST(KeyRowIndex, ManyKeysAgreeWithTheKeyMapWhileTheIndexGrows)
{
    QRandomGenerator random(7);
    for (bool ignoreCase : {false, true}) {
        SCOPED_TRACE(ignoreCase);
        KeyRowIndex index(ignoreCase); // no reserve: it grows as rows come
        ClsArrayMap map;
        map.setCompareMode(ignoreCase ? 1 : 0);
        auto keyOf = [&](quint32 n) {
            return QStringList{QStringLiteral("K%1").arg(n % 3000),
                               n % 2 ? QStringLiteral("g") : QStringLiteral("G")};
        };
        for (int row = 1; row <= 5000; ++row) {
            const QStringList key = keyOf(random.bounded(6000u));
            index.add(key, row);
            map.Add(key, QString::number(row));
        }
        for (quint32 n = 0; n < 6000; ++n) {
            const QStringList key = keyOf(n);
            ASSERT_EQ(index.find(key), map.Exists(key) ? map.GetValue(key).toInt() : 0) << n;
        }
    }
}
