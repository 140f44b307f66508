#include "platform/excel/Interior.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/Worksheet.h"

namespace excel {

void applyStyle(Worksheet &ws, const CellRect &r, const std::function<void(CellStyle &)> &change);

namespace {

template <typename F> com::Variant commonFill(const Worksheet &ws, const CellRect &r, F read)
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

Interior::Interior(std::shared_ptr<Worksheet> sheet, const CellRect &cells)
    : m_sheet(std::move(sheet)), m_cells(cells)
{
}

com::Variant Interior::Pattern() const
{
    return commonFill(*m_sheet, m_cells,
                      [](const CellStyle &s) { return com::Variant(std::int32_t(s.fillPattern)); });
}

void Interior::setPattern(int pattern)
{
    applyStyle(*m_sheet, m_cells, [pattern](CellStyle &s) {
        s.fillPattern = pattern;
        if (pattern == StyleCodes::PatternNone) {
            s.fillColor = -1;
            s.fillColorIndex = StyleCodes::ColorIndexNone;
        }
    });
}

com::Variant Interior::ColorIndex() const
{
    return commonFill(*m_sheet, m_cells, [](const CellStyle &s) {
        return com::Variant(std::int32_t(s.fillPattern == StyleCodes::PatternNone
                                             ? StyleCodes::ColorIndexNone
                                             : s.fillColorIndex));
    });
}

void Interior::setColorIndex(int index)
{
    if (index != StyleCodes::ColorIndexAutomatic && index != StyleCodes::ColorIndexNone &&
        (index < 1 || index > 56))
        ModelErrors::refuse(
            QStringLiteral("%1 is not a colour index (1 to 56, or none).").arg(index));
    applyStyle(*m_sheet, m_cells, [index](CellStyle &s) {
        if (index < 1) {
            s.fillPattern = StyleCodes::PatternNone;
            s.fillColor = -1;
            s.fillColorIndex = StyleCodes::ColorIndexNone;
            return;
        }
        if (s.fillPattern == StyleCodes::PatternNone) s.fillPattern = StyleCodes::PatternSolid;
        s.fillColor = StyleCodes::paletteColor(index);
        s.fillColorIndex = index;
    });
}

com::Variant Interior::Color() const
{
    return commonFill(*m_sheet, m_cells, [](const CellStyle &s) {
        bool none = s.fillPattern == StyleCodes::PatternNone || s.fillColor < 0;
        return com::Variant(double(none ? 0xFFFFFF : StyleCodes::rgbToBgr(s.fillColor)));
    });
}

void Interior::setColor(std::int32_t bgr)
{
    const std::int32_t rgb = StyleCodes::bgrToRgb(bgr & 0xFFFFFF);
    applyStyle(*m_sheet, m_cells, [rgb](CellStyle &s) {
        if (s.fillPattern == StyleCodes::PatternNone) s.fillPattern = StyleCodes::PatternSolid;
        s.fillColor = rgb;
        s.fillColorIndex = StyleCodes::nearestColorIndex(rgb);
    });
}

} // namespace excel
