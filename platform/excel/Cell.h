#pragma once

#include <cstdint>

namespace excel {

// What a stored cell holds. Blank is a cell with a format and no value: it counts for the used
// range but reads as Empty.
enum class CellKind : std::uint8_t { Blank, Number, String, Boolean, Error };

// One stored cell in 16 bytes (a big comparison holds tens of millions of them): texts live in
// the workbook's string pool and formulas in the sheet's formula table, both by index, and the
// column, style and formula share one word. The bit widths set the limits below, which readers
// and editors check before storing a cell.
struct Cell
{
    // Styles a workbook may hold and formulas a sheet may hold.
    static constexpr std::uint32_t MaxStyles = std::uint32_t(1) << 17;
    static constexpr std::int32_t MaxFormulas = (std::int32_t(1) << 23) - 1;

    union {
        double number;
        std::uint32_t string; // index into WorkbookData::strings
        bool boolean;
        std::int32_t error; // the automation error number: 2000 #NULL!, 2007 #DIV/0!, 2015
                            // #VALUE!, 2023 #REF!, 2029 #NAME?, 2036 #NUM!, 2042 #N/A
    } value{0.0};
    std::uint32_t column : 15 = 0;  // 1-based
    std::uint32_t style : 17 = 0;   // index into WorkbookData::styles
    std::int32_t formula : 24 = -1; // index into SheetData::formulas, -1 for a constant
    CellKind kind : 8 = CellKind::Blank;
};

static_assert(sizeof(Cell) == 16);

} // namespace excel
