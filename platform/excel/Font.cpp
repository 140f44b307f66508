#include "platform/excel/Font.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/StyleRange.h"

namespace excel {

Font::Font(std::shared_ptr<Worksheet> sheet, const CellRect &cells)
    : m_sheet(std::move(sheet)), m_cells(cells)
{
}

com::Variant Font::ColorIndex() const
{
    return StyleRange::common(*m_sheet, m_cells, [](const CellStyle &s) {
        return com::Variant(std::int32_t(s.fontColorIndex));
    });
}

void Font::setColorIndex(int index)
{
    if (index != StyleCodes::ColorIndexAutomatic && index != StyleCodes::ColorIndexNone &&
        (index < 1 || index > 56))
        ModelErrors::refuse(
            QStringLiteral("%1 is not a colour index (1 to 56, or automatic).").arg(index));
    StyleRange::apply(*m_sheet, m_cells, [index](CellStyle &s) {
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
    return StyleRange::common(*m_sheet, m_cells, [](const CellStyle &s) {
        return com::Variant(double(s.fontColor < 0 ? 0 : StyleCodes::rgbToBgr(s.fontColor)));
    });
}

void Font::setColor(std::int32_t bgr)
{
    const std::int32_t rgb = StyleCodes::bgrToRgb(bgr & 0xFFFFFF);
    StyleRange::apply(*m_sheet, m_cells, [rgb](CellStyle &s) {
        s.fontColor = rgb;
        s.fontColorIndex = StyleCodes::nearestColorIndex(rgb);
    });
}

} // namespace excel
