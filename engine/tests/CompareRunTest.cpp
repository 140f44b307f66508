// End-to-end comparison runs, one table of scenarios walked by one test body: workbooks written
// by openpyxl, compared through ClsCompareCore with the message boxes, the shell, the main window
// and the difference view faked, then checked against the expected message boxes, text reports,
// report workbooks (read back by openpyxl) and files. Every scenario also checks that each run
// marks the main window busy and then idle, and that no unexpected message box appears.
#include "core/ClsMap.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsComparePair.h"
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
#include <optional>

using namespace CompareRunSupport;
using namespace Qt::StringLiterals;

// Lists of texts compared as one text, one item a line, so that a failure shows them readably.
#define EXPECT_TEXTS(actual, expected)                                                             \
    EXPECT_EQ(QStringList(actual).join(QLatin1Char('\n')).toStdString(),                           \
              QStringList(expected).join(QLatin1Char('\n')).toStdString())

namespace {

class CompareRun;
using Hook = std::function<void(CompareRun &, ClsCompareCore &)>;

const QString Dashes(40, QLatin1Char('-'));
const QString Col = QString(25, QLatin1Char(' ')); // the indent of a detail table's column header

struct Sides
{
    QString leftFile = u"L.xlsx"_s;
    QString rightFile = u"R.xlsx"_s;
    QStringList sheets{u"Data"_s}; // selected on both sides, paired in order
    QString leftKey = u"A"_s;
    QString rightKey = u"A"_s;
    QString leftData = {};
    QString rightData = {};
};

// A message box the run shows, answered OK. In the prompt "*" stands for any text, "{report}"
// for the report folder and "{dir}" for the folder of the workbooks.
struct Box
{
    QString prompt;
    int style;
    QString title = u"Quorva"_s;
};

// A text report, named after its sheet. With an end row the whole report is compared: heading,
// the detail table (when a text report is asked for), the summary and the notes. Otherwise the
// counts (when given), the lines listed and the notes are looked for.
struct Report
{
    QString sheet = u"Data"_s;
    QList<int> counts = {}; // unmatched, matched, differing
    int endRow = 0;
    QStringList table = {}; // the detail table: its column header, then a line a row
    QStringList lines = {};
    QStringList notes = {}; // the "注意：" lines at the end: these and no others
};

// The report kinds and parts asked for, on top of the options' defaults.
enum Made : unsigned { Text = 1, Book = 2, Diff = 4, LeftOnly = 8, RightOnly = 16, Colored = 32 };

struct Scenario
{
    const char *name;
    const char *books; // the openpyxl script writing the workbooks (see makeBooks), or none
    Sides sides = {};
    unsigned made = 0;
    int method = ClsSessionOption::CompareByKey;
    int items = ClsSessionOption::CompareValues;
    bool ignoreCase = true, trimKeys = true, dealMerge = false, allColumns = true;
    bool detail = false;
    Hook before = {}; // after the core is made, before the run: more options, files, earlier runs
    bool refused = false; // CheckOpt refuses the options: nothing runs
    std::vector<Box> boxes = {};
    bool anyBoxes = false; // boxes shown are not looked at
    std::vector<Report> reports = {};
    QStringList bookSheets =
        {}; // the report workbook Data.xlsx, read back: its sheets and some rows
    std::vector<std::pair<QString, QStringList>> bookRows = {};
    QStringList present = {}, absent = {};  // files in the report folder
    std::optional<QStringList> opened = {}; // files the shell opened, in the report folder
    std::optional<QStringList> shown = {};  // a detail run: the pairs the view showed
    QList<QList<int>> leftSingles = {};     // and the left-only rows each knew
    Hook after = {};                        // checks of their own
};

void PrintTo(const Scenario &s, std::ostream *out)
{
    *out << s.name;
}

// "*" in the pattern stands for any text.
bool matches(const QString &text, const QString &pattern)
{
    const QStringList pieces = pattern.split(QLatin1Char('*'));
    if (pieces.size() == 1) return text == pattern;
    if (!text.startsWith(pieces.first()) || !text.endsWith(pieces.last())) return false;
    qsizetype at = pieces.first().size();
    for (qsizetype i = 1; i + 1 < pieces.size(); ++i) {
        at = text.indexOf(pieces[i], at);
        if (at < 0) return false;
        at += pieces[i].size();
    }
    return at <= text.size() - pieces.last().size();
}

// Count lines of a report, as numbers: unmatched, matched, differing.
QList<int> counts(const QStringList &lines)
{
    QList<int> out;
    for (const QString &prefix :
         {u"不匹配的行数："_s, u"匹配行数："_s, u"在匹配行内，存在差异的行数"_s}) {
        int value = -1;
        for (const QString &line : lines)
            if (line.startsWith(prefix)) value = line.mid(prefix.size()).toInt();
        out.append(value);
    }
    return out;
}

class CompareRun : public testing::TestWithParam<Scenario>
{
public:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(dir.isValid());
        ModCompare::SetCancelCompare(false);
        reportFolder = dir.path() + u"/report/"_s;
        options->setReportPath(reportFolder);
        options->setLeftName(u"左"_s);
        options->setRightName(u"右"_s);
        options->setDiffSheetName(u"差异的行"_s);
        options->setLeftSingleSheetName(u"左边孤立的行"_s);
        options->setRightSingleSheetName(u"右边孤立的行"_s);
    }

    void TearDown() override { ModCompare::SetCancelCompare(false); }

    QString file(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }

    void makeBooks(const char *body)
    {
        const QString error = CompareRunSupport::makeBooks(dir.path(), QString::fromUtf8(body));
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }

    std::unique_ptr<ClsCompareCore> newCore(const Sides &sides)
    {
        auto core = std::make_unique<ClsCompareCore>();
        core->SetAppendOpt(options);
        core->m_script->setScriptFolder(dir.path() + u"/Script"_s);
        core->m_leftObj->setFileName(file(sides.leftFile));
        core->m_rightObj->setFileName(file(sides.rightFile));
        core->m_leftObj->setKeyCol(sides.leftKey);
        core->m_rightObj->setKeyCol(sides.rightKey);
        core->m_leftObj->setDataCol(sides.leftData);
        core->m_rightObj->setDataCol(sides.rightData);
        for (ClsMap *selected : {&options->leftSelected(), &options->rightSelected()}) {
            selected->RemoveAll();
            for (qsizetype k = 0; k < sides.sheets.size(); ++k)
                selected->Add(sides.sheets.at(k), QString::number(k + 1));
        }
        return core;
    }

    // CheckOpt, then the run; false when CheckOpt refused.
    bool run(ClsCompareCore &core, bool detail = false)
    {
        options->setCompareInDetail(detail);
        if (!core.CheckOpt(detail)) return false;
        core.CompareSheetEntry(detail);
        ++runs;
        return true;
    }

    QStringList report(const QString &sheet = u"Data"_s)
    {
        QString error;
        QStringList lines = reportLines(reportFolder + sheet + u".txt"_s, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return lines;
    }

    // The whole text report of a sheet with the given detail table, counts and notes.
    QStringList expectedReport(const Sides &sides, const Report &r) const
    {
        QStringList out{options->CompareMethod() == ClsSessionOption::CompareRowByRow
                            ? u"比较方法：逐行比较"_s
                            : u"比较方法：基于关键列的比较"_s,
                        u"左边："_s + file(sides.leftFile),
                        u"工作表："_s + r.sheet,
                        u"关键列："_s + sides.leftKey,
                        u"右边："_s + file(sides.rightFile),
                        u"工作表："_s + r.sheet,
                        u"关键列："_s + sides.rightKey};
        if (options->TxtReport())
            out += QStringList{u"在匹配行内，详细的差异"_s, QString()} + r.table;
        out += QStringList{Dashes,
                           u"完成比较任务，用时N毫秒"_s,
                           u"开始行：1，结束行：%1"_s.arg(r.endRow),
                           u"不匹配的行数：%1"_s.arg(r.counts.value(0)),
                           u"匹配行数：%1"_s.arg(r.counts.value(1)),
                           u"在匹配行内，存在差异的行数%1"_s.arg(r.counts.value(2))};
        return out + r.notes;
    }

    QString placed(const QString &text) const
    {
        return QString(text)
            .replace(u"{report}"_s, reportFolder)
            .replace(u"{dir}"_s, dir.path() + QLatin1Char('/'));
    }

    void checkBoxes(const Scenario &s)
    {
        if (s.anyBoxes) return;
        const auto &shown = boxes.shown();
        ASSERT_EQ(shown.size(), s.boxes.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(matches(shown[i].prompt, placed(s.boxes[i].prompt)))
                << shown[i].prompt.toStdString();
            EXPECT_EQ(shown[i].style, s.boxes[i].style) << shown[i].prompt.toStdString();
            EXPECT_EQ(shown[i].title.toStdString(), s.boxes[i].title.toStdString());
        }
        EXPECT_EQ(boxes.pendingAnswers(), 0);
    }

    void checkReports(const Scenario &s)
    {
        for (const Report &r : s.reports) {
            SCOPED_TRACE(r.sheet.toStdString());
            const QStringList lines = report(r.sheet);
            if (r.endRow > 0) {
                EXPECT_TEXTS(lines, expectedReport(s.sides, r));
                continue;
            }
            if (!r.counts.isEmpty()) {
                EXPECT_EQ(counts(lines), r.counts);
            }
            for (const QString &line : r.lines)
                EXPECT_TRUE(lines.contains(line)) << line.toStdString() << " not in\n"
                                                  << lines.join('\n').toStdString();
            QStringList notes;
            for (const QString &line : lines)
                if (line.startsWith(u"注意："_s)) notes.append(line);
            EXPECT_TEXTS(notes, r.notes);
        }
    }

    void checkReportBook(const Scenario &s)
    {
        if (s.bookSheets.isEmpty() && s.bookRows.empty()) return;
        const ReadBack book = readBook(reportFolder + u"Data.xlsx"_s);
        ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        if (!s.bookSheets.isEmpty()) {
            EXPECT_TEXTS(book.sheetNames, s.bookSheets);
        }
        for (const auto &[sheet, rows] : s.bookRows) {
            SCOPED_TRACE(sheet.toStdString());
            EXPECT_TEXTS(book.rows(sheet), rows);
        }
    }

    QTemporaryDir dir;
    QString reportFolder;
    std::shared_ptr<ClsSessionOption> options = std::make_shared<ClsSessionOption>();
    FakeMessageBox boxes;
    FakeShell shell;
    FakeMainWindow window;
    int runs = 0;
    QByteArray kept; // what a hook keeps to compare afterwards
};

TEST_P(CompareRun, Scenario)
{
    const Scenario &s = GetParam();
    if (s.books) makeBooks(s.books);
    if (HasFatalFailure()) return;
    options->setTxtReport(s.made & Text);
    options->setShowXlsReport(s.made & Book);
    if (s.made & Diff) options->setShowDiffInXls(true);
    if (s.made & LeftOnly) options->setShowLeftSingleInXls(true);
    if (s.made & RightOnly) options->setShowRightSingleInXls(true);
    if (s.made & Colored) options->setColorDiffCell(true);
    options->setCompareMethod(s.method);
    options->setCompareItem(s.items);
    options->setIgnoreCase_Key(s.ignoreCase);
    options->setUseTrimForKey(s.trimKeys);
    options->setDealMerge(s.dealMerge);
    options->setCompareAllCol(s.allColumns);
    auto core = newCore(s.sides);
    if (s.before) s.before(*this, *core);
    if (HasFatalFailure()) return;

    std::optional<FakeView> view;
    if (s.detail) view.emplace();
    boxes.clear();
    boxes.allowAll(s.anyBoxes);
    for (std::size_t i = 0; i < s.boxes.size(); ++i)
        boxes.expect(win::vbOK);
    EXPECT_EQ(run(*core, s.detail), !s.refused);

    checkBoxes(s);
    std::vector<bool> busy;
    for (int i = 0; i < runs; ++i)
        busy.insert(busy.end(), {true, false});
    EXPECT_EQ(window.busyStates, busy);
    checkReports(s);
    checkReportBook(s);
    for (const QString &name : s.present)
        EXPECT_TRUE(QFileInfo::exists(reportFolder + name)) << name.toStdString();
    for (const QString &name : s.absent)
        EXPECT_FALSE(QFileInfo::exists(reportFolder + name)) << name.toStdString();
    if (s.opened) {
        QStringList expected;
        for (const QString &name : *s.opened)
            expected.append(reportFolder + name);
        EXPECT_TEXTS(shell.opened, expected);
    }
    if (s.shown) {
        EXPECT_TEXTS(view->pairsShown, *s.shown);
        EXPECT_EQ(view->leftSingles, s.leftSingles);
    }
    if (s.after) s.after(*this, *core);
}

// Header row 1 matches itself; K2 matches k2 ignoring case and differs in C; FIG equals fig
// ignoring case; k3 is left-only and k5 right-only.
const char *const FruitBooks = R"(
book('L.xlsx', [('Data', [['编号', '名称', '数量'], ['k1', 'apple', 10], ['k2', 'pear', 20],
                          ['k3', 'plum', 30], ['k4', 'fig', 40]])])
book('R.xlsx', [('Data', [['编号', '名称', '数量'], ['k1', 'apple', 10], ['K2', 'pear', 25],
                          ['k4', 'FIG', 40], ['k5', 'kiwi', 50]])])
)";

// Two-part keys A and C; right row 1 differs in case, row 2 in case and a leading blank.
const char *const KeyCaseBooks = R"(
book('L.xlsx', [('Data', [['a', 1, 'x'], ['b', 2, 'y'], ['c', 3, 'z']])])
book('R.xlsx', [('Data', [['A', 1, 'x'], [' b', 2, 'Y'], ['c', 3, 'z']])])
)";

// B differs in value with equal comments; C differs in formula only.
const char *const FormulaBooks = R"(
def notes(wb):
    wb['Data']['B1'].comment = Comment('note', 'me')
book('L.xlsx', [('Data', [['k', 1, '=B1*2']])], notes)
book('R.xlsx', [('Data', [['k', 2, '=B1*3']])], notes)
)";

const char *const TwoRowBooks = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
book('R.xlsx', [('Data', [['k1', 1], ['k2', 3]])])
)";

const char *const TwoSheetBooks = R"(
rows = [['k%d' % r, r] for r in range(1, 201)]
book('L.xlsx', [('Data', rows), ('More', rows)])
book('R.xlsx', [('Data', rows), ('More', rows)])
)";

// Right A1:A2 is one merged cell holding " k1". Its trimmed key matches k1 (its value, not
// trimmed, differs); with merged keys resolved, right row 2 also has the key k1 and differs
// from left row 1 in A and B.
const char *const MergedKeyBooks = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 3]])])
def merge(wb):
    wb['Data'].merge_cells('A1:A2')
book('R.xlsx', [('Data', [[' k1', 1], [None, 2], ['k2', 3]])], merge)
)";

// Leading and trailing blanks are ignored; a tab, a line break or an ideographic space is part
// of the key. The right sheet's merged cell (C1:C2) sends its keys through the sheet reader, the
// left ones come from the in-memory view.
const char *const BlankKeyBooks = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2], ['k3', 3], ['k4', 4]])])
def merge(wb):
    wb['Data'].merge_cells('C1:C2')
book('R.xlsx', [('Data', [['  k1 ', 1], ['k2\t', 2], ['\u3000k3', 3], ['k4\n', 4]])], merge)
)";

// Columns E and F hold values on the left only (W): comparing all columns must not pass over
// them, whichever side is the wider one and whichever method runs.
const char *const WideBooks = R"(
book('W.xlsx', [('Data', [['k1', 1, 2, 3, 'e', 'f'], ['k2', 1, 2, 3]])])
book('N.xlsx', [('Data', [['k1', 1, 2, 3], ['k2', 1, 2, 3]])])
)";

// A key column without a single value on a side (a wrong column typed, formulas saved without
// their results) skips every row of that side as a blank key row; the run must not read as "no
// differences" without a word.
QString noKeys(const char *side, const char *keys)
{
    return u"注意：%1工作表 Data 的关键列 %2 中没有任何值，这一边的每一行都被当作关键列为空的行"
           u"跳过了，以上结果不能说明两边相同。"_s.arg(QString::fromUtf8(side),
                                                       QString::fromLatin1(keys));
}

// The notes go to the text report and, together, into one message.
Scenario withoutKeyValues(const char *name, const char *books, const char *leftKey,
                          const char *rightKey, const QStringList &notes)
{
    return {.name = name,
            .books = books,
            .sides = {.leftKey = QString::fromLatin1(leftKey),
                      .rightKey = QString::fromLatin1(rightKey)},
            .made = Text,
            .boxes = {{u"*"_s + notes.join(u"*"_s) + u"*"_s, win::vbExclamation}},
            .reports = {{.notes = notes}}};
}

Scenario keyOptions(const char *name, const char *keys, bool ignoreCase, bool trim,
                    QList<int> found)
{
    return {.name = name,
            .books = KeyCaseBooks,
            .sides = {.leftKey = QString::fromLatin1(keys), .rightKey = QString::fromLatin1(keys)},
            .ignoreCase = ignoreCase,
            .trimKeys = trim,
            .reports = {{.counts = found}}};
}

Scenario compareItems(const char *name, int items, const QStringList &table)
{
    return {.name = name,
            .books = FormulaBooks,
            .made = Text,
            .items = items,
            .reports = {{.counts = {0, 1, 1}, .endRow = 2, .table = table}}};
}

// Workbooks written by other programs (see platform/excel/tests/fixtures/README.md), .xlsx and
// .xls: each pair was made from one source, so their values compare equal row by row. (Their
// formula texts do not: each writer spells some formulas its own way.)
Scenario otherWriters(const char *name, const char *left, const char *right)
{
    const Hook copy = [left, right](CompareRun &t, ClsCompareCore &) {
        const QString fixtures = TestFiles::path(u"platform/excel/tests/fixtures/"_s);
        ASSERT_TRUE(QFile::copy(fixtures + QString::fromLatin1(left), t.file(u"left_"_s + left)));
        ASSERT_TRUE(
            QFile::copy(fixtures + QString::fromLatin1(right), t.file(u"right_"_s + right)));
    };
    const Hook equal = [](CompareRun &t, ClsCompareCore &) {
        for (const QString &sheet : {u"Data"_s, u"Strings"_s, u"Calc"_s}) {
            const QList<int> found = counts(t.report(sheet));
            SCOPED_TRACE(sheet.toStdString());
            EXPECT_EQ(found[0], 0);
            EXPECT_GT(found[1], 0);
            EXPECT_EQ(found[2], 0);
        }
    };
    return {.name = name,
            .books = nullptr,
            .sides = {.leftFile = u"left_"_s + left,
                      .rightFile = u"right_"_s + right,
                      .sheets = {u"Data"_s, u"Strings"_s, u"Calc"_s}},
            .made = Text,
            .method = ClsSessionOption::CompareRowByRow,
            .before = copy,
            .anyBoxes = true, // the .xls reader may warn about what it cannot keep
            .after = equal};
}

Scenario checkOpt(const char *name, int method, int items, bool allColumns, Sides sides,
                  const QString &prompt, const QString &title = u"输入校验"_s)
{
    return {.name = name,
            .books = FruitBooks,
            .sides = std::move(sides),
            .method = method,
            .items = items,
            .allColumns = allColumns,
            .refused = true,
            .boxes = {{prompt, win::vbCritical, title}}};
}

// Application windows that only note whether they are shown, for a run that watches when its
// report workbook appears.
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

std::vector<bool *> g_notedWindows; // outlives the applications' windows
std::vector<long> g_shownDuringRun;

long notedShown()
{
    return std::count_if(g_notedWindows.begin(), g_notedWindows.end(),
                         [](bool *shown) { return *shown; });
}

const Scenario Scenarios[] = {
    {.name = "KeyedRunWritesTheTextReportAndTheReportWorkbook",
     .books = FruitBooks,
     .made = Text | Book | Diff | LeftOnly | RightOnly | Colored,
     .reports = {{.counts = {1, 4, 1},
                  .endRow = 6,
                  .table = {Col + u"C(列)  "_s, u"左边row:3,匹配右边row:3: 20<->25"_s}}},
     .bookSheets = {u"差异的行"_s, u"左边孤立的行"_s, u"右边孤立的行"_s},
     .bookRows = {{u"差异的行"_s, {u"左|row3|k2|pear|20"_s, u"右|row3|K2|pear|25"_s}},
                  {u"左边孤立的行"_s, {u"k3|plum|30"_s}},
                  {u"右边孤立的行"_s, {u"k5|kiwi|50"_s}}},
     .opened = QStringList{u"Data.txt"_s},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             ASSERT_FALSE(t.window.visibleStates.empty());
             EXPECT_TRUE(t.window.visibleStates.front());
             EXPECT_FALSE(t.window.visibleStates.back());
             const ReadBack book = readBook(t.reportFolder + u"Data.xlsx"_s);
             EXPECT_EQ(book.color(u"差异的行"_s, u"E1"_s), u"rgb:FFFF0000"_s);
             EXPECT_EQ(book.color(u"差异的行"_s, u"E2"_s), u"rgb:FF0000FF"_s);
             EXPECT_EQ(book.color(u"差异的行"_s, u"D1"_s), QString());
             EXPECT_EQ(book.defaultRowHeight(u"差异的行"_s), 30.0);
         }},

    // Which rows match under the key options. Data texts are never trimmed: " b" matched by
    // its trimmed key still differs from "b".
    keyOptions("KeyOptionsTwoKeysIgnoringCaseTrimmed", "A,C", true, true, {0, 3, 1}),
    keyOptions("KeyOptionsTwoKeysCaseTrimmed", "A,C", false, true, {2, 1, 0}),
    keyOptions("KeyOptionsTwoKeysIgnoringCaseUntrimmed", "A,C", true, false, {1, 2, 0}),
    keyOptions("KeyOptionsTwoKeysCaseUntrimmed", "A,C", false, false, {2, 1, 0}),
    keyOptions("KeyOptionsOneKeyIgnoringCaseTrimmed", "A", true, true, {0, 3, 1}),
    keyOptions("KeyOptionsOneKeyCaseTrimmed", "A", false, true, {1, 2, 1}),

    // Both right k1 rows compare with left row 1; the blank right key row is neither counted
    // nor reported; left row 3 (a later k1) and row 2 are left-only, the blank left row not. The
    // new report workbook's other sheets keep their names.
    {.name = "DuplicateKeysMatchTheFirstLeftRowAndBlankKeysAreSkipped",
     .books = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2], ['k1', 3], [None, 4], ['k3', 5]])])
book('R.xlsx', [('Data', [['k1', 1], ['k1', 3], [None, 9], ['k3', 5]])])
)",
     .made = Text | Book | LeftOnly,
     .reports = {{.counts = {0, 3, 1},
                  .endRow = 5,
                  .table = {Col + u"B(列)"_s, u"左边row:1,匹配右边row:2: 1<->3"_s}}},
     .bookSheets = {u"左边孤立的行"_s, u"Sheet2"_s, u"Sheet3"_s},
     .bookRows = {{u"左边孤立的行"_s, {u"k2|2"_s, u"k1|3"_s}}}},

    {.name = "RowByRowLooksOneRowAheadForAnInsertedLeftRow",
     .books = R"(
book('L.xlsx', [('Data', [['x', 1], ['y', 2], ['z', 3]])])
book('R.xlsx', [('Data', [['x', 1], ['z', 30]])])
)",
     .made = Text | Book | LeftOnly | RightOnly,
     .method = ClsSessionOption::CompareRowByRow,
     .reports = {{.counts = {0, 2, 1},
                  .endRow = 3,
                  .table = {Col + u"B(列) "_s, u"左边row:3,匹配右边row:2: 3<->30"_s}}},
     .bookRows = {{u"左边孤立的行"_s, {u"y|2"_s}}, {u"右边孤立的行"_s, {}}}},

    // The right list's second column (F) lies beyond the right sheet (A..D): the pair (C, F) is
    // dropped, and D still meets D.
    {.name = "RowByRowDropsAColumnPairBeyondASheetWithoutShiftingTheOthers",
     .books = R"(
book('L.xlsx', [('Data', [['k', 1, 2, 3]])])
book('R.xlsx', [('Data', [['k', 1, 9, 4]])])
)",
     .sides = {.leftData = u"B,C,D"_s, .rightData = u"B,F,D"_s},
     .made = Text,
     .method = ClsSessionOption::CompareRowByRow,
     .allColumns = false,
     .reports = {{.counts = {0, 1, 1},
                  .endRow = 2,
                  .table = {Col + u"D(列)"_s, u"左边row:1,匹配右边row:1: 3<->4"_s}}}},

    // The text recorded for a cell is that of the last compare item that differed. A constant's
    // formula is its text, so B differs as a formula too; the equal comments compared last do
    // not replace the texts that differed.
    compareItems("ValuesAloneRecordTheValues", 1,
                 {Col + u"B(列)"_s, u"左边row:1,匹配右边row:1: 1<->2"_s}),
    compareItems(
        "FormulasRecordTheFormulaTexts", 2,
        {Col + u"B(列) C(列)        "_s, u"左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3"_s}),
    compareItems(
        "ValuesAndFormulasRecordTheFormulaTexts", 3,
        {Col + u"B(列) C(列)        "_s, u"左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3"_s}),
    compareItems(
        "EqualCommentsComparedLastReplaceNothing", 7,
        {Col + u"B(列) C(列)        "_s, u"左边row:1,匹配右边row:1: 1<->2 =B1*2<->=B1*3"_s}),

    // Comments that differ after values that differ: the comments, compared last, are recorded.
    {.name = "TheLastItemComparedIsRecordedWhenItDiffers",
     .books = R"(
def notes(text):
    def add(wb):
        wb['Data']['B1'].comment = Comment(text, 'me')
    return add
book('L.xlsx', [('Data', [['k', 1]])], notes('old note'))
book('R.xlsx', [('Data', [['k', 2]])], notes('new note'))
)",
     .made = Text,
     .items = ClsSessionOption::CompareValues | ClsSessionOption::CompareComments,
     .reports = {{.counts = {0, 1, 1},
                  .endRow = 2,
                  .table = {Col + u"B(列)              "_s,
                            u"左边row:1,匹配右边row:1: old note<->new note"_s}}}},

    withoutKeyValues("AKeyColumnWithoutValuesOnBothSidesIsReported", TwoRowBooks, "C", "C",
                     {noKeys("左边", "C"), noKeys("右边", "C")}),
    withoutKeyValues("AKeyColumnWithoutValuesOnTheRightIsReported", TwoRowBooks, "A", "C",
                     {noKeys("右边", "C")}),
    withoutKeyValues("TwoKeyColumnsWithoutValuesAreReported", TwoRowBooks, "C,D", "A,B",
                     {noKeys("左边", "C,D")}),
    withoutKeyValues("KeyFormulasSavedWithoutResultsAreReported", R"(
book('L.xlsx', [('Data', [['=B1&"x"', 1], ['=B2&"x"', 2]])])
book('R.xlsx', [('Data', [['1x', 1], ['2x', 3]])])
)",
                     "A", "A", {noKeys("左边", "A")}),
    // A side without rows has nothing to skip.
    withoutKeyValues("AKeyColumnWithoutValuesBesideAnEmptySheetIsReported", R"(
book('L.xlsx', [('Data', [['k1', 1]])])
book('R.xlsx', [('Data', [])])
)",
                     "C", "C", {noKeys("左边", "C")}),
    {.name = "KeysPresentGiveNoNote",
     .books = TwoRowBooks,
     .made = Text,
     .reports = {{.counts = {0, 2, 1}}}},

    {.name = "AUserScriptDecidesEquality",
     .books = R"(
book('L.xlsx', [('Data', [['k1', 10], ['k2', 20], ['k3', 30]])])
book('R.xlsx', [('Data', [['k1', 10.5], ['k2', 25], ['k3', 30]])])
)",
     .made = Text,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             QDir().mkpath(t.file(u"Script"_s));
             ASSERT_TRUE(TestFiles::write(t.file(u"Script/near.vbs"_s),
                                          "Function IsEqual(a, b)\r\n"
                                          "  IsEqual = Abs(CDbl(a) - CDbl(b)) < 1\r\n"
                                          "End Function\r\n"));
             t.options->setUseScript(true);
             ASSERT_TRUE(t.options->setScriptFileName(u"near.vbs"_s));
         },
     .reports = {{.counts = {0, 3, 1},
                  .endRow = 4,
                  .table = {Col + u"B(列)  "_s, u"左边row:2,匹配右边row:2: 20<->25"_s}}}},

    // The host's message, then the run's; nothing is compared or written.
    {.name = "AMissingScriptStopsTheRun",
     .books = TwoRowBooks,
     .made = Text,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             t.options->setUseScript(true);
             ASSERT_TRUE(t.options->setScriptFileName(u"missing.vbs"_s));
         },
     .boxes = {{u"AddCode::err=53,*"_s, win::vbCritical}, {u"添加脚本时出错"_s, win::vbCritical}},
     .absent = {u"Data.txt"_s}},

    // The cancelled pair stops at the row being handled and still writes what it found, marked
    // as cancelled; the next pair is not compared.
    {.name = "CancelStopsTheRun",
     .books = TwoSheetBooks,
     .sides = {.sheets = {u"Data"_s, u"More"_s}},
     .before = [](CompareRun &t, ClsCompareCore &) { t.window.cancelAtPercent = 50; },
     .absent = {u"More.txt"_s},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             const QStringList lines = t.report();
             ASSERT_FALSE(lines.isEmpty());
             EXPECT_EQ(lines.last(), u"比较已被取消：以上结果只包括取消之前比较过的行"_s);
             const QList<int> found = counts(lines);
             EXPECT_EQ(found[0], 0);
             EXPECT_GT(found[1], 0);
             EXPECT_LT(found[1], 200);
             EXPECT_TRUE(lines.contains(u"开始行：1，结束行：%1"_s.arg(found[1] + 1)));
         }},
    {.name = "ARunAfterACancelStartsAfresh",
     .books = TwoSheetBooks,
     .sides = {.sheets = {u"Data"_s, u"More"_s}},
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             t.window.cancelAtPercent = 50;
             auto first = t.newCore(t.GetParam().sides);
             ASSERT_TRUE(t.run(*first));
             ASSERT_TRUE(ModCompare::IsCancelCompare());
             t.window.cancelAtPercent = -1;
         },
     .reports = {{.counts = {0, 200, 0}, .endRow = 201},
                 {.sheet = u"More"_s, .counts = {0, 200, 0}, .endRow = 201}}},

    {.name = "AFailingPairIsReportedAndTheOthersAreCompared",
     .books = R"(
book('L.xlsx', [('S1', [['a', 1]]), ('S3', [['c', 3]])])
book('R.xlsx', [('S1', [['a', 1]]), ('S3', [['c', 3]])])
)",
     .sides = {.sheets = {u"S1"_s, u"Gone"_s, u"S3"_s}},
     .boxes = {{u"比较工作表 Gone 和 Gone 时出错：*没有工作表 Gone*"_s, win::vbCritical}},
     .present = {u"S1.txt"_s, u"S3.txt"_s}},

    // Row by row, the data column E lies beyond S2's right sheet: the run stops there.
    {.name = "APairWithoutDataColumnsEndsTheRun",
     .books = R"(
wide = [['a', 1, 2, 3, 4]]
book('L.xlsx', [('S1', wide), ('S2', wide), ('S3', wide)])
book('R.xlsx', [('S1', wide), ('S2', [['a', 1]]), ('S3', wide)])
)",
     .sides = {.sheets = {u"S1"_s, u"S2"_s, u"S3"_s}, .leftData = u"E"_s, .rightData = u"E"_s},
     .method = ClsSessionOption::CompareRowByRow,
     .allColumns = false,
     .boxes = {{u"数据列超出工作表的范围"_s, win::vbCritical}},
     .present = {u"S1.txt"_s},
     .absent = {u"S3.txt"_s}},

    {.name = "ChineseTextsWidenTheirColumnsByTwoBytesACharacter",
     .books = R"(
book('L.xlsx', [('Data', [['k1', '苹果', 1], ['k2', '梨', 1]])])
book('R.xlsx', [('Data', [['k1', '香蕉', 1], ['k2', '梨', 2]])])
)",
     .made = Text,
     .reports = {{.counts = {0, 2, 2},
                  .endRow = 3,
                  .table = {Col + u"B(列)       C(列)"_s,
                            u"左边row:1,匹配右边row:1: 苹果<->香蕉      "_s,
                            u"左边row:2,匹配右边row:2:             1<->2"_s}}}},

    // CheckOpt refuses options that cannot give a result.
    checkOpt("CheckOptRefusesNoCompareItem", 2, 0, true, {}, u"请选择一种比较项"_s, u"Quorva"_s),
    checkOpt("CheckOptRefusesUnequalKeyCounts", 2, 1, true,
             {.leftKey = u"A,B"_s, .rightKey = u"C"_s}, u"C和A,B关键列数不等！"_s),
    checkOpt("CheckOptRefusesNoKeys", 2, 1, true, {.leftKey = {}, .rightKey = {}},
             u"没有指定关键列！按关键列比较时，左右两边都要输入关键列。"_s),
    checkOpt("CheckOptRefusesUnequalDataCounts", 2, 1, false,
             {.leftData = u"B"_s, .rightData = u"B,C"_s}, u"B,C和B数据列数不等！"_s),
    checkOpt("CheckOptRefusesNoDataColumns", 1, 1, false, {.leftKey = {}, .rightKey = {}},
             u"没有指定数据列！请在左右两边输入数据列，或者选择比较所有列。"_s),
    {.name = "RowByRowNeedsNoKeys",
     .books = FruitBooks,
     .sides = {.leftKey = {}, .rightKey = {}},
     .method = ClsSessionOption::CompareRowByRow,
     .reports = {{.counts = {1, 4, 1}}}},

    // The left workbook is named after its sheet and lies in the report folder.
    {.name = "AReportNeverReplacesAComparedWorkbook",
     .books = R"(
import os
os.makedirs(folder + '/report')
book('report/Data.xlsx', [('Data', [['k1', 1]])])
book('R.xlsx', [('Data', [['k1', 2]])])
)",
     .sides = {.leftFile = u"report/Data.xlsx"_s},
     .made = Book | Diff,
     .before = [](CompareRun &t,
                  ClsCompareCore &) { t.kept = TestFiles::read(t.reportFolder + u"Data.xlsx"_s); },
     .boxes = {{u"*就是正在比较的工作簿*"_s, win::vbCritical}},
     .absent = {u"Data.txt"_s},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             EXPECT_EQ(TestFiles::read(t.reportFolder + u"Data.xlsx"_s), t.kept);
         }},

    // The left-only rows are known to the view although no report workbook is made. Both sides
    // show their applications, then give them back: workbooks closed, hidden.
    {.name = "DetailRunShowsEachPairAndMakesNoReportWorkbook",
     .books = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]]), ('More', [['a', 1]])])
book('R.xlsx', [('Data', [['k1', 1]]), ('More', [['a', 2]])])
)",
     .sides = {.sheets = {u"Data"_s, u"More"_s}},
     .made = Text | Book | Diff | LeftOnly,
     .detail = true,
     .present = {u"Data.txt"_s},
     .absent = {u"Data.xlsx"_s},
     .opened = QStringList{},
     .shown = QStringList{u"Data->Data"_s, u"More->More"_s},
     .leftSingles = {{2}, {}},
     .after =
         [](CompareRun &, ClsCompareCore &core) {
             core.ShowWnd(true);
             EXPECT_TRUE(core.m_leftObj->GetExcelApp()->Visible());
             EXPECT_TRUE(core.m_rightObj->GetExcelApp()->Visible());
             core.ExcelWndUnloaded();
             EXPECT_FALSE(core.m_leftObj->GetExcelApp()->Visible());
             EXPECT_EQ(core.m_rightObj->GetDoc(), nullptr);
         }},

    // Empty names are given their defaults, in the options too.
    {.name = "ReportSheetNamesDefault",
     .books = FruitBooks,
     .made = Book | Diff | LeftOnly | RightOnly,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             t.options->setDiffSheetName(QString());
             t.options->setLeftSingleSheetName(QString());
             t.options->setRightSingleSheetName(QString());
         },
     .bookSheets = {u"diff"_s, u"LeftSingle"_s, u"RightSingle"_s},
     .bookRows = {{u"LeftSingle"_s, {u"k3|plum|30"_s}}, {u"RightSingle"_s, {u"k5|kiwi|50"_s}}},
     .opened = QStringList{}, // no text report asked for
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             EXPECT_EQ(t.options->DiffSheetName(), u"diff"_s);
             EXPECT_EQ(t.options->RightSingleSheetName(), u"RightSingle"_s);
         }},
    {.name = "ReportSheetNamesStayDistinct",
     .books = FruitBooks,
     .made = Book | Diff | LeftOnly | RightOnly,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             t.options->setDiffSheetName(u"X"_s);
             t.options->setLeftSingleSheetName(u"x"_s);
             t.options->setRightSingleSheetName(u"X"_s);
         },
     .bookSheets = {u"X"_s, u"x_1"_s, u"X_2"_s},
     .bookRows = {{u"x_1"_s, {u"k3|plum|30"_s}}, {u"X_2"_s, {u"k5|kiwi|50"_s}}},
     .opened = QStringList{}},

    {.name = "MergedKeyCellsAreReadAsTheyStandByDefault",
     .books = MergedKeyBooks,
     .reports = {{.counts = {0, 2, 1}}}},
    {.name = "MergedKeyCellsAreReadThroughTheirAreaWhenAskedFor",
     .books = MergedKeyBooks,
     .dealMerge = true,
     .reports = {{.counts = {0, 3, 2}}}},

    // The report folder is a file: the text report cannot be made, nothing is compared.
    {.name = "AReportFolderThatCannotBeMadeIsReported",
     .books = FruitBooks,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             ASSERT_TRUE(TestFiles::write(t.file(u"blocked"_s), "x"));
             t.options->setReportPath(t.file(u"blocked"_s));
         },
     .boxes =
         {{u"Can't Create log file {dir}blocked/Data.txt\n{dir}blocked 是文件，不是文件夹，报告目录无法建立。"_s,
           win::vbCritical,
           {}}}},
    // A folder stands where the report workbook goes: the save fails with a message, the old
    // content stays, and the text report is written all the same.
    {.name = "AReportWorkbookThatCannotBeSavedIsReported",
     .books = FruitBooks,
     .made = Book | Diff,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             ASSERT_TRUE(QDir().mkpath(t.reportFolder + u"Data.xlsx"_s));
         },
     .boxes = {{u"保存报告工作簿 {report}Data.xlsx 时出错：*"_s, win::vbExclamation}},
     .reports = {{.counts = {1, 4, 1}}},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             EXPECT_TRUE(QFileInfo(t.reportFolder + u"Data.xlsx"_s).isDir());
         }},

    otherWriters("LibreOfficeAndGnumericCompareAlike", "libreoffice.xlsx", "gnumeric.xlsx"),
    otherWriters("LibreOfficeXlsAndXlsxCompareAlike", "libreoffice.xls", "libreoffice.xlsx"),
    otherWriters("GnumericXlsAndXlsxCompareAlike", "gnumeric.xls", "gnumeric.xlsx"),

    // A date and its serial number read differently; a number in another format, a Boolean
    // against the text True and a number against its text read alike.
    {.name = "CellsCompareByTheTextsTheyRead",
     .books = R"(
import datetime
def fmt(wb):
    wb['Data']['B2'].number_format = '0.00'
book('L.xlsx', [('Data', [['k1', datetime.date(2023, 3, 15)], ['k2', 1.5], ['k3', True],
                          ['k4', '1.5']])])
book('R.xlsx', [('Data', [['k1', 45000], ['k2', 1.5], ['k3', 'True'], ['k4', 1.5]])], fmt)
)",
     .made = Text,
     .reports = {{.counts = {0, 4, 1},
                  .endRow = 5,
                  .table = {Col + u"B(列)"_s + QString(13, QLatin1Char(' ')),
                            u"左边row:1,匹配右边row:1: 2023-03-15<->45000"_s}}}},

    // Closed half-way through the first pair (as when its window is closed meanwhile); the next
    // pair opens the workbook again.
    {.name = "AWorkbookClosedDuringThePairFailsThatPairOnly",
     .books = R"(
rows = [['k%d' % r, r] for r in range(1, 101)]
book('L.xlsx', [('Data', rows), ('More', rows)])
book('R.xlsx', [('Data', rows), ('More', rows)])
)",
     .sides = {.sheets = {u"Data"_s, u"More"_s}},
     .before =
         [](CompareRun &t, ClsCompareCore &core) {
             t.window.onValue = [&core, closed = false](int percent) mutable {
                 if (percent < 50 || closed) return;
                 closed = true;
                 core.m_leftObj->CloseDoc();
             };
         },
     .boxes = {{u"比较工作表 Data 和 Data 时出错：*462*"_s, win::vbCritical}},
     .reports = {{.sheet = u"More"_s, .counts = {0, 100, 0}, .endRow = 101}}},

    // Row 1 differs in C and in column AAC (705), row 2 in KN (300) only. The reader warns that
    // comparisons cover columns A to IV: only C is compared and reported, and every row counted
    // as differing is printed.
    {.name = "ColumnsBeyondIVAreLeftOutAsTheReaderSays",
     .books = R"(
l = [['k1'] + list(range(2, 711)), ['k2'] + list(range(2, 711))]
r = [list(row) for row in l]
r[0][2] = 'x'
r[0][704] = 'y'
r[1][299] = 'z'
book('L.xlsx', [('Data', l)])
book('R.xlsx', [('Data', r)])
)",
     .made = Text,
     .anyBoxes = true, // the reader's warning about the columns beyond IV
     .reports = {{.counts = {0, 2, 1},
                  .endRow = 3,
                  .table = {Col + u"C(列)"_s, u"左边row:1,匹配右边row:1: 3<->x"_s}}}},

    // Spreadsheet programs refuse "/" in sheet names, but a file can hold one: here the sheet
    // "../victim", which must not make the run delete or replace ../victim.txt beside the report
    // folder. The reports stay in the report folder, "/" written as "_".
    {.name = "ASheetNameNeverLeadsAReportOutOfItsFolder",
     .books = R"(
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
open(folder + '/victim.txt', 'w').write('keep me')
open(folder + '/victim.xlsx', 'w').write('keep me too')
)",
     .sides = {.sheets = {u"../victim"_s}},
     .made = Text | Book | Diff,
     .reports = {{.sheet = u"_._victim"_s, .counts = {0, 2, 1}, .lines = {u"工作表：../victim"_s}}},
     .present = {u"_._victim.xlsx"_s},
     .opened = QStringList{u"_._victim.txt"_s},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             EXPECT_EQ(TestFiles::read(t.file(u"victim.txt"_s)), QByteArray("keep me"));
             EXPECT_EQ(TestFiles::read(t.file(u"victim.xlsx"_s)), QByteArray("keep me too"));
         }},

    {.name = "TrimmingKeysRemovesBlanksOnly",
     .books = BlankKeyBooks,
     .sides = {.leftKey = u"A,C"_s, .rightKey = u"A,C"_s, .leftData = u"B"_s, .rightData = u"B"_s},
     .allColumns = false,
     .reports = {{.counts = {3, 1, 0}}}},
    {.name = "TrimmingMergedKeysRemovesBlanksOnly",
     .books = BlankKeyBooks,
     .sides = {.leftKey = u"A,C"_s, .rightKey = u"A,C"_s, .leftData = u"B"_s, .rightData = u"B"_s},
     .dealMerge = true,
     .allColumns = false,
     .reports = {{.counts = {3, 1, 0}}}},

    // No compare item is allowed in a detail run: nothing is compared or written, and the view
    // still gets each pair, with empty results rather than none.
    {.name = "ADetailRunWithoutCompareItemsShowsThePairsUncompared",
     .books = FruitBooks,
     .made = Text,
     .items = 0,
     .detail = true,
     .absent = {u"Data.txt"_s},
     .shown = QStringList{u"Data->Data"_s},
     .leftSingles = {{}}},

    {.name = "AllColumnsReachTheWiderLeftSheet",
     .books = WideBooks,
     .sides = {.leftFile = u"W.xlsx"_s, .rightFile = u"N.xlsx"_s},
     .made = Text,
     .reports = {{.counts = {0, 2, 1}, .lines = {u"左边row:1,匹配右边row:1: e<-> f<->"_s}}}},
    {.name = "AllColumnsReachTheWiderRightSheet",
     .books = WideBooks,
     .sides = {.leftFile = u"N.xlsx"_s, .rightFile = u"W.xlsx"_s},
     .made = Text,
     .reports = {{.counts = {0, 2, 1}, .lines = {u"左边row:1,匹配右边row:1: <->e <->f"_s}}}},
    {.name = "AllColumnsReachTheWiderSheetRowByRow",
     .books = WideBooks,
     .sides = {.leftFile = u"W.xlsx"_s, .rightFile = u"N.xlsx"_s},
     .made = Text,
     .method = ClsSessionOption::CompareRowByRow,
     .reports = {{.counts = {0, 2, 1}, .lines = {u"左边row:1,匹配右边row:1: e<-> f<->"_s}}}},

    // A session keeps its workbooks open between runs; one that another program wrote since (the
    // user mended a value and compares again) is read anew, not compared as it was.
    {.name = "ASecondRunReadsAWorkbookThatChangedOnDisk",
     .books = R"(
book('L.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
book('R.xlsx', [('Data', [['k1', 1], ['k2', 2]])])
)",
     .before =
         [](CompareRun &t, ClsCompareCore &core) {
             ASSERT_TRUE(t.run(core));
             EXPECT_EQ(counts(t.report()), (QList<int>{0, 2, 0}));
             t.makeBooks("book('R.xlsx', [('Data', [['k1', 1], ['k2', 20]])])\n");
         },
     .reports = {{.counts = {0, 2, 1}}}},
    // A report window on the screen while the run fills it could be saved half-built; a text
    // report nothing on the desktop opens is named in the main window's status, without a
    // message box that would hold up an unattended run.
    {.name = "TheReportWorkbookShowsWhenWholeAndAReportNothingOpensIsNamed",
     .books = FruitBooks,
     .made = Text | Book | Diff,
     .before =
         [](CompareRun &t, ClsCompareCore &) {
             g_notedWindows.clear();
             g_shownDuringRun.clear();
             excel::WindowView::setFactory([](std::shared_ptr<excel::Application>) {
                 return std::make_unique<NotedWindow>(g_notedWindows);
             });
             t.window.onValue = [](int) { g_shownDuringRun.push_back(notedShown()); };
             t.shell.refuse = true;
         },
     .present = {u"Data.xlsx"_s},
     .opened = QStringList{u"Data.txt"_s},
     .after =
         [](CompareRun &t, ClsCompareCore &) {
             excel::WindowView::setFactory(nullptr);
             EXPECT_FALSE(g_shownDuringRun.empty());
             EXPECT_EQ(std::count(g_shownDuringRun.begin(), g_shownDuringRun.end(), 0L),
                       long(g_shownDuringRun.size()));
             EXPECT_EQ(notedShown(), 1); // the whole report
             ASSERT_EQ(t.window.statusTexts.size(), 1);
             EXPECT_TRUE(t.window.statusTexts.front().contains(t.reportFolder + u"Data.txt"_s));
         }},
};

// A sheet's name, whatever it holds, gives one plain, visible entry of the report folder.
TEST(ClsComparePair, ReportNamesAreOnePlainEntryOfTheReportFolder)
{
    const QString long300 = QString(300, QChar(0x6587));                      // 900 bytes of UTF-8
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(60); // 240 bytes
    const std::pair<QString, QString> cases[] = {
        {u"订单"_s, u"订单"_s},
        {u"a/b"_s, u"a_b"_s},
        {u"../../etc/x"_s, u"_._.._etc_x"_s},
        {u".."_s, u"_."_s},
        {u".hidden"_s, u"_hidden"_s},
        {u"a\nb\tc\x1b"_s, u"a_b_c_"_s},
        {u"x"_s + QChar(0) + u"y"_s, u"x_y"_s},
        {QString(), u"_"_s},
    };
    for (const auto &[sheet, file] : cases)
        EXPECT_EQ(ClsComparePair::reportBaseName(sheet), file) << sheet.toStdString();
    for (const QString &sheet : {long300, emoji}) {
        const QString name = ClsComparePair::reportBaseName(sheet);
        EXPECT_LE(name.toUtf8().size(), 200);
        EXPECT_GE(name.toUtf8().size(), 190);
        EXPECT_TRUE(sheet.startsWith(name));
        EXPECT_FALSE(name.back().isHighSurrogate());
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CompareRun, testing::ValuesIn(Scenarios),
                         [](const testing::TestParamInfo<Scenario> &info) {
                             return std::string(info.param.name);
                         });

} // namespace
