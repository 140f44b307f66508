#include "core/ModStl.h"

#include "core/ModCommon.h"
#include "platform/text/BasicError.h"

#include <utility>
#include <vector>

namespace ModStl {

int ExpandColumnRange(const QString &item, const QString &separator, QStringList &out)
{
    out.clear();
    QString left, right;
    if (!item.contains(separator) || !ModCommon::SplitOnce(item, separator, left, right)) {
        out.append(item);
        return 0;
    }
    int a = ModCommon::ParseColumn(left.toUpper());
    int b = ModCommon::ParseColumn(right.toUpper());
    int lo = qMin(a, b), hi = qMax(a, b);
    if (lo < 1 || hi > 702)
        throw BasicError(
            BasicError::SubscriptOutOfRange,
            QStringLiteral("Column range \"%1\" does not lie within A to ZZ").arg(item));
    out.reserve(hi - lo + 1);
    for (int c = lo; c <= hi; ++c)
        out.append(ModCommon::GetColumnLetter(c));
    return hi - lo;
}

void FillMapWithNumbers(int count, ClsMap &map)
{
    for (int i = 1; i <= count; ++i)
        map.Add(QString::number(i), QString());
}

void CopyMap(ClsMap &target, const ClsMap &source)
{
    if (&target == &source) return; // emptying the target would empty the source too
    target.RemoveAll();
    AppendMap(target, source);
}

void AppendMap(ClsMap &target, const ClsMap &source)
{
    if (&target == &source) return;
    source.GetObject().forEach(
        [&target](const QString &key, const QString &value) { target.Add(key, value); });
}

void MapKeysToArray(const ClsMap &map, QStringList &out)
{
    out = map.GetObject().keys();
}

void SortMapByKey(ClsMap &map)
{
    // Keys and values are taken out together, so that a binary-mode map keeps keys that differ
    // only in case (a copy into a text-mode map would merge them).
    std::vector<std::pair<QString, QString>> entries;
    entries.reserve(std::size_t(map.count()));
    map.GetObject().forEach(
        [&entries](const QString &key, const QString &value) { entries.emplace_back(key, value); });
    // A selection sort: IsStrLess is not a strict weak order for every set of texts.
    const std::size_t n = entries.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t m = i;
        for (std::size_t j = i + 1; j < n; ++j)
            if (ModCommon::IsStrLess(entries[j].first, entries[m].first)) m = j;
        if (m != i) std::swap(entries[i], entries[m]);
    }
    map.RemoveAll();
    for (const auto &e : entries)
        map.Add(e.first, e.second);
}

} // namespace ModStl
