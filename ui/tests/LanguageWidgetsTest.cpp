#include "ui/LanguageWidgets.h"
#include "core/ClsLanguage.h"
#include "core/ProcessGlobals.h"

#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A small window as the program's windows build theirs.
struct SmallForm : QDialog
{
    QMenuBar *bar = new QMenuBar(this);
    QMenu *mnuFile = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuLine1 = nullptr;
    QLabel *lblName = new QLabel(QStringLiteral("名称"), this);
    QLineEdit *txtName = new QLineEdit(QStringLiteral("左边"), this);
    QGroupBox *fraMethod = new QGroupBox(QStringLiteral("比较方法"), this);
    QRadioButton *opt0 = new QRadioButton(QStringLiteral("按行"), fraMethod);
    QRadioButton *opt1 = new QRadioButton(QStringLiteral("按关键字"), fraMethod);
    QCheckBox *chkFormula = new QCheckBox(QStringLiteral("公式"), this);
    QPushButton *cmdOK = new QPushButton(QStringLiteral("确定"), this);

    SmallForm()
    {
        setObjectName("frmSmall");
        mnuFile = bar->addMenu(QStringLiteral("文件(&F)"));
        mnuFile->setObjectName("mnuFile");
        mnuFileOpen = mnuFile->addAction(QStringLiteral("打开(&O)"));
        mnuFileOpen->setObjectName("mnuFileOpen");
        mnuLine1 = mnuFile->addSeparator();
        mnuLine1->setObjectName("mnuLine1");
        lblName->setObjectName("lblName");
        txtName->setObjectName("txtName");
        fraMethod->setObjectName("fraMethod");
        opt0->setObjectName("OptCompareMethod");
        opt0->setProperty("controlIndex", 0);
        opt1->setObjectName("OptCompareMethod");
        opt1->setProperty("controlIndex", 1);
        chkFormula->setObjectName("chkFormula");
        cmdOK->setObjectName("cmdOK");
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w :
             std::initializer_list<QWidget *>{lblName, txtName, fraMethod, chkFormula, cmdOK})
            layout->addWidget(w);
    }
};

TEST(LanguageWidgets, WritesALanguageFileForAFormAndRecaptionsItLive)
{
    QTemporaryDir dir;
    g_AppPath = dir.path() + "/";
    g_Options.reset();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Lang")));

    SmallForm form;
    form.show();
    const LanguageForm controls = LanguageWidgets::collect(&form);
    ClsLanguage lang;
    lang.SkipControlByName("OptCompareMethod"); // its elements differ: set by index keys
    lang.LoadLanguageOfForm(controls);
    form.opt0->setText(lang.ReadString("frmSmall", "OptCompareMethod0", form.opt0->text()));
    form.opt1->setText(lang.ReadString("frmSmall", "OptCompareMethod1", form.opt1->text()));

    const QString chinese = dir.filePath("Lang/ChineseS.Lan");
    // Keys in the window's order of controls (the menu bar was made first).
    EXPECT_EQ(TestFiles::read(chinese).toStdString(),
              "[frmSmall]\r\nmnuFile=文件(&F)\r\nmnuFileOpen=打开(&O)\r\nlblName=名称\r\n"
              "fraMethod=比较方法\r\nchkFormula=公式\r\ncmdOK=确定\r\n"
              "OptCompareMethod0=按行\r\nOptCompareMethod1=按关键字\r\n");

    // A translation made from that template, chosen while the window is open.
    QByteArray english = TestFiles::read(chinese);
    english.replace(QStringLiteral("名称").toUtf8(), "Name");
    english.replace(QStringLiteral("比较方法").toUtf8(), "Method");
    english.replace(QStringLiteral("公式").toUtf8(), "Formulas");
    english.replace(QStringLiteral("确定").toUtf8(), "OK");
    english.replace(QStringLiteral("文件(&F)").toUtf8(), "&File");
    english.replace(QStringLiteral("打开(&O)").toUtf8(), "&Open");
    english.replace(QStringLiteral("按行").toUtf8(), "By row");
    english.replace(QStringLiteral("按关键字").toUtf8(), "By key");
    ASSERT_TRUE(TestFiles::write(dir.filePath("Lang/English.Lan"), english));
    CurrentOptions().setLanguageFileName("English.Lan");
    lang.Init();
    lang.LoadLanguageOfForm(controls);
    form.opt0->setText(lang.ReadString("frmSmall", "OptCompareMethod0", "按行"));
    form.opt1->setText(lang.ReadString("frmSmall", "OptCompareMethod1", "按关键字"));

    EXPECT_EQ(form.lblName->text(), "Name");
    EXPECT_EQ(form.fraMethod->title(), "Method");
    EXPECT_EQ(form.chkFormula->text(), "Formulas");
    EXPECT_EQ(form.cmdOK->text(), "OK");
    EXPECT_EQ(form.mnuFile->title(), "&File");
    EXPECT_EQ(form.mnuFileOpen->text(), "&Open");
    EXPECT_EQ(form.opt0->text(), "By row");
    EXPECT_EQ(form.opt1->text(), "By key");
    EXPECT_EQ(form.txtName->text(), "左边"); // text boxes are never touched
    EXPECT_TRUE(form.mnuLine1->text().isEmpty());
    EXPECT_EQ(TestFiles::read(dir.filePath("Lang/English.Lan")), english); // nothing was missing

    g_AppPath.clear();
    g_Options.reset();
}

TEST(LanguageWidgets, KindsFollowTheWidgetTypes)
{
    SmallForm form;
    const LanguageForm controls = LanguageWidgets::collect(&form);
    EXPECT_EQ(controls.name(), "frmSmall");
    QStringList seen;
    for (const auto &c : controls.controls())
        seen << c.name + ":" + LanguageForm::kindName(c.kind) + ":" + QString::number(c.index);
    for (const char *want : {"lblName:Label:-1", "txtName::-1", "fraMethod:Frame:-1",
                             "OptCompareMethod:OptionButton:0", "OptCompareMethod:OptionButton:1",
                             "chkFormula:CheckBox:-1", "cmdOK:CommandButton:-1", "mnuFile:Menu:-1",
                             "mnuFileOpen:Menu:-1", "mnuLine1:Menu:-1"})
        EXPECT_TRUE(seen.contains(want)) << want << " in " << seen.join(' ').toStdString();
}

} // namespace
