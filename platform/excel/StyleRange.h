#pragma once

#include "platform/com/Variant.h"
#include "platform/excel/SheetData.h"
#include "platform/excel/Worksheet.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace excel {

// Reading and changing one style property over a rectangle of cells, for Font and Interior.
class StyleRange
{
public:
    // Calls read(style) for every cell of the rectangle (missing cells have style 0) and gives
    // the common value, or Null when the cells differ.
    template <typename F> static com::Variant common(const Worksheet &ws, const CellRect &r, F read)
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
        for (int row = r.firstRow; row <= std::min<int>(r.lastRow, int(sheet.rows.size())); ++row) {
            const CellRow &cells = sheet.rows[std::size_t(row - 1)];
            auto c = cells.lowerBound(std::uint32_t(r.firstColumn));
            for (; c != cells.end() && c->column <= r.lastColumn; ++c) {
                ++stored;
                if (!consider(c->style)) return com::Variant::null();
            }
        }
        std::int64_t total =
            std::int64_t(r.lastRow - r.firstRow + 1) * (r.lastColumn - r.firstColumn + 1);
        if (stored < total && !consider(0)) return com::Variant::null();
        return value;
    }

    // Applies a style change to every cell of the rectangle, creating cells as needed.
    static void apply(Worksheet &ws, const CellRect &r,
                      const std::function<void(CellStyle &)> &change);
};

} // namespace excel
