#pragma once

#include <cstdint>

namespace excel {

// What a stored cell holds. Blank is a cell with a format and no value: it counts for the used
// range but reads as Empty.
enum class CellKind : std::uint8_t { Blank, Number, String, Boolean, Error };

// One stored cell, kept compact: texts live in the workbook's string pool and formulas in the
// sheet's formula table, both by index.
struct Cell
{
    std::uint16_t column = 0; // 1-based
    CellKind kind = CellKind::Blank;
    std::uint32_t style = 0;   // index into WorkbookData::styles
    std::int32_t formula = -1; // index into SheetData::formulas, -1 for a constant
    union {
        double number;
        std::uint32_t string; // index into WorkbookData::strings
        bool boolean;
        std::int32_t error; // the automation error number: 2000 #NULL!, 2007 #DIV/0!, 2015
                            // #VALUE!, 2023 #REF!, 2029 #NAME?, 2036 #NUM!, 2042 #N/A
    } value{0.0};
};

} // namespace excel
