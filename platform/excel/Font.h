#pragma once

#include "platform/com/Variant.h"
#include "platform/excel/SheetData.h"

#include <memory>

namespace excel {

class Worksheet;

// The font colour of a range's cells.
class Font
{
public:
    Font(std::shared_ptr<Worksheet> sheet, const CellRect &cells);

    // A palette number 1..56, xlColorIndexAutomatic (-4105); Null when the cells differ.
    com::Variant ColorIndex() const;
    void setColorIndex(int index);
    // The colour as 0xBBGGRR (automatic reads as 0, black); Null when the cells differ.
    com::Variant Color() const;
    void setColor(std::int32_t bgr);

private:
    std::shared_ptr<Worksheet> m_sheet;
    CellRect m_cells;
};

} // namespace excel
