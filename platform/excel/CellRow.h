#pragma once

#include "platform/excel/Cell.h"

#include <cstdint>
#include <vector>

namespace excel {

// One row's cells, sorted by column, with the formula numbers of the few that have one. To
// every reader a row is its vector of cells; formulas go through the members below, which keep
// a cell's flag and its number in step. The numbers travel with the row, so inserting and
// deleting rows moves them along.
class CellRow : public std::vector<Cell>
{
public:
    using std::vector<Cell>::vector;

    // The first cell at or after `column`.
    const_iterator lowerBound(std::uint32_t column) const;
    iterator lowerBound(std::uint32_t column);
    // The cell of `column`, or null. Inline: the comparison asks for every cell it compares.
    const Cell *find(std::uint32_t column) const
    {
        // Rows are mostly dense: the cell of column c then sits at index c - 1.
        const std::size_t guess = std::size_t(column) - 1;
        if (guess < size() && (*this)[guess].column == column) return &(*this)[guess];
        const auto it = lowerBound(column);
        return it != end() && it->column == column ? &*it : nullptr;
    }
    Cell *find(std::uint32_t column)
    {
        return const_cast<Cell *>(static_cast<const CellRow *>(this)->find(column));
    }

    // The index into SheetData::formulas of the formula of `cell` (a cell of this row), -1 for
    // a constant.
    std::int32_t formulaOf(const Cell &cell) const;
    // Gives `cell` (of this row) the formula numbered `index`, or takes its formula away for -1.
    void setFormula(Cell &cell, std::int32_t index);

private:
    struct Slot
    {
        std::uint16_t column;
        std::int32_t index;
    };
    std::vector<Slot> m_formulas; // sorted by column
};

} // namespace excel
