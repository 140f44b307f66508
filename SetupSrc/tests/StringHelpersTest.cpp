#include "SetupSrc/Include/TWy_GlobalBcbString.h"
#include "SetupSrc/tests/QtPrinters.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using S = TWy_GlobalBcbString;

TEST(SetupStrings, SplitStringKeepsEmptyParts)
{
    struct
    {
        const char *text, *sep;
        QStringList parts;
    } cases[] = {
        {"abc", "=", {"abc"}},      {"=", "=", {"", ""}}, {"a==b=", "=", {"a", "", "b", ""}},
        {"a<>b", "<>", {"a", "b"}}, {"", "=", {}},
    };
    for (const auto &c : cases) {
        QStringList list{"stale"};
        EXPECT_EQ(S::SplitString(c.text, list, c.sep), c.parts.size()) << c.text;
        EXPECT_EQ(list, c.parts) << c.text;
    }
}

TEST(SetupStrings, PositionsAreOneBased)
{
    struct
    {
        const char *text, *sought;
        int start, pos;
    } cases[] = {
        {"abcabc", "b", 1, 2}, {"abcabc", "b", 3, 5}, {"abcabc", "b", 6, 0}, {"abcabc", "b", 0, 0},
        {"abc", "c", 4, 0},    {"abc", "c", 3, 3},    {"abc", "x", 1, 0},    {"", "", 1, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S::FindPos(c.text, c.sought, c.start), c.pos) << c.text << " " << c.start;
    EXPECT_EQ(S::ReverseFind("a/b/c", '/'), 4);
    EXPECT_EQ(S::ReverseFind("abc", '/'), 0);
}

TEST(SetupStrings, CharactersAndRepeats)
{
    EXPECT_TRUE(S::IsNumeric('0'));
    EXPECT_TRUE(S::IsNumeric('9'));
    EXPECT_FALSE(S::IsNumeric('a'));
    EXPECT_FALSE(S::IsNumeric(QChar(0x0663))); // an Arabic-Indic digit is no digit here
    EXPECT_EQ(S::ConvertStringToChar("xy"), QChar('x'));
    EXPECT_EQ(S::ConvertStringToChar(""), QChar(0));
    EXPECT_EQ(S::CreateString(3, '-'), "---");
    EXPECT_EQ(S::CreateString(-1, '-'), "");
    EXPECT_EQ(S::CreateString(QList<qint32>{1, -2, 3}, 3, ", "), "1, -2, 3");
    EXPECT_EQ(S::CreateString(QList<qint32>{1, 2}, 5, ","), "1,2");
    EXPECT_EQ(S::CreateString(QList<qint32>{1, 2}, 0, ","), "");
    EXPECT_EQ(S::S_STR(QVariant()), "");
    EXPECT_EQ(S::GetSafeStr(QVariant(42)), "42");
}

TEST(SetupStrings, TextAndNumberParts)
{
    QString t, n;
    S::SplitStringtoStrAndNum("File012", t, n);
    EXPECT_EQ(t, "File");
    EXPECT_EQ(n, "012");
    S::SplitStringtoStrAndNum("File", t, n);
    EXPECT_EQ(t, "File");
    EXPECT_EQ(n, "");
    S::SplitStringtoNumAndStr("12ab3", n, t);
    EXPECT_EQ(n, "12");
    EXPECT_EQ(t, "ab3");
    S::SplitStringtoNumAndStr("ab", n, t);
    EXPECT_EQ(n, "");
    EXPECT_EQ(t, "ab");
}

TEST(SetupStrings, NaturalOrder)
{
    struct
    {
        const char *a, *b;
        int result;
    } cases[] = {
        {"File2", "File10", -1},
        {"File10", "File2", 1},
        {"file10", "FILE10", 0},
        {"abc", "ABD", -1},
        {"File", "File1", -1},
        {"File007", "File7", 0},
        // Numbers far beyond 64 bits still compare.
        {"x123456789012345678901234567890", "x123456789012345678901234567891", -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(S::KoCompareString(c.a, c.b), c.result) << c.a << " " << c.b;
}

TEST(SetupStrings, SizesAndCommas)
{
    struct
    {
        quint64 size;
        const char *text;
    } sizes[] = {{0, "0"},       {1536, "1.5"}, {1048576, "1,024"},
                 {1000, "0.98"}, {1024, "1"},   {5000000000ull, "4,882,812.5"}};
    for (const auto &s : sizes)
        EXPECT_EQ(S::FormatFileSize(s.size), s.text) << s.size;
    EXPECT_EQ(S::AddCommaToStr("123"), "123");
    EXPECT_EQ(S::AddCommaToStr("1234"), "1,234");
    EXPECT_EQ(S::AddCommaToStr("123456"), "123,456");
    EXPECT_EQ(S::AddCommaToStr(""), "");
}

TEST(SetupStrings, NextCodesAndNames)
{
    struct
    {
        const char *code, *next;
    } codes[] = {{"A09", "A10"}, {"A009", "A010"}, {"A9", "A10"}, {"99", "100"}, {"0", "1"},
                 {"AZ", "AZA"},  {"az", "aza"},    {"Ab", "Abc"}, {"", ""}};
    for (const auto &c : codes)
        EXPECT_EQ(S::GetNextCode(c.code), c.next) << c.code;
    EXPECT_EQ(S::GetNextName("report"), "report_1");
    EXPECT_EQ(S::GetNextName("report_1"), "report_2");
    EXPECT_EQ(S::GetNextName("my_file_09"), "my_file_10");
    // An empty part after "_" still moves on, so a search for a free name ends.
    EXPECT_EQ(S::GetNextName("a_"), "a_1");
}

TEST(SetupStrings, FreeFileNameLeavesTheFolderAlone)
{
    QTemporaryDir dir(QDir::tempPath() + "/q_x_XXXXXX"); // a "_" in the folder's name
    const QString path = dir.filePath("log");
    EXPECT_EQ(S::GetNotRepeatFileName(path), path);
    QFile(path).open(QIODevice::WriteOnly);
    QFile(dir.filePath("log_1")).open(QIODevice::WriteOnly);
    EXPECT_EQ(S::GetNotRepeatFileName(path), dir.filePath("log_2"));
}
