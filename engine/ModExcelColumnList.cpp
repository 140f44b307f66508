#include "engine/ModExcelColumnList.h"

#include "core/ModCommon.h"
#include "platform/text/BasicError.h"

#include <QStringList>

namespace ModExcel {

bool IsValidColumn(const QString &column)
{
    try {
        const int n = ModCommon::ParseColumn(column);
        return n >= 1 && n <= 256;
    } catch (const BasicError &) {
        return false; // an empty text, or a number that does not fit
    }
}

bool IsValidColumnList(const QString &list)
{
    if (list.isEmpty()) return true;
    QString items = list;
    items.replace(QLatin1Char('-'), QLatin1Char(','));
    const QStringList parts = items.split(QLatin1Char(','), Qt::KeepEmptyParts);
    for (const QString &part : parts) {
        if (part.isEmpty() || !IsValidColumn(part)) return false;
    }
    return true;
}

} // namespace ModExcel
