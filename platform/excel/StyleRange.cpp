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
    auto derive = [&](std::uint32_t style) {
        auto it = derived.find(style);
        if (it == derived.end())
            it = derived.emplace(style, CellStore::deriveStyle(book, style, change)).first;
        return it->second;
    };
    for (int row = r.firstRow; row <= r.lastRow; ++row)
        for (int col = r.firstColumn; col <= r.lastColumn; ++col) {
            // A change that leaves the default format as it is makes no cell where there is
            // none, and a blank cell left in the default format is no cell: a file keeps
            // neither, and they would widen the sheet's used range (taking a hatch off a whole
            // row left 256 of them).
            Cell *cell = CellStore::find(sheet, row, col);
            if (!cell) {
                if (derive(0) == 0) continue;
                cell = &CellStore::obtain(sheet, row, col);
            }
            cell->style = derive(cell->style);
            if (cell->style == 0 && cell->kind() == CellKind::Blank && !cell->hasFormula)
                CellStore::erase(sheet, row, col);
        }
    ws.markChanged();
}

} // namespace excel
