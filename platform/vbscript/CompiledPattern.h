#pragma once

#include <QString>
#include <QStringView>
#include <memory>

namespace vbs {

// A RegExp object's pattern compiled once (with the JIT where the machine has one) and matched
// against UTF-16 text without allocating per match: the match data is kept and reused. Text
// that is not valid UTF-16 is matched with each lone surrogate standing in as U+FFFD (one unit
// for one, so every offset holds): "." matches it and the rest of the text matches as it
// stands. A match the engine gives up on (its backtracking limit) is a failure, never taken
// for "no match": failed() says so and failure() why.
class CompiledPattern
{
public:
    CompiledPattern(const QString &pattern, bool ignoreCase, bool multiLine);
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern &) = delete;
    CompiledPattern &operator=(const CompiledPattern &) = delete;

    bool isValid() const { return m_code != nullptr; }
    // Why the pattern did not compile, with the offset of the fault.
    QString errorString() const { return m_error; }
    int captureCount() const { return m_captures; }

    // Looks for a match starting at or after `from`; `notEmptyHere` refuses an empty match at
    // `from` itself (the step after an empty match). The capture offsets of the last match are
    // read through start() and end() (group 0 is the whole match; -1 for a group that took no
    // part).
    bool find(QStringView subject, qsizetype from, bool notEmptyHere = false);
    // Whether the last find was given up (an engine limit) rather than finding no match.
    bool failed() const { return m_failed; }
    QString failure() const { return m_failure; }
    qsizetype start(int group = 0) const;
    qsizetype end(int group = 0) const;

    // Every match in turn, as the script's Global flag walks them: after an empty match the
    // next one must not be empty at the same place, else the search moves on by one character.
    class Walk
    {
    public:
        Walk(CompiledPattern &pattern, QStringView subject);
        Walk(const Walk &) = delete;
        Walk &operator=(const Walk &) = delete;
        bool next();

    private:
        CompiledPattern &m_p;
        QString m_fixed; // the subject with its lone surrogates replaced, when it has any
        QStringView m_s;
        qsizetype m_offset = 0;
        bool m_lastEmpty = false;
        bool m_done = false;
    };

private:
    void *m_code = nullptr; // pcre2_code_16
    void *m_data = nullptr; // pcre2_match_data_16
    QString m_error;
    int m_captures = 0;
    bool m_failed = false;
    QString m_failure;

    // Matches in text known to be valid UTF-16 (the engine would check the whole text on
    // every call otherwise, which makes a walk over a long text quadratic).
    bool matchValid(QStringView subject, qsizetype from, bool notEmptyHere);
    // The subject as valid UTF-16: itself, or a copy in `fixed` with U+FFFD for stray units.
    static QStringView valid(QStringView subject, QString &fixed);
};

} // namespace vbs
