#pragma once

#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <QString>
#include <limits>

// Small text rules shared by the core helpers.
namespace TextRules {

// Trims blanks (only U+0020) at both ends, as the runtime's Trim does.
inline QString trimBlanks(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && text.at(e - 1) == QLatin1Char(' '))
        --e;
    return text.mid(b, e - b);
}

// A plain decimal number: blanks around, an optional sign, digits with at most one decimal
// point (at least one digit). Exponents, group separators and "&H" forms do not count, so that
// a column "1E2" or a name "x_1e3" is not read as a number.
inline bool parsePlainNumber(const QString &text, double *value)
{
    QString t = trimBlanks(text);
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) ++i;
    bool digits = false, point = false;
    for (qsizetype j = i; j < t.size(); ++j) {
        QChar c = t.at(j);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    if (!digits) return false;
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok) return false;
    *value = v;
    return true;
}

// CLng: rounds half to even; a value outside 32 bits is an overflow (error 6).
inline int toLong(double value, const QString &what = QString())
{
    double r = BasicText::roundHalfEven(value);
    if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max()))
        throw BasicError(BasicError::Overflow,
                         what.isEmpty()
                             ? QString()
                             : QStringLiteral("Overflow: \"%1\" does not fit 32 bits").arg(what));
    return int(r);
}

} // namespace TextRules
