#include "platform/excel/StringPool.h"

#include <QStringList>
#include <cstring>
#include <gtest/gtest.h>

using namespace excel;

namespace {

QStringList all(const StringPool &pool)
{
    return QStringList(pool.begin(), pool.end());
}

// A text longer than a block, so that it gets a block of its own.
QString longText()
{
    return QString(70000, QLatin1Char('x')) + QStringLiteral("末");
}

TEST(StringPoolTest, KeepsEveryTextAsGiven)
{
    // Lengths around the one-unit length limit (32,767) and around a block's size.
    const QStringList texts = {QString(),
                               QStringLiteral(" "),
                               QStringLiteral("中文 text"),
                               QString(QChar(0)),
                               longText(),
                               QStringLiteral("after long"),
                               QString(32767, QLatin1Char('a')),
                               QString(32768, QLatin1Char('b')),
                               QString(65534, QLatin1Char('c')),
                               QString(65535, QLatin1Char('d')),
                               QStringLiteral("end")};
    StringPool pool;
    for (const QString &text : texts)
        pool.push_back(text);
    // Many short ones, crossing from block to block.
    for (int i = 0; i < 40000; ++i)
        pool.push_back(QStringLiteral("s%1").arg(i));
    ASSERT_EQ(pool.size(), std::size_t(texts.size()) + 40000);
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(pool[std::size_t(i)], texts.at(i)) << i;
    EXPECT_EQ(pool.view(texts.size() + 39999), QStringLiteral("s39999"));
    EXPECT_TRUE(pool.view(0).isEmpty());
}

TEST(StringPoolTest, Utf8TextsReadAsDecoded)
{
    const struct
    {
        const char *utf8;
        QString text;
    } cases[] = {{"", QString()},
                 {"plain ascii", QStringLiteral("plain ascii")},
                 {"\xe5\x90\x8d\xe7\xa7\xb0", QStringLiteral("名称")},
                 {"mixed \xc3\xa9t\xc3\xa9", QStringLiteral("mixed été")}};
    StringPool pool;
    for (const auto &c : cases)
        pool.pushUtf8(c.utf8, std::strlen(c.utf8));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(pool[i], cases[i].text) << i;
}

TEST(StringPoolTest, ReplaceTruncateAndAppend)
{
    StringPool pool{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    pool.replace(0, QStringLiteral("replaced, longer than before"));
    pool.truncate(2);
    // The replaced text lies past the dropped one: it must survive the truncation.
    EXPECT_EQ(all(pool),
              QStringList({QStringLiteral("replaced, longer than before"), QStringLiteral("b")}));
    pool.push_back(QStringLiteral("d"));
    pool.append(pool); // a pool appended to itself doubles
    EXPECT_EQ(all(pool),
              QStringList({QStringLiteral("replaced, longer than before"), QStringLiteral("b"),
                           QStringLiteral("d"), QStringLiteral("replaced, longer than before"),
                           QStringLiteral("b"), QStringLiteral("d")}));
    const StringPool copy = pool;
    pool.truncate(0);
    EXPECT_TRUE(pool.empty());
    pool.push_back(longText());
    EXPECT_EQ(pool[0], longText());
    EXPECT_EQ(copy.size(), std::size_t(6));
    EXPECT_EQ(copy[3], QStringLiteral("replaced, longer than before"));
}

} // namespace
