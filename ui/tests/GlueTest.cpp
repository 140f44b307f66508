#include "core/ClsLanguage.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "tests/support/TestFiles.h"
#include "ui/CheckValue.h"
#include "ui/FormControls.h"
#include "ui/QtFileDialog.h"
#include "ui/QtMessageBox.h"
#include "ui/TwipsGeometry.h"
#include "ui/ValueRules.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(CheckValue, MapsBasicValuesOntoCheckStates)
{
    QCheckBox box;
    const struct
    {
        int set;
        Qt::CheckState state;
        int read;
    } cases[] = {{1, Qt::Checked, 1},
                 {0, Qt::Unchecked, 0},
                 {2, Qt::PartiallyChecked, 2},
                 {1, Qt::Checked, 1},
                 {7, Qt::Unchecked, 0}};
    for (const auto &c : cases) {
        CheckValue::setValue(&box, c.set);
        EXPECT_EQ(box.checkState(), c.state) << c.set;
        EXPECT_EQ(CheckValue::value(&box), c.read) << c.set;
    }
}

TEST(ValueRules, RulesRunOnValuesSetFromCodeAndOnlyOnChanges)
{
    QDialog w;
    auto *chk = new QCheckBox(&w);
    auto *opt0 = new QRadioButton(&w);
    auto *opt1 = new QRadioButton(&w);
    auto *txt = new QLineEdit(&w);
    auto *cbo = new QComboBox(&w);
    cbo->setEditable(true);
    cbo->addItems({"1", "2"});
    QButtonGroup group;
    group.addButton(opt0, 0);
    group.addButton(opt1, 1);

    QStringList log;
    ValueRules::onCheck(chk, &w, [&] { log << QString("chk=%1").arg(CheckValue::value(chk)); });
    ValueRules::onChosen(opt1, &w, [&] { log << "opt1"; });
    ValueRules::onChosen(&group, &w, [&](int id) { log << QString("group=%1").arg(id); });
    ValueRules::onText(txt, &w, [&] { log << "txt=" + txt->text(); });
    ValueRules::onText(cbo, &w, [&] { log << "cbo=" + cbo->currentText(); });

    CheckValue::setValue(chk, 1);
    CheckValue::setValue(chk, 1); // no change, no rule
    CheckValue::setValue(chk, 2);
    opt0->setChecked(true);
    opt1->setChecked(true);
    txt->setText("A,B");
    cbo->setCurrentIndex(1);
    cbo->setEditText("自动");
    EXPECT_EQ(log, (QStringList{"chk=1", "chk=2", "group=0", "opt1", "group=1", "txt=A,B", "cbo=2",
                                "cbo=自动"}));
}

TEST(FormControls, GivesTheLanguageTextsTheControlsInRegistrationOrder)
{
    QTemporaryDir dir;
    g_AppPath = dir.path() + "/";
    g_Options.reset();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Lang")));

    QDialog w;
    w.setObjectName("frmTest");
    QMenu menu;
    auto *cmdOK = new QPushButton("确定", &w);
    cmdOK->setObjectName("cmdOK");
    auto *lblName = new QLabel("名称", &w);
    lblName->setObjectName("lblName");
    QAction *mnuFile = menu.addAction("文件(&F)");
    mnuFile->setObjectName("mnuFile");
    QAction *mnuLine1 = menu.addSeparator();
    mnuLine1->setObjectName("mnuLine1");
    auto *txt = new QLineEdit("text", &w);
    txt->setObjectName("txtName");

    FormControls controls(&w);
    // Registered in the design's order, not the creation order.
    controls.add(mnuFile);
    controls.add(mnuLine1);
    controls.add(lblName);
    controls.add(txt);
    controls.add(cmdOK);
    EXPECT_EQ(controls.find("lblName"), lblName);
    EXPECT_EQ(controls.find("nothing"), nullptr);

    ClsLanguage language;
    language.LoadLanguageOfForm(controls.form());
    EXPECT_EQ(TestFiles::read(dir.filePath("Lang/ChineseS.Lan")),
              QString("[frmTest]\r\nmnuFile=文件(&F)\r\nlblName=名称\r\ncmdOK=确定\r\n").toUtf8());

    delete lblName; // a destroyed control drops out
    EXPECT_EQ(controls.controls().size(), 4);
    g_AppPath.clear();
}

TEST(TwipsGeometry, MovesAndMeasuresInTwipsAtTheScreensResolution)
{
    Twips::setDpiOverride(120); // 12 twips a pixel
    QWidget parent;
    auto *w = new QWidget(&parent);
    TwipsGeometry::move(w, 120, 240, 1200, -50);
    EXPECT_EQ(w->geometry(), QRect(10, 20, 100, 0));
    TwipsGeometry::setWidth(w, 600);
    TwipsGeometry::setHeight(w, 360);
    EXPECT_EQ(TwipsGeometry::left(w), 120);
    EXPECT_EQ(TwipsGeometry::top(w), 240);
    EXPECT_EQ(TwipsGeometry::width(w), 600);
    EXPECT_EQ(TwipsGeometry::height(w), 360);
    TwipsGeometry::move(w, 0, 12);
    EXPECT_EQ(w->geometry(), QRect(0, 1, 50, 30));
    Twips::setDpiOverride(0);
}

TEST(QtFileDialog, TurnsTheSeamsFilterIntoQtsForm)
{
    const struct
    {
        const char *seam, *qt;
    } cases[] = {
        {"*.vrk|*.vrk", "*.vrk (*.vrk)"},
        {"*.vrk|*.vrk|所有文件(*.*)|*.*", "*.vrk (*.vrk);;所有文件 (*)"},
        {"Workbooks|*.xls;*.xlsx; *.xlsm", "Workbooks (*.xls *.xlsx *.xlsm)"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QtFileDialog::qtFilter(QString::fromUtf8(c.seam)), QString::fromUtf8(c.qt))
            << c.seam;
}

// Shows a box through the desktop seam and presses the button named `press` ("" = Escape);
// returns the answer and fills in what the box offered.
int answerBox(int style, const QString &press, QStringList &offered, QString &defaultButton,
              QMessageBox::Icon &icon)
{
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) return;
        for (QAbstractButton *b : box->buttons())
            offered << box->button(box->standardButton(b))->text().remove('&');
        defaultButton = box->defaultButton() ? box->defaultButton()->text().remove('&') : "";
        icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            if (b->text().remove('&') == press) {
                b->click();
                return;
            }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QtMessageBox seam;
    return seam.show("prompt", style, "Quorva");
}

TEST(QtMessageBox, OffersTheStylesButtonsIconAndDefaultAndAnswersWithTheirNumbers)
{
    const struct
    {
        int style;
        const char *press;
        int answer;
        QStringList buttons;
        const char *defaultButton;
        QMessageBox::Icon icon;
    } cases[] = {
        {0, "OK", win::vbOK, {"OK"}, "OK", QMessageBox::NoIcon},
        {16, "", win::vbOK, {"OK"}, "OK", QMessageBox::Critical},
        {4 + 48, "No", win::vbNo, {"Yes", "No"}, "Yes", QMessageBox::Warning},
        {4 + 48, "", win::vbNo, {"Yes", "No"}, "Yes", QMessageBox::Warning},
        {35, "Yes", win::vbYes, {"Yes", "No", "Cancel"}, "Yes", QMessageBox::Question},
        {35, "", win::vbCancel, {"Yes", "No", "Cancel"}, "Yes", QMessageBox::Question},
        {3 + 256, "No", win::vbNo, {"Yes", "No", "Cancel"}, "No", QMessageBox::NoIcon},
        {1 + 64, "Cancel", win::vbCancel, {"OK", "Cancel"}, "OK", QMessageBox::Information},
        {2, "Retry", win::vbRetry, {"Abort", "Retry", "Ignore"}, "Abort", QMessageBox::NoIcon},
        {5 + 512, "Retry", win::vbRetry, {"Retry", "Cancel"}, "Retry", QMessageBox::NoIcon},
    };
    for (const auto &c : cases) {
        QStringList offered;
        QString defaultButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        EXPECT_EQ(answerBox(c.style, c.press, offered, defaultButton, icon), c.answer)
            << c.style << " " << c.press;
        offered.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(offered, expected) << c.style;
        EXPECT_EQ(defaultButton, c.defaultButton) << c.style;
        EXPECT_EQ(icon, c.icon) << c.style;
    }
}

TEST(QtMessageBox, ShowsMarkupInAPromptAsTyped)
{
    const QString prompt = QStringLiteral("<b>a.xlsx</b><img src=\"/dev/zero\">");
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) return;
        format = box->textFormat();
        shown = box->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QtMessageBox seam;
    seam.show(prompt, win::vbOKOnly, "Quorva");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, prompt);
}

} // namespace
