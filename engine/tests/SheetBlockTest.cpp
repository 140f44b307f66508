#include "engine/SheetBlock.h"

#include "platform/excel/WorkbookData.h"

#include <gtest/gtest.h>

namespace {

// A small hand-filled store: A1 "x", C1 1.5, B3 a date, A4 "" (an empty string), D4 TRUE,
// E5 #N/A, F6 a blank (formatted, no value).
struct Store
{
    excel::WorkbookData book;
    excel::SheetData *sheet = nullptr;

    Store()
    {
        book.strings = {QStringLiteral("x"), QString(), QStringLiteral("中文")};
        excel::CellStyle date;
        date.isDate = true;
        date.numberFormat = QStringLiteral("yyyy-mm-dd");
        book.styles.push_back(date);
        auto data = std::make_unique<excel::SheetData>();
        data->name = QStringLiteral("Sheet1");
        data->rows.resize(6);
        data->rows[0] = {str(1, 0), num(3, 1.5)};
        data->rows[2] = {num(2, 45000, 1)};
        data->rows[3] = {str(1, 1), boolean(4, true)};
        data->rows[4] = {error(5, 2042)};
        data->rows[5] = {blank(6)};
        sheet = data.get();
        book.sheets.push_back(std::move(data));
    }
    static excel::Cell str(int col, std::uint32_t s)
    {
        excel::Cell c;
        c.column = std::uint16_t(col);
        c.setString(s);
        return c;
    }
    static excel::Cell num(int col, double v, std::uint32_t style = 0)
    {
        excel::Cell c;
        c.column = std::uint16_t(col);
        c.setNumber(v);
        c.style = style;
        return c;
    }
    static excel::Cell boolean(int col, bool v)
    {
        excel::Cell c;
        c.column = std::uint16_t(col);
        c.setBoolean(v);
        return c;
    }
    static excel::Cell error(int col, int code)
    {
        excel::Cell c;
        c.column = std::uint16_t(col);
        c.setError(code);
        return c;
    }
    static excel::Cell blank(int col)
    {
        excel::Cell c;
        c.column = std::uint16_t(col);
        return c;
    }
    SheetBlock block(int first = 1, int last = 6, int lastCol = 8) const
    {
        return SheetBlock(&book, sheet, first, last, lastCol);
    }
};

} // namespace

TEST(SheetBlock, ValuesAndTextsFollowTheStore)
{
    Store s;
    SheetBlock b = s.block();
    struct Case
    {
        int row, column;
        const char *text;
        bool empty;
    } cases[] = {
        {1, 1, "x", false},
        {1, 2, "", true},
        {1, 3, "1.5", false},
        {3, 2, "", false},
        {4, 1, "", true},
        {4, 4, "True", false},
        {5, 5, "Error 2042", false},
        {6, 6, "", true},
        {7, 1, "", true},
        {0, 1, "", true},
        {1, 0, "", true},
        {100, 300, "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
        if (c.row != 3) {
            EXPECT_EQ(b.text(c.row, c.column), QString::fromUtf8(c.text));
        }
        EXPECT_EQ(b.isEmpty(c.row, c.column), c.empty);
    }
    EXPECT_TRUE(b.value(3, 2).isDate());
    EXPECT_EQ(b.text(3, 2), com::Variant::fromDate(45000).toText());
    EXPECT_TRUE(b.value(1, 3).isNumber());
    EXPECT_TRUE(b.value(6, 6).isEmpty());
    EXPECT_TRUE(b.value(5, 5).isError());
}

TEST(SheetBlock, RowTestsAndSearch)
{
    Store s;
    SheetBlock b = s.block();
    EXPECT_TRUE(b.isRowEmptyInCols(1, {2, 4}));
    EXPECT_FALSE(b.isRowEmptyInCols(1, {2, 3}));
    EXPECT_TRUE(b.isRowEmptyInCols(2, {1, 2, 3}));
    EXPECT_TRUE(b.isRowEmptyInCols(1, {}));
    // Row 2 is empty, row 3 holds a date in B.
    EXPECT_EQ(b.nextNonEmptyRow(2, 6, 8), 3);
    // Row 4 has only an empty string in A and TRUE in D: beyond column 3 it counts as empty.
    EXPECT_EQ(b.nextNonEmptyRow(4, 4, 3), 4); // none found: the first row itself
    EXPECT_EQ(b.nextNonEmptyRow(4, 6, 3), 4);
    EXPECT_EQ(b.nextNonEmptyRow(4, 6, 4), 4);
    EXPECT_EQ(b.nextNonEmptyRow(6, 9, 8), 6); // only a blank left
    EXPECT_EQ(b.nextNonEmptyRow(5, 9, 8), 5);
    EXPECT_TRUE(SheetBlock().isNull());
    EXPECT_EQ(SheetBlock().nextNonEmptyRow(3, 9, 8), 3);
}

TEST(SheetBlock, RectangleIsInformationOnly)
{
    Store s;
    SheetBlock b = s.block(3, 5, 2);
    EXPECT_TRUE(b.contains(3, 1));
    EXPECT_FALSE(b.contains(2, 1));
    EXPECT_FALSE(b.contains(3, 3));
    // A read above the start row or right of the loaded columns gives what the sheet holds.
    EXPECT_EQ(b.text(1, 1), QStringLiteral("x"));
    EXPECT_EQ(b.text(1, 3), QStringLiteral("1.5"));
}
