#pragma once

#include "platform/vbscript/ScriptControl.h"

#include <QString>
#include <ostream>

// "Subtype:text" of a script value, e.g. "Integer:3", "String:abc", "Null:".
inline QString describe(const com::Variant &v)
{
    if (v.isArray()) return QStringLiteral("Variant():");
    return v.typeName() + QLatin1Char(':') + v.toText();
}

// Runs `body` as the body of a function T and returns describe(T()) or "error N" when it fails.
inline QString runBody(const QString &body, const QString &prelude = QString())
{
    vbs::ScriptControl sc;
    try {
        sc.AddCode(prelude + QStringLiteral("\nFunction T()\n") + body +
                   QStringLiteral("\nEnd Function\n"));
        return describe(sc.Run(QStringLiteral("T")));
    } catch (const vbs::ScriptError &e) {
        return QStringLiteral("error %1").arg(e.number());
    }
}

inline QString evalExpr(const QString &expr)
{
    return runBody(QStringLiteral("T = ") + expr);
}

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
