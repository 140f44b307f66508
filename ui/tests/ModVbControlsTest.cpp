#include "ui/ModVbControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace ModVbControls;

namespace {

TEST(ModVbControls, SelectsTheFirstExactItem)
{
    QListWidget list;
    list.addItems({"a", "B", "b", "B"});
    list.setCurrentRow(0);
    for (const char *absent : {"", "x", "A "}) {
        SelectListBoxItem(&list, absent);
        EXPECT_EQ(list.currentRow(), 0) << absent;
    }
    SelectListBoxItem(&list, "B");
    EXPECT_EQ(list.currentRow(), 1);
    SelectListBoxItem(&list, "b");
    EXPECT_EQ(list.currentRow(), 2);

    QComboBox combo;
    combo.addItems({"x", "Y", "y", "Y"});
    SelectComboBoxItem(&combo, "y");
    EXPECT_EQ(combo.currentIndex(), 2);
    SelectComboBoxItem(&combo, "Y");
    EXPECT_EQ(combo.currentIndex(), 1);
    SelectComboBoxItem(&combo, "nothing");
    EXPECT_EQ(combo.currentIndex(), 1);
}

TEST(ModVbControls, NextListViewIndexAndCheckValues)
{
    QTreeWidget view;
    EXPECT_EQ(GetNextListViewIndex(&view), 1);
    for (int i = 0; i < 3; ++i)
        new QTreeWidgetItem(&view, QStringList(QString::number(i)));
    EXPECT_EQ(GetNextListViewIndex(&view), 4);
    EXPECT_EQ(GetNextListViewIndex(nullptr), 1);
    EXPECT_EQ(BoolToCheckValue(true), 1);
    EXPECT_EQ(BoolToCheckValue(false), 0);
}

TEST(ModVbControls, FiltersNumericKeys)
{
    struct
    {
        int key, mode, expected;
    } cases[] = {
        {'a', 0, 0},      {'7', 0, '7'},    {'-', 0, '-'},  {'.', 0, '.'}, {',', 0, ','},
        {0xFF0C, 0, ','}, {0x3002, 0, '.'}, {8, 0, 8},      {'.', 1, 0},   {'-', 1, '-'},
        {0xFF0C, 1, 0},   {'9', 1, '9'},    {'-', 2, 0},    {'0', 2, '0'}, {8, 2, 8},
        {' ', 0, 0},      {0x4E2D, 0, 0},   {0xFF11, 0, 0}, // full-width digit one: not a digit
                                                            // here
    };
    for (auto c : cases) {
        int key = c.key;
        FilterNumericKey(key, c.mode);
        EXPECT_EQ(key, c.expected) << c.key << " mode " << c.mode;
    }
}

TEST(ModVbControls, NumberFieldsFilterTypedAndInputMethodText)
{
    QLineEdit field;
    InstallNumericKeyFilter(&field, 0);
    field.show();
    QTest::keyClicks(&field, "1a2");
    QTest::keyClick(&field, Qt::Key_Left); // no text: passes untouched
    QTest::keyClick(&field, Qt::Key_End);
    QKeyEvent fullStop(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("。"));
    QApplication::sendEvent(&field, &fullStop);
    QTest::keyClicks(&field, "5");
    EXPECT_EQ(field.text().toStdString(), "12.5");
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text().toStdString(), "12.");

    // An input method commits "，4x-" at once: the full-width comma becomes ",", the rest that
    // is not a digit goes.
    QInputMethodEvent im;
    im.setCommitString(QStringLiteral("，4x-"));
    QApplication::sendEvent(&field, &im);
    EXPECT_EQ(field.text().toStdString(), "12.,4-");

    QLineEdit strict;
    InstallNumericKeyFilter(&strict, 1);
    QTest::keyClicks(&strict, "-1.5");
    EXPECT_EQ(strict.text(), "-15");
}

TEST(ModVbControls, FillsTheNumberCombo)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.addItem("old");
    FillNumberCombo(&combo, "3");
    EXPECT_EQ(combo.count(), 11);
    EXPECT_EQ(combo.itemText(0), "自动");
    EXPECT_EQ(combo.itemText(10), "10");
    EXPECT_EQ(combo.currentText(), "3");
}

TEST(ModVbControls, PacksCheckBoxRowsAndRunsTheirRules)
{
    QCheckBox a, b, c;
    QList<QCheckBox *> row{&a, &b, &c};
    int ruleRuns = 0;
    for (QCheckBox *box : row)
        QObject::connect(box, &QCheckBox::stateChanged, [&ruleRuns] { ++ruleRuns; });
    a.setChecked(true);
    c.setChecked(true);
    EXPECT_EQ(GetCheckArrayMask(row, 2), 5);
    EXPECT_EQ(GetCheckArrayMask(row, 1), 1);
    b.setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(GetCheckArrayMask(row, 2), 5); // grayed counts as unchecked

    ruleRuns = 0;
    SetCheckArrayMask(row, 2, 2);
    EXPECT_FALSE(a.isChecked());
    EXPECT_EQ(b.checkState(), Qt::Checked);
    EXPECT_FALSE(c.isChecked());
    EXPECT_EQ(ruleRuns, 3); // every change ran the boxes' rules, as a click would
    SetCheckArrayMask(row, 2, 5);
    EXPECT_EQ(GetCheckArrayMask(row, 2), 5);
    EXPECT_THROW(GetCheckArrayMask(row, 3), std::exception);
}

} // namespace
