#include "platform/excel/Font.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/Worksheet.h"

#include <unordered_map>

namespace excel {

namespace {

// Calls read(style) for every cell of the rectangle (missing cells have style 0) and gives the
// common value, or Null when the cells differ.
template <typename F> com::Variant common(const Worksheet &ws, const CellRect &r, F read)
{
    const SheetData &sheet = ws.data();
    const WorkbookData &book = ws.book();
    bool have = false;
    com::Variant value;
    auto consider = [&](std::uint32_t style) {
        com::Variant v = read(book.styles[style < book.styles.size() ? style : 0]);
        if (!have) {
            value = v;
            have = true;
            return true;
        }
        return v == value;
    };
    std::int64_t stored = 0;
    for (int row = r.firstRow; row <= std::min<int>(r.lastRow, int(sheet.rows.size())); ++row)
        for (const Cell &c : sheet.rows[std::size_t(row - 1)])
            if (c.column >= r.firstColumn && c.column <= r.lastColumn) {
                ++stored;
                if (!consider(c.style)) return com::Variant::null();
            }
    std::int64_t total =
        std::int64_t(r.lastRow - r.firstRow + 1) * (r.lastColumn - r.firstColumn + 1);
    if (stored < total && !consider(0)) return com::Variant::null();
    return value;
}

} // namespace

// Applies a style change to every cell of the rectangle, creating cells as needed.
void applyStyle(Worksheet &ws, const CellRect &r, const std::function<void(CellStyle &)> &change)
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

Font::Font(std::shared_ptr<Worksheet> sheet, const CellRect &cells)
    : m_sheet(std::move(sheet)), m_cells(cells)
{
}

com::Variant Font::ColorIndex() const
{
    return common(*m_sheet, m_cells,
                  [](const CellStyle &s) { return com::Variant(std::int32_t(s.fontColorIndex)); });
}

void Font::setColorIndex(int index)
{
    if (index != StyleCodes::ColorIndexAutomatic && index != StyleCodes::ColorIndexNone &&
        (index < 1 || index > 56))
        ModelErrors::refuse(
            QStringLiteral("%1 is not a colour index (1 to 56, or automatic).").arg(index));
    applyStyle(*m_sheet, m_cells, [index](CellStyle &s) {
        if (index < 1) {
            s.fontColor = -1;
            s.fontColorIndex = StyleCodes::ColorIndexAutomatic;
        } else {
            s.fontColor = StyleCodes::paletteColor(index);
            s.fontColorIndex = index;
        }
    });
}

com::Variant Font::Color() const
{
    return common(*m_sheet, m_cells, [](const CellStyle &s) {
        return com::Variant(double(s.fontColor < 0 ? 0 : StyleCodes::rgbToBgr(s.fontColor)));
    });
}

void Font::setColor(std::int32_t bgr)
{
    const std::int32_t rgb = StyleCodes::bgrToRgb(bgr & 0xFFFFFF);
    applyStyle(*m_sheet, m_cells, [rgb](CellStyle &s) {
        s.fontColor = rgb;
        s.fontColorIndex = StyleCodes::nearestColorIndex(rgb);
    });
}

} // namespace excel
