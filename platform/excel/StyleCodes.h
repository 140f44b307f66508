#pragma once

#include <QString>
#include <cstdint>

namespace excel {

// The codes that link a file's styles to the automation model: the 56-colour palette behind
// ColorIndex, fill pattern names and constants, built-in number formats and the date test.
class StyleCodes
{
public:
    static constexpr int ColorIndexAutomatic = -4105;
    static constexpr int ColorIndexNone = -4142;
    static constexpr int PatternNone = -4142;
    static constexpr int PatternSolid = 1;

    // 0xRRGGBB of ColorIndex 1..56; -1 outside.
    static std::int32_t paletteColor(int colorIndex);
    // The ColorIndex whose palette colour is nearest to 0xRRGGBB (exact matches first).
    static int nearestColorIndex(std::int32_t rgb);
    // A file's indexed colour (0..63) as 0xRRGGBB; -1 for the system colours 64 and above.
    static std::int32_t indexedColor(int indexed);

    // Pattern constant of a file's patternType ("solid" 1, "none" -4142, "gray125" 17, ...),
    // and back; unknown names read as solid.
    static int patternFromName(const QString &name);
    static QString patternName(int pattern);

    // The code of a built-in number format id ("General" for 0, "m/d/yyyy" for 14), "" when the
    // id has no fixed code.
    static QString builtinFormat(int id);
    // Whether a number in a format the file does not define shows as a date or time: the
    // built-in date ids (14-22, 45-47, and the East Asian date ids 27-36 and 50-58) or a code
    // that isDateCode accepts.
    static bool isDateFormat(int id, const QString &code);
    // Whether a format code shows a number as a date or time: date or time letters outside
    // quotes, escapes and colour or condition brackets, in its first section. A format the
    // file defines is judged by this alone, whatever its id (some writers number their own
    // formats from 50).
    static bool isDateCode(const QString &code);

    // The automation Color value (0xBBGGRR) of 0xRRGGBB and back.
    static std::int32_t rgbToBgr(std::int32_t rgb)
    {
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    }
    static std::int32_t bgrToRgb(std::int32_t bgr) { return rgbToBgr(bgr); }
};

} // namespace excel
