#include "engine/TXlsCompareResult.h"

#include "engine/ClsWrappedSheet.h"
#include "engine/ModCompare.h"
#include "engine/ModExcel.h"
#include "platform/excel/Application.h"
#include "platform/excel/Comment.h"
#include "platform/excel/Font.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Left: rows 3 and 9 differ from right rows 4 and 9; row 12 is left-only. Column C of row 3
// holds a formula with a comment on it; row 9 holds the text 001. Sheet "Wide" uses 255
// columns.
const char *const InputScript = R"(
import sys, openpyxl
from openpyxl.comments import Comment
wb = openpyxl.Workbook()
left = wb.active
left.title = 'L'
right = wb.create_sheet('R')
for r in range(1, 13):
    left.cell(row=r, column=1, value='k%d' % r)
    left.cell(row=r, column=2, value=r)
    right.cell(row=r, column=1, value='k%d' % r)
    right.cell(row=r, column=2, value=r * 10)
left['C3'] = '=B3*2'
left['C3'].comment = Comment('a note', 'me')
left['D9'] = '001'
right['D4'] = 'x'
wide = wb.create_sheet('Wide')
for c in range(1, 256):
    wide.cell(row=1, column=c, value='w%d' % c)
wb.save(sys.argv[1])
)";

class ReportSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ModCompare::SetCancelCompare(false);
        ASSERT_TRUE(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("in.xlsx"));
        QString output;
        ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(InputScript), {path}, &output), 0)
            << output.toStdString();
        m_app = excel::Application::create();
        m_input = m_app->Workbooks()->Open(path);
        m_report = m_app->Workbooks()->Add();
        m_left = m_input->Worksheets()->Item(QStringLiteral("L"));
        m_right = m_input->Worksheets()->Item(QStringLiteral("R"));
        m_out = m_report->Worksheets()->Item(1);
    }
    void TearDown() override
    {
        ModCompare::SetCancelCompare(false);
        if (m_app) m_app->Quit();
    }
    static void wrap(ClsWrappedSheet &w, const TXlsCompareResult::SheetRef &sheet, int endCol)
    {
        w.setEndCol(endCol);
        w.SetUserConfigObj(1, ClsMap());
        w.Init(sheet, 12);
    }
    QString out(int row, int column) const { return m_out->Cells(row, column).Value().toText(); }
    // The differences sheet as the pair sets it up, with pairs 3/4 and 9/9 queued.
    void differences(TXlsCompareResult &diff)
    {
        diff.Initialize(QStringLiteral("diff"));
        diff.m_OutSheet = m_out;
        diff.InitInputSheet(m_left, m_right);
        diff.setLeftName(QStringLiteral("左"));
        diff.setRightName(QStringLiteral("右"));
        diff.setMaxCol(4 + 2);
        for (auto [l, r] : {std::pair{3, 4}, std::pair{9, 9}}) {
            diff.CopyRowFrom(true, nullptr, m_left, l, QStringLiteral("C"));
            diff.CopyRowFrom(true, nullptr, m_right, r, QStringLiteral("C"));
        }
    }

    QTemporaryDir m_dir;
    std::shared_ptr<excel::Application> m_app;
    std::shared_ptr<excel::Workbook> m_input, m_report;
    TXlsCompareResult::SheetRef m_left, m_right, m_out;
};

} // namespace

TEST_F(ReportSheetTest, DifferencesComeInPairsWithLabels)
{
    // The input sheets' last columns found by the writer, or given by the comparison.
    for (int run = 0; run < 4; ++run) {
        const bool throughMemory = run % 2 == 0, given = run >= 2;
        SCOPED_TRACE(run);
        m_out->UsedRange().ClearContents();
        ClsWrappedSheet left, right;
        wrap(left, m_left, 4);
        wrap(right, m_right, 4);
        TXlsCompareResult diff;
        differences(diff);
        if (given) diff.setInputLastColumns(4, 4);
        if (throughMemory)
            diff.EndWrite(&left.m_memData, &right.m_memData);
        else
            diff.EndWrite(nullptr, nullptr);
        EXPECT_EQ(diff.UseMemory(), throughMemory);
        EXPECT_EQ(diff.rowsWritten(), 4);
        const char *expected[4][5] = {
            {"左", "row3", "k3", "3", ""}, // openpyxl writes no cached formula results
            {"右", "row4", "k4", "40", ""},
            {"左", "row9", "k9", "9", ""},
            {"右", "row9", "k9", "90", ""},
        };
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 5; ++c) {
                EXPECT_EQ(out(r + 1, c + 1), QString::fromUtf8(expected[r][c]))
                    << "row " << r + 1 << " column " << c + 1;
            }
        }
        EXPECT_EQ(out(2, 6), QStringLiteral("x"));
        EXPECT_EQ(out(3, 6), QStringLiteral("001")); // a text stays a text either way
        EXPECT_TRUE(m_out->Cells(3, 6).Value().isString());
        // Formulas and comments travel only cell by cell; the copies carry values.
        EXPECT_EQ(m_out->Cells(1, 5).Formula(),
                  throughMemory ? QString() : QStringLiteral("=B3*2"));
        std::shared_ptr<excel::Comment> note = m_out->Cells(1, 5).Comment();
        EXPECT_EQ(note ? note->Text() : QString(), throughMemory ? QString() : "a note");
        if (note) m_out->Cells(1, 5).ClearComments();
    }
}

TEST_F(ReportSheetTest, ColoursSurviveTheLaterWrite)
{
    ClsWrappedSheet left, right;
    wrap(left, m_left, 4);
    wrap(right, m_right, 4);
    TXlsCompareResult diff;
    diff.Initialize(QStringLiteral("diff"));
    diff.m_OutSheet = m_out;
    diff.InitInputSheet(m_left, m_right);
    diff.setMaxCol(6);
    ClsMap fields;
    fields.Add(QStringLiteral("D"), QStringLiteral("<->x"));
    diff.SetForeColor(fields); // before any pair: nothing to colour, and no error
    diff.CopyRowFrom(true, nullptr, m_left, 3, QStringLiteral("C"));
    diff.CopyRowFrom(true, nullptr, m_right, 4, QStringLiteral("C"));
    diff.SetForeColor(fields);
    diff.EndWrite(left.memoryCopy(), right.memoryCopy());
    EXPECT_EQ(m_out->Cells(1, 6).Font().ColorIndex().toLong(), 3);
    EXPECT_EQ(m_out->Cells(2, 6).Font().ColorIndex().toLong(), 5);
    EXPECT_EQ(out(2, 6), QStringLiteral("x"));
    EXPECT_NE(m_out->Cells(1, 5).Font().ColorIndex().toLong(), 3);

    // A cancelled run colours nothing more.
    ModCompare::SetCancelCompare(true);
    ClsMap more;
    more.Add(QStringLiteral("B"), QString());
    diff.SetForeColor(more);
    EXPECT_NE(m_out->Cells(1, 4).Font().ColorIndex().toLong(), 3);
}

TEST_F(ReportSheetTest, OneSideRowsStartInColumnA)
{
    ClsWrappedSheet left, right;
    wrap(left, m_left, 4);
    wrap(right, m_right, 4);
    TXlsCompareResult single;
    single.Initialize(QStringLiteral("LeftSingle"));
    single.m_OutSheet = m_out;
    single.InitInputSheet(m_left, m_right);
    single.setMaxCol(4);
    single.CopyRowFrom(true, nullptr, m_left, 12, QStringLiteral("A"));
    single.CopyRowFrom(true, nullptr, m_right, 7, QStringLiteral("A"));
    EXPECT_EQ(single.GetleftInputSheet(), m_left);
    single.EndWrite(&left.m_memData, &right.m_memData);
    EXPECT_EQ(out(1, 1), QStringLiteral("k12"));
    EXPECT_EQ(out(1, 2), QStringLiteral("12"));
    EXPECT_EQ(out(2, 1), QStringLiteral("k7"));
    EXPECT_EQ(out(2, 2), QStringLiteral("70"));
}

TEST_F(ReportSheetTest, RowsStopAtColumnIV)
{
    auto wide = m_input->Worksheets()->Item(QStringLiteral("Wide"));
    ClsWrappedSheet w;
    w.setEndCol(255);
    w.SetUserConfigObj(1, ClsMap());
    w.Init(wide, 1);
    for (bool throughMemory : {true, false}) {
        SCOPED_TRACE(throughMemory);
        m_out->UsedRange().ClearContents();
        TXlsCompareResult diff;
        diff.Initialize(QStringLiteral("diff"));
        diff.m_OutSheet = m_out;
        diff.InitInputSheet(wide, m_right);
        diff.setMaxCol(300);
        EXPECT_EQ(diff.MaxCol(), 256);
        diff.CopyRowFrom(true, nullptr, wide, 1, QStringLiteral("C"));
        diff.CopyRowFrom(true, nullptr, wide, 1, QStringLiteral("C"));
        diff.EndWrite(throughMemory ? &w.m_memData : nullptr, nullptr);
        for (int row : {1, 2}) {
            EXPECT_EQ(out(row, 3), QStringLiteral("w1"));
            EXPECT_EQ(out(row, 256), QStringLiteral("w254"));
        }
        EXPECT_EQ(m_out->UsedRange().Columns().Count(), 256);
    }
}

TEST_F(ReportSheetTest, NothingQueuedWithoutColumns)
{
    TXlsCompareResult diff;
    diff.Initialize(QStringLiteral("diff"));
    diff.InitInputSheet(m_left, m_right);
    diff.CopyRowFrom(true, nullptr, m_left, 3, QStringLiteral("C")); // MaxCol 0
    diff.CopyRowFrom(true, nullptr, m_out, 3, QStringLiteral("C"));  // not an input sheet
    EXPECT_EQ(diff.rowCount(), 2);
    // No output sheet: queued rows cannot vanish silently, but nothing queued is no error.
    diff.EndWrite(nullptr, nullptr);
    diff.setMaxCol(3);
    diff.CopyRowFrom(true, nullptr, m_left, 3, QStringLiteral("C"));
    EXPECT_THROW(diff.EndWrite(nullptr, nullptr), std::exception);
}

TEST(TXlsCompareResult, DistinctSheetNames)
{
    const QString long31 = QString(31, QLatin1Char('x'));
    struct Case
    {
        QStringList in, out;
    } cases[] = {
        {{"差异的行", "左边孤立的行", "右边孤立的行"},
         {"差异的行", "左边孤立的行", "右边孤立的行"}},
        {{"diff", "diff", "diff"}, {"diff", "diff_1", "diff_2"}},
        {{"Diff", "diff", "x"}, {"Diff", "diff_1", "x"}},
        {{"a_1", "a", "a"}, {"a_1", "a", "a_2"}},
        {{long31, long31}, {long31, QString(29, QLatin1Char('x')) + "_1"}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TXlsCompareResult::DistinctSheetNames(c.in), c.out);
}

// The three sheets as a pair makes them, saved, and read back by openpyxl.
TEST_F(ReportSheetTest, SavedReportReadsBackInAnotherReader)
{
    ClsWrappedSheet left, right;
    wrap(left, m_left, 4);
    wrap(right, m_right, 4);
    const QStringList names = TXlsCompareResult::DistinctSheetNames(
        {QStringLiteral("差异的行"), QStringLiteral("差异的行"), QStringLiteral("右边孤立的行")});
    TXlsCompareResult diff, leftOnly, rightOnly;
    diff.Initialize(names[0]);
    leftOnly.Initialize(names[1]);
    rightOnly.Initialize(names[2]);
    diff.m_OutSheet = ModExcel::GetOrAddSheet(m_report, names[0]);
    leftOnly.m_OutSheet = ModExcel::GetOrAddSheet(m_report, names[1]);
    rightOnly.m_OutSheet = ModExcel::GetOrAddSheet(m_report, names[2]);
    ASSERT_NE(diff.m_OutSheet, leftOnly.m_OutSheet);
    diff.InitInputSheet(m_left, m_right);
    leftOnly.InitInputSheet(m_left, m_right);
    rightOnly.InitInputSheet(m_right, nullptr);
    diff.setLeftName(QStringLiteral("旧"));
    diff.setRightName(QStringLiteral("新"));
    diff.setMaxCol(6);
    leftOnly.setMaxCol(4);
    rightOnly.setMaxCol(4);

    diff.CopyRowFrom(true, nullptr, m_left, 3, QStringLiteral("C"));
    diff.CopyRowFrom(true, nullptr, m_right, 4, QStringLiteral("C"));
    ClsMap fields;
    fields.Add(QStringLiteral("B"), QString());
    diff.SetForeColor(fields);
    leftOnly.CopyRowFrom(true, nullptr, m_left, 12, QStringLiteral("A"));
    rightOnly.CopyRowFrom(true, nullptr, m_right, 2, QStringLiteral("A"));
    diff.EndWrite(&left.m_memData, &right.m_memData);
    leftOnly.EndWrite(&left.m_memData, &right.m_memData);
    rightOnly.EndWrite(&right.m_memData, nullptr);

    const QString path = m_dir.filePath(QStringLiteral("L.xlsx"));
    m_report->SaveAs(path);
    const char *const readBack = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
print('|'.join(wb.sheetnames))
for ws in wb.worksheets:
    for row in ws.iter_rows(values_only=True):
        print(ws.title, [v for v in row if v is not None])
f = wb[wb.sheetnames[0]]['D1'].font.color
print('colour', f.indexed if f is not None and f.type == 'indexed' else (f.rgb if f is not None else None))
f = wb[wb.sheetnames[0]]['D2'].font.color
print('colour', f.indexed if f is not None and f.type == 'indexed' else (f.rgb if f is not None else None))
)";
    QString output;
    ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(readBack), {path}, &output), 0)
        << output.toStdString();
    const QStringList lines = output.trimmed().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 6) << output.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("差异的行|差异的行_1|右边孤立的行"));
    EXPECT_EQ(lines[1], QStringLiteral("差异的行 ['旧', 'row3', 'k3', 3]"));
    EXPECT_EQ(lines[2], QStringLiteral("差异的行 ['新', 'row4', 'k4', 40, 'x']"));
    EXPECT_EQ(lines[3], QStringLiteral("差异的行_1 ['k12', 12]"));
    EXPECT_EQ(lines[4], QStringLiteral("右边孤立的行 ['k2', 20]"));
    EXPECT_TRUE(lines[5] == QStringLiteral("colour 3") ||
                lines[5] == QStringLiteral("colour FFFF0000"))
        << lines[5].toStdString();
    EXPECT_TRUE(lines[6] == QStringLiteral("colour 5") ||
                lines[6] == QStringLiteral("colour FF0000FF"))
        << lines[6].toStdString();
}
