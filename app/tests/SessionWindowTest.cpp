#include "app/ModMain.h"
#include "app/frmSession.h"
#include "app/frmSessionOption.h"
#include "app/tests/SessionFixture.h"
#include "core/ClsIni.h"
#include "core/ProcessGlobals.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsSessionOption.h"
#include "engine/CompareMainWindow.h"
#include "engine/SessionSettings.h"
#include "engine/TSingleSideConfig.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using win::vbCancel;
using win::vbNo;
using win::vbOK;
using win::vbYes;

class SessionWindow : public SessionFixture
{
protected:
    // proj/a.xlsx with sheets S1..S5 and proj/b.xlsx with T1, T2.
    void makeProjectBooks()
    {
        ASSERT_EQ(makeBooks("book('a.xlsx', [('S%d' % i, [['k', 'v'], [1, 2]]) for i in "
                            "range(1, 6)])\n"
                            "book('b.xlsx', [('T1', [['k', 'v']]), ('T2', [['k', 'v']])])\n",
                            "proj"),
                  "");
    }
    QString proj() const { return folder() + "proj/"; }
    // proj/p.vrk holding fullProject(), opened in a session window.
    frmSession *openFullProject()
    {
        makeProjectBooks();
        const QString project = proj() + "p.vrk";
        EXPECT_TRUE(writeText(project, fullProject(proj() + "b.xlsx")));
        return openProject(project);
    }
    // The values the round trip stores, none of them a default.
    QString fullProject(const QString &rightBook) const
    {
        return "[General]\nTabIndex= 0\n"
               "[LEFT]\nLeftFileName=a.xlsx\nLeftKeyCol=B\nLeftDataCol=C,D\nLeftStartRow=2\n"
               "[Right]\nRightFileName=" +
               rightBook +
               "\nRightKeyCol=B\nRightDataCol=E,F\nRightStartRow=3\n"
               "[Option]\nAutoOpenTxtReport= 1\nExcelReport= 0\nShowDiffInXls= 0\n"
               "ShowLeftSingleInXls= 0\nShowRightSingleInXls= 0\nIgnoreCase_Key= 0\n"
               "IgnoreCase_Text= 0\nDealMerge=-1\nTabIndex= 1\nCompareMethod= 2\n"
               "CompareItem= 5\nUseTrimForKey= 0\nSameToLeft= 0\nLeftName=旧\nRightName=新\n"
               "CompareAllCol=False\nCreatePairMethod=0\n"
               "[Report]\nReportPath=" +
               folder() +
               "reports/\n"
               "[XlsReport]\nModifyRowHeight= 0\nRowHeight= 40\nColorDiffCell=-1\n"
               "DiffSheetName=D\nLeftSingleSheetName=L\nRightSingleSheetName=R\n"
               "[LeftSheets]\nsheet0=2\nsheet1=5\n"
               "[RightSheets]\nsheet0=1\n"
               "[Script]\nUseScript= 0\nScriptFileName=\n";
    }
    QStringList enabledStates(frmSession *frm) const
    {
        QStringList out;
        for (QWidget *w : std::initializer_list<QWidget *>{
                 frm->txtLeftKeyCol, frm->txtLeftDataCol, frm->cboRightStartRow,
                 frm->txtRightKeyCol, frm->txtRightDataCol, frm->CboScriptName})
            if (w->isEnabled()) out.append(w->objectName());
        return out;
    }
    void dropOn(QWidget *target, QMimeData *data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return;
        QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    }
};

TEST_F(SessionWindow, ANewSessionWithoutTemplateShowsTheBuiltInValuesAndLeavesNoFileBehind)
{
    // A stray file named like the untitled session must not be read (nor written).
    const QString stray = QDir::current().filePath("New Project 1");
    ASSERT_TRUE(writeText(stray, "[LEFT]\nLeftKeyCol=ZZ\n"));
    const QByteArray strayBytes = TestFiles::read(stray);
    frmSession *frm = newSession();
    ASSERT_TRUE(frm);
    EXPECT_TRUE(frm->IsUntitled());
    EXPECT_EQ(frm->cboLeftStartRow->currentText(), "1");
    EXPECT_EQ(frm->cboRightStartRow->currentText(), "1");
    EXPECT_EQ(frm->txtLeftKeyCol->text(), "A");
    EXPECT_EQ(frm->txtRightKeyCol->text(), "A");
    EXPECT_EQ(frm->txtLeftDataCol->text(), "c,d");
    EXPECT_EQ(frm->cboLeftStartRow->count(), 11);
    EXPECT_EQ(frm->cboLeftStartRow->itemText(0), "自动");
    for (QCheckBox *box : {frm->ChkExcelReport, frm->ChkShowDiffInXls, frm->ChkShowLeftSingleInXls,
                           frm->ChkShowRightSingleInXls})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_FALSE(frm->ChkTxtReport->isChecked());
    EXPECT_EQ(frm->SSTab1->currentIndex(), 0);

    const QStringList before = QDir(folder()).entryList(QDir::Files);
    boxes.expect(vbNo);
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), before);
    EXPECT_FALSE(QFile::exists(templatePath()));
    EXPECT_EQ(TestFiles::read(stray), strayBytes);
    QFile::remove(stray);
}

TEST_F(SessionWindow, AProjectRoundTripsEveryKeyAndBecomesTheTemplateWithAbsolutePaths)
{
    QUORVA_NEED_OPENPYXL();
    frmSession *frm = openFullProject();
    ASSERT_TRUE(frm);

    EXPECT_EQ(frm->TxtLeftFileName->text(), "a.xlsx");
    EXPECT_EQ(frm->txtLeftKeyCol->text(), "B");
    EXPECT_EQ(frm->txtRightDataCol->text(), "E,F");
    EXPECT_EQ(frm->cboRightStartRow->currentText(), "3");
    EXPECT_TRUE(frm->OptCompareMethod[1]->isChecked());
    EXPECT_FALSE(frm->ChkCompareAllCol->isChecked());
    EXPECT_FALSE(frm->ChkSameToLeft->isChecked());
    EXPECT_TRUE(frm->ChkCompareContent[0]->isChecked());
    EXPECT_FALSE(frm->ChkCompareContent[1]->isChecked());
    EXPECT_TRUE(frm->ChkCompareContent[2]->isChecked());
    EXPECT_EQ(frm->txtReportPath->text(), folder() + "reports/");
    EXPECT_TRUE(frm->sessionOption()->DealMerge());
    // ExcelReport=0 still opens with the report workbook and its sheets chosen.
    EXPECT_TRUE(frm->ChkExcelReport->isChecked());
    EXPECT_TRUE(frm->ChkShowRightSingleInXls->isEnabled());
    EXPECT_EQ(frm->SSTab1->currentIndex(), 1);
    // The first activation read both sheet lists (the left one beside the project) and selected
    // the stored sheets again.
    EXPECT_EQ(sheetNames(frm->ListViewLeftSheets), (QStringList{"S1", "S2", "S3", "S4", "S5"}));
    EXPECT_EQ(selectedSheets(frm->ListViewLeftSheets), (QStringList{"S2", "S5"}));
    EXPECT_EQ(selectedSheets(frm->ListViewRightSheets), QStringList{"T1"});

    // Saved into another folder, the project still names the same workbooks; what the window
    // shows is saved, although no comparison has copied it into the options.
    frm->SSTab1->setCurrentIndex(0);
    click(frm->ChkCompareContent[1]);
    frm->SSTab1->setCurrentIndex(1);
    ASSERT_TRUE(QDir().mkpath(folder() + "other"));
    const QString copy = folder() + "other/q.vrk";
    ASSERT_TRUE(frm->Save2IniFile(copy));
    EXPECT_EQ(frm->windowTitle(), copy);
    QStringList expected = fullProject(proj() + "b.xlsx").split('\n', Qt::SkipEmptyParts);
    expected.replaceInStrings("TabIndex= 0", "TabIndex= 1");
    expected.replaceInStrings("LeftFileName=a.xlsx", "LeftFileName=" + proj() + "a.xlsx");
    expected.replaceInStrings("CompareItem= 5", "CompareItem= 7");
    for (const char *key :
         {"ExcelReport", "ShowDiffInXls", "ShowLeftSingleInXls", "ShowRightSingleInXls"})
        expected.replaceInStrings(QString(key) + "= 0", QString(key) + "= 1");
    EXPECT_EQ(lines(copy), expected);
    EXPECT_EQ(lines(templatePath()), expected);

    // Saved beside its workbook, the name alone is stored; the template still gets the path.
    ASSERT_TRUE(frm->Save2IniFile(proj() + "r.vrk"));
    EXPECT_TRUE(lines(proj() + "r.vrk").contains("LeftFileName=a.xlsx"));
    EXPECT_TRUE(lines(templatePath()).contains("LeftFileName=" + proj() + "a.xlsx"));

    // A new untitled session starts from the template and finds the workbooks.
    frmSession *fresh = newSession();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->TxtLeftFileName->text(), proj() + "a.xlsx");
    EXPECT_EQ(fresh->txtLeftKeyCol->text(), "B");
    EXPECT_EQ(selectedSheets(fresh->ListViewLeftSheets), (QStringList{"S2", "S5"}));
}

TEST_F(SessionWindow, OnlyOptionTabIndexZeroOrOneChoosesThePageAndGeneralIsNeverRead)
{
    const QList<std::pair<QString, int>> cases = {{"[General]\nTabIndex=2\n", 0},
                                                  {"[Option]\nTabIndex=1\n", 1},
                                                  {"[Option]\nTabIndex=2\n", 2},
                                                  {"[Option]\nTabIndex=7\n", 2}};
    int n = 0;
    for (const auto &[text, page] : cases) {
        const QString project = folder() + QString("t%1.vrk").arg(n++);
        ASSERT_TRUE(writeText(project, text));
        frmSession *frm = openProject(project);
        ASSERT_TRUE(frm);
        EXPECT_EQ(frm->SSTab1->currentIndex(), page) << text.toStdString();
    }
}

TEST_F(SessionWindow, ThePageShownWhenAProjectClosesIsThePageItOpensOn)
{
    const QString project = folder() + "page.vrk";
    ASSERT_TRUE(writeText(project, "[Option]\nTabIndex=1\n"));
    int shown = 1;
    for (int page : {0, 1, 0}) {
        frmSession *frm = openProject(project);
        ASSERT_TRUE(frm);
        EXPECT_EQ(frm->SSTab1->currentIndex(), shown);
        QTabBar *tabs = frm->SSTab1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        ASSERT_EQ(frm->SSTab1->currentIndex(), page);
        // A saved project is saved silently at closing.
        ASSERT_TRUE(frm->CloseWindow());
        settle();
        shown = page;
    }
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    EXPECT_EQ(frm->SSTab1->currentIndex(), 0);
}

TEST_F(SessionWindow, AProjectTheWindowWroteReadsTheSameThroughTheSettings)
{
    QUORVA_NEED_OPENPYXL();
    frmSession *frm = openFullProject();
    ASSERT_TRUE(frm);
    const QString saved = proj() + "saved.vrk";
    ASSERT_TRUE(frm->Save2IniFile(saved));

    // Read and written again without a window, every key of every section stays as it was.
    const QString copy = proj() + "copy.vrk";
    ASSERT_TRUE(QFile::copy(saved, copy));
    SessionSettings settings;
    settings.setFilePath(copy);
    ASSERT_TRUE(settings.Read(templatePath(), false));
    ASSERT_TRUE(settings.Write()) << settings.writeError().toStdString();
    ClsIni a, b;
    a.setIniFileName(saved);
    b.setIniFileName(copy);
    QStringList sections, copySections;
    a.GetSectionNames(sections);
    b.GetSectionNames(copySections);
    ASSERT_EQ(copySections, sections);
    for (const QString &section : sections) {
        QStringList keys, copyKeys;
        a.GetKeys(section, keys);
        b.GetKeys(section, copyKeys);
        EXPECT_EQ(copyKeys, keys) << section.toStdString();
    }
}

TEST_F(SessionWindow, ValuesAProjectCannotUseAreNamedWhenItOpens)
{
    const QString project = folder() + "odd.vrk";
    ASSERT_TRUE(writeText(project, "[Option]\nCompareAllCol=maybe\n"
                                   "[Script]\nUseScript=-1\nScriptFileName=../../evil.vbs\n"));
    boxes.expect(vbOK);
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    ASSERT_EQ(boxes.shown().size(), 1u);
    const QString prompt = boxes.shown()[0].prompt;
    EXPECT_TRUE(prompt.contains(project)) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains("maybe")) << prompt.toStdString();
    EXPECT_TRUE(prompt.contains("../../evil.vbs")) << prompt.toStdString();
    EXPECT_EQ(boxes.shown()[0].style, 48);
    // The script box shows no refused name, so nothing outside the Script folder can run.
    EXPECT_EQ(frm->CboScriptName->currentText(), "");
}

TEST_F(SessionWindow, CoupledFieldsFollowTheLoadedValuesAndTheUsersClicks)
{
    struct Case
    {
        const char *options;
        QStringList enabled;
    };
    const QList<Case> cases = {
        {"SameToLeft=-1\nCompareMethod=2\nCompareAllCol=True\n", {"txtLeftKeyCol"}},
        {"SameToLeft=0\nCompareMethod=2\nCompareAllCol=True\n",
         {"txtLeftKeyCol", "cboRightStartRow", "txtRightKeyCol"}},
        {"SameToLeft=0\nCompareMethod=1\nCompareAllCol=False\n", {"cboRightStartRow"}},
        {"SameToLeft=0\nCompareMethod=2\nCompareAllCol=False\n[Script]\nUseScript=-1\n",
         {"txtLeftKeyCol", "txtLeftDataCol", "cboRightStartRow", "txtRightKeyCol",
          "txtRightDataCol", "CboScriptName"}},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString project = folder() + QString("c%1.vrk").arg(n++);
        ASSERT_TRUE(writeText(project, QString("[LEFT]\nLeftKeyCol=K\nLeftDataCol=D\n"
                                               "[Right]\nRightKeyCol=X\nRightDataCol=Y\n"
                                               "[Option]\n") +
                                           c.options));
        frmSession *frm = openProject(project);
        ASSERT_TRUE(frm);
        EXPECT_EQ(enabledStates(frm), c.enabled) << c.options;
        // With "same as left" the right side shows the left's values whatever the file held.
        const bool same = frm->ChkSameToLeft->isChecked();
        EXPECT_EQ(frm->txtRightKeyCol->text(), same ? "K" : "X") << c.options;
        // Row by row compares all columns.
        if (frm->OptCompareMethod[0]->isChecked()) {
            EXPECT_TRUE(frm->ChkCompareAllCol->isChecked());
        }
    }

    // The user's clicks and typing.
    frmSession *frm = openProject(folder() + "c1.vrk");
    click(frm->OptCompareMethod[0]);
    EXPECT_TRUE(frm->ChkCompareAllCol->isChecked());
    EXPECT_EQ(enabledStates(frm), QStringList{"cboRightStartRow"});
    click(frm->OptCompareMethod[1]);
    click(frm->ChkCompareAllCol);
    click(frm->ChkSameToLeft);
    EXPECT_EQ(enabledStates(frm), (QStringList{"txtLeftKeyCol", "txtLeftDataCol"}));
    EXPECT_EQ(frm->txtRightKeyCol->text(), "K");
    type(frm->txtLeftKeyCol, "B,C");
    type(frm->txtLeftDataCol, "E");
    type(frm->cboLeftStartRow, "4");
    EXPECT_EQ(frm->txtRightKeyCol->text(), "B,C");
    EXPECT_EQ(frm->txtRightDataCol->text(), "E");
    EXPECT_EQ(frm->cboRightStartRow->currentText(), "4");
    click(frm->ChkSameToLeft);
    type(frm->txtLeftKeyCol, "Z");
    EXPECT_EQ(frm->txtRightKeyCol->text(), "B,C");
    // The report workbook's sheet boxes are usable only while it is ticked.
    click(frm->ChkExcelReport);
    EXPECT_FALSE(frm->ChkShowDiffInXls->isEnabled());
    click(frm->ChkExcelReport);
    EXPECT_TRUE(frm->ChkShowDiffInXls->isEnabled());
}

TEST_F(SessionWindow, TheChecksBeforeARunComeInOrderWithTheirMessagesPagesAndFocus)
{
    QUORVA_NEED_OPENPYXL();
    makeProjectBooks();
    const QString project = proj() + "p.vrk";
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftFileName=a.xlsx\n[Right]\nRightFileName=b.xlsx\n"
                                   "[Option]\nSameToLeft=0\nCompareAllCol=False\nTabIndex=1\n"
                                   "[LeftSheets]\nsheet0=1\n[RightSheets]\nsheet0=1\n"));
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    ClsCompareCore *core = frm->compareCore();

    // No report kind: the report page and its message, nothing checked further.
    click(frm->ChkTxtReport);
    click(frm->ChkExcelReport);
    type(frm->TxtLeftFileName, "   ");
    boxes.expect(vbOK);
    click(frm->CmdCompare);
    EXPECT_EQ(prompts(), QStringList{"请至少选择一种报告方式"});
    EXPECT_EQ(boxes.shown().back().style, 48);
    EXPECT_EQ(frm->SSTab1->currentIndex(), 1);

    struct Step
    {
        std::function<void()> change;
        QPushButton *button;
        QString prompt;
        int page;
        QWidget *focus;
    };
    const QList<Step> steps = {
        // The detail run has no report condition: the file check comes first.
        {[] {}, frm->CmdCompareDetail, "请先设置文件名", 0, frm->TxtLeftFileName},
        {[&] { type(frm->TxtLeftFileName, " nope.xlsx "); }, frm->CmdCompareDetail,
         "文件不存在 -- nope.xlsx", 0, frm->TxtLeftFileName},
        {[&] { type(frm->TxtLeftFileName, "/dev/zero"); }, frm->CmdCompareDetail,
         "这是设备或管道，不是普通文件 -- /dev/zero", 0, frm->TxtLeftFileName},
        {[&] {
             type(frm->TxtLeftFileName, "a.xlsx");
             type(frm->txtRightFileName, "");
             click(frm->ChkTxtReport);
         },
         frm->CmdCompare, "请先设置文件名", 0, frm->txtRightFileName},
        {[&] {
             type(frm->txtRightFileName, "b.xlsx");
             type(frm->txtLeftKeyCol, "A，C");
             type(frm->txtRightDataCol, "B,,C");
         },
         frm->CmdCompare, "输入列无效", 0, frm->txtRightDataCol},
        {[&] {
             type(frm->txtRightDataCol, "IW");
             click(frm->ChkCompareAllCol);
         },
         frm->CmdCompare, "输入列无效", 0, frm->ChkCompareAllCol},
        {[&] {
             click(frm->ChkCompareAllCol);
             type(frm->txtRightDataCol, "B");
             frm->ListViewRightSheets->clearSelection();
         },
         frm->CmdCompare, "请选择要比较的工作表", 0, nullptr},
        {[&] {
             selectSheets(frm->ListViewRightSheets, {"T2"});
             type(frm->txtLeftDataCol, "B");
         },
         frm->CmdCompare, "A和A,C关键列数不等！", 0, nullptr},
        {[&] {
             type(frm->txtRightKeyCol, "A,C");
             click(frm->ChkSameToLeft); // the right side takes the left's values
             frm->SSTab1->setCurrentIndex(2);
             click(frm->chkUseScript);
             frm->SSTab1->setCurrentIndex(0);
         },
         frm->CmdCompare, "请选择一个脚步文件", 2, nullptr},
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const Step &s = steps.at(i);
        s.change();
        frm->SSTab1->setCurrentIndex(1);
        boxes.clear();
        boxes.expect(vbOK);
        click(s.button);
        EXPECT_EQ(prompts(), QStringList{s.prompt}) << "step " << i;
        if (s.page != 0 || s.focus) {
            EXPECT_EQ(frm->SSTab1->currentIndex(), s.page) << "step " << i;
        }
        if (s.focus) {
            EXPECT_EQ(frm->focusWidget(), s.focus) << "step " << i;
        }
        if (i == 4) {
            // A full-width comma typed by an input method became a comma, whatever came next.
            EXPECT_EQ(frm->txtLeftKeyCol->text(), "A,C");
        }
        if (i == 6) {
            // The fields reach the sides only after the file, column and sheet checks.
            EXPECT_TRUE(core->m_leftObj->KeyCol().isEmpty());
        }
    }
    EXPECT_EQ(core->m_leftObj->KeyCol(), "A,C");
    EXPECT_EQ(core->m_leftObj->FileName(), proj() + "a.xlsx");
}

TEST_F(SessionWindow, ClosingSavesASavedProjectSilentlyAndAsksForAnUntitledOne)
{
    // A saved project: no question, the project and the template are written.
    const QString project = folder() + "saved.vrk";
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftKeyCol=K\n"));
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    type(frm->txtLeftKeyCol, "Q");
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(lines(project).contains("LeftKeyCol=Q"));
    EXPECT_TRUE(lines(templatePath()).contains("LeftKeyCol=Q"));

    // Untitled: Cancel keeps the window; Yes with the dialog cancelled keeps it too.
    frm = newSession();
    boxes.expect(vbCancel);
    EXPECT_FALSE(frm->CloseWindow());
    EXPECT_TRUE(g_CloseCancelled);
    boxes.expect(vbYes);
    dialogs.answer("");
    EXPECT_FALSE(frm->CloseWindow());
    EXPECT_EQ(sessionNames().size(), 1);

    // Yes with a name: saved there (".vrk" added), the window closes.
    boxes.expect(vbYes);
    dialogs.answer(folder() + "named");
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_FALSE(g_CloseCancelled);
    EXPECT_TRUE(sessionNames().isEmpty());
    EXPECT_TRUE(lines(folder() + "named.vrk").contains("LeftKeyCol=Q"));
    EXPECT_EQ(dialogs.asked.back().title, "保存工程文件");
}

TEST_F(SessionWindow, AProjectThatCannotBeSavedAtClosingAsksWhatToDo)
{
    const QString project = folder() + "locked.vrk";
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftKeyCol=K\n"));
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    type(frm->txtLeftKeyCol, "Q");
    ASSERT_TRUE(QFile::setPermissions(project, QFile::ReadOwner | QFile::ReadGroup));
    const QByteArray before = TestFiles::read(project);

    // Cancel keeps the window and its edits.
    boxes.expect(vbCancel);
    EXPECT_FALSE(frm->CloseWindow());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].prompt.startsWith("保存文件失败"));
    EXPECT_TRUE(boxes.shown()[0].prompt.contains("Filename=" + project));
    EXPECT_EQ(boxes.shown()[0].style, 3 + 48);
    EXPECT_EQ(frm->txtLeftKeyCol->text(), "Q");

    // Yes saves under another name and closes.
    boxes.expect(vbYes);
    dialogs.answer(folder() + "rescued.vrk");
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_TRUE(lines(folder() + "rescued.vrk").contains("LeftKeyCol=Q"));
    EXPECT_EQ(TestFiles::read(project), before);

    // No discards the edits and closes.
    frm = openProject(project);
    type(frm->txtLeftKeyCol, "R");
    boxes.expect(vbNo);
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_TRUE(sessionNames().isEmpty());
    EXPECT_EQ(TestFiles::read(project), before);
    QFile::setPermissions(project, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(SessionWindow, TheSessionOptionsDialogEditsThisSessionsOptions)
{
    const QString project = folder() + "opts.vrk";
    ASSERT_TRUE(writeText(project, "[Option]\nIgnoreCase_Key=-1\n"));
    frmSession *frm = openProject(project);
    ASSERT_TRUE(frm);
    window->mnuSessionOption->trigger();
    settle();
    auto *dialog = frm->findChild<frmSessionOption *>();
    ASSERT_TRUE(dialog);
    click(dialog->chkIgnoreCase_Key);
    click(dialog->cmdOK);
    EXPECT_FALSE(frm->sessionOption()->IgnoreCase_Key());
    EXPECT_TRUE(frm->CloseWindow());
    settle();
    EXPECT_TRUE(lines(project).contains("IgnoreCase_Key= 0"));

    // Not while a comparison runs.
    frm = openProject(project);
    CompareMainWindow::installed()->InCompare(true);
    frm->SessionOption_Click();
    settle();
    EXPECT_FALSE(frm->findChild<frmSessionOption *>());
    CompareMainWindow::installed()->InCompare(false);
}

TEST_F(SessionWindow, AFileBoxTakesOneDroppedFileAndNothingElse)
{
    frmSession *frm = newSession();
    const QString a = touch("a.xlsx");
    const QString b = touch("b.xlsx");
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(a)});
    dropOn(frm->TxtLeftFileName, &one);
    EXPECT_EQ(frm->TxtLeftFileName->text(), a);
    EXPECT_EQ(frm->ListViewLeftSheets->topLevelItemCount(), 0) << "a drop does not read sheets";

    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    dropOn(frm->TxtLeftFileName, &two);
    QMimeData text;
    text.setText("dropped text");
    dropOn(frm->TxtLeftFileName, &text);
    EXPECT_EQ(frm->TxtLeftFileName->text(), a);
    dropOn(frm->txtRightFileName, &one);
    EXPECT_EQ(frm->txtRightFileName->text(), a);
}

TEST_F(SessionWindow, CaptionsComeFromTheLanguageFileAndFitTheirText)
{
    frmSession *frm = newSession();
    const QString lan = folder() + "Lang/ChineseS.Lan";
    const QStringList keys = lines(lan);
    const qsizetype section = keys.indexOf("[frmSession]");
    ASSERT_GE(section, 0);
    // The controls in the design's order, then the texts the window sets itself.
    QStringList names;
    for (qsizetype i = section + 1; i < keys.size() && !keys.at(i).startsWith('['); ++i)
        names.append(keys.at(i).section('=', 0, 0));
    const QStringList start = {
        "lblLeftFileName",    "lblrightFileName", "CmdCompare", "CmdCompareDetail",
        "FrameCompareMethod", "ChkCompareAllCol", "Frame1",     "lblLeftStartRow",
        "lblLeftKeyCol",      "lblLeftDataCol",   "Frame2",     "ChkSameToLeft"};
    EXPECT_EQ(names.mid(0, start.size()), start);
    for (const char *key : {"OptCompareMethod0", "CompareItem_Memo", "TabCaption3", "worksheet",
                            "CmdCompareDetailToolTip"})
        EXPECT_TRUE(names.contains(key)) << key;
    EXPECT_FALSE(names.contains("CmdLeftSelectFile"));
    EXPECT_FALSE(names.contains("FrameXlsReport"));

    // Another language: long captions are shown whole.
    QString text = QString::fromUtf8(TestFiles::read(lan));
    text.replace("lblLeftStartRow=开始行:", "lblLeftStartRow=First data row:");
    text.replace("ChkSameToLeft=同左边一样", "ChkSameToLeft=The same as the left side");
    text.replace("TabCaption2=比较报告", "TabCaption2=Reports");
    ASSERT_TRUE(TestFiles::write(lan, text.toUtf8()));
    window->OnLanguageChanged();
    EXPECT_EQ(frm->lblLeftStartRow->text(), "First data row:");
    EXPECT_EQ(frm->SSTab1->tabText(1), "Reports");
    for (QWidget *w : std::initializer_list<QWidget *>{frm->lblLeftStartRow, frm->ChkSameToLeft})
        EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
}

} // namespace
