#pragma once

#include "platform/text/BasicError.h"

namespace vbs {

// An error reported by the script engine, as the script control's Error object shows it: the
// runtime or compilation error number, its description, and where it happened. Lines and
// columns count from 1; the column is known for syntax errors only (0 otherwise).
class ScriptError : public BasicError
{
public:
    enum Kind { Runtime, Syntax };

    ScriptError(int number, const QString &description, int line = 0, int column = 0,
                Kind kind = Runtime, const QString &source = QString());

    // source() is "VBScript runtime error", "VBScript compilation error" or Err.Raise's source.
    int line() const { return m_line; }
    int column() const { return m_column; }
    Kind kind() const { return m_kind; }
    bool isSyntax() const { return m_kind == Syntax; }
    // A cancelled or timed-out script cannot be caught by On Error Resume Next.
    bool catchable() const { return m_catchable; }
    void setCatchable(bool catchable) { m_catchable = catchable; }
    void setLine(int line) { m_line = line; }
    // The text of the line a compilation error is on (the Error object's Text).
    const QString &text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }

    // One line for messages: "Type mismatch: 'x' (error 13, line 4)".
    QString message() const;

    // The description of a compilation error number (1002 "Syntax error", 1025 "Expected end of
    // statement", ...); runtime numbers fall back to the Basic runtime's descriptions.
    static QString standardDescription(int number);

private:
    int m_line;
    int m_column;
    Kind m_kind;
    bool m_catchable = true;
    QString m_text;
};

} // namespace vbs
