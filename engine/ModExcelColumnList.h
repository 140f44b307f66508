#pragma once

#include <QString>

// The checks that the session window runs on a column box before it stores the list: the
// column-list grammar of ModCompare, without looking for columns named twice (the run refuses
// those with its own message).
namespace ModExcel {

// A column of 1 (A) to 256 (IV): a number (rounded) or one or two letters.
bool IsValidColumn(const QString &column);
// Items separated by ",", each a column or two joined by "-"; an empty list is valid, an empty
// item is not.
bool IsValidColumnList(const QString &list);

} // namespace ModExcel
