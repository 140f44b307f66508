#include "core/ClsArrayMap.h"
#include "core/ClsMap.h"
#include "core/ClsObjMap.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "tests/support/TestHelpers.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

namespace {

TEST(ClsMap, TextModeByDefaultBinaryOnRequest)
{
    ClsMap m;
    m.Add(S("a"), S("1"));
    m.Add(S("A"), S("2"));
    EXPECT_EQ(m.count(), 1);
    EXPECT_EQ(m.GetKey(0), S("a"));
    EXPECT_EQ(m.GetValue(S("A")), S("1"));
    EXPECT_TRUE(m.Exists(S("A")));
    EXPECT_EQ(m.CompareMode(), 1);

    ClsMap b;
    b.setCompareMode(0);
    b.Add(S("a"), S("1"));
    b.Add(S("A"), S("2"));
    EXPECT_EQ(b.count(), 2);
    EXPECT_EQ(b.GetValue(S("A")), S("2"));

    // The mode changes only while the map is empty; RemoveAll keeps it.
    EXPECT_EQ(errorNumberOf([&] { b.setCompareMode(1); }), 5);
    b.RemoveAll();
    EXPECT_EQ(b.CompareMode(), 0);
    b.setCompareMode(1);
    EXPECT_EQ(b.CompareMode(), 1);
}

TEST(ClsMap, TextModeFoldsBeyondAscii)
{
    ClsMap m;
    m.Add(S("Ärger"), S("1"));
    m.Add(S("ΣΊΣΥΦΟΣ"), S("2"));
    EXPECT_TRUE(m.Exists(S("ärger")));
    EXPECT_TRUE(m.Exists(S("σίσυφοσ")));
    EXPECT_FALSE(m.Exists(S("arger")));
    m.Add(S("中文"), S("3"));
    EXPECT_EQ(m.GetValue(S("中文")), S("3"));
}

TEST(ClsMap, OrderAndInsertOnRead)
{
    ClsMap m;
    EXPECT_EQ(m.GetValue(S("x")), QString());
    EXPECT_EQ(m.count(), 1);
    EXPECT_TRUE(m.Exists(S("x")));
    EXPECT_EQ(m.GetKey(0), S("x"));

    m.Add(S("b"), S("2"));
    m.SetValue(S("c"), S("3"));
    m.SetValue(S("x"), S("9")); // replaced in place
    m.Add(S("b"), S("other"));  // present: ignored
    QStringList keys;
    EXPECT_EQ(m.ToArray_String(keys), 2);
    EXPECT_EQ(keys, QStringList({S("x"), S("b"), S("c")}));
    EXPECT_EQ(m.GetValue(S("x")), S("9"));
    EXPECT_EQ(m.GetValue(S("b")), S("2"));

    // Removed and added again: to the end. Positions stay dense after removals.
    m.Remove(S("x"));
    m.Add(S("x"), S("new"));
    EXPECT_EQ(m.GetKey(0), S("b"));
    EXPECT_EQ(m.GetKey(1), S("c"));
    EXPECT_EQ(m.GetKey(2), S("x"));
    EXPECT_EQ(m.GetKey(-1), QString());
    EXPECT_EQ(m.GetKey(3), QString());
    m.Dump();
    EXPECT_EQ(m.count(), 3);
}

TEST(ClsMap, RemoveTrimsBlanksOnly)
{
    ClsMap m;
    m.Add(S("a"), QString());
    m.Add(S(" b"), QString());
    m.Remove(S(" a "));
    EXPECT_FALSE(m.Exists(S("a")));
    m.Remove(S(" b")); // trimmed to "b", which is absent: the key with its blank stays
    EXPECT_TRUE(m.Exists(S(" b")));
    m.Remove(S("zzz")); // absent: nothing
    m.Add(S("7"), QString());
    m.Remove(7);
    EXPECT_EQ(m.count(), 1);
    m.RemoveAll();
    EXPECT_EQ(m.count(), 0);
}

TEST(ClsMap, ArraysAndUpperBounds)
{
    ClsMap m;
    QList<int> longs{99};
    EXPECT_EQ(m.ToArray(longs), -1);
    EXPECT_TRUE(longs.isEmpty());
    QStringList texts{S("old")};
    EXPECT_EQ(m.ToArray_String(texts), -1);
    EXPECT_TRUE(texts.isEmpty());

    EXPECT_EQ(m.FromLongArray({3, 1, 2, 1}), 3);
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.ToArray(longs), 2);
    EXPECT_EQ(longs, QList<int>({3, 1, 2}));

    EXPECT_EQ(m.FromStringArray({S("b"), S("B"), S("c")}), 2);
    EXPECT_EQ(m.ToArray_String(texts), 1);
    EXPECT_EQ(texts, QStringList({S("b"), S("c")}));

    EXPECT_EQ(m.FromLongArray({}), -1);
    EXPECT_EQ(m.count(), 0);

    // A key that is not a whole number: type mismatch, the output partly filled.
    m.FromStringArray({S("4"), S("x"), S("5")});
    EXPECT_EQ(errorNumberOf([&] { m.ToArray(longs); }), 13);
    EXPECT_EQ(longs, QList<int>({4}));
    m.FromStringArray({S("99999999999")});
    EXPECT_EQ(errorNumberOf([&] { m.ToArray(longs); }), 6);
}

TEST(ClsMap, ManyRemovalsKeepOrder)
{
    ClsMap m;
    for (int i = 0; i < 1000; ++i)
        m.Add(QString::number(i), QString::number(i * 2));
    for (int i = 0; i < 1000; i += 3)
        m.Remove(QString::number(i));
    QList<int> keys;
    m.ToArray(keys);
    int expected = 0;
    for (int k : keys) {
        while (expected % 3 == 0)
            ++expected;
        EXPECT_EQ(k, expected);
        EXPECT_EQ(m.GetValue(QString::number(k)), QString::number(k * 2));
        ++expected;
    }
    EXPECT_EQ(m.count(), 666);
}

struct Probe
{
    explicit Probe(int v) : value(v) {}
    int value;
};

TEST(ClsObjMap, AddKeepsFirstAndReleasesOnRemove)
{
    ClsObjMap<Probe> m;
    auto first = std::make_shared<Probe>(1);
    std::weak_ptr<Probe> watch = first;
    EXPECT_TRUE(m.Add(S("k"), first));
    EXPECT_FALSE(m.Add(S("k"), std::make_shared<Probe>(2)));
    EXPECT_EQ(m.GetValue(S("k"))->value, 1);
    // Binary keys; an absent key reads as null and is not inserted.
    EXPECT_EQ(m.GetValue(S("K")), nullptr);
    EXPECT_FALSE(m.Exists(S("K")));
    EXPECT_EQ(m.GetCount(), 1);

    first.reset();
    EXPECT_FALSE(watch.expired()); // the map holds it
    m.Remove(S(" k"));             // not trimmed: nothing
    EXPECT_EQ(m.GetCount(), 1);
    m.Remove(S("k"));
    EXPECT_TRUE(watch.expired());

    m.Add(S("a"), std::make_shared<Probe>(3));
    m.Add(S("b"), std::make_shared<Probe>(4));
    EXPECT_EQ(m.GetObject().keys(), QStringList({S("a"), S("b")}));
    m.RemoveAll();
    EXPECT_EQ(m.GetCount(), 0);
}

TEST(ClsArrayMap, ModesOfMultiPartKeys)
{
    struct
    {
        int mode;
        bool exists;
        const char *value;
    } cases[] = {{1, true, "5"}, {0, false, ""}};
    for (auto c : cases) {
        ClsArrayMap m;
        m.setCompareMode(c.mode);
        m.Add({S("A"), S("x")}, S("5"));
        EXPECT_EQ(m.Exists({S("a"), S("X")}), c.exists) << c.mode;
        EXPECT_EQ(m.GetValue({S("a"), S("X")}), S(c.value)) << c.mode;
        EXPECT_TRUE(m.Exists({S("A"), S("x")}));
    }
}

TEST(ClsArrayMap, FirstRowWinsAndExtraPartsIgnored)
{
    ClsArrayMap m;
    m.Add({S("k"), S("1")}, S("10"));
    m.Add({S("k"), S("1"), S("extra")}, S("11"));
    m.Add({S("k"), S("2")}, S("12"));
    EXPECT_EQ(m.GetValue({S("k"), S("1"), S("whatever")}), S("10"));
    EXPECT_EQ(m.GetValue({S("k"), S("2")}), S("12"));
    // Parts are kept apart: "ab"+"c" is not "a"+"bc".
    m.Add({S("ab"), S("c")}, S("20"));
    EXPECT_FALSE(m.Exists({S("a"), S("bc")}));
    // Empty parts count as parts.
    m.Add({QString(), QString()}, S("30"));
    EXPECT_EQ(m.GetValue({QString(), QString()}), S("30"));
    // Shorter keys and keys without parts are refused.
    EXPECT_EQ(errorNumberOf([&] { m.Exists({S("k")}); }), 9);
    EXPECT_EQ(errorNumberOf([&] { m.Add({}, S("x")); }), 9);
}

TEST(ClsArrayMap, OnePartKeysUseTheInnerMap)
{
    ClsArrayMap m; // binary mode, but the inner map stays text until the mode is set
    EXPECT_FALSE(m.Exists({S("a")}));
    EXPECT_EQ(m.GetValue({S("a")}), QString()); // empty map: nothing inserted
    m.Add({S("a")}, S("1"));
    EXPECT_TRUE(m.Exists({S("A")}));
    EXPECT_TRUE(m.Exists({S("a"), S("ignored")}));
    EXPECT_EQ(m.GetValue({S("a"), S("zz")}), S("1"));
    // An absent key read through the inner map becomes present with an empty value.
    EXPECT_EQ(m.GetValue({S("b")}), QString());
    EXPECT_TRUE(m.Exists({S("b")}));
    m.Add({S("b")}, S("2"));
    EXPECT_EQ(m.GetValue({S("b")}), QString());
    // The inner map holds keys: changing the mode now is an invalid argument.
    EXPECT_EQ(errorNumberOf([&] { m.setCompareMode(0); }), 5);
}

// The records searched in order, part by part, as the literal rule states.
class LinearArrayMap
{
public:
    int mode = 0;
    void add(const QStringList &p, const QString &v)
    {
        if (exists(p)) return;
        if (width == -1) width = int(p.size()) - 1;
        rows.push_back({p.mid(0, width + 1), v});
    }
    bool exists(const QStringList &p) const { return find(p) >= 0; }
    QString value(const QStringList &p) const
    {
        int i = find(p);
        return i < 0 ? QString() : rows[std::size_t(i)].second;
    }
    int width = -1;

private:
    int find(const QStringList &p) const
    {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            bool match = true;
            for (int j = 0; j <= width && match; ++j)
                match = (mode ? BasicText::compareText(p[j], rows[i].first[j])
                              : BasicText::compareBinary(p[j], rows[i].first[j])) == 0;
            if (match) return int(i);
        }
        return -1;
    }
    std::vector<std::pair<QStringList, QString>> rows;
};

TEST(ClsArrayMap, SameResultsAsAnInOrderSearch)
{
    const QStringList alphabet{S("a"), S("A"), S("b"), S("ß"),  S("SS"),
                               S("é"), S("É"), S(""),  S("中"), S("x y")};
    for (int mode : {0, 1}) {
        std::mt19937 rng(1234 + mode);
        auto pick = [&] { return alphabet[int(rng() % alphabet.size())]; };
        ClsArrayMap hashed;
        hashed.setCompareMode(mode);
        LinearArrayMap linear;
        linear.mode = mode;
        for (int i = 0; i < 400; ++i) {
            QStringList key{pick(), pick() + pick(), pick()};
            if (i % 2) {
                hashed.Add(key, QString::number(i));
                linear.add(key, QString::number(i));
            } else {
                ASSERT_EQ(hashed.Exists(key), linear.exists(key)) << key.join('|').toStdString();
                ASSERT_EQ(hashed.GetValue(key), linear.value(key));
            }
        }
    }
}

TEST(ClsArrayMap, ModeChangeAfterLoadingFindsTheFirstRow)
{
    ClsArrayMap m;
    m.Add({S("a"), S("b")}, S("1"));
    m.Add({S("A"), S("B")}, S("2"));
    EXPECT_EQ(m.GetValue({S("A"), S("B")}), S("2"));
    m.setCompareMode(1);
    EXPECT_EQ(m.CompareMode(), 1);
    EXPECT_EQ(m.GetValue({S("A"), S("B")}), S("1"));
}

} // namespace
