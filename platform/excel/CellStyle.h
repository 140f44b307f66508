#pragma once

#include <QString>
#include <cstdint>

namespace excel {

// The parts of a cell format that the program reads or changes. Colours are 0xRRGGBB, or -1 for
// automatic / none.
struct CellStyle
{
    int numberFormatId = 0;
    QString numberFormat; // the format code ("General", "yyyy-mm-dd", ...)
    bool isDate = false;  // a number in this format reads as a Date
    std::int32_t fontColor = -1;
    int fontColorIndex = -4105; // xlColorIndexAutomatic
    int fillPattern = -4142;    // xlPatternNone; 1 is xlPatternSolid
    std::int32_t fillColor = -1;
    int fillColorIndex = -4142; // xlColorIndexNone
    int sourceIndex = -1;       // the style's index in the file it came from, -1 when new
    // For a style made by changing one of the file's styles (a new font colour, fill or date
    // format): that style's index in the file, so that a writer keeps its other attributes
    // (borders, alignment, font face); -1 otherwise.
    int derivedFrom = -1;

    // Same look as far as the model knows (sourceIndex and derivedFrom aside).
    bool sameFormat(const CellStyle &o) const
    {
        return numberFormatId == o.numberFormatId && numberFormat == o.numberFormat &&
               isDate == o.isDate && fontColor == o.fontColor &&
               fontColorIndex == o.fontColorIndex && fillPattern == o.fillPattern &&
               fillColor == o.fillColor && fillColorIndex == o.fillColorIndex;
    }
};

} // namespace excel
