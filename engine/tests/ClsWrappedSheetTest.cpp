#include "engine/ClsWrappedSheet.h"

#include "core/ClsMap.h"
#include "engine/ClsSessionOption.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Sheet "Data", written by openpyxl:
//   row 1: header    row 2: empty    row 3: a, 1.5, TRUE, (empty), 2024-01-31
//   row 4: empty     row 5: (empty), (empty), (empty), (empty), (empty), "far" in F
//   row 6: 中文, =1+1 (no cached value)   row 8: "" in A only through a formatted blank
const char *const DataScript = R"(
import sys, datetime, openpyxl
from openpyxl.styles import Font
wb = openpyxl.Workbook()
ws = wb.active
ws.title = 'Data'
ws.append(['h1', 'h2', 'h3', 'h4', 'h5'])
ws['A3'] = 'a'; ws['B3'] = 1.5; ws['C3'] = True
ws['E3'] = datetime.datetime(2024, 1, 31)
ws['F5'] = 'far'
ws['A6'] = '中文'; ws['B6'] = '=1+1'
ws['A8'].font = Font(bold=True)
wide = wb.create_sheet('Wide')
for c in range(1, 256):
    wide.cell(row=1, column=c, value=c)
wb.save(sys.argv[1])
)";

class WrappedSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("data.xlsx"));
        QString output;
        ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(DataScript), {m_path}, &output), 0)
            << output.toStdString();
        m_app = excel::Application::create();
        m_book = m_app->Workbooks()->Open(m_path);
        ASSERT_TRUE(m_book);
        m_options = std::make_shared<ClsSessionOption>();
    }
    void TearDown() override
    {
        if (m_app) m_app->Quit();
    }
    std::shared_ptr<excel::Worksheet> sheet(const char *name)
    {
        return m_book->Worksheets()->Item(QString::fromUtf8(name));
    }
    // Set up as the pair does: EndCol, options, side, Init.
    void setUp(ClsWrappedSheet &w, const char *name, int startRow, int endRow, int endCol,
               const QList<int> &dataColumns = {})
    {
        ClsMap columns;
        columns.FromLongArray(dataColumns);
        w.setEndCol(endCol);
        w.SetAppendOpt(m_options);
        w.SetUserConfigObj(startRow, columns);
        w.Init(sheet(name), endRow);
    }

    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<excel::Application> m_app;
    std::shared_ptr<excel::Workbook> m_book;
    std::shared_ptr<ClsSessionOption> m_options;
};

} // namespace

// Every read gives the same answer from the copy and from the live sheet.
TEST_F(WrappedSheetTest, MemoryAndLiveSheetAgree)
{
    ClsWrappedSheet memory, live;
    setUp(memory, "Data", 3, 8, 6);
    setUp(live, "Data", 3, 8, 6);
    live.useLiveSheet();
    ASSERT_TRUE(memory.inMemory());
    EXPECT_EQ(memory.m_memData.firstRow(), 3);
    EXPECT_EQ(memory.m_memData.lastRow(), 8);
    EXPECT_EQ(memory.m_memData.lastColumn(), 8); // six used columns plus two

    struct Cell
    {
        int row, column;
        const char *text;
    } cells[] = {
        {3, 1, "a"},    {3, 2, "1.5"}, {3, 3, "True"}, {3, 4, ""}, {5, 6, "far"},
        {6, 1, "中文"}, {8, 1, ""},    {1, 1, "h1"}, // above the start row: the sheet's own cell
        {3, 9, ""},                                  // right of the copy
    };
    for (const Cell &c : cells) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
        EXPECT_EQ(memory.GetCell(c.row, c.column), QString::fromUtf8(c.text));
        EXPECT_EQ(live.GetCell(c.row, c.column), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(memory.GetCell(3, 5), live.GetCell(3, 5)); // a date, in the fixed date form
    EXPECT_FALSE(memory.GetCell(3, 5).isEmpty());
    EXPECT_EQ(memory.GetCell(6, 2), live.GetCell(6, 2)); // a formula without a cached value

    for (int row = 1; row <= 8; ++row) {
        SCOPED_TRACE(row);
        for (const QList<int> &cols : {QList<int>{1, 2}, QList<int>{4}, QList<int>{6}}) {
            EXPECT_EQ(memory.IsEmptyRow(row, cols), live.IsEmptyRow(row, cols));
        }
        EXPECT_EQ(memory.GetNotEmptyRowFrom(row), live.GetNotEmptyRowFrom(row));
    }
    EXPECT_EQ(memory.GetNotEmptyRowFrom(4), 5);
    EXPECT_EQ(memory.GetNotEmptyRowFrom(7), 7); // only a formatted blank follows
    EXPECT_TRUE(memory.IsEmptyRow(5, {1, 2, 3}));
    EXPECT_FALSE(memory.IsEmptyRow(5, {1, 6}));
}

TEST_F(WrappedSheetTest, RowsAfterTheEndRowReadEmptyFromMemory)
{
    ClsWrappedSheet w;
    setUp(w, "Data", 1, 5, 6);
    EXPECT_EQ(w.GetCell(5, 6), QStringLiteral("far"));
    EXPECT_EQ(w.GetCell(6, 1), QString());
    EXPECT_TRUE(w.IsEmptyRow(6, {1}));
    // The live sheet has no end row.
    w.useLiveSheet();
    EXPECT_EQ(w.GetCell(6, 1), QStringLiteral("中文"));
}

TEST_F(WrappedSheetTest, DataColumnsAreCutAtTheLastUsedColumn)
{
    struct Case
    {
        bool allColumns;
        int endCol;
        QList<int> side;
        QList<int> expected;
    } cases[] = {
        {true, 5, {2, 9}, {1, 2, 3, 4, 5}}, // all columns: the side's list does not count
        {false, 4, {2, 6}, {2}},            // B and F on a sheet ending at D: B alone
        {false, 4, {6, 3, 1}, {3, 1}},      // the side's order stays
        {false, 4, {7, 8}, {}},             // nothing left
    };
    for (const Case &c : cases) {
        m_options->setCompareAllCol(c.allColumns);
        ClsWrappedSheet w;
        setUp(w, "Data", 1, 8, c.endCol, c.side);
        QList<int> columns;
        EXPECT_EQ(w.GetDataColArray(columns), int(c.expected.size()) - 1);
        EXPECT_EQ(columns, c.expected);
    }
}

TEST_F(WrappedSheetTest, CopyStopsAtColumnIV)
{
    ClsWrappedSheet w;
    setUp(w, "Wide", 1, 1, 255);
    ASSERT_TRUE(w.inMemory());
    EXPECT_EQ(w.m_memData.lastColumn(), 256);
    EXPECT_EQ(w.GetCell(1, 255), QStringLiteral("255"));
}

TEST_F(WrappedSheetTest, ClosedWorkbookFallsBackToTheLiveSheet)
{
    ClsWrappedSheet w;
    std::shared_ptr<excel::Worksheet> data = sheet("Data");
    m_book->Close();
    w.setEndCol(6);
    w.SetAppendOpt(m_options);
    w.SetUserConfigObj(1, ClsMap());
    w.Init(data, 8);
    EXPECT_FALSE(w.inMemory());
    EXPECT_TRUE(w.m_memData.isNull());
}

// A workbook closed while the comparison runs: reads raise instead of touching freed cells.
TEST_F(WrappedSheetTest, ReadsAfterTheWorkbookClosedRaise)
{
    ClsWrappedSheet w;
    setUp(w, "Data", 1, 8, 6);
    ASSERT_TRUE(w.inMemory());
    EXPECT_EQ(w.GetCell(3, 1), QStringLiteral("a"));
    m_book->Close();
    EXPECT_THROW(w.GetCell(3, 1), BasicError);
    EXPECT_THROW(w.IsEmptyRow(3, {1}), BasicError);
    EXPECT_THROW(w.GetNotEmptyRowFrom(1), BasicError);
}

TEST_F(WrappedSheetTest, TakesStartRowAndColumnsFromTheSide)
{
    m_options->setCompareAllCol(false);
    TSingleSideConfig side;
    side.setFileName(m_path);
    side.setStartRow(3);
    side.setDataCol(QStringLiteral("F,B,H"));
    ASSERT_TRUE(side.CheckOpt(*m_options));
    ClsWrappedSheet w;
    w.setEndCol(6);
    w.SetAppendOpt(m_options);
    w.SetUserConfigObj(side);
    w.Init(side.GetDoc()->Worksheets()->Item(QStringLiteral("Data")), 8);
    EXPECT_EQ(w.startRow(), 3);
    EXPECT_EQ(w.m_memData.firstRow(), 3);
    QList<int> columns;
    w.GetDataColArray(columns);
    EXPECT_EQ(columns, (QList<int>{6, 2}));
    EXPECT_EQ(side.GetDataCol().count(), 3); // the side's own list stays whole
}
