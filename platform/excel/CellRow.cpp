#include "platform/excel/CellRow.h"

#include <algorithm>

namespace excel {

namespace {

template <typename Slots> auto slotAt(Slots &slots, std::uint32_t column)
{
    return std::lower_bound(slots.begin(), slots.end(), column,
                            [](const auto &s, std::uint32_t c) { return s.column < c; });
}

} // namespace

CellRow::const_iterator CellRow::lowerBound(std::uint32_t column) const
{
    return std::lower_bound(begin(), end(), column,
                            [](const Cell &c, std::uint32_t col) { return c.column < col; });
}

CellRow::iterator CellRow::lowerBound(std::uint32_t column)
{
    return begin() + (static_cast<const CellRow *>(this)->lowerBound(column) - cbegin());
}

std::int32_t CellRow::formulaOf(const Cell &cell) const
{
    if (!cell.hasFormula) return -1;
    const auto it = slotAt(m_formulas, cell.column);
    return it != m_formulas.end() && it->column == cell.column ? it->index : -1;
}

void CellRow::setFormula(Cell &cell, std::int32_t index)
{
    // Cells come column by column from a file, so the slot usually goes at the end.
    auto it = !m_formulas.empty() && m_formulas.back().column < cell.column
                  ? m_formulas.end()
                  : slotAt(m_formulas, cell.column);
    const bool found = it != m_formulas.end() && it->column == cell.column;
    cell.hasFormula = index >= 0;
    if (index < 0) {
        if (found) m_formulas.erase(it);
    } else if (found) {
        it->index = index;
    } else {
        m_formulas.insert(it, Slot{std::uint16_t(cell.column), index});
    }
}

} // namespace excel
