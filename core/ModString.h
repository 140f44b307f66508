#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// ANSI byte length, numbered names, text between markers, case-insensitive search and
// de-duplication of text lists, splitting, cutting at NUL and runs of row numbers.
namespace ModString {

// Bytes the text takes in the ANSI code page (CP936: a Chinese character 2, ASCII 1).
int GetAnsiByteLength(const QString &text);
// "name" -> "name_1", "name_3" -> "name_4", "a_b" -> "a_b_1", "" -> "_1".
QString NextNumberedName(const QString &text);
// The text after `second`, which follows `first`, up to `third` (or the end), trimmed of
// blanks; "" when `first` or `second` is missing. `first` and `third` ignore case.
QString ExtractBetween(const QString &text, const QString &first, const QString &second,
                       const QString &third);
// The first element equal to the text ignoring case: true and its index; else false and the
// index untouched.
bool FindInArray(const QStringList &array, const QString &text, int &index);
// Keeps the first of texts that are equal ignoring case, in their order.
void RemoveDuplicates(QStringList &array);
// Splits at every delimiter (empty pieces kept) into `out`; returns the upper bound, -1 for "".
int SplitToArray(const QString &text, const QString &delimiter, QStringList &out);
// The text up to its first NUL character.
QString TrimAtNull(const QString &text);
// Ascending rows to runs "first-last" (a single row too: "5-5"); returns the upper bound of
// the runs. Error 9 for a list without rows.
int JoinAsRanges(const QList<int> &rows, QStringList &out);

} // namespace ModString
