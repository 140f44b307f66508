#include "platform/text/AnsiText.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiText, CountsCp936Bytes)
{
    struct
    {
        const char *text;
        int bytes;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"左边row:", 8},
        {"中文ABC", 7},
        {"é", 2},                // CP936 holds it as a double-byte character
        {"\xE0\xA4\x85", 1},     // Devanagari: not in CP936, one byte
        {"\xF0\x9F\x98\x80", 1}, // outside the BMP: one
        {"，", 2},
    };
    for (auto c : cases)
        EXPECT_EQ(AnsiText::byteLength(QString::fromUtf8(c.text)), c.bytes) << c.text;
}

TEST(AnsiText, DecodesUtf8OrGb18030)
{
    QByteArray utf8 = QStringLiteral("中文").toUtf8();
    EXPECT_EQ(AnsiText::decode(utf8), QStringLiteral("中文"));
    EXPECT_EQ(AnsiText::decode("\xEF\xBB\xBF" + utf8), QStringLiteral("中文"));
    // "中文" in GB18030/GBK is D6 D0 CE C4, which is not valid UTF-8.
    EXPECT_EQ(AnsiText::decode(QByteArray("\xD6\xD0\xCE\xC4")), QStringLiteral("中文"));
    EXPECT_EQ(AnsiText::decode(QByteArray("plain")), QStringLiteral("plain"));
}

} // namespace
