// The scripts' regular expressions run on the engine directly; what they find must be what the
// same engine finds through Qt's own walk over a text (empty matches, surrogate pairs, case and
// line options). Where Qt finds nothing (text that is not valid UTF-16, a match given up), the
// pattern says more.
#include "platform/vbscript/CompiledPattern.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <gtest/gtest.h>

using vbs::CompiledPattern;

namespace {

using Spans = QList<QPair<qsizetype, qsizetype>>;

Spans ours(const QString &pattern, bool ignoreCase, bool multiLine, const QString &subject)
{
    CompiledPattern p(pattern, ignoreCase, multiLine);
    Spans spans;
    CompiledPattern::Walk walk(p, subject);
    while (walk.next())
        spans.append({p.start(), p.end()});
    return spans;
}

Spans qts(const QString &pattern, bool ignoreCase, bool multiLine, const QString &subject)
{
    QRegularExpression::PatternOptions options;
    if (ignoreCase) options |= QRegularExpression::CaseInsensitiveOption;
    if (multiLine) options |= QRegularExpression::MultilineOption;
    const QRegularExpression re(pattern, options);
    Spans spans;
    auto it = re.globalMatch(subject);
    while (it.hasNext()) {
        const auto m = it.next();
        spans.append({m.capturedStart(0), m.capturedEnd(0)});
    }
    return spans;
}

} // namespace

TEST(CompiledPattern, FindsWhatTheSameEngineFindsThroughQt)
{
    const QString emoji = QString::fromUtf8("😀");
    const struct
    {
        const char *pattern;
        bool ignoreCase, multiLine;
        QString subject;
    } cases[] = {
        {"\\s+", false, false, QStringLiteral(" a  b \tc ")},
        {"", false, false, QStringLiteral("ab")},
        {"", false, false, emoji + QStringLiteral("a") + emoji},
        {"x*", false, false, QStringLiteral("axxb")},
        {"a|", false, false, QStringLiteral("bab")},
        {"(?=a)", false, false, QStringLiteral("aaa")},
        {"\\b", false, false, QStringLiteral("ab cd")},
        {".", false, false, emoji + emoji},
        {"é", true, false, QString::fromUtf8("ÉeéE")},
        {"^a", false, true, QStringLiteral("a\nab\nba")},
        {"^a", false, false, QStringLiteral("a\nab\nba")},
        {"a$", false, true, QStringLiteral("a\nba\r\nca")},
        {"(\\d)(\\w)?", false, false, QStringLiteral("1a2-3")},
        {"", false, false, QString()},
    };
    for (const auto &c : cases) {
        const QString pattern = QString::fromUtf8(c.pattern);
        EXPECT_EQ(ours(pattern, c.ignoreCase, c.multiLine, c.subject),
                  qts(pattern, c.ignoreCase, c.multiLine, c.subject))
            << c.pattern << " in " << c.subject.toStdString();
    }
}

TEST(CompiledPattern, StrayUnitsAndGivingUpAreNotTakenForNoMatch)
{
    // A lone surrogate is one character (any character matches it), and the text around it
    // still matches.
    EXPECT_EQ(ours(QStringLiteral("a"), false, false, QString(QChar(0xD800)) + QStringLiteral("a")),
              (Spans{{1, 2}}));
    EXPECT_EQ(ours(QStringLiteral("."), false, false, QStringLiteral("x") + QChar(0xDC00)),
              (Spans{{0, 1}, {1, 2}}));
    CompiledPattern lone(QStringLiteral("b"), false, false);
    EXPECT_TRUE(lone.find(QString(QChar(0xDC00)) + QStringLiteral("b"), 0));
    EXPECT_EQ(lone.start(), 1);

    // Nested repeats that backtrack past the engine's limit: the answer is unknown, not "no".
    CompiledPattern p(QStringLiteral("(a+)+c|x"), false, false);
    const QString subject = QString(40, QLatin1Char('a')) + QStringLiteral("bx");
    EXPECT_FALSE(p.find(subject, 0));
    EXPECT_TRUE(p.failed());
    EXPECT_FALSE(p.failure().isEmpty());
    EXPECT_TRUE(p.find(QStringLiteral("abx"), 0)); // the same pattern on a short text
    EXPECT_FALSE(p.failed());
}

TEST(CompiledPattern, GroupsThatTookNoPartAndFaultsInThePattern)
{
    CompiledPattern p(QStringLiteral("(a)|(b)"), false, false);
    ASSERT_TRUE(p.isValid());
    EXPECT_EQ(p.captureCount(), 2);
    ASSERT_TRUE(p.find(QStringLiteral("xb"), 0));
    EXPECT_EQ(p.start(1), -1);
    EXPECT_EQ(p.start(2), 1);
    EXPECT_EQ(p.end(2), 2);
    EXPECT_EQ(p.start(3), -1); // no such group

    CompiledPattern bad(QStringLiteral("a(b"), false, false);
    EXPECT_FALSE(bad.isValid());
    EXPECT_TRUE(bad.errorString().contains(QLatin1String("offset 3")))
        << bad.errorString().toStdString();
    EXPECT_FALSE(bad.find(QStringLiteral("ab"), 0));
}
