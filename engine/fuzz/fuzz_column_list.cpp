// Feeds arbitrary text to the column-list grammar. The first byte picks the separator. Columns
// it adds are whole numbers in range, each once; a list it accepts, written back as numbers,
// is accepted again with the same columns.
#include "core/ClsMap.h"
#include "engine/ModCompare.h"
#include "tests/support/FuzzSupport.h"

#include <QList>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) return 0;
    static const char *const separators[] = {",", ";", " ", ", ", "|", ""};
    const QString separator = QString::fromLatin1(separators[data[0] % 6]);
    const QString list =
        QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    ClsMap columns;
    const bool ok = ModCompare::ParseColumnList(list, separator, columns);
    QList<int> numbers;
    columns.ToArray(numbers);
    if (numbers.size() != columns.count()) FuzzSupport::fault("a key is no number");
    for (int i = 0; i < numbers.size(); ++i) {
        if (numbers[i] < 1 || numbers[i] > ModCompare::MaxListColumn)
            FuzzSupport::fault("column out of range");
        if (numbers.indexOf(numbers[i]) != i) FuzzSupport::fault("column added twice");
    }
    if (!ok || separator.isEmpty() || numbers.isEmpty()) return 0;
    QStringList texts;
    for (int n : numbers)
        texts.append(QString::number(n));
    ClsMap again;
    if (!ModCompare::ParseColumnList(texts.join(separator), separator, again))
        FuzzSupport::fault("the columns written back are refused");
    QList<int> second;
    again.ToArray(second);
    if (second != numbers) FuzzSupport::fault("the columns written back read differently");
    return 0;
}
