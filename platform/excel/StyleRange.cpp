#include "platform/excel/StyleRange.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/ModelErrors.h"

#include <unordered_map>

namespace excel {

void StyleRange::apply(Worksheet &ws, const CellRect &r,
                       const std::function<void(CellStyle &)> &change)
{
    SheetData &sheet = ws.data();
    WorkbookData &book = ws.book();
    const std::int64_t cells =
        std::int64_t(r.lastRow - r.firstRow + 1) * (r.lastColumn - r.firstColumn + 1);
    if (cells > (std::int64_t(1) << 25))
        throw BasicError(BasicError::OutOfMemory,
                         QStringLiteral("A format change on %1 cells of sheet \"%2\" is refused; "
                                        "at most %3 cells can be formatted at once.")
                             .arg(cells)
                             .arg(sheet.name)
                             .arg(std::int64_t(1) << 25));
    std::unordered_map<std::uint32_t, std::uint32_t> derived;
    for (int row = r.firstRow; row <= r.lastRow; ++row)
        for (int col = r.firstColumn; col <= r.lastColumn; ++col) {
            Cell &cell = CellStore::obtain(sheet, row, col);
            auto it = derived.find(cell.style);
            if (it == derived.end())
                it = derived.emplace(cell.style, CellStore::deriveStyle(book, cell.style, change))
                         .first;
            cell.style = it->second;
        }
    ws.markChanged();
}

} // namespace excel
