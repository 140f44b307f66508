// The scripts' regular expressions run on the engine directly; what they find must be what the
// same engine finds through Qt's own walk over a text (empty matches, surrogate pairs, case and
// line options, text that is not valid UTF-16 included).
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
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("a");
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
        {"a", false, false, lone},
        {"", false, false, QString()},
    };
    for (const auto &c : cases) {
        const QString pattern = QString::fromUtf8(c.pattern);
        EXPECT_EQ(ours(pattern, c.ignoreCase, c.multiLine, c.subject),
                  qts(pattern, c.ignoreCase, c.multiLine, c.subject))
            << c.pattern << " in " << c.subject.toStdString();
    }
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
