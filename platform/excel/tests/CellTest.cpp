#include "platform/excel/Cell.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/text/BasicError.h"

#include <gtest/gtest.h>
#include <limits>

using namespace excel;

// The column, style and formula numbers share one word: each must keep its value at the ends
// of its range whatever its neighbours hold.
TEST(Cell, FieldsKeepTheirValuesAtTheEndsOfTheirRanges)
{
    struct Case
    {
        int column;
        std::uint32_t style;
        std::int32_t formula;
        CellKind kind;
    };
    const Case cases[] = {
        {1, 0, -1, CellKind::Blank},
        {CellAddress::MaxColumns, Cell::MaxStyles - 1, Cell::MaxFormulas, CellKind::Error},
        {CellAddress::MaxColumns, 0, -1, CellKind::String},
        {1, Cell::MaxStyles - 1, 0, CellKind::Number},
        {8191, 65536, Cell::MaxFormulas - 1, CellKind::Boolean},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.column);
        Cell cell;
        cell.column = std::uint32_t(c.column);
        cell.style = c.style;
        cell.formula = c.formula;
        cell.kind = c.kind;
        cell.value.number = -std::numeric_limits<double>::max();
        EXPECT_EQ(int(cell.column), c.column);
        EXPECT_EQ(std::uint32_t(cell.style), c.style);
        EXPECT_EQ(std::int32_t(cell.formula), c.formula);
        EXPECT_EQ(cell.kind, c.kind);
        EXPECT_EQ(cell.value.number, -std::numeric_limits<double>::max());
    }
    const Cell fresh;
    EXPECT_EQ(fresh.formula, -1);
    EXPECT_EQ(fresh.kind, CellKind::Blank);
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
