// End-to-end comparison runs: workbooks written by openpyxl, compared through ClsCompareCore
// with the message boxes, the shell, the main window and the difference view faked, checked
// against the expected text reports and report workbooks (read back by openpyxl).
#include "core/ClsMap.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsScript.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "engine/tests/CompareRunSupport.h"
#include "platform/excel/Application.h"
#include "platform/excel/WindowView.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CompareRunSupport;

// Lists of texts compared as one text, one item a line, so that a failure shows them readably.
#define EXPECT_TEXTS(actual, expected)                                                             \
    EXPECT_EQ(QStringList(actual).join(QLatin1Char('\n')).toStdString(),                           \
              QStringList(expected).join(QLatin1Char('\n')).toStdString())
#define EXPECT_TEXT(actual, expected)                                                              \
    EXPECT_EQ(QString(actual).toStdString(), QString(expected).toStdString())

namespace {

const QString Dashes(40, QLatin1Char('-'));

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

struct Sides
{
    QString leftFile = QStringLiteral("L.xlsx");
    QString rightFile = QStringLiteral("R.xlsx");
    QStringList leftSheets{QStringLiteral("Data")};
    QStringList rightSheets{QStringLiteral("Data")};
    QString leftKey = QStringLiteral("A");
    QString rightKey = QStringLiteral("A");
    QString leftData;
    QString rightData;
    int startRow = 1;
};

class CompareRunTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(m_dir.isValid());
        ModCompare::SetCancelCompare(false);
        m_report = m_dir.path() + QStringLiteral("/report/");
        m_options = std::make_shared<ClsSessionOption>();
        m_options->setReportPath(m_report);
        m_options->setLeftName(QStringLiteral("左"));
        m_options->setRightName(QStringLiteral("右"));
        m_options->setDiffSheetName(QStringLiteral("差异的行"));
        m_options->setLeftSingleSheetName(QStringLiteral("左边孤立的行"));
        m_options->setRightSingleSheetName(QStringLiteral("右边孤立的行"));
    }

    void TearDown() override { ModCompare::SetCancelCompare(false); }

    QString file(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    void makeBooks(const char *body)
    {
        const QString error = CompareRunSupport::makeBooks(m_dir.path(), QString::fromUtf8(body));
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }

    std::unique_ptr<ClsCompareCore> newCore(const Sides &sides = Sides())
    {
        auto core = std::make_unique<ClsCompareCore>();
        core->SetAppendOpt(m_options);
        core->m_script->setScriptFolder(m_dir.path() + QStringLiteral("/Script"));
        core->m_leftObj->setFileName(file(sides.leftFile));
        core->m_rightObj->setFileName(file(sides.rightFile));
        core->m_leftObj->setStartRow(sides.startRow);
        core->m_rightObj->setStartRow(sides.startRow);
        core->m_leftObj->setKeyCol(sides.leftKey);
        core->m_rightObj->setKeyCol(sides.rightKey);
        core->m_leftObj->setDataCol(sides.leftData);
        core->m_rightObj->setDataCol(sides.rightData);
        m_options->leftSelected().RemoveAll();
        m_options->rightSelected().RemoveAll();
        for (qsizetype k = 0; k < sides.leftSheets.size(); ++k)
            m_options->leftSelected().Add(sides.leftSheets.at(k), QString::number(k + 1));
        for (qsizetype k = 0; k < sides.rightSheets.size(); ++k)
            m_options->rightSelected().Add(sides.rightSheets.at(k), QString::number(k + 1));
        return core;
    }

    // CheckOpt, then the run; false when CheckOpt refused.
    bool run(ClsCompareCore &core, bool detail = false)
    {
        m_options->setCompareInDetail(detail);
        if (!core.CheckOpt(detail)) return false;
        core.CompareSheetEntry(detail);
        return true;
    }

    QStringList report(const QString &sheet = QStringLiteral("Data"))
    {
        QString error;
        QStringList lines = reportLines(m_report + sheet + QStringLiteral(".txt"), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return lines;
    }

    // The lines every report ends with.
    static QStringList summary(int endRow, int unmatched, int matched, int differing,
                               int startRow = 1)
    {
        return {Dashes,
                QStringLiteral("完成比较任务，用时N毫秒"),
                QStringLiteral("开始行：%1，结束行：%2").arg(startRow).arg(endRow),
                QStringLiteral("不匹配的行数：%1").arg(unmatched),
                QStringLiteral("匹配行数：%1").arg(matched),
                QStringLiteral("在匹配行内，存在差异的行数%1").arg(differing)};
    }

    QStringList heading(const QString &method, const QString &sheet = QStringLiteral("Data"),
                        const QString &leftKey = QStringLiteral("A"),
                        const QString &rightKey = QStringLiteral("A"))
    {
        return {method,
                QStringLiteral("左边：") + file(QStringLiteral("L.xlsx")),
                QStringLiteral("工作表：") + sheet,
                QStringLiteral("关键列：") + leftKey,
                QStringLiteral("右边：") + file(QStringLiteral("R.xlsx")),
                QStringLiteral("工作表：") + sheet,
                QStringLiteral("关键列：") + rightKey};
    }

    static QString keyed() { return QStringLiteral("比较方法：基于关键列的比较"); }
    static QString rowByRow() { return QStringLiteral("比较方法：逐行比较"); }
    static QStringList detailHead()
    {
        return {QStringLiteral("在匹配行内，详细的差异"), QString()};
    }

    // Count lines of a report, as numbers: unmatched, matched, differing.
    static QList<int> counts(const QStringList &lines)
    {
        QList<int> out;
        for (const QString &prefix :
             {QStringLiteral("不匹配的行数："), QStringLiteral("匹配行数："),
              QStringLiteral("在匹配行内，存在差异的行数")}) {
            int value = -1;
            for (const QString &line : lines)
                if (line.startsWith(prefix)) value = line.mid(prefix.size()).toInt();
            out.append(value);
        }
        return out;
    }

    QTemporaryDir m_dir;
    QString m_report;
    std::shared_ptr<ClsSessionOption> m_options;
    FakeMessageBox m_boxes;
    FakeShell m_shell;
    FakeMainWindow m_window;
};

// Header row 1 matches itself; K2 matches k2 ignoring case and differs in C; FIG equals fig
// ignoring case; k3 is left-only and k5 right-only.
const char *const FruitBooks = R"(
book('L.xlsx', [('Data', [['编号', '名称', '数量'], ['k1', 'apple', 10], ['k2', 'pear', 20],
                          ['k3', 'plum', 30], ['k4', 'fig', 40]])])
book('R.xlsx', [('Data', [['编号', '名称', '数量'], ['k1', 'apple', 10], ['K2', 'pear', 25],
                          ['k4', 'FIG', 40], ['k5', 'kiwi', 50]])])
)";

TEST_F(CompareRunTest, KeyedRunWritesTheTextReportAndTheReportWorkbook)
{
    makeBooks(FruitBooks);
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    m_options->setShowLeftSingleInXls(true);
    m_options->setShowRightSingleInXls(true);
    m_options->setColorDiffCell(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));

    const QStringList expected = heading(keyed()) + detailHead() +
                                 QStringList{spaces(25) + QStringLiteral("C(列)  "),
                                             QStringLiteral("左边row:3,匹配右边row:3: 20<->25")} +
                                 summary(6, 1, 4, 1);
    EXPECT_TEXTS(report(), expected);
    EXPECT_TEXTS(m_shell.opened, QStringList{m_report + QStringLiteral("Data.txt")});
    EXPECT_EQ(m_window.busyStates, (std::vector<bool>{true, false}));
    ASSERT_FALSE(m_window.visibleStates.empty());
    EXPECT_TRUE(m_window.visibleStates.front());
    EXPECT_FALSE(m_window.visibleStates.back());

    const ReadBack book = readBook(m_report + QStringLiteral("Data.xlsx"));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_TEXTS(book.sheetNames,
                 (QStringList{QStringLiteral("差异的行"), QStringLiteral("左边孤立的行"),
                              QStringLiteral("右边孤立的行")}));
    EXPECT_TEXTS(
        book.rows(QStringLiteral("差异的行")),
        (QStringList{QStringLiteral("左|row3|k2|pear|20"), QStringLiteral("右|row3|K2|pear|25")}));
    EXPECT_TEXT(book.color(QStringLiteral("差异的行"), QStringLiteral("E1")),
                QStringLiteral("rgb:FFFF0000"));
    EXPECT_TEXT(book.color(QStringLiteral("差异的行"), QStringLiteral("E2")),
                QStringLiteral("rgb:FF0000FF"));
    EXPECT_TEXT(book.color(QStringLiteral("差异的行"), QStringLiteral("D1")), QString());
    EXPECT_EQ(book.defaultRowHeight(QStringLiteral("差异的行")), 30.0);
    EXPECT_TEXTS(book.rows(QStringLiteral("左边孤立的行")),
                 QStringList{QStringLiteral("k3|plum|30")});
    EXPECT_TEXTS(book.rows(QStringLiteral("右边孤立的行")),
                 QStringList{QStringLiteral("k5|kiwi|50")});
}

namespace {

// Application windows that only note whether they are shown.
class NotedWindow : public excel::WindowView
{
public:
    explicit NotedWindow(std::vector<bool *> &shown) { shown.push_back(&m_shown); }
    int hwnd() const override { return 0; }
    void setVisible(bool visible) override { m_shown = visible; }
    void viewChanged() override {}
    void contentChanged() override {}
    QSize cellArea() const override { return NominalArea; }
    QPoint cellAreaOnScreen() const override { return {}; }
    int dpi() const override { return 96; }

private:
    bool m_shown = false;
};

} // namespace

TEST_F(CompareRunTest, TheReportWorkbookShowsWhenWholeAndAReportNothingOpensIsNamed)
{
    makeBooks(FruitBooks);
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    std::vector<bool *> windows; // outlives the applications' windows
    excel::WindowView::setFactory([&windows](std::shared_ptr<excel::Application>) {
        return std::make_unique<NotedWindow>(windows);
    });
    auto shownCount = [&windows] {
        return std::count_if(windows.begin(), windows.end(), [](bool *s) { return *s; });
    };
    // A report window on the screen while the run fills it could be saved half-built.
    std::vector<long> shownDuringRun;
    m_window.onValue = [&](int) { shownDuringRun.push_back(shownCount()); };
    m_shell.refuse = true;
    {
        auto core = newCore();
        ASSERT_TRUE(run(*core));
        EXPECT_FALSE(shownDuringRun.empty());
        EXPECT_EQ(std::count(shownDuringRun.begin(), shownDuringRun.end(), 0L),
                  long(shownDuringRun.size()));
        EXPECT_EQ(shownCount(), 1); // the whole report
        EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral("Data.xlsx")));
        // Nothing on the desktop opened the text report: the main window says where it is,
        // without a message box that would hold up an unattended run.
        EXPECT_TEXTS(m_shell.opened, QStringList{m_report + QStringLiteral("Data.txt")});
        ASSERT_EQ(m_window.statusTexts.size(), 1);
        EXPECT_TRUE(m_window.statusTexts.front().contains(m_report + QStringLiteral("Data.txt")));
        EXPECT_TRUE(m_boxes.shown().empty());
    }
    excel::WindowView::setFactory(nullptr);
}

TEST_F(CompareRunTest, KeyOptionsDecideWhichRowsMatch)
{
    // Two-part keys A and C; right row 1 differs in case, row 2 in case and a leading blank.
    makeBooks(R"(
book('L.xlsx', [('Data', [['a', 1, 'x'], ['b', 2, 'y'], ['c', 3, 'z']])])
book('R.xlsx', [('Data', [['A', 1, 'x'], [' b', 2, 'Y'], ['c', 3, 'z']])])
)");
    struct Case
    {
        const char *keys;
        bool ignoreCase;
        bool trim;
        int unmatched, matched, differing;
    };
    // Data texts are never trimmed: " b" matched by its trimmed key still differs from "b".
    const Case cases[] = {
        {"A,C", true, true, 0, 3, 1},  {"A,C", false, true, 2, 1, 0},
        {"A,C", true, false, 1, 2, 0}, {"A,C", false, false, 2, 1, 0},
        {"A", true, true, 0, 3, 1},    {"A", false, true, 1, 2, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.keys) + (c.ignoreCase ? " ignore-case" : " case") +
                     (c.trim ? " trim" : " no-trim"));
        m_options->setIgnoreCase_Key(c.ignoreCase);
        m_options->setUseTrimForKey(c.trim);
        Sides sides;
        sides.leftKey = sides.rightKey = QString::fromLatin1(c.keys);
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
        EXPECT_EQ(counts(report()), (QList<int>{c.unmatched, c.matched, c.differing}));
    }
}

TEST_F(CompareRunTest, DuplicateKeysMatchTheFirstLeftRowAndBlankKeysAreSkipped)
{
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2], ['k1', 3], [None, 4], ['k3', 5]])])
book('R.xlsx', [('Data', [['k1', 1], ['k1', 3], [None, 9], ['k3', 5]])])
)");
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowLeftSingleInXls(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    // Both right k1 rows compare with left row 1; the blank right key row is neither counted
    // nor reported; left row 3 (a later k1) and row 2 are left-only, the blank left row not.
    const QStringList expected = heading(keyed()) + detailHead() +
                                 QStringList{spaces(25) + QStringLiteral("B(列)"),
                                             QStringLiteral("左边row:1,匹配右边row:2: 1<->3")} +
                                 summary(5, 0, 3, 1);
    EXPECT_TEXTS(report(), expected);
    const ReadBack book = readBook(m_report + QStringLiteral("Data.xlsx"));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    // The new report workbook's other sheets keep their names.
    EXPECT_TEXTS(book.sheetNames,
                 (QStringList{QStringLiteral("左边孤立的行"), QStringLiteral("Sheet2"),
                              QStringLiteral("Sheet3")}));
    EXPECT_TEXTS(book.rows(QStringLiteral("左边孤立的行")),
                 (QStringList{QStringLiteral("k2|2"), QStringLiteral("k1|3")}));
}

TEST_F(CompareRunTest, RowByRowLooksOneRowAheadForAnInsertedLeftRow)
{
    makeBooks(R"(
book('L.xlsx', [('Data', [['x', 1], ['y', 2], ['z', 3]])])
book('R.xlsx', [('Data', [['x', 1], ['z', 30]])])
)");
    m_options->setCompareMethod(ClsSessionOption::CompareRowByRow);
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowLeftSingleInXls(true);
    m_options->setShowRightSingleInXls(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    const QStringList expected = heading(rowByRow()) + detailHead() +
                                 QStringList{spaces(25) + QStringLiteral("B(列) "),
                                             QStringLiteral("左边row:3,匹配右边row:2: 3<->30")} +
                                 summary(3, 0, 2, 1);
    EXPECT_TEXTS(report(), expected);
    const ReadBack book = readBook(m_report + QStringLiteral("Data.xlsx"));
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_TEXTS(book.rows(QStringLiteral("左边孤立的行")), QStringList{QStringLiteral("y|2")});
    EXPECT_TRUE(book.rows(QStringLiteral("右边孤立的行")).isEmpty());
}

TEST_F(CompareRunTest, RowByRowDropsAColumnPairBeyondASheetWithoutShiftingTheOthers)
{
    // The right list's second column (F) lies beyond the right sheet (A..D): the pair (C, F)
    // is dropped, and D still meets D.
    makeBooks(R"(
book('L.xlsx', [('Data', [['k', 1, 2, 3]])])
book('R.xlsx', [('Data', [['k', 1, 9, 4]])])
)");
    m_options->setCompareMethod(ClsSessionOption::CompareRowByRow);
    m_options->setCompareAllCol(false);
    m_options->setTxtReport(true);
    Sides sides;
    sides.leftData = QStringLiteral("B,C,D");
    sides.rightData = QStringLiteral("B,F,D");
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    const QStringList expected = heading(rowByRow()) + detailHead() +
                                 QStringList{spaces(25) + QStringLiteral("D(列)"),
                                             QStringLiteral("左边row:1,匹配右边row:1: 3<->4")} +
                                 summary(2, 0, 1, 1);
    EXPECT_TEXTS(report(), expected);
}

TEST_F(CompareRunTest, ValuesFormulasAndCommentsRecordTheLastItemThatDiffered)
{
    // B differs in value with equal comments; C differs in formula only.
    makeBooks(R"(
def notes(wb):
    wb['Data']['B1'].comment = Comment('note', 'me')
book('L.xlsx', [('Data', [['k', 1, '=B1*2']])], notes)
book('R.xlsx', [('Data', [['k', 2, '=B1*3']])], notes)
)");
    struct Case
    {
        int items;
        QStringList table;
    };
    const Case cases[] = {
        {1,
         {spaces(25) + QStringLiteral("B(列)"), QStringLiteral("左边row:1,匹配右边row:1: 1<->2")}},
        // A constant's formula is its text, so B differs as a formula too.
        {2,
         {spaces(25) + QStringLiteral("B(列) C(列)        "),
          QStringLiteral("左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3")}},
        {3,
         {spaces(25) + QStringLiteral("B(列) C(列)        "),
          QStringLiteral("左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3")}},
        // The equal comments compared last do not replace the texts that differed.
        {7,
         {spaces(25) + QStringLiteral("B(列) C(列)        "),
          QStringLiteral("左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3")}},
    };
    m_options->setTxtReport(true);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.items);
        m_options->setCompareItem(c.items);
        auto core = newCore();
        ASSERT_TRUE(run(*core));
        EXPECT_TEXTS(report(), heading(keyed()) + detailHead() + c.table + summary(2, 0, 1, 1));
    }
}

// Comments that differ after values that differ: the comments, compared last, are recorded.
TEST_F(CompareRunTest, TheLastItemComparedIsRecordedWhenItDiffers)
{
    makeBooks(R"(
def notes(text):
    def add(wb):
        wb['Data']['B1'].comment = Comment(text, 'me')
    return add
book('L.xlsx', [('Data', [['k', 1]])], notes('old note'))
book('R.xlsx', [('Data', [['k', 2]])], notes('new note'))
)");
    m_options->setTxtReport(true);
    m_options->setCompareItem(5); // values and comments
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    const QStringList table{spaces(25) + QStringLiteral("B(列)              "),
                            QStringLiteral("左边row:1,匹配右边row:1: old note<->new note")};
    EXPECT_TEXTS(report(), heading(keyed()) + detailHead() + table + summary(2, 0, 1, 1));
}

// A key column without a single value on a side (a wrong column typed, formulas saved without
// their results) skips every row of that side as a blank key row; the run must not read as
// "no differences" without a word.
TEST_F(CompareRunTest, AKeyColumnWithoutValuesIsReported)
{
    struct Case
    {
        const char *what;
        const char *books;
        const char *leftKey, *rightKey;
        QStringList warnings; // summary lines, in the order left, right
    };
    const QString warning = QStringLiteral("注意：%1工作表 Data 的关键列 %2 中没有任何值，这一边"
                                           "的每一行都被当作关键列为空的行跳过了，以上结果不能"
                                           "说明两边相同。");
    const char *const twoBooks = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
book('R.xlsx', [('Data', [['k1', 1], ['k2', 3]])])
)";
    const Case cases[] = {
        {"wrong column on both sides",
         twoBooks,
         "C",
         "C",
         {warning.arg(QStringLiteral("左边"), QStringLiteral("C")),
          warning.arg(QStringLiteral("右边"), QStringLiteral("C"))}},
        {"wrong column on the right",
         twoBooks,
         "A",
         "C",
         {warning.arg(QStringLiteral("右边"), QStringLiteral("C"))}},
        {"two key columns, both empty on the left",
         twoBooks,
         "C,D",
         "A,B",
         {warning.arg(QStringLiteral("左边"), QStringLiteral("C,D"))}},
        {"formulas without results",
         R"(
book('L.xlsx', [('Data', [['=B1&"x"', 1], ['=B2&"x"', 2]])])
book('R.xlsx', [('Data', [['1x', 1], ['2x', 3]])])
)",
         "A",
         "A",
         {warning.arg(QStringLiteral("左边"), QStringLiteral("A"))}},
        {"a side without rows has nothing to skip",
         R"(
book('L.xlsx', [('Data', [['k1', 1]])])
book('R.xlsx', [('Data', [])])
)",
         "C",
         "C",
         {warning.arg(QStringLiteral("左边"), QStringLiteral("C"))}},
        {"keys present", twoBooks, "A", "A", {}},
    };
    m_options->setTxtReport(true);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        makeBooks(c.books);
        Sides sides;
        sides.leftKey = QString::fromLatin1(c.leftKey);
        sides.rightKey = QString::fromLatin1(c.rightKey);
        m_boxes.clear();
        if (!c.warnings.isEmpty()) m_boxes.expect(win::vbOK);
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
        QStringList found;
        for (const QString &line : report())
            if (line.startsWith(QStringLiteral("注意："))) found.append(line);
        EXPECT_TEXTS(found, c.warnings);
        if (c.warnings.isEmpty()) {
            EXPECT_TRUE(m_boxes.shown().empty());
            continue;
        }
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        for (const QString &w : c.warnings)
            EXPECT_TRUE(m_boxes.shown().front().prompt.contains(w))
                << m_boxes.shown().front().prompt.toStdString();
        EXPECT_EQ(m_boxes.shown().front().style, int(win::vbExclamation));
        EXPECT_EQ(m_boxes.pendingAnswers(), 0);
    }
}

TEST_F(CompareRunTest, UserScriptDecidesEqualityAndAMissingScriptStopsTheRun)
{
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 10], ['k2', 20], ['k3', 30]])])
book('R.xlsx', [('Data', [['k1', 10.5], ['k2', 25], ['k3', 30]])])
)");
    QDir().mkpath(m_dir.path() + QStringLiteral("/Script"));
    ASSERT_TRUE(TestFiles::write(m_dir.path() + QStringLiteral("/Script/near.vbs"),
                                 "Function IsEqual(a, b)\r\n"
                                 "  IsEqual = Abs(CDbl(a) - CDbl(b)) < 1\r\n"
                                 "End Function\r\n"));
    m_options->setUseScript(true);
    ASSERT_TRUE(m_options->setScriptFileName(QStringLiteral("near.vbs")));
    m_options->setTxtReport(true);
    {
        auto core = newCore();
        ASSERT_TRUE(run(*core));
        const QStringList table{spaces(25) + QStringLiteral("B(列)  "),
                                QStringLiteral("左边row:2,匹配右边row:2: 20<->25")};
        EXPECT_TEXTS(report(), heading(keyed()) + detailHead() + table + summary(4, 0, 3, 1));
    }

    // A missing script: the host's message, then the run's; nothing is compared or written.
    QFile::remove(m_report + QStringLiteral("Data.txt"));
    ASSERT_TRUE(m_options->setScriptFileName(QStringLiteral("missing.vbs")));
    m_boxes.expect(win::vbOK);
    m_boxes.expect(win::vbOK);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 2u);
    EXPECT_TRUE(m_boxes.shown()[0].prompt.startsWith(QStringLiteral("AddCode::err=53,")));
    EXPECT_TEXT(m_boxes.shown()[1].prompt, QStringLiteral("添加脚本时出错"));
    EXPECT_TEXT(m_boxes.shown()[1].title, QStringLiteral("Quorva"));
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("Data.txt")));
    EXPECT_EQ(m_window.busyStates.back(), false);
}

TEST_F(CompareRunTest, CancelStopsTheRunAndTheNextRunStartsAfresh)
{
    makeBooks(R"(
rows = [['k%d' % r, r] for r in range(1, 201)]
book('L.xlsx', [('Data', rows), ('More', rows)])
book('R.xlsx', [('Data', rows), ('More', rows)])
)");
    Sides sides;
    sides.leftSheets = sides.rightSheets =
        QStringList{QStringLiteral("Data"), QStringLiteral("More")};
    m_window.cancelAtPercent = 50;
    {
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
    }
    // The cancelled pair stops at the row being handled and still writes what it found,
    // marked as cancelled; the next pair is not compared.
    const QStringList lines = report();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TEXT(lines.last(), QStringLiteral("比较已被取消：以上结果只包括取消之前比较过的行"));
    const QList<int> found = counts(lines);
    EXPECT_EQ(found[0], 0);
    EXPECT_GT(found[1], 0);
    EXPECT_LT(found[1], 200);
    EXPECT_TRUE(lines.contains(QStringLiteral("开始行：1，结束行：%1").arg(found[1] + 1)));
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("More.txt")));
    EXPECT_EQ(m_window.busyStates.back(), false);

    // A run after a Cancel is not stopped by it.
    m_window.cancelAtPercent = -1;
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    EXPECT_TEXTS(report(), heading(keyed()) + summary(201, 0, 200, 0));
    EXPECT_TEXTS(report(QStringLiteral("More")),
                 heading(keyed(), QStringLiteral("More")) + summary(201, 0, 200, 0));
}

TEST_F(CompareRunTest, AFailingPairIsReportedAndTheOthersAreCompared)
{
    makeBooks(R"(
book('L.xlsx', [('S1', [['a', 1]]), ('S3', [['c', 3]])])
book('R.xlsx', [('S1', [['a', 1]]), ('S3', [['c', 3]])])
)");
    Sides sides;
    sides.leftSheets = sides.rightSheets =
        QStringList{QStringLiteral("S1"), QStringLiteral("Gone"), QStringLiteral("S3")};
    m_boxes.expect(win::vbOK);
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(
        m_boxes.shown()[0].prompt.startsWith(QStringLiteral("比较工作表 Gone 和 Gone 时出错：")))
        << m_boxes.shown()[0].prompt.toStdString();
    EXPECT_TRUE(m_boxes.shown()[0].prompt.contains(QStringLiteral("没有工作表 Gone")));
    EXPECT_EQ(m_boxes.shown()[0].style, win::vbCritical);
    EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral("S1.txt")));
    EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral("S3.txt")));
    EXPECT_EQ(m_window.busyStates, (std::vector<bool>{true, false}));
}

TEST_F(CompareRunTest, APairWithoutDataColumnsEndsTheRunWithCodeOne)
{
    // Row by row, the data column E lies beyond S2's right sheet: the run stops there.
    makeBooks(R"(
wide = [['a', 1, 2, 3, 4]]
book('L.xlsx', [('S1', wide), ('S2', wide), ('S3', wide)])
book('R.xlsx', [('S1', wide), ('S2', [['a', 1]]), ('S3', wide)])
)");
    m_options->setCompareMethod(ClsSessionOption::CompareRowByRow);
    m_options->setCompareAllCol(false);
    Sides sides;
    sides.leftSheets = sides.rightSheets =
        QStringList{QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3")};
    sides.leftData = sides.rightData = QStringLiteral("E");
    m_boxes.expect(win::vbOK);
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TEXT(m_boxes.shown()[0].prompt, QStringLiteral("数据列超出工作表的范围"));
    EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral("S1.txt")));
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("S3.txt")));
    EXPECT_EQ(m_window.busyStates.back(), false);
}

TEST_F(CompareRunTest, ChineseTextsWidenTheirColumnsByTwoBytesACharacter)
{
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', '苹果', 1], ['k2', '梨', 1]])])
book('R.xlsx', [('Data', [['k1', '香蕉', 1], ['k2', '梨', 2]])])
)");
    m_options->setTxtReport(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    const QStringList expected =
        heading(keyed()) + detailHead() +
        QStringList{spaces(25) + QStringLiteral("B(列)       C(列)"),
                    QStringLiteral("左边row:1,匹配右边row:1: 苹果<->香蕉      "),
                    QStringLiteral("左边row:2,匹配右边row:2:             1<->2")} +
        summary(3, 0, 2, 2);
    EXPECT_TEXTS(report(), expected);
}

TEST_F(CompareRunTest, CheckOptRefusesOptionsThatCannotGiveAResult)
{
    makeBooks(FruitBooks);
    struct Case
    {
        const char *name;
        int method, items;
        bool allColumns;
        const char *leftKey, *rightKey, *leftData, *rightData;
        QString prompt, title;
    };
    const QString check = QStringLiteral("输入校验");
    const Case cases[] = {
        {"no item", 2, 0, true, "A", "A", "", "", QStringLiteral("请选择一种比较项"),
         QStringLiteral("Quorva")},
        {"key counts", 2, 1, true, "A,B", "C", "", "", QStringLiteral("C和A,B关键列数不等！"),
         check},
        {"no keys", 2, 1, true, "", "", "", "",
         QStringLiteral("没有指定关键列！按关键列比较时，左右两边都要输入关键列。"), check},
        {"data counts", 2, 1, false, "A", "A", "B", "B,C", QStringLiteral("B,C和B数据列数不等！"),
         check},
        {"no data", 1, 1, false, "", "", "", "",
         QStringLiteral("没有指定数据列！请在左右两边输入数据列，或者选择比较所有列。"), check},
        {"row by row without keys", 1, 1, true, "", "", "", "", QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        m_options->setCompareMethod(c.method);
        m_options->setCompareItem(c.items);
        m_options->setCompareAllCol(c.allColumns);
        Sides sides;
        sides.leftKey = QString::fromLatin1(c.leftKey);
        sides.rightKey = QString::fromLatin1(c.rightKey);
        sides.leftData = QString::fromLatin1(c.leftData);
        sides.rightData = QString::fromLatin1(c.rightData);
        auto core = newCore(sides);
        if (c.prompt.isEmpty()) {
            EXPECT_TRUE(core->CheckOpt(false));
            continue;
        }
        m_boxes.expect(win::vbOK);
        EXPECT_FALSE(core->CheckOpt(false));
        ASSERT_EQ(m_boxes.shown().size(), 1u);
        EXPECT_TEXT(m_boxes.shown()[0].prompt, c.prompt);
        EXPECT_TEXT(m_boxes.shown()[0].title, c.title);
        EXPECT_EQ(m_boxes.shown()[0].style, win::vbCritical);
    }
}

TEST_F(CompareRunTest, AReportNeverReplacesAComparedWorkbook)
{
    // The left workbook is named after its sheet and lies in the report folder.
    QDir().mkpath(m_report);
    makeBooks(R"(
book('report/Data.xlsx', [('Data', [['k1', 1]])])
book('R.xlsx', [('Data', [['k1', 2]])])
)");
    const QByteArray before = TestFiles::read(m_report + QStringLiteral("Data.xlsx"));
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    Sides sides;
    sides.leftFile = QStringLiteral("report/Data.xlsx");
    m_boxes.expect(win::vbOK);
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(m_boxes.shown()[0].prompt.contains(QStringLiteral("就是正在比较的工作簿")));
    EXPECT_EQ(TestFiles::read(m_report + QStringLiteral("Data.xlsx")), before);
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("Data.txt")));
}

TEST_F(CompareRunTest, DetailRunShowsEachPairAndMakesNoReportWorkbook)
{
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]]), ('More', [['a', 1]])])
book('R.xlsx', [('Data', [['k1', 1]]), ('More', [['a', 2]])])
)");
    FakeView view;
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    m_options->setShowLeftSingleInXls(true);
    Sides sides;
    sides.leftSheets = sides.rightSheets =
        QStringList{QStringLiteral("Data"), QStringLiteral("More")};
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core, true));
    EXPECT_TEXTS(view.pairsShown,
                 (QStringList{QStringLiteral("Data->Data"), QStringLiteral("More->More")}));
    // The left-only rows are known to the view although no report workbook is made.
    EXPECT_EQ(view.leftSingles, (QList<QList<int>>{{2}, {}}));
    EXPECT_TRUE(m_shell.opened.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral("Data.txt")));
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("Data.xlsx")));
    // Both sides show their applications, then give them back: workbooks closed, hidden.
    core->ShowWnd(true);
    EXPECT_TRUE(core->m_leftObj->GetExcelApp()->Visible());
    EXPECT_TRUE(core->m_rightObj->GetExcelApp()->Visible());
    core->ExcelWndUnloaded();
    EXPECT_FALSE(core->m_leftObj->GetExcelApp()->Visible());
    EXPECT_EQ(core->m_rightObj->GetDoc(), nullptr);
}

TEST_F(CompareRunTest, ReportSheetNamesDefaultAndStayDistinct)
{
    makeBooks(FruitBooks);
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    m_options->setShowLeftSingleInXls(true);
    m_options->setShowRightSingleInXls(true);
    struct Case
    {
        QStringList names, expected;
    };
    const Case cases[] = {
        {{QString(), QString(), QString()},
         {QStringLiteral("diff"), QStringLiteral("LeftSingle"), QStringLiteral("RightSingle")}},
        {{QStringLiteral("X"), QStringLiteral("x"), QStringLiteral("X")},
         {QStringLiteral("X"), QStringLiteral("x_1"), QStringLiteral("X_2")}},
    };
    for (const Case &c : cases) {
        m_options->setDiffSheetName(c.names[0]);
        m_options->setLeftSingleSheetName(c.names[1]);
        m_options->setRightSingleSheetName(c.names[2]);
        auto core = newCore();
        ASSERT_TRUE(run(*core));
        const ReadBack book = readBook(m_report + QStringLiteral("Data.xlsx"));
        ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        EXPECT_TEXTS(book.sheetNames, c.expected);
        EXPECT_TEXTS(book.rows(c.expected[1]), QStringList{QStringLiteral("k3|plum|30")});
        EXPECT_TEXTS(book.rows(c.expected[2]), QStringList{QStringLiteral("k5|kiwi|50")});
        // Empty names are given their defaults in the options too.
        if (c.names[0].isEmpty()) {
            EXPECT_TEXT(m_options->DiffSheetName(), QStringLiteral("diff"));
            EXPECT_TEXT(m_options->RightSingleSheetName(), QStringLiteral("RightSingle"));
        }
    }
    EXPECT_TRUE(m_shell.opened.isEmpty()); // no text report asked for
}

} // namespace

namespace {

TEST_F(CompareRunTest, MergedKeyCellsAreReadThroughTheirAreaWhenAskedFor)
{
    // Right A1:A2 is one merged cell holding " k1". Its trimmed key matches k1 (its value, not
    // trimmed, differs); with merged keys resolved, right row 2 also has the key k1 and differs
    // from left row 1 in A and B.
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 3]])])
def merge(wb):
    wb['Data'].merge_cells('A1:A2')
book('R.xlsx', [('Data', [[' k1', 1], [None, 2], ['k2', 3]])], merge)
)");
    for (bool dealMerge : {false, true}) {
        SCOPED_TRACE(dealMerge);
        m_options->setDealMerge(dealMerge);
        auto core = newCore();
        ASSERT_TRUE(run(*core));
        EXPECT_EQ(counts(report()), dealMerge ? (QList<int>{0, 3, 2}) : (QList<int>{0, 2, 1}));
    }
}

TEST_F(CompareRunTest, ReportFilesThatCannotBeWrittenAreReported)
{
    makeBooks(FruitBooks);
    // The report folder is a file: the text report cannot be made, nothing is compared.
    TestFiles::write(file(QStringLiteral("blocked")), "x");
    m_options->setReportPath(file(QStringLiteral("blocked")));
    m_boxes.expect(win::vbOK);
    {
        auto core = newCore();
        ASSERT_TRUE(run(*core));
    }
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TEXT(m_boxes.shown()[0].prompt, QStringLiteral("Can't Create log file ") +
                                               file(QStringLiteral("blocked/Data.txt")));
    EXPECT_TEXT(m_boxes.shown()[0].title, QString());

    // A folder stands where the report workbook goes: the save fails with a message, the old
    // content stays, and the text report is written all the same.
    m_boxes.clear();
    m_options->setReportPath(m_report);
    QDir().mkpath(m_report + QStringLiteral("Data.xlsx"));
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    m_boxes.expect(win::vbOK);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(m_boxes.shown()[0].prompt.startsWith(QStringLiteral("保存报告工作簿 ") + m_report +
                                                     QStringLiteral("Data.xlsx 时出错：")))
        << m_boxes.shown()[0].prompt.toStdString();
    EXPECT_TRUE(QFileInfo(m_report + QStringLiteral("Data.xlsx")).isDir());
    EXPECT_EQ(counts(report()), (QList<int>{1, 4, 1}));
}

} // namespace

namespace {

// Workbooks written by other programs (see platform/excel/tests/fixtures/README.md), .xlsx and
// .xls: each pair was made from one source, so their values compare equal row by row. (Their
// formula texts do not: each writer spells some formulas its own way.)
TEST_F(CompareRunTest, WorkbooksOfOtherWritersCompareAlike)
{
    const std::pair<const char *, const char *> cases[] = {
        {"libreoffice.xlsx", "gnumeric.xlsx"},
        {"libreoffice.xls", "libreoffice.xlsx"},
        {"gnumeric.xls", "gnumeric.xlsx"},
    };
    const QStringList sheets{QStringLiteral("Data"), QStringLiteral("Strings"),
                             QStringLiteral("Calc")};
    m_options->setCompareMethod(ClsSessionOption::CompareRowByRow);
    m_options->setTxtReport(true);
    for (const auto &[left, right] : cases) {
        SCOPED_TRACE(std::string(left) + " / " + right);
        const QString fixtures = TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/"));
        Sides sides;
        sides.leftFile = QStringLiteral("left_") + QString::fromLatin1(left);
        sides.rightFile = QStringLiteral("right_") + QString::fromLatin1(right);
        QFile::remove(file(sides.leftFile));
        QFile::remove(file(sides.rightFile));
        ASSERT_TRUE(QFile::copy(fixtures + QString::fromLatin1(left), file(sides.leftFile)));
        ASSERT_TRUE(QFile::copy(fixtures + QString::fromLatin1(right), file(sides.rightFile)));
        sides.leftSheets = sides.rightSheets = sheets;
        m_boxes.allowAll(); // the .xls reader may warn about what it cannot keep
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
        for (const QString &sheet : sheets) {
            const QStringList lines = report(sheet);
            SCOPED_TRACE(lines.join(QLatin1Char('\n')).toStdString());
            const QList<int> found = counts(lines);
            EXPECT_EQ(found[0], 0);
            EXPECT_GT(found[1], 0);
            EXPECT_EQ(found[2], 0);
        }
    }
}

} // namespace

namespace {

TEST_F(CompareRunTest, CellsCompareByTheTextsTheyRead)
{
    // A date and its serial number read differently; a number in another format, a Boolean
    // against the text True and a number against its text read alike.
    makeBooks(R"(
import datetime
def fmt(wb):
    wb['Data']['B2'].number_format = '0.00'
book('L.xlsx', [('Data', [['k1', datetime.date(2023, 3, 15)], ['k2', 1.5], ['k3', True],
                          ['k4', '1.5']])])
book('R.xlsx', [('Data', [['k1', 45000], ['k2', 1.5], ['k3', 'True'], ['k4', 1.5]])], fmt)
)");
    m_options->setTxtReport(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    const QStringList table{spaces(25) + QStringLiteral("B(列)") + spaces(13),
                            QStringLiteral("左边row:1,匹配右边row:1: 2023-03-15<->45000")};
    EXPECT_TEXTS(report(), heading(keyed()) + detailHead() + table + summary(5, 0, 4, 1));
}

} // namespace

namespace {

TEST_F(CompareRunTest, AWorkbookClosedDuringThePairFailsThatPairOnly)
{
    makeBooks(R"(
rows = [['k%d' % r, r] for r in range(1, 101)]
book('L.xlsx', [('Data', rows), ('More', rows)])
book('R.xlsx', [('Data', rows), ('More', rows)])
)");
    Sides sides;
    sides.leftSheets = sides.rightSheets =
        QStringList{QStringLiteral("Data"), QStringLiteral("More")};
    auto core = newCore(sides);
    // Closed half-way through the first pair (as when its window is closed meanwhile); the
    // next pair opens the workbook again.
    bool closed = false;
    m_window.onValue = [&](int percent) {
        if (percent >= 50 && !closed) {
            closed = true;
            core->m_leftObj->CloseDoc();
        }
    };
    m_boxes.expect(win::vbOK);
    ASSERT_TRUE(run(*core));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_TRUE(
        m_boxes.shown()[0].prompt.startsWith(QStringLiteral("比较工作表 Data 和 Data 时出错：")))
        << m_boxes.shown()[0].prompt.toStdString();
    EXPECT_TRUE(m_boxes.shown()[0].prompt.contains(QStringLiteral("462")));
    EXPECT_TEXTS(report(QStringLiteral("More")),
                 heading(keyed(), QStringLiteral("More")) + summary(101, 0, 100, 0));
    EXPECT_EQ(m_window.busyStates, (std::vector<bool>{true, false}));
}

} // namespace

namespace {

TEST_F(CompareRunTest, ColumnsBeyondIVAreLeftOutAsTheReaderSays)
{
    // Row 1 differs in C and in column AAC (705), row 2 in KN (300) only. The reader warns that
    // comparisons cover columns A to IV: only C is compared and reported, and every row counted
    // as differing is printed.
    makeBooks(R"(
l = [['k1'] + list(range(2, 711)), ['k2'] + list(range(2, 711))]
r = [list(row) for row in l]
r[0][2] = 'x'
r[0][704] = 'y'
r[1][299] = 'z'
book('L.xlsx', [('Data', l)])
book('R.xlsx', [('Data', r)])
)");
    m_boxes.allowAll(); // the reader's warning about the columns beyond IV
    m_options->setTxtReport(true);
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    const QStringList table{spaces(25) + QStringLiteral("C(列)"),
                            QStringLiteral("左边row:1,匹配右边row:1: 3<->x")};
    EXPECT_TEXTS(report(), heading(keyed()) + detailHead() + table + summary(3, 0, 2, 1));
}

} // namespace

namespace {

TEST_F(CompareRunTest, ASheetNameNeverLeadsAReportOutOfItsFolder)
{
    // Spreadsheet programs refuse "/" in sheet names, but a file can hold one: here the sheet
    // "../victim", which must not make the run delete or replace ../victim.txt beside the
    // report folder.
    makeBooks(R"(
import zipfile, shutil
def rename(name):
    path = folder + '/' + name
    src = zipfile.ZipFile(path)
    out = zipfile.ZipFile(path + '.tmp', 'w', zipfile.ZIP_DEFLATED)
    for item in src.infolist():
        data = src.read(item.filename)
        if item.filename == 'xl/workbook.xml':
            data = data.replace(b'name="Data"', b'name="../victim"')
        out.writestr(item, data)
    out.close()
    src.close()
    shutil.move(path + '.tmp', path)
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
book('R.xlsx', [('Data', [['k1', 1], ['k2', 3]])])
rename('L.xlsx')
rename('R.xlsx')
)");
    ASSERT_TRUE(TestFiles::write(file(QStringLiteral("victim.txt")), "keep me"));
    ASSERT_TRUE(TestFiles::write(file(QStringLiteral("victim.xlsx")), "keep me too"));
    m_options->setTxtReport(true);
    m_options->setShowXlsReport(true);
    m_options->setShowDiffInXls(true);
    Sides sides;
    sides.leftSheets = sides.rightSheets = QStringList{QStringLiteral("../victim")};
    auto core = newCore(sides);
    ASSERT_TRUE(run(*core));
    EXPECT_EQ(TestFiles::read(file(QStringLiteral("victim.txt"))), QByteArray("keep me"));
    EXPECT_EQ(TestFiles::read(file(QStringLiteral("victim.xlsx"))), QByteArray("keep me too"));
    // The reports stay in the report folder, "/" written as "_".
    const QStringList lines = reportLines(m_report + QStringLiteral(".._victim.txt"));
    EXPECT_EQ(counts(lines), (QList<int>{0, 2, 1}));
    EXPECT_TRUE(lines.contains(QStringLiteral("工作表：../victim")));
    EXPECT_TRUE(QFileInfo::exists(m_report + QStringLiteral(".._victim.xlsx")));
    EXPECT_TEXTS(m_shell.opened, QStringList{m_report + QStringLiteral(".._victim.txt")});
}

} // namespace

namespace {

TEST_F(CompareRunTest, TrimmingKeysRemovesBlanksOnly)
{
    // Leading and trailing blanks are ignored; a tab, a line break or an ideographic space
    // is part of the key. The right sheet's merged cell (C1:C2) sends its keys through the
    // sheet reader, the left ones come from the in-memory view.
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2], ['k3', 3], ['k4', 4]])])
def merge(wb):
    wb['Data'].merge_cells('C1:C2')
book('R.xlsx', [('Data', [['  k1 ', 1], ['k2\t', 2], ['\u3000k3', 3], ['k4\n', 4]])], merge)
)");
    m_options->setCompareAllCol(false);
    Sides sides;
    sides.leftKey = sides.rightKey = QStringLiteral("A,C");
    sides.leftData = sides.rightData = QStringLiteral("B");
    for (bool dealMerge : {false, true}) {
        SCOPED_TRACE(dealMerge);
        m_options->setUseTrimForKey(true);
        m_options->setDealMerge(dealMerge);
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
        EXPECT_EQ(counts(report()), (QList<int>{3, 1, 0}));
    }
}

} // namespace

namespace {

TEST_F(CompareRunTest, ADetailRunWithoutCompareItemsShowsThePairsUncompared)
{
    // No compare item is allowed in a detail run: nothing is compared or written, and the view
    // still gets each pair, with empty results rather than none.
    makeBooks(FruitBooks);
    FakeView view;
    m_options->setTxtReport(true);
    m_options->setCompareItem(0);
    auto core = newCore();
    ASSERT_TRUE(run(*core, true));
    EXPECT_TEXTS(view.pairsShown, QStringList{QStringLiteral("Data->Data")});
    EXPECT_EQ(view.leftSingles, (QList<QList<int>>{{}}));
    EXPECT_FALSE(QFileInfo::exists(m_report + QStringLiteral("Data.txt")));
}

} // namespace

TEST_F(CompareRunTest, AllColumnsReachTheWiderSheet)
{
    // Columns E and F hold values on the left only: comparing all columns must not pass over
    // them, whichever side is the wider one and whichever method runs.
    makeBooks(R"(
book('W.xlsx', [('Data', [['k1', 1, 2, 3, 'e', 'f'], ['k2', 1, 2, 3]])])
book('N.xlsx', [('Data', [['k1', 1, 2, 3], ['k2', 1, 2, 3]])])
)");
    m_options->setTxtReport(true);
    const struct
    {
        int method;
        const char *left, *right, *line;
    } cases[] = {
        {ClsSessionOption::CompareByKey, "W.xlsx", "N.xlsx", "左边row:1,匹配右边row:1: e<-> f<->"},
        {ClsSessionOption::CompareByKey, "N.xlsx", "W.xlsx", "左边row:1,匹配右边row:1: <->e <->f"},
        {ClsSessionOption::CompareRowByRow, "W.xlsx", "N.xlsx",
         "左边row:1,匹配右边row:1: e<-> f<->"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.left);
        m_options->setCompareMethod(c.method);
        Sides sides;
        sides.leftFile = QString::fromLatin1(c.left);
        sides.rightFile = QString::fromLatin1(c.right);
        auto core = newCore(sides);
        ASSERT_TRUE(run(*core));
        const QStringList lines = report();
        EXPECT_TRUE(lines.contains(QString::fromUtf8(c.line))) << lines.join('\n').toStdString();
        EXPECT_EQ(counts(lines), (QList<int>{0, 2, 1}));
    }
}

TEST_F(CompareRunTest, ASecondRunReadsAWorkbookThatChangedOnDisk)
{
    // A session keeps its workbooks open between runs; one that another program wrote since
    // (the user mended a value and compares again) is read anew, not compared as it was.
    makeBooks(R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
book('R.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
)");
    auto core = newCore();
    ASSERT_TRUE(run(*core));
    EXPECT_EQ(counts(report()), (QList<int>{0, 2, 0}));
    makeBooks(R"(
book('R.xlsx', [('Data', [['k1', 1], ['k2', 20]])])
)");
    ASSERT_TRUE(run(*core));
    EXPECT_EQ(counts(report()), (QList<int>{0, 2, 1}));
}
