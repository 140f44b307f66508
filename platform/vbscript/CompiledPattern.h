#pragma once

#include <QString>
#include <QStringView>
#include <memory>

namespace vbs {

// A RegExp object's pattern compiled once (with the JIT where the machine has one) and matched
// against UTF-16 text without allocating per match: the match data is kept and reused. A
// subject that is not valid UTF-16 matches nothing, and a match that hits the engine's limits
// counts as no match, as in the script's own library.
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
    // As find, for a subject an earlier call has found to be valid UTF-16 (the engine checks
    // the whole subject on every call otherwise, which would make a walk over a long text
    // quadratic). `from` must not split a surrogate pair.
    bool findInChecked(QStringView subject, qsizetype from, bool notEmptyHere);
    // Whether the last find ended on invalid text (or an engine limit) rather than "no match".
    bool failed() const { return m_failed; }
    qsizetype start(int group = 0) const;
    qsizetype end(int group = 0) const;

    // Every match in turn, as the script's Global flag walks them: after an empty match the
    // next one must not be empty at the same place, else the search moves on by one character.
    class Walk
    {
    public:
        Walk(CompiledPattern &pattern, QStringView subject) : m_p(pattern), m_s(subject) {}
        bool next();

    private:
        CompiledPattern &m_p;
        QStringView m_s;
        qsizetype m_offset = 0;
        bool m_lastEmpty = false;
        bool m_done = false;
        bool m_checked = false;
    };

private:
    void *m_code = nullptr; // pcre2_code_16
    void *m_data = nullptr; // pcre2_match_data_16
    QString m_error;
    int m_captures = 0;
    bool m_failed = false;

    bool match(QStringView subject, qsizetype from, bool notEmptyHere, bool checked);
};

} // namespace vbs
