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
