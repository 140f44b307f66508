#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

// The installer's free-standing text operations; every member is static. Positions are 1-based
// and count UTF-16 units, so that they read like the installer's other position arithmetic.
class TWy_GlobalBcbString
{
public:
    TWy_GlobalBcbString() = delete;

    // The variant's text; an empty text when it holds no value.
    static QString S_STR(const QVariant &value);
    static QString GetSafeStr(const QVariant &value) { return S_STR(value); }

    // "0" to "9" only (no other script's digits).
    static bool IsNumeric(QChar ch);
    // The first character; NUL for an empty text.
    static QChar ConvertStringToChar(const QString &text);
    // The character repeated count times (nothing for a count below 1).
    static QString CreateString(int count, QChar ch);
    // The first count numbers in decimal joined by the separator (none after the last); the
    // count is cut to the numbers there are.
    static QString CreateString(const QList<qint32> &numbers, int count, const QString &separator);

    // Fills the list with the parts between separators, empty parts kept; an empty text gives
    // no part. Returns the number of parts. An empty separator does not split.
    static int SplitString(const QString &text, QStringList &list, const QString &separator);
    // Position of the first occurrence at or after start; 0 when start is below 1, the text is
    // shorter than start, or nothing is found.
    static int FindPos(const QString &text, const QString &sought, int start);
    // Position of the last occurrence of the character; 0 when absent.
    static int ReverseFind(const QString &text, QChar ch);

    // The trailing run of digits is the number part, the rest the text part.
    static void SplitStringtoStrAndNum(const QString &text, QString &textPart, QString &numberPart);
    // The leading run of digits is the number part, the rest the text part.
    static void SplitStringtoNumAndStr(const QString &text, QString &numberPart, QString &textPart);
    // Natural order: "File2" before "File10"; texts compare without regard to case. -1, 0 or 1.
    static int KoCompareString(const QString &a, const QString &b);

    // "1234567" gives "1,234,567".
    static QString AddCommaToStr(const QString &digits);
    // Kilobytes with at most two decimals, trailing zeros dropped, thousands separated:
    // 1536 gives "1.5", 1048576 gives "1,024".
    static QString FormatFileSize(quint64 size);

    // The next code in a series: A09 gives A10, A9 gives A10, AZ gives AZA, Ab gives Abc.
    static QString GetNextCode(const QString &code);
    // name_1 after name, name_2 after name_1 (the part after the last "_" advanced).
    static QString GetNextName(const QString &name);
    // The path when nothing exists there; otherwise the file name advanced by GetNextName until
    // the name is free (the folder is left alone). Empty when no free name turns up.
    static QString GetNotRepeatFileName(const QString &path);
};
