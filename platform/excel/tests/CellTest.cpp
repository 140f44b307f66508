#include "platform/excel/Cell.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/text/BasicError.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace excel;

// The column, style and formula flag share one word and the kind rides in the value's spare
// NaN bits: each must keep what it was given at the ends of its range whatever the others hold.
TEST(Cell, FieldsAndValuesKeepWhatTheyWereGivenAtTheEndsOfTheirRanges)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        int column;
        std::uint32_t style;
        bool formula;
        CellKind kind;
        double number;       // for Number
        std::uint32_t index; // for String, Boolean (0/1) and Error
    };
    const Case cases[] = {
        {1, 0, false, CellKind::Blank, 0, 0},
        {CellAddress::MaxColumns, Cell::MaxStyles - 1, true, CellKind::Error, 0, 2042},
        {CellAddress::MaxColumns, 0, false, CellKind::String, 0, 0xFFFFFFFFu},
        {1, Cell::MaxStyles - 1, true, CellKind::Number, -std::numeric_limits<double>::max(), 0},
        {8191, 32768, true, CellKind::Boolean, 0, 1},
        {2, 1, false, CellKind::Number, -0.0, 0},
        {3, 2, false, CellKind::Number, -inf, 0},
        {4, 3, false, CellKind::Number, std::numeric_limits<double>::denorm_min(), 0},
        {5, 4, false, CellKind::String, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << c.column << " kind " << int(c.kind));
        Cell cell;
        cell.column = std::uint32_t(c.column);
        cell.style = c.style;
        cell.hasFormula = c.formula;
        switch (c.kind) {
        case CellKind::Blank:
            cell.setBlank();
            break;
        case CellKind::Number:
            cell.setNumber(c.number);
            break;
        case CellKind::String:
            cell.setString(c.index);
            break;
        case CellKind::Boolean:
            cell.setBoolean(c.index != 0);
            break;
        case CellKind::Error:
            cell.setError(std::int32_t(c.index));
            break;
        }
        EXPECT_EQ(int(cell.column), c.column);
        EXPECT_EQ(std::uint32_t(cell.style), c.style);
        EXPECT_EQ(bool(cell.hasFormula), c.formula);
        EXPECT_EQ(cell.kind(), c.kind);
        if (c.kind == CellKind::Number) {
            const double stored = cell.number();
            EXPECT_EQ(std::memcmp(&stored, &c.number, sizeof stored), 0); // -0 stays -0
        } else {
            EXPECT_EQ(cell.number(), 0.0);
        }
        if (c.kind == CellKind::String) {
            EXPECT_EQ(cell.string(), c.index);
        }
        if (c.kind == CellKind::Boolean) {
            EXPECT_EQ(cell.boolean(), c.index != 0);
        }
        if (c.kind == CellKind::Error) {
            EXPECT_EQ(cell.error(), std::int32_t(c.index));
        }
    }
    const Cell fresh;
    EXPECT_FALSE(fresh.hasFormula);
    EXPECT_EQ(fresh.kind(), CellKind::Blank);
}

// No NaN a number may hold passes for another kind: every one reads back as a Number.
TEST(Cell, EveryNaNStaysANumber)
{
    const std::uint64_t patterns[] = {0x7FF8000000000000u, 0xFFF8000000000000u,
                                      0xFFFA000000000002u, 0xFFFA000400000000u,
                                      0x7FF0000000000001u, 0xFFFFFFFFFFFFFFFFu};
    for (const std::uint64_t bits : patterns) {
        double nan;
        std::memcpy(&nan, &bits, sizeof nan);
        Cell cell;
        cell.setNumber(nan);
        EXPECT_EQ(cell.kind(), CellKind::Number) << std::hex << bits;
        EXPECT_TRUE(std::isnan(cell.number())) << std::hex << bits;
    }
}

// A row keeps its cells' formula numbers by column: set out of order, replaced, taken away,
// and a cell whose flag is off has none even where a number was once kept for its column.
TEST(CellRow, FormulaNumbersFollowTheirCells)
{
    CellRow row(4);
    for (int i = 0; i < 4; ++i)
        row[std::size_t(i)].column = std::uint32_t(2 * i + 1); // A, C, E, G
    row.setFormula(row[2], 7);
    row.setFormula(row[0], 3);
    row.setFormula(row[3], 9);
    row.setFormula(row[2], 8);
    EXPECT_EQ(row.formulaOf(row[0]), 3);
    EXPECT_EQ(row.formulaOf(row[1]), -1);
    EXPECT_EQ(row.formulaOf(row[2]), 8);
    EXPECT_EQ(row.formulaOf(row[3]), 9);
    row.setFormula(row[0], -1);
    EXPECT_FALSE(row[0].hasFormula);
    EXPECT_EQ(row.formulaOf(row[0]), -1);
    EXPECT_EQ(row.formulaOf(row[3]), 9);
    row[3].hasFormula = 0; // a constant written over the cell
    EXPECT_EQ(row.formulaOf(row[3]), -1);
}

// A workbook whose styles are all taken refuses a new one instead of handing out a number a
// cell cannot hold; an existing one is still found.
TEST(Cell, DerivingAStyleBeyondTheLastNumberIsRefused)
{
    WorkbookData book;
    book.styles.resize(Cell::MaxStyles);
    for (std::uint32_t i = 0; i < Cell::MaxStyles; ++i)
        book.styles[i].sourceIndex = int(i);
    EXPECT_EQ(CellStore::deriveStyle(book, 7, [](CellStyle &) {}), 7u);
    EXPECT_THROW(CellStore::deriveStyle(book, 7, [](CellStyle &s) { s.fontColor = 0xFF0000; }),
                 BasicError);
    EXPECT_EQ(book.styles.size(), std::size_t(Cell::MaxStyles));
}
