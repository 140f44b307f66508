#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace excel {

// What a stored cell holds. Blank is a cell with a format and no value: it counts for the used
// range but reads as Empty.
enum class CellKind : std::uint8_t { Blank, Number, String, Boolean, Error };

// One stored cell in 12 bytes (a big comparison holds tens of millions of them). A number is
// kept as its double; every other kind is a NaN no arithmetic makes (its high word tagged with
// the kind, its low word holding the text's place in the workbook's pool, the boolean or the
// error number), so a number never needs a kind of its own. A formula is only flagged here: its
// text's number lives with the row (`CellRow`), since few cells have one. The bit widths set the
// limits below, which readers and editors check before storing a cell.
class Cell
{
public:
    // Styles a workbook may hold and formulas a sheet may hold.
    static constexpr std::uint32_t MaxStyles = std::uint32_t(1) << 16;
    static constexpr std::int32_t MaxFormulas = (std::int32_t(1) << 23) - 1;

    CellKind kind() const
    {
        return (m_high & TagMask) == Tag ? CellKind(m_high & KindMask) : CellKind::Number;
    }
    // The number, 0 for a cell of another kind.
    double number() const
    {
        if ((m_high & TagMask) == Tag) return 0.0;
        double d;
        const std::uint64_t bits = (std::uint64_t(m_high) << 32) | m_low;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    // The text's index into WorkbookData::strings (a String cell).
    std::uint32_t string() const { return m_low; }
    bool boolean() const { return m_low != 0; }
    // The automation error number: 2000 #NULL!, 2007 #DIV/0!, 2015 #VALUE!, 2023 #REF!,
    // 2029 #NAME?, 2036 #NUM!, 2042 #N/A.
    std::int32_t error() const { return std::int32_t(m_low); }

    void setNumber(double number)
    {
        // Every NaN becomes the one quiet NaN, so that none can pass for a tagged kind.
        std::uint64_t bits = 0x7FF8000000000000u;
        if (!std::isnan(number)) std::memcpy(&bits, &number, sizeof bits);
        m_low = std::uint32_t(bits);
        m_high = std::uint32_t(bits >> 32);
    }
    void setString(std::uint32_t index) { tag(CellKind::String, index); }
    void setBoolean(bool value) { tag(CellKind::Boolean, value ? 1u : 0u); }
    void setError(std::int32_t number) { tag(CellKind::Error, std::uint32_t(number)); }
    void setBlank() { tag(CellKind::Blank, 0); }

private:
    static constexpr std::uint32_t Tag = 0xFFFA0000u, TagMask = 0xFFFFFFF0u, KindMask = 0xFu;
    void tag(CellKind kind, std::uint32_t low)
    {
        m_low = low;
        m_high = Tag | std::uint32_t(kind);
    }

    // The value's two words, kept apart so that the cell aligns to 4 bytes and takes 12.
    std::uint32_t m_low = 0, m_high = Tag | std::uint32_t(CellKind::Blank);

public:
    std::uint32_t column : 15 = 0;    // 1-based
    std::uint32_t style : 16 = 0;     // index into WorkbookData::styles
    std::uint32_t hasFormula : 1 = 0; // its number is in the row's CellRow::formulaOf
};

static_assert(sizeof(Cell) == 12);

} // namespace excel
