#pragma once

#include <QString>

// The checks that the session window runs on a column box before it stores the list. They
// belong to the column-list grammar (ModCompare::ParseColumnList), beside the other Excel
// helpers of ModExcel.
namespace ModExcel {

// A column number (rounded) or one or two letters, naming a column of 1 (A) to 256 (IV).
bool IsValidColumn(const QString &column);
// Items separated by "," or "-", each a valid column; an empty list is valid, an empty item
// is not. Names twice are not looked at here (ParseColumnList refuses them).
bool IsValidColumnList(const QString &list);

} // namespace ModExcel
