#pragma once

#include "core/ClsMap.h"

#include <QString>
#include <QStringList>

// Column-range expansion and the ClsMap utilities.
namespace ModStl {

// An item holding the separator names every column between its two ends, in either order:
// "D-B", "b-d" and "2-4" all give B, C, D. An item without it is returned alone, as given.
// Returns the upper bound of `out`. Error 9 (naming the item) when an end lies outside A..ZZ
// (1..702), so that a mistyped range cannot ask for millions of columns.
int ExpandColumnRange(const QString &item, const QString &separator, QStringList &out);
// Adds the keys "1" to the count, in order, with the value "" (present keys stay).
void FillMapWithNumbers(int count, ClsMap &map);
// Empties the target, then AppendMap.
void CopyMap(ClsMap &target, const ClsMap &source);
// Adds every key of the source, in order, with its value; keys in the target keep theirs.
void AppendMap(ClsMap &target, const ClsMap &source);
// The keys in order.
void MapKeysToArray(const ClsMap &map, QStringList &out);
// Re-adds the keys in the natural order of ModCommon::IsStrLess ("B" before "AA"), each with
// its value; the mode stays.
void SortMapByKey(ClsMap &map);

} // namespace ModStl
