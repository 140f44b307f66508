#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Array bounds, splitting, the natural order of key texts and its sorts, the message box,
// padding to a width in ANSI bytes and the conversions between column numbers and letters.
// Arrays are 0-based; an array without elements has the upper bound -1.
namespace ModCommon {

int UBoundStrArray(const QStringList &array);
int UBoundLongArray(const QList<int> &array);
// Splits at the first occurrence of the separator (case counts): true with left and right set;
// false, outputs untouched, when it does not occur. An empty separator is found at the start.
bool SplitOnce(const QString &text, const QString &separator, QString &left, QString &right);
// The number that starts at the first ASCII digit, rounded to a whole number; -1 without digits.
// Error 6 when it does not fit 32 bits.
int GetNumberInString(const QString &text);
// The natural order of key texts: shorter first; at equal length the first position that
// differs decides, digits by the whole text's number, other characters by code.
bool IsStrLess(const QString &a, const QString &b);
// Selection sorts over indexes 0..last (error 9 when last is beyond the array).
void SortStrArray(QStringList &array, int last);
void SortLongArray(QList<int> &array, int last);
// Shows a message box; returns the button pressed (vbOK, vbYes, ...).
int ShowMsg(const QString &prompt, int buttons, const QString &title);
// True when the array has no elements or every element is "".
bool IsStrArrayEmpty(const QStringList &array);
int MinLong(int a, int b);
int MaxLong(int a, int b);
// The text followed by blanks up to `width` ANSI bytes; never cut.
QString PadToWidth(const QString &text, int width);
// 1 is A, 27 is AA, 702 is ZZ; "" outside 1..702.
QString GetColumnLetter(int column);
// One or two letters (blanks around, any case) to a column number; 0 for any other text, also
// for characters that are not letters. Error 5 for a text that is empty after trimming.
int ColumnLetterToNumber(const QString &text);
// A plain decimal number gives that number rounded; anything else ColumnLetterToNumber.
int ParseColumn(const QString &text);

} // namespace ModCommon
