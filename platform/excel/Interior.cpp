#include "platform/excel/Interior.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/StyleRange.h"

namespace excel {

Interior::Interior(std::shared_ptr<Worksheet> sheet, const CellRect &cells)
    : m_sheet(std::move(sheet)), m_cells(cells)
{
}

com::Variant Interior::Pattern() const
{
    return StyleRange::common(*m_sheet, m_cells, [](const CellStyle &s) {
        return com::Variant(std::int32_t(s.fillPattern));
    });
}

void Interior::setPattern(int pattern)
{
    StyleRange::apply(*m_sheet, m_cells, [pattern](CellStyle &s) {
        s.fillPattern = pattern;
        if (pattern == StyleCodes::PatternNone) {
            s.fillColor = -1;
            s.fillColorIndex = StyleCodes::ColorIndexNone;
        }
    });
}

com::Variant Interior::ColorIndex() const
{
    return StyleRange::common(*m_sheet, m_cells, [](const CellStyle &s) {
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
    StyleRange::apply(*m_sheet, m_cells, [index](CellStyle &s) {
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
    return StyleRange::common(*m_sheet, m_cells, [](const CellStyle &s) {
        bool none = s.fillPattern == StyleCodes::PatternNone || s.fillColor < 0;
        return com::Variant(double(none ? 0xFFFFFF : StyleCodes::rgbToBgr(s.fillColor)));
    });
}

void Interior::setColor(std::int32_t bgr)
{
    const std::int32_t rgb = StyleCodes::bgrToRgb(bgr & 0xFFFFFF);
    StyleRange::apply(*m_sheet, m_cells, [rgb](CellStyle &s) {
        if (s.fillPattern == StyleCodes::PatternNone) s.fillPattern = StyleCodes::PatternSolid;
        s.fillColor = rgb;
        s.fillColorIndex = StyleCodes::nearestColorIndex(rgb);
    });
}

} // namespace excel
