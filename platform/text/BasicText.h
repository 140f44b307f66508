#pragma once

#include <QString>
#include <cstdint>

// The Basic runtime's rules for turning numbers and dates into text and text into numbers.
// Cell values are compared through these texts, so the rules are fixed here once.
class BasicText
{
public:
    // CStr of a Double: 15 significant digits, exponent form ("1.5E+16", "1E-06") when the
    // magnitude is 1E15 or more or below 1E-5; "-0" prints as "0".
    static QString fromDouble(double value);
    // CStr of a Single: 7 significant digits, same layout.
    static QString fromSingle(float value);
    // CStr of a Currency held as value * 10000.
    static QString fromCurrency(qint64 scaled);
    // One fixed form for dates: "yyyy-mm-dd", "hh:mm:ss" (no date part) or both joined by a blank.
    static QString fromDate(double oleDate);
    static QString fromBool(bool value)
    {
        return value ? QStringLiteral("True") : QStringLiteral("False");
    }

    // Round half to even, as CLng/CInt and the integer conversions do.
    static double roundHalfEven(double value);
    // Round to a number of decimals with half to even (the runtime's Round).
    static double roundHalfEven(double value, int decimals);

    // The runtime's numeric-text grammar (CDbl, IsNumeric): blanks around, one sign, digits with
    // optional "," group separators, one ".", an exponent "E" or "D" with optional sign; or "&H"
    // hexadecimal / "&O" octal. Returns false when the whole text is not a number.
    static bool tryParseNumber(const QString &text, double *value);
    // A plain decimal number ("-1.5e3", "+.5", "12.") as the C locale reads it, whatever the
    // user's locale: false when the whole of [begin, end) is not one or it is too large for a
    // double; values too small for one become 0 or a denormal.
    static bool parseDecimal(const char *begin, const char *end, double *value);
    // Val: the longest numeric prefix, blanks anywhere ignored, 0 when there is none.
    static double val(const QString &text);
    // Parses a date or time text in the fixed form, or with "/" separators; false otherwise.
    static bool tryParseDate(const QString &text, double *oleDate);

    // Text comparison without regard to case (StrComp with vbTextCompare): -1, 0 or 1.
    static int compareText(const QString &a, const QString &b);
    // Binary comparison by UTF-16 code unit: -1, 0 or 1.
    static int compareBinary(const QString &a, const QString &b);
    static bool equalsText(const QString &a, const QString &b) { return compareText(a, b) == 0; }
    // Folds a text as the text comparison does; two texts are equal ignoring case exactly when
    // their folds are equal (used to hash keys).
    static QString foldCase(const QString &text);

    // Days since 1899-12-30 from a civil date and time and back.
    static double makeDate(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0);
    static void splitDate(double oleDate, int *year, int *month, int *day, int *hour, int *minute,
                          int *second);
};
