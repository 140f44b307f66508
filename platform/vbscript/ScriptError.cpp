#include "platform/vbscript/ScriptError.h"

namespace vbs {

ScriptError::ScriptError(int number, const QString &description, int line, int column, Kind kind,
                         const QString &source)
    : BasicError(number, description.isEmpty() ? standardDescription(number) : description,
                 !source.isEmpty() ? source
                 : kind == Syntax  ? QStringLiteral("VBScript compilation error")
                                   : QStringLiteral("VBScript runtime error")),
      m_line(line), m_column(column), m_kind(kind)
{
}

QString ScriptError::message() const
{
    QString where = m_column > 0 ? QStringLiteral("line %1, column %2").arg(m_line).arg(m_column)
                                 : QStringLiteral("line %1").arg(m_line);
    return QStringLiteral("%1 (error %2, %3)").arg(description()).arg(number()).arg(where);
}

QString ScriptError::standardDescription(int number)
{
    switch (number) {
    case 18:
        return QStringLiteral("User interrupt occurred");
    case 1001:
        return QStringLiteral("Out of memory");
    case 1002:
        return QStringLiteral("Syntax error");
    case 1003:
        return QStringLiteral("Expected ':'");
    case 1005:
        return QStringLiteral("Expected '('");
    case 1006:
        return QStringLiteral("Expected ')'");
    case 1010:
        return QStringLiteral("Expected identifier");
    case 1011:
        return QStringLiteral("Expected '='");
    case 1012:
        return QStringLiteral("Expected 'If'");
    case 1013:
        return QStringLiteral("Expected 'To'");
    case 1014:
        return QStringLiteral("Expected 'End'");
    case 1015:
        return QStringLiteral("Expected 'Function'");
    case 1016:
        return QStringLiteral("Expected 'Sub'");
    case 1017:
        return QStringLiteral("Expected 'Then'");
    case 1018:
        return QStringLiteral("Expected 'Wend'");
    case 1019:
        return QStringLiteral("Expected 'Loop'");
    case 1020:
        return QStringLiteral("Expected 'Next'");
    case 1021:
        return QStringLiteral("Expected 'Case'");
    case 1022:
        return QStringLiteral("Expected 'Select'");
    case 1023:
        return QStringLiteral("Expected expression");
    case 1024:
        return QStringLiteral("Expected statement");
    case 1025:
        return QStringLiteral("Expected end of statement");
    case 1026:
        return QStringLiteral("Expected integer constant");
    case 1027:
        return QStringLiteral("Expected 'While' or 'Until'");
    case 1028:
        return QStringLiteral("Expected 'While', 'Until' or end of statement");
    case 1030:
        return QStringLiteral("Identifier too long");
    case 1031:
        return QStringLiteral("Invalid number");
    case 1032:
        return QStringLiteral("Invalid character");
    case 1033:
        return QStringLiteral("Unterminated string constant");
    case 1037:
        return QStringLiteral("Invalid use of 'Me' keyword");
    case 1038:
        return QStringLiteral("'loop' without 'do'");
    case 1039:
        return QStringLiteral("Invalid 'exit' statement");
    case 1040:
        return QStringLiteral("Invalid 'for' loop control variable");
    case 1041:
        return QStringLiteral("Name redefined");
    case 1042:
        return QStringLiteral("Must be first statement on the line");
    case 1044:
        return QStringLiteral("Cannot use parentheses when calling a Sub");
    case 1045:
        return QStringLiteral("Expected literal constant");
    case 1046:
        return QStringLiteral("Expected 'In'");
    case 1055:
        return QStringLiteral("Unexpected 'Next'");
    default:
        return BasicError::standardDescription(number);
    }
}

} // namespace vbs
