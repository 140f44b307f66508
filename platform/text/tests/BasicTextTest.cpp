#include "platform/text/BasicText.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace {

struct DoubleCase
{
    double value;
    const char *text;
};

void PrintTo(const DoubleCase &c, std::ostream *os)
{
    *os << c.text;
}

class DoubleText : public ::testing::TestWithParam<DoubleCase>
{
};

TEST_P(DoubleText, FollowsRuntimeLayout)
{
    EXPECT_EQ(BasicText::fromDouble(GetParam().value).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, DoubleText,
    ::testing::Values(DoubleCase{0, "0"}, DoubleCase{-0.0, "0"}, DoubleCase{1, "1"},
                      DoubleCase{-1.5, "-1.5"}, DoubleCase{0.1 + 0.2, "0.3"},
                      DoubleCase{123456789012345.0, "123456789012345"}, DoubleCase{1e15, "1E+15"},
                      DoubleCase{1234567890123456.0, "1.23456789012346E+15"},
                      DoubleCase{0.00001, "0.00001"}, DoubleCase{0.000001, "1E-06"},
                      DoubleCase{-0.0000012345, "-1.2345E-06"}, DoubleCase{100, "100"},
                      DoubleCase{1.0 / 3, "0.333333333333333"}, DoubleCase{2.5e-5, "0.000025"},
                      DoubleCase{1e100, "1E+100"}),
    [](const ::testing::TestParamInfo<DoubleCase> &info) {
        return "case" + std::to_string(info.index);
    });

TEST(BasicText, RoundHalfEven)
{
    struct
    {
        double in, out;
    } cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, -0}, {-1.5, -2}, {3.49, 3}, {3.51, 4}};
    for (auto c : cases)
        EXPECT_EQ(BasicText::roundHalfEven(c.in), c.out) << c.in;
    EXPECT_DOUBLE_EQ(BasicText::roundHalfEven(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(BasicText::roundHalfEven(0.375, 2), 0.38);
}

TEST(BasicText, NumericGrammar)
{
    struct
    {
        const char *text;
        bool ok;
        double value;
    } cases[] = {
        {"12", true, 12},      {" 12 ", true, 12},   {"-3.5", true, -3.5}, {"+7", true, 7},
        {"1,000", true, 1000}, {"1e3", true, 1000},  {"1D2", true, 100},   {".5", true, 0.5},
        {"&H10", true, 16},    {"&HFFFF", true, -1}, {"&O17", true, 15},   {"", false, 0},
        {"  ", false, 0},      {"abc", false, 0},    {"12a", false, 0},    {"1e", false, 0},
        {"1.2.3", false, 0},   {"A1", false, 0},     {"- 4", true, -4},    {",5", false, 0},
        {"1e400", false, 0},   {"1e-400", true, 0},  {"+-1", false, 0},    {"4.", true, 4},
    };
    for (auto c : cases) {
        double v = 0;
        bool ok = BasicText::tryParseNumber(QString::fromUtf8(c.text), &v);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (ok && c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

TEST(BasicText, Val)
{
    struct
    {
        const char *text;
        double value;
    } cases[] = {{"12abc", 12}, {" 1 2 3", 123}, {"abc", 0}, {"-4.5e1x", -45},
                 {"&H1F", 31},  {"", 0},         {".", 0},   {"3.", 3}};
    for (auto c : cases)
        EXPECT_DOUBLE_EQ(BasicText::val(QString::fromUtf8(c.text)), c.value) << c.text;
}

// Selects for LC_NUMERIC a locale whose decimal separator is a comma: an installed one, or one
// made from the system's locale sources in `dir`. False when there is neither.
bool selectCommaLocale(const QTemporaryDir &dir)
{
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) return true;
    if (!dir.isValid() || !QFile::exists(QStringLiteral("/usr/share/i18n/locales/de_DE")))
        return false;
    QProcess::execute(QStringLiteral("localedef"),
                      {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                       QStringLiteral("UTF-8"), dir.filePath(QStringLiteral("de_DE.UTF-8"))});
    qputenv("LOCPATH", QFile::encodeName(dir.path()));
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

// Desktop sessions run with the user's locale selected; numbers in scripts and cells are
// still written with a point.
TEST(BasicText, NumbersIgnoreTheUserLocale)
{
    QTemporaryDir dir;
    if (!selectCommaLocale(dir)) GTEST_SKIP() << "no locale with a decimal comma";
    double v = 0;
    bool ok = BasicText::tryParseNumber(QStringLiteral("1.5"), &v);
    double val = BasicText::val(QStringLiteral("2.25x"));
    QString text = BasicText::fromDouble(-1.25e-7);
    QString plain = BasicText::fromDouble(0.5);
    std::setlocale(LC_NUMERIC, "C");
    qunsetenv("LOCPATH");
    EXPECT_TRUE(ok);
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(val, 2.25);
    EXPECT_EQ(text, QStringLiteral("-1.25E-07"));
    EXPECT_EQ(plain, QStringLiteral("0.5"));
}

TEST(BasicText, DatesInOneFixedForm)
{
    EXPECT_EQ(BasicText::fromDate(BasicText::makeDate(2024, 3, 5)), QStringLiteral("2024-03-05"));
    EXPECT_EQ(BasicText::fromDate(BasicText::makeDate(2024, 3, 5, 13, 4, 9)),
              QStringLiteral("2024-03-05 13:04:09"));
    EXPECT_EQ(BasicText::fromDate(0.5), QStringLiteral("12:00:00"));
    EXPECT_EQ(BasicText::makeDate(1900, 1, 1), 2);
    double d = 0;
    ASSERT_TRUE(BasicText::tryParseDate(QStringLiteral("2024/3/5 1:02:03"), &d));
    EXPECT_EQ(BasicText::fromDate(d), QStringLiteral("2024-03-05 01:02:03"));
    EXPECT_FALSE(BasicText::tryParseDate(QStringLiteral("2024-02-30"), &d));
}

TEST(BasicText, TextComparisonIgnoresCase)
{
    EXPECT_EQ(BasicText::compareText(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
    EXPECT_EQ(BasicText::compareText(QStringLiteral("abc"), QStringLiteral("ABD")), -1);
    EXPECT_EQ(BasicText::compareBinary(QStringLiteral("abc"), QStringLiteral("ABC")), 1);
    EXPECT_EQ(BasicText::foldCase(QStringLiteral("AbC")),
              BasicText::foldCase(QStringLiteral("aBc")));
}

// The text comparison settles ASCII itself: it must order every pair as Unicode case folding
// does, ASCII against ASCII and every character of the basic plane against its cased forms
// and a few neighbours, also behind a common prefix and inside surrogate pairs.
TEST(BasicText, TextComparisonAgreesWithCaseFolding)
{
    auto qtOrder = [](const QString &a, const QString &b) {
        int r = QString::compare(a, b, Qt::CaseInsensitive);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    };
    int wrong = 0;
    auto check = [&](const QString &a, const QString &b) {
        if (BasicText::compareText(a, b) != qtOrder(a, b) && ++wrong <= 5)
            ADD_FAILURE() << a.toStdString() << " / " << b.toStdString();
    };
    for (char16_t x = 0; x < 0x80; ++x)
        for (char16_t y = 0; y < 0x80; ++y)
            check(QString(QChar(x)), QString(QChar(y)));
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (QChar::isSurrogate(c)) continue;
        QString s = QStringLiteral("Ab") + QChar(char16_t(c));
        for (char32_t d : {QChar::toUpper(c), QChar::toLower(c), QChar::toCaseFolded(c),
                           char32_t('a'), char32_t('Z'), char32_t('_'), char32_t(c + 1)})
            if (!QChar::isSurrogate(d) && d <= 0xFFFF)
                check(s, QStringLiteral("aB") + QChar(char16_t(d)));
    }
    const char32_t pairs[][2] = {{0x10400, 0x10428}, {0x10400, 0x10401}, {0x1F600, 0x1F601}};
    for (auto p : pairs) {
        check(QString::fromUcs4(&p[0], 1), QString::fromUcs4(&p[1], 1));
        check(QStringLiteral("x") + QString::fromUcs4(&p[0], 1) + QStringLiteral("y"),
              QStringLiteral("X") + QString::fromUcs4(&p[1], 1));
    }
    check(QStringLiteral("abc"), QStringLiteral("ABCD"));
    check(QStringLiteral("straße"), QStringLiteral("STRASSE"));
    check(QStringLiteral("Kelvin"), QString(QChar(0x212A)) + QStringLiteral("ELVIN"));
}

} // namespace
