#include "engine/TSingleSideConfig.h"
#include "engine/ClsSessionOption.h"
#include "engine/tests/FakeSheetList.h"
#include "engine/tests/SessionWorkbooks.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SideTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QString error;
        s_made = SessionWorkbooks::make(s_dir->path(), &error);
        if (!s_made)
            ADD_FAILURE() << "openpyxl could not write the test workbooks: " << qPrintable(error);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_made); }

    static QString file(const char *name) { return s_dir->filePath(QString::fromLatin1(name)); }
    static std::shared_ptr<excel::Worksheet> sheet(TSingleSideConfig &side, const char *name)
    {
        return side.GetDoc()->Worksheets()->Item(QString::fromLatin1(name));
    }
    // Opens a side on a file with the key list given and all columns compared.
    static void open(TSingleSideConfig &side, const char *fileName, const char *keys = "A")
    {
        ClsSessionOption options;
        side.setFileName(file(fileName));
        side.setKeyCol(QString::fromLatin1(keys));
        ASSERT_TRUE(side.CheckOpt(options));
        ASSERT_TRUE(side.GetDoc());
    }

    static QTemporaryDir *s_dir;
    static bool s_made;
    FakeMessageBox m_boxes;
};

QTemporaryDir *SideTest::s_dir = nullptr;
bool SideTest::s_made = false;

} // namespace

TEST(TSingleSideConfig, StartRowAndFreshMaps)
{
    TSingleSideConfig side;
    const int rows[][2] = {{0, 1}, {-5, 1}, {1, 1}, {7, 7}};
    for (const auto &r : rows) {
        side.setStartRow(r[0]);
        EXPECT_EQ(side.StartRow(), r[1]) << r[0];
    }
    QList<int> columns{9};
    EXPECT_EQ(side.GetKeyColArray(columns), -1);
    EXPECT_TRUE(columns.isEmpty());
    EXPECT_EQ(side.GetDataColCount(), 0);
    EXPECT_FALSE(side.GetExcelApp());
}

TEST_F(SideTest, CheckOptMessagesAndMaps)
{
    struct Case
    {
        const char *keys, *data;
        bool allColumns;
        const char *fileName;
        bool ok;
        const char *prompt, *title;
    };
    const Case cases[] = {
        {"A,A", "B", false, "keys.xlsx", false, "A,A列有重复！", "输入参数合法性检查"},
        {"A", "B,B", false, "keys.xlsx", false, "B,B列有重复！", "输入参数合法性检查"},
        {"A", "B,,C", true, "keys.xlsx", true, "", ""},
        {"A", "", true, "missing.xlsx", false, "missing", "输入有效性检查"},
        {"A-C", "D", false, "keys.xlsx", true, "", ""},
    };
    for (const Case &c : cases) {
        TSingleSideConfig side;
        ClsSessionOption options;
        options.setCompareAllCol(c.allColumns);
        side.setFileName(file(c.fileName));
        side.setKeyCol(QString::fromUtf8(c.keys));
        side.setDataCol(QString::fromUtf8(c.data));
        if (!c.ok) m_boxes.expect(win::vbOK);
        EXPECT_EQ(side.CheckOpt(options), c.ok) << c.keys << " " << c.data;
        if (c.ok) {
            EXPECT_TRUE(m_boxes.shown().empty());
            EXPECT_TRUE(side.GetDoc());
        } else {
            ASSERT_EQ(m_boxes.shown().size(), 1u) << c.keys;
            const auto &box = m_boxes.shown().front();
            if (QString::fromUtf8(c.prompt) == QLatin1String("missing"))
                EXPECT_EQ(box.prompt,
                          QStringLiteral("文件 ") + file(c.fileName) + QStringLiteral(" 不存在！"));
            else
                EXPECT_EQ(box.prompt, QString::fromUtf8(c.prompt));
            EXPECT_EQ(box.style, 16);
            EXPECT_EQ(box.title, QString::fromUtf8(c.title));
        }
        m_boxes.clear();
    }

    TSingleSideConfig side;
    ClsSessionOption options;
    options.setCompareAllCol(false);
    side.setFileName(file("keys.xlsx"));
    side.setKeyCol(QStringLiteral("C,a"));
    side.setDataCol(QStringLiteral("B-D"));
    ASSERT_TRUE(side.CheckOpt(options));
    QList<int> columns;
    EXPECT_EQ(side.GetKeyColArray(columns), 1);
    EXPECT_EQ(columns, (QList<int>{3, 1}));
    EXPECT_EQ(side.GetDataColArray(columns), 2);
    EXPECT_EQ(columns, (QList<int>{2, 3, 4}));
    EXPECT_EQ(side.GetDataColCount(), 3);
}

TEST_F(SideTest, AllColumnsAreRebuiltForEachPair)
{
    TSingleSideConfig side;
    open(side, "keys.xlsx");
    side.InitAllDataCol(5);
    EXPECT_EQ(side.GetDataColCount(), 5);
    side.InitAllDataCol(3); // a narrower pair after a wider one
    QList<int> columns;
    EXPECT_EQ(side.GetDataColArray(columns), 2);
    EXPECT_EQ(columns, (QList<int>{1, 2, 3}));
}

TEST_F(SideTest, EndRowLimitsAndUsedRangeBelowTheTop)
{
    TSingleSideConfig side;
    open(side, "tall.xlsx");
    side.setStartRow(3);
    EXPECT_EQ(side.GetEndRow(sheet(side, "Short")), 103);
    EXPECT_EQ(side.GetEndRow(sheet(side, "Tall")), 65536);
    side.setStartRow(65536);
    EXPECT_EQ(side.GetEndRow(sheet(side, "Short")), 65536);

    TSingleSideConfig keys;
    open(keys, "keys.xlsx");
    keys.setStartRow(1);
    // Rows 10..30 are used: StartRow + 21 rows would stop at 22.
    EXPECT_EQ(keys.GetEndRow(sheet(keys, "Lower")), 30);
}

TEST_F(SideTest, MergedKeyCells)
{
    TSingleSideConfig side;
    open(side, "keys.xlsx", "A");
    side.setStartRow(2);
    EXPECT_TRUE(side.IsHasMerge(sheet(side, "Merged")));
    EXPECT_FALSE(side.IsHasMerge(sheet(side, "Dup")));
    EXPECT_TRUE(side.IsHasMerge(sheet(side, "Lower")));
    side.setStartRow(12);
    EXPECT_FALSE(side.IsHasMerge(sheet(side, "Lower")));

    TSingleSideConfig other;
    open(other, "keys.xlsx", "B,A");
    other.setStartRow(9);
    EXPECT_FALSE(other.IsHasMerge(sheet(other, "Merged")));
    other.setStartRow(8);
    EXPECT_TRUE(other.IsHasMerge(sheet(other, "Merged")));
}

TEST_F(SideTest, ShowOneSheetAndSaveKeepExactVisibility)
{
    const QString path = s_dir->filePath(QStringLiteral("vis-copy.xlsx"));
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(file("vis.xlsx"), path));
    TSingleSideConfig side;
    ClsSessionOption options;
    side.setFileName(path);
    ASSERT_TRUE(side.CheckOpt(options));
    const char *names[] = {"One", "Two", "Three", "Four"};
    auto states = [&] {
        QList<int> out;
        for (const char *name : names)
            out.append(sheet(side, name)->Visible());
        return out;
    };
    const QList<int> original{-1, 0, 2, -1};
    ASSERT_EQ(states(), original);

    side.RecordVisibleSheets();
    side.ShowOneSheet(QStringLiteral("Four"));
    EXPECT_EQ(states()[0], 0);
    EXPECT_EQ(states()[3], -1);
    side.OnBeforeSave();
    EXPECT_EQ(states(), original);
    side.ShowOneSheet(QStringLiteral("Four"));
    EXPECT_EQ(states()[0], 0);
    EXPECT_EQ(states()[3], -1);

    side.OnBeforeSave();
    side.GetDoc()->Save();
    side.ShowOneSheet(QStringLiteral("Four"));
    side.CloseExcelAll();
    EXPECT_FALSE(side.GetDoc());
    EXPECT_FALSE(side.GetExcelApp());

    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral("import sys, openpyxl\n"
                                                  "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                                  "print(','.join(s.sheet_state for s in "
                                                  "wb.worksheets))\n"),
                                   {path}, &out),
              0)
        << qPrintable(out);
    EXPECT_EQ(out.trimmed(), QStringLiteral("visible,hidden,veryHidden,visible"));
}

TEST_F(SideTest, SheetListsForTheSessionWindow)
{
    TSingleSideConfig side;
    FakeSheetList list({QStringLiteral("stale")});
    side.setFileName(file("nothere.xlsx"));
    side.RefreshWorkSheet2ListView(list);
    EXPECT_EQ(list.count(), 0); // and no message

    side.setFileName(file("keys.xlsx"));
    side.RefreshWorkSheet2ListView(list);
    EXPECT_EQ(list.items(), (QStringList{QStringLiteral("Blank"), QStringLiteral("Merged"),
                                         QStringLiteral("Lower"), QStringLiteral("Dup"),
                                         QStringLiteral("Multi")}));
    EXPECT_EQ(list.current(), 1);
    EXPECT_EQ(list.selectedIndexes(), (QList<int>{1}));

    struct Case
    {
        const char *kept;
        int defaultIndex;
        const char *shown;
    };
    const Case cases[] = {
        {"Dup", 0, "Dup"}, {"", 2, "Lower"}, {"", 99, "Blank"}, {"", -1, "Blank"}};
    for (const Case &c : cases) {
        FakeSheetCombo combo;
        combo.setText(QString::fromLatin1(c.kept));
        side.RefreshWorkSheet(combo, c.defaultIndex);
        EXPECT_EQ(combo.count(), 5);
        EXPECT_EQ(combo.text(), QString::fromLatin1(c.shown)) << c.kept << c.defaultIndex;
    }
    FakeSheetCombo empty;
    side.setFileName(file("nothere.xlsx"));
    side.RefreshWorkSheet(empty, 0);
    EXPECT_EQ(empty.count(), 0);
}

TEST_F(SideTest, ReOpenDocReadsTheFileAgain)
{
    TSingleSideConfig side;
    open(side, "keys.xlsx");
    sheet(side, "Dup")->Cells(1, 1).setValue(com::Variant(QStringLiteral("changed")));
    side.ReOpenDoc();
    ASSERT_TRUE(side.GetDoc());
    EXPECT_EQ(sheet(side, "Dup")->Cells(1, 1).Value().toText(), QStringLiteral("x"));
}
