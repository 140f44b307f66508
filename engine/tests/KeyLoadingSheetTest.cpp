#include "core/ClsArrayMap.h"
#include "core/ClsMap.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "engine/tests/SessionWorkbooks.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "tests/support/FakeMessageBox.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class KeyLoadingSheet : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        QString error;
        if (!SessionWorkbooks::make(s_dir->path(), &error))
            ADD_FAILURE() << "openpyxl could not write the test workbooks: " << qPrintable(error);
        s_side = new TSingleSideConfig;
        ClsSessionOption options;
        s_side->setFileName(s_dir->filePath(QStringLiteral("keys.xlsx")));
        s_side->setKeyCol(QStringLiteral("A"));
        if (!s_side->CheckOpt(options)) ADD_FAILURE() << "keys.xlsx did not open";
    }
    static void TearDownTestSuite()
    {
        delete s_side;
        delete s_dir;
    }
    void SetUp() override { ASSERT_TRUE(s_side->GetDoc()); }

    static std::shared_ptr<excel::Worksheet> sheet(const char *name)
    {
        return s_side->GetDoc()->Worksheets()->Item(QString::fromLatin1(name));
    }
    // Loads a sheet's keys the way the comparison does: from the start row over the used
    // range's row count.
    static void load(const char *name, const char *keys, int startRow, int mode, bool merge,
                     bool trim, ClsArrayMap &map)
    {
        ClsMap columns;
        ASSERT_TRUE(
            ModCompare::ParseColumnList(QString::fromLatin1(keys), QStringLiteral(","), columns));
        map.setCompareMode(mode);
        int first = startRow;
        int count = sheet(name)->UsedRange().Rows().Count();
        ModCompare::LoadKeyRowsFromSheet(sheet(name), first, count, columns, map, merge, trim);
    }
    static QString rowOf(ClsArrayMap &map, const QStringList &key)
    {
        return map.Exists(key) ? map.GetValue(key) : QStringLiteral("-");
    }

    static QTemporaryDir *s_dir;
    static TSingleSideConfig *s_side;
    FakeMessageBox m_boxes;
};

QTemporaryDir *KeyLoadingSheet::s_dir = nullptr;
TSingleSideConfig *KeyLoadingSheet::s_side = nullptr;

} // namespace

TEST_F(KeyLoadingSheet, BlankKeyRowsDoNotEndTheLoadEarly)
{
    for (bool merge : {false, true}) {
        ClsArrayMap map;
        load("Blank", "A", 2, 1, merge, true, map);
        for (int i = 1; i <= 12; ++i)
            EXPECT_EQ(rowOf(map, {QStringLiteral("k%1").arg(i)}), QString::number(2 * i)) << i;
        EXPECT_EQ(rowOf(map, {QStringLiteral("late")}), QStringLiteral("37"));
        EXPECT_EQ(rowOf(map, {QStringLiteral("42")}), QStringLiteral("38"));
        EXPECT_EQ(rowOf(map, {QString()}), QStringLiteral("3"));
    }
}

TEST_F(KeyLoadingSheet, MergedKeyCellsAndTrimOnBothPaths)
{
    struct Case
    {
        bool merge, trim;
        const char *m1, *m2, *paddedM2, *blank, *m4;
    };
    const Case cases[] = {
        {true, true, "2", "5", "-", "9", "7"},
        {true, false, "2", "-", "5", "9", "7"},
        {false, true, "2", "5", "-", "3", "7"},
        {false, false, "2", "-", "5", "3", "7"},
    };
    // The load runs from the start row over the used range's row count, so rows 9 and 10
    // (below the data) give the blank key when no merged row has given it before.
    for (const Case &c : cases) {
        ClsArrayMap map;
        load("Merged", "A", 2, 1, c.merge, c.trim, map);
        EXPECT_EQ(rowOf(map, {QStringLiteral("M1")}), QString::fromLatin1(c.m1));
        EXPECT_EQ(rowOf(map, {QStringLiteral("M2")}), QString::fromLatin1(c.m2));
        EXPECT_EQ(rowOf(map, {QStringLiteral(" M2")}), QString::fromLatin1(c.paddedM2));
        EXPECT_EQ(rowOf(map, {QString()}), QString::fromLatin1(c.blank));
        EXPECT_EQ(rowOf(map, {QStringLiteral("M4")}), QString::fromLatin1(c.m4));
    }

    QStringList row;
    ModCompare::ReadSheetRowCells(sheet("Merged"), 4, {2, 1}, row, true, true);
    EXPECT_EQ(row, (QStringList{QStringLiteral("4"), QStringLiteral("M1")}));
    ModCompare::ReadSheetRowCells(sheet("Merged"), 5, {1}, row, false, false);
    EXPECT_EQ(row, (QStringList{QStringLiteral(" M2")}));
}

TEST_F(KeyLoadingSheet, LoadsToTheLastUsedRow)
{
    ClsArrayMap map;
    load("Lower", "A", 1, 1, true, true, map);
    EXPECT_EQ(rowOf(map, {QStringLiteral("L10")}), QStringLiteral("10"));
    EXPECT_EQ(rowOf(map, {QStringLiteral("L29")}), QStringLiteral("29"));
    EXPECT_EQ(rowOf(map, {QStringLiteral("L30")}), QStringLiteral("30"));
}

TEST_F(KeyLoadingSheet, DuplicatesKeepTheFirstRowInTextAndBinaryModes)
{
    ClsArrayMap text;
    load("Dup", "A", 1, 1, false, true, text);
    EXPECT_EQ(rowOf(text, {QStringLiteral("x")}), QStringLiteral("1"));
    EXPECT_EQ(rowOf(text, {QStringLiteral("X")}), QStringLiteral("1"));
    EXPECT_EQ(rowOf(text, {QStringLiteral("Y")}), QStringLiteral("2"));

    ClsArrayMap binary;
    load("Dup", "A", 1, 0, false, true, binary);
    EXPECT_EQ(rowOf(binary, {QStringLiteral("x")}), QStringLiteral("1"));
    EXPECT_EQ(rowOf(binary, {QStringLiteral("X")}), QStringLiteral("4"));
    EXPECT_EQ(rowOf(binary, {QStringLiteral("Y")}), QStringLiteral("5"));

    const QString one = QStringLiteral("1"), two = QStringLiteral("2");
    ClsArrayMap multiText;
    load("Multi", "A,C", 1, 1, false, true, multiText);
    EXPECT_EQ(rowOf(multiText, {QStringLiteral("a"), one}), QStringLiteral("1"));
    EXPECT_EQ(rowOf(multiText, {QStringLiteral("A"), two}), QStringLiteral("2"));
    EXPECT_EQ(rowOf(multiText, {QStringLiteral("b"), one}), QStringLiteral("3"));
    EXPECT_EQ(rowOf(multiText, {QStringLiteral("b"), two}), QStringLiteral("-"));

    ClsArrayMap multiBinary;
    load("Multi", "A,C", 1, 0, false, true, multiBinary);
    EXPECT_EQ(rowOf(multiBinary, {QStringLiteral("a"), one}), QStringLiteral("1"));
    EXPECT_EQ(rowOf(multiBinary, {QStringLiteral("A"), two}), QStringLiteral("5"));
}
