#include "app/frmSession.h"
#include "app/frmSessionOption.h"
#include "app/tests/DialogFixture.h"
#include "core/ProcessGlobals.h"
#include "engine/ClsSessionOption.h"
#include "tests/support/TestHelpers.h"
#include "ui/TwipsGeometry.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The options that the dialog edits, as one comparable value.
struct Values
{
    bool ignoreCaseKey, ignoreCaseText, dealMerge, useTrimForKey;
    int createPairMethod;
    bool modifyRowHeight;
    int rowHeight;
    bool colorDiffCell;
    QString leftName, rightName, diffSheet, leftSheet, rightSheet;
    int showDiffMethod;

    static Values of(const ClsSessionOption &o)
    {
        return {o.IgnoreCase_Key(),
                o.IgnoreCase_Text(),
                o.DealMerge(),
                o.UseTrimForKey(),
                o.CreatePairMethod(),
                o.ModifyRowHeight(),
                o.RowHeight(),
                o.ColorDiffCell(),
                o.LeftName(),
                o.RightName(),
                o.DiffSheetName(),
                o.LeftSingleSheetName(),
                o.RightSingleSheetName(),
                o.ShowDiffMethod()};
    }
    void into(ClsSessionOption &o) const
    {
        o.setIgnoreCase_Key(ignoreCaseKey);
        o.setIgnoreCase_Text(ignoreCaseText);
        o.setDealMerge(dealMerge);
        o.setUseTrimForKey(useTrimForKey);
        o.setCreatePairMethod(createPairMethod);
        o.setModifyRowHeight(modifyRowHeight);
        o.setRowHeight(rowHeight);
        o.setColorDiffCell(colorDiffCell);
        o.setLeftName(leftName);
        o.setRightName(rightName);
        o.setDiffSheetName(diffSheet);
        o.setLeftSingleSheetName(leftSheet);
        o.setRightSingleSheetName(rightSheet);
        o.setShowDiffMethod(showDiffMethod);
    }
    bool operator==(const Values &) const = default;
};

void PrintTo(const Values &v, std::ostream *os)
{
    *os << v.ignoreCaseKey << v.ignoreCaseText << v.dealMerge << v.useTrimForKey << " pair "
        << v.createPairMethod << " height " << v.modifyRowHeight << "/" << v.rowHeight << " colour "
        << v.colorDiffCell << " names " << v.leftName.toStdString() << "|"
        << v.rightName.toStdString() << " sheets " << v.diffSheet.toStdString() << "|"
        << v.leftSheet.toStdString() << "|" << v.rightSheet.toStdString() << " marks "
        << v.showDiffMethod;
}

class SessionOptionDialog : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        start();
        window->mnuFileNew->trigger();
        settle();
    }
    // Opens the dialog as the session window does, over the session window.
    frmSessionOption *open()
    {
        closedWith.reset();
        frmSessionOption::ShowModal(&options, window->ActiveSessionWindow(),
                                    [this](bool changed) { closedWith = changed; });
        settle();
        return shown<frmSessionOption>();
    }
    static void click(QAbstractButton *button)
    {
        ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }
    // Types the text as a user does: ASCII on the keyboard, other characters through the input
    // method, which commits them.
    static void type(QLineEdit *box, const QString &text)
    {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(box, char(c.unicode()));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(box, &commit);
            }
        }
    }
    static void retype(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        type(box, text);
    }
    void pressOk(frmSessionOption *d)
    {
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        settle();
    }

    ClsSessionOption options;
    std::optional<bool> closedWith;
};

const Values kDefaults{true,
                       true,
                       false,
                       true,
                       1,
                       true,
                       30,
                       false,
                       "",
                       "",
                       S("差异的行"),
                       S("左边孤立的行"),
                       S("右边孤立的行"),
                       1};
const Values kOthers{false, false,     true,      false,  0,      false,   12,
                     true,  S("本月"), S("上月"), "Diff", "Left", "Right", 2};

TEST_F(SessionOptionDialog, ShowsEveryOptionAndOkWithoutChangesKeepsThem)
{
    EXPECT_EQ(Values::of(options), kDefaults);
    for (const Values &v : {kDefaults, kOthers}) {
        v.into(options);
        frmSessionOption *d = open();
        ASSERT_TRUE(d);
        EXPECT_TRUE(d->isModal());
        EXPECT_EQ(d->windowTitle(), S("当前会话选项"));
        EXPECT_EQ(d->chkIgnoreCase_Key->isChecked(), v.ignoreCaseKey);
        EXPECT_EQ(d->chkIgnoreCase_text->isChecked(), v.ignoreCaseText);
        EXPECT_EQ(d->chkDealMerge->isChecked(), v.dealMerge);
        EXPECT_EQ(d->ChkUseTrimForKey->isChecked(), v.useTrimForKey);
        EXPECT_EQ(d->ChkCreatePairMethod->isChecked(), v.createPairMethod == 1);
        EXPECT_EQ(d->ChkModifyRowHeight->isChecked(), v.modifyRowHeight);
        EXPECT_EQ(d->TxtXlsRowHeight->text(), QString::number(v.rowHeight));
        EXPECT_EQ(d->TxtXlsRowHeight->isEnabled(), v.modifyRowHeight);
        EXPECT_EQ(d->ChkColorDiffCell->isChecked(), v.colorDiffCell);
        EXPECT_EQ(d->txtLeftName->text(), v.leftName);
        EXPECT_EQ(d->txtRightName->text(), v.rightName);
        EXPECT_EQ(d->TxtDiffSheetName->text(), v.diffSheet);
        EXPECT_EQ(d->TxtLeftSingleSheetName->text(), v.leftSheet);
        EXPECT_EQ(d->TxtRightSingleSheetName->text(), v.rightSheet);
        EXPECT_EQ(d->OptDrawNone->isChecked(), v.showDiffMethod == 0);
        EXPECT_EQ(d->OptDrawGraph->isChecked(), v.showDiffMethod == 1);
        EXPECT_EQ(d->OptDrawColor->isChecked(), v.showDiffMethod == 2);
        // The general page comes first.
        EXPECT_TRUE(d->frameGeneral->isVisible());
        EXPECT_TRUE(d->TreeView1->hasFocus());
        pressOk(d);
        EXPECT_FALSE(exists<frmSessionOption>());
        EXPECT_EQ(closedWith, std::optional<bool>(true));
        EXPECT_EQ(Values::of(options), v);
    }

    // A code that no button stands for chooses none and stays as it is; a pairing code other
    // than 1 shows an unticked box and becomes 0.
    options.setShowDiffMethod(5);
    options.setCreatePairMethod(3);
    frmSessionOption *d = open();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->OptDrawNone->isChecked() || d->OptDrawGraph->isChecked() ||
                 d->OptDrawColor->isChecked());
    EXPECT_FALSE(d->ChkCreatePairMethod->isChecked());
    pressOk(d);
    EXPECT_EQ(options.ShowDiffMethod(), 5);
    EXPECT_EQ(options.CreatePairMethod(), 0);
}

// A user goes through the three pages, changes every control and presses OK; opening the dialog
// again shows the new values.
TEST_F(SessionOptionDialog, TheUsersEditsReachTheOptionsOnOk)
{
    frmSessionOption *d = open();
    ASSERT_TRUE(d);
    for (QAbstractButton *box : std::initializer_list<QAbstractButton *>{
             d->chkIgnoreCase_Key, d->chkIgnoreCase_text, d->chkDealMerge, d->ChkUseTrimForKey,
             d->ChkCreatePairMethod})
        click(box);
    clickNode(d->TreeView1, S("比较报告"));
    EXPECT_TRUE(d->FrameReport->isVisible());
    EXPECT_FALSE(d->frameGeneral->isVisible());
    click(d->ChkModifyRowHeight);
    click(d->ChkModifyRowHeight); // off and on again
    retype(d->TxtXlsRowHeight, "12");
    click(d->ChkColorDiffCell);
    retype(d->txtLeftName, S("本月"));
    retype(d->txtRightName, S("上月"));
    retype(d->TxtDiffSheetName, "Diff");
    retype(d->TxtLeftSingleSheetName, "Left");
    retype(d->TxtRightSingleSheetName, "Right");
    clickNode(d->TreeView1, S("详细比较窗口"));
    click(d->OptDrawColor);
    EXPECT_FALSE(d->OptDrawGraph->isChecked());
    pressOk(d);

    Values wanted = kOthers;
    wanted.modifyRowHeight = true;
    EXPECT_EQ(Values::of(options), wanted);

    d = open();
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->chkIgnoreCase_Key->isChecked());
    EXPECT_TRUE(d->OptDrawColor->isChecked());
    EXPECT_EQ(d->TxtXlsRowHeight->text(), "12");
    EXPECT_EQ(d->txtLeftName->text(), S("本月"));
    QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    settle();
}

TEST_F(SessionOptionDialog, CancelEscapeAndTheCloseBoxDiscardTheEdits)
{
    for (int way = 0; way < 3; ++way) {
        frmSessionOption *d = open();
        ASSERT_TRUE(d);
        click(d->chkDealMerge);
        clickNode(d->TreeView1, S("比较报告"));
        retype(d->TxtDiffSheetName, "changed");
        retype(d->TxtXlsRowHeight, "99");
        clickNode(d->TreeView1, S("详细比较窗口"));
        click(d->OptDrawNone);
        if (way == 0) QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
        if (way == 1) QTest::keyClick(d, Qt::Key_Escape);
        if (way == 2) d->close();
        settle();
        EXPECT_FALSE(exists<frmSessionOption>()) << way;
        EXPECT_EQ(closedWith, std::optional<bool>(false)) << way;
        EXPECT_EQ(Values::of(options), kDefaults) << way;
    }
}

TEST_F(SessionOptionDialog, TheRowHeightBoxTakesDigitsAndFollowsItsCheckBox)
{
    frmSessionOption *d = open();
    ASSERT_TRUE(d);
    clickNode(d->TreeView1, S("比较报告"));
    // Typing: letters are swallowed; digits, "." and "-" pass; a full-width stop becomes ".".
    d->TxtXlsRowHeight->setFocus();
    d->TxtXlsRowHeight->selectAll();
    type(d->TxtXlsRowHeight, S("a4b5。5x"));
    EXPECT_EQ(d->TxtXlsRowHeight->text(), "45.5");
    // Unticking disables the box; OK still writes its number.
    click(d->ChkModifyRowHeight);
    EXPECT_FALSE(d->TxtXlsRowHeight->isEnabled());
    click(d->ChkModifyRowHeight);
    EXPECT_TRUE(d->TxtXlsRowHeight->isEnabled());
    click(d->ChkModifyRowHeight);
    retype(d->TxtXlsRowHeight, "44"); // a disabled box takes no keys
    EXPECT_EQ(d->TxtXlsRowHeight->text(), "45.5");
    pressOk(d);
    EXPECT_FALSE(options.ModifyRowHeight());
    EXPECT_EQ(options.RowHeight(), 46) << "halves go to the even neighbour";

    // Texts a pasted value can bring: refused with a message while the box is in use, kept
    // as the old number while it is not.
    struct
    {
        const char *text;
        int height; // -1: refused
    } const cases[] = {{"30", 30},   {" 7 ", 7},  {"12.5", 12}, {"13.5", 14},       {"0", 0},
                       {"409", 409}, {"410", -1}, {"-1", -1},   {"", -1},           {"1,5", -1},
                       {"-", -1},    {"1e2", -1}, {".", -1},    {"99999999999", -1}};
    for (bool ticked : {true, false}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.text) + (ticked ? " ticked" : " unticked"));
            options.setRowHeight(20);
            options.setModifyRowHeight(ticked);
            options.setDealMerge(false);
            d = open();
            ASSERT_TRUE(d);
            click(d->chkDealMerge);
            d->TxtXlsRowHeight->setText(QString::fromUtf8(c.text));
            boxes.clear();
            const bool refused = ticked && c.height < 0;
            if (refused) boxes.expect(win::vbOK);
            pressOk(d);
            if (refused) {
                ASSERT_EQ(boxes.shown().size(), 1u);
                EXPECT_TRUE(boxes.shown()[0].prompt.contains(
                    QLatin1Char('"') + QString::fromUtf8(c.text) + QLatin1Char('"')));
                EXPECT_EQ(boxes.shown()[0].style, win::vbCritical);
                EXPECT_TRUE(d->isVisible());
                EXPECT_TRUE(d->FrameReport->isVisible()) << "the page of the box is shown";
                EXPECT_TRUE(d->TxtXlsRowHeight->hasFocus());
                EXPECT_FALSE(options.DealMerge()) << "nothing is written";
                d->reject();
                settle();
            } else {
                EXPECT_TRUE(boxes.shown().empty());
                EXPECT_FALSE(exists<frmSessionOption>());
                EXPECT_EQ(options.RowHeight(), c.height < 0 ? 20 : c.height);
                EXPECT_TRUE(options.DealMerge());
            }
        }
    }
}

TEST_F(SessionOptionDialog, SheetNamesThatAWorkbookRefusesAreNamedAndNothingIsWritten)
{
    struct
    {
        const char *name;
        bool valid;
    } const cases[] = {{"差异", true},
                       {"", true},
                       {"a b-c (1)", true},
                       {"a/b", false},
                       {"x:y", false},
                       {"[1]", false},
                       {"what?", false},
                       {"'quoted'", false},
                       {"0123456789012345678901234567890", true},
                       {"01234567890123456789012345678901", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        options.setLeftSingleSheetName("L");
        frmSessionOption *d = open();
        ASSERT_TRUE(d);
        d->TxtLeftSingleSheetName->setText(QString::fromUtf8(c.name));
        boxes.clear();
        if (!c.valid) boxes.expect(win::vbOK);
        pressOk(d);
        if (c.valid) {
            EXPECT_EQ(options.LeftSingleSheetName(), QString::fromUtf8(c.name));
            continue;
        }
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown()[0].prompt.contains(QString::fromUtf8(c.name)));
        EXPECT_TRUE(d->FrameReport->isVisible());
        EXPECT_TRUE(d->TxtLeftSingleSheetName->hasFocus());
        EXPECT_EQ(options.LeftSingleSheetName(), "L");
        d->reject();
        settle();
    }
}

TEST_F(SessionOptionDialog, WritesItsLanguageKeysInOrderAndTakesItsCaptionsFromTheFile)
{
    frmSessionOption *d = open();
    ASSERT_TRUE(d);
    EXPECT_EQ(languageSection("frmSessionOption"),
              QStringList({S("chkIgnoreCase_Key=关键字忽略大小写"),
                           S("chkIgnoreCase_text=比较内容忽略大小写"),
                           S("chkDealMerge=遇到合并，往上寻找,直到非空"),
                           S("ChkUseTrimForKey=忽略关键字首尾空格"),
                           S("ChkCreatePairMethod=优先用工作表名称创建比较对"),
                           S("ChkModifyRowHeight=修改Excel报告的行高"),
                           S("Label1=行高："),
                           S("ChkColorDiffCell=对差异的列使用颜色标识"),
                           S("Label2=左边名称:"),
                           S("Label8=右边名称:"),
                           S("frameSheetName=工作表显示名称"),
                           S("Label3=差异的行:"),
                           S("Label4=左边孤立的行"),
                           S("Label5=右边孤立的行"),
                           S("FrameShowDiffMethod=对于不同内容的标识方式"),
                           S("OptDrawNone=不作什么"),
                           S("OptDrawGraph=画椭圆"),
                           S("OptDrawColor=使用颜色标识(这会修改文档内容)"),
                           S("cmdOK=确定"),
                           S("cmdCancel=取消"),
                           S("frmSessionOption=当前会话选项")}));
    EXPECT_EQ(nodeTexts(d->TreeView1),
              QStringList({S("比较选项"), S("比较报告"), S("详细比较窗口")}));
    d->reject();
    settle();

    writeLanguageFile("English.Lan", "[frmSessionOption]\r\nfrmSessionOption=Session options\r\n"
                                     "Label3=Differences:\r\nOptDrawGraph=Draw ellipses\r\n"
                                     "frameSheetName=Sheet names\r\n");
    g_Options->setLanguageFileName("English.Lan");
    d = open();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), "Session options");
    EXPECT_EQ(d->Label3->text(), "Differences:");
    EXPECT_EQ(d->OptDrawGraph->text(), "Draw ellipses");
    EXPECT_EQ(d->frameSheetName->title(), "Sheet names");
    EXPECT_EQ(d->OptDrawNone->text(), S("不作什么"));
}

TEST_F(SessionOptionDialog, TheLayoutFollowsTheWindowAndTabWalksTheShownPage)
{
    frmSessionOption *d = open();
    ASSERT_TRUE(d);
    for (QSize size : {QSize(560, 420), QSize(1000, 700), d->minimumSize()}) {
        d->resize(size);
        for (const char *node : {"比较选项", "比较报告", "详细比较窗口"}) {
            clickNode(d->TreeView1, S(node));
            const int width = TwipsGeometry::formWidth(d);
            const int height = TwipsGeometry::formHeight(d);
            const int tree = TwipsGeometry::width(d->TreeView1);
            EXPECT_NEAR(tree, 0.3 * width, 15);
            EXPECT_NEAR(TwipsGeometry::height(d->TreeView1), height - 850, 15);
            EXPECT_NEAR(TwipsGeometry::left(d->frameOwner), 120 + tree + 120, 15);
            EXPECT_NEAR(TwipsGeometry::width(d->frameOwner), width - 120 - tree - 300, 15);
            EXPECT_NEAR(TwipsGeometry::height(d->frameOwner),
                        TwipsGeometry::height(d->TreeView1) - 800, 15);
            int shownPages = 0;
            for (QFrame *page : {d->frameGeneral, d->FrameReport, d->FrameDetail})
                if (page->isVisible()) {
                    ++shownPages;
                    EXPECT_EQ(page->parentWidget(), d->frameOwner);
                    EXPECT_EQ(page->geometry(), d->frameOwner->rect());
                }
            EXPECT_EQ(shownPages, 1);
            for (QPushButton *b : {d->cmdOK, d->cmdCancel}) {
                EXPECT_TRUE(d->rect().contains(b->geometry()));
                EXPECT_FALSE(b->geometry().intersects(d->frameOwner->geometry()));
            }
        }
    }

    // The tab indexes number the controls in the dialog's order.
    QStringList numbered;
    for (QWidget *w : d->findChildren<QWidget *>())
        if (w->property("TabIndex").isValid())
            numbered.append(QString::number(w->property("TabIndex").toInt()) + ":" +
                            w->objectName());
    std::sort(numbered.begin(), numbered.end(), [](const QString &a, const QString &b) {
        return a.section(':', 0, 0).toInt() < b.section(':', 0, 0).toInt();
    });
    EXPECT_EQ(numbered.join(' '),
              "0:TreeView1 1:SSTab1 2:chkIgnoreCase_Key 3:chkIgnoreCase_text 4:chkDealMerge "
              "5:ChkUseTrimForKey 6:ChkModifyRowHeight 7:TxtXlsRowHeight 8:ChkColorDiffCell "
              "9:txtLeftName 10:txtRightName 11:TxtDiffSheetName 12:TxtLeftSingleSheetName "
              "13:TxtRightSingleSheetName 14:OptDrawNone 15:OptDrawGraph 16:OptDrawColor "
              "17:cmdOK 18:cmdCancel");
    // On the report page the Tab key goes from the tree through the page to the buttons.
    clickNode(d->TreeView1, S("比较报告"));
    d->TreeView1->setFocus();
    QStringList order;
    for (int i = 0; i < 11; ++i) {
        order.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(' '), "TreeView1 ChkModifyRowHeight TxtXlsRowHeight ChkColorDiffCell "
                               "txtLeftName txtRightName TxtDiffSheetName TxtLeftSingleSheetName "
                               "TxtRightSingleSheetName cmdOK cmdCancel");
}

} // namespace
