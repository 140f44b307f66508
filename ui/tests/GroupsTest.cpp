#include "ui/CheckValue.h"
#include "ui/ClsCheckBoxGroup.h"
#include "ui/ClsOptionTab.h"
#include "ui/ValueRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The session window's report boxes: the workbook box and its three sheet boxes.
struct ReportBoxes : QDialog
{
    QCheckBox *ChkExcelReport = box("ChkExcelReport");
    QCheckBox *ChkShowDiffInXls = box("ChkShowDiffInXls");
    QCheckBox *ChkShowLeftSingleInXls = box("ChkShowLeftSingleInXls");
    QCheckBox *ChkShowRightSingleInXls = box("ChkShowRightSingleInXls");
    ClsCheckBoxGroup group;

    ReportBoxes()
    {
        group.SetFather(ChkExcelReport);
        group.AddSons({ChkShowDiffInXls, ChkShowLeftSingleInXls, ChkShowRightSingleInXls});
        ValueRules::onCheck(ChkExcelReport, this, [this] { group.OnFatherChecked(); });
    }
    QCheckBox *box(const char *name)
    {
        auto *b = new QCheckBox(QString::fromLatin1(name), this);
        b->setObjectName(QString::fromLatin1(name));
        b->move(0, 30 * children().size());
        return b;
    }
    QList<QCheckBox *> sons() const
    {
        return {ChkShowDiffInXls, ChkShowLeftSingleInXls, ChkShowRightSingleInXls};
    }
};

TEST(CheckBoxGroup, TheFathersValueEnablesTheSonsWhichKeepTheirOwnValues)
{
    ReportBoxes w;
    w.show();
    CheckValue::setValue(w.ChkShowLeftSingleInXls, 1);
    // A click ticks the father: all sons usable.
    QTest::mouseClick(w.ChkExcelReport, Qt::LeftButton);
    for (QCheckBox *son : w.sons())
        EXPECT_TRUE(son->isEnabled()) << son->objectName().toStdString();
    // Unticking from code runs the same rule.
    CheckValue::setValue(w.ChkExcelReport, 0);
    for (QCheckBox *son : w.sons())
        EXPECT_FALSE(son->isEnabled()) << son->objectName().toStdString();
    EXPECT_EQ(CheckValue::value(w.ChkShowLeftSingleInXls), 1);
    EXPECT_EQ(CheckValue::value(w.ChkShowDiffInXls), 0);
    // A greyed father disables them too.
    CheckValue::setValue(w.ChkExcelReport, 1);
    CheckValue::setValue(w.ChkExcelReport, 2);
    EXPECT_EQ(CheckValue::value(w.ChkExcelReport), 2);
    for (QCheckBox *son : w.sons())
        EXPECT_FALSE(son->isEnabled());
}

TEST(CheckBoxGroup, OfAControlArrayOnlyTheFirstElementJoins)
{
    ReportBoxes w;
    auto *second = new QCheckBox(&w);
    second->setObjectName("ChkShowDiffInXls");
    w.group.AddSons({second});
    CheckValue::setValue(w.ChkExcelReport, 1);
    CheckValue::setValue(w.ChkExcelReport, 0);
    EXPECT_FALSE(w.ChkShowDiffInXls->isEnabled());
    EXPECT_TRUE(second->isEnabled());
}

// An option dialog: a host frame and three pages made elsewhere in the window.
struct OptionPages : QDialog
{
    QGroupBox *frameOwner = new QGroupBox(this);
    QWidget *frameGeneral = page("frameGeneral");
    QWidget *FrameReport = page("FrameReport");
    QWidget *FrameDetail = page("FrameDetail");
    ClsOptionTab tab;

    OptionPages()
    {
        resize(600, 400);
        frameOwner->setObjectName("frameOwner");
        frameOwner->setGeometry(200, 10, 300, 250);
    }
    QWidget *page(const char *name)
    {
        auto *p = new QWidget(this);
        p->setObjectName(QString::fromLatin1(name));
        p->setGeometry(5, 300, 50, 40);
        return p;
    }
    QList<QWidget *> visiblePages() const
    {
        QList<QWidget *> shown;
        for (QWidget *p : {frameGeneral, FrameReport, FrameDetail})
            if (p->isVisible()) shown.append(p);
        return shown;
    }
};

TEST(OptionTab, ShowsExactlyTheChosenPageInsideTheHostFittedToIt)
{
    OptionPages w;
    w.show();
    w.tab.AddSons({w.frameGeneral, w.FrameReport, w.FrameDetail});
    w.tab.SetFather(w.frameOwner);
    w.tab.OnFatherResize(); // before any page: nothing
    EXPECT_EQ(w.frameGeneral->geometry(), QRect(5, 300, 50, 40));

    w.tab.ShowPage("FrameReport");
    EXPECT_EQ(w.visiblePages(), QList<QWidget *>{w.FrameReport});
    EXPECT_EQ(w.FrameReport->parentWidget(), w.frameOwner);
    EXPECT_EQ(w.FrameReport->geometry(), QRect(0, 0, 300, 250));

    w.tab.ShowPage("FrameReport");
    EXPECT_EQ(w.visiblePages(), QList<QWidget *>{w.FrameReport});

    w.tab.ShowPage("NoSuchPage");
    EXPECT_EQ(w.visiblePages(), QList<QWidget *>{w.FrameReport});

    w.tab.ShowPage("frameGeneral");
    EXPECT_EQ(w.visiblePages(), QList<QWidget *>{w.frameGeneral});
    w.frameOwner->resize(280, 200);
    w.tab.OnFatherResize();
    EXPECT_EQ(w.frameGeneral->geometry(), QRect(0, 0, 280, 200));
    EXPECT_EQ(w.FrameReport->geometry(), QRect(0, 0, 300, 250)) << "hidden pages are left alone";
}

} // namespace
