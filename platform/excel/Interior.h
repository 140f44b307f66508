#pragma once

#include "platform/com/Variant.h"
#include "platform/excel/SheetData.h"

#include <memory>

namespace excel {

class Worksheet;

// The fill of a range's cells.
class Interior
{
public:
    Interior(std::shared_ptr<Worksheet> sheet, const CellRect &cells);

    // xlPatternNone (-4142), xlPatternSolid (1), ...; Null when the cells differ.
    com::Variant Pattern() const;
    void setPattern(int pattern);
    // A palette number 1..56, xlColorIndexNone (-4142) without a fill; Null when mixed.
    com::Variant ColorIndex() const;
    // xlColorIndexNone (or xlColorIndexAutomatic) removes the fill, pattern included; a palette
    // number gives a solid fill of that colour unless the cells have a pattern already.
    void setColorIndex(int index);
    // 0xBBGGRR; white (0xFFFFFF) without a fill; Null when mixed.
    com::Variant Color() const;
    void setColor(std::int32_t bgr);

private:
    std::shared_ptr<Worksheet> m_sheet;
    CellRect m_cells;
};

} // namespace excel
