#include "engine/ModExcelColumnList.h"

#include "engine/ModCompare.h"

#include <QStringList>

namespace ModExcel {

bool IsValidColumn(const QString &column)
{
    return ModCompare::ListColumn(column) != 0;
}

bool IsValidColumnList(const QString &list)
{
    if (list.isEmpty()) return true;
    int first = 0, last = 0;
    for (const QString &item : list.split(QLatin1Char(','), Qt::KeepEmptyParts)) {
        if (!ModCompare::ListItemColumns(item, first, last)) return false;
    }
    return true;
}

} // namespace ModExcel
