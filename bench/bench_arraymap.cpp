// Loads 65,536 two-part keys into a ClsArrayMap and looks each up again, against the same rows
// as one-part keys in a ClsMap (the hashed floor). Prints "<figure> <value> <unit>" lines.
#include "core/ClsArrayMap.h"
#include "core/ClsMap.h"

#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <vector>

int main()
{
    const int rows = 65536;
    std::vector<QStringList> keys;
    keys.reserve(rows);
    for (int i = 0; i < rows; ++i)
        keys.push_back(
            {QStringLiteral("Key%1").arg(i * 7919 % rows), QStringLiteral("部门%1").arg(i % 97)});

    for (int mode : {0, 1}) {
        QElapsedTimer t;
        t.start();
        ClsArrayMap m;
        m.setCompareMode(mode);
        for (int i = 0; i < rows; ++i)
            m.Add(keys[std::size_t(i)], QString::number(i + 1));
        int found = 0;
        for (int i = 0; i < rows; ++i)
            found += m.Exists(keys[std::size_t(i)]) && !m.GetValue(keys[std::size_t(i)]).isEmpty();
        double secs = t.nsecsElapsed() / 1e9;
        std::printf("arraymap_load_and_match_65536x2_mode%d %.3g rows/s\n", mode, rows / secs);
        if (found != rows) std::printf("arraymap_mismatch %d rows\n", rows - found);
    }

    QElapsedTimer t;
    t.start();
    ClsMap floor;
    for (int i = 0; i < rows; ++i)
        floor.Add(keys[std::size_t(i)].join(QChar(0)), QString::number(i + 1));
    int found = 0;
    for (int i = 0; i < rows; ++i)
        found += floor.Exists(keys[std::size_t(i)].join(QChar(0)));
    double secs = t.nsecsElapsed() / 1e9;
    std::printf("map_floor_load_and_match_65536 %.3g rows/s\n", rows / secs);
    return found == rows ? 0 : 1;
}
