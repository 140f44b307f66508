#include "app/ModMain.h"
#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "core/ModPub.h"
#include "engine/ClsComparePair.h"
#include "engine/CompareViewSeam.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using win::vbOK;
using win::vbYes;

// The report workbook read back by openpyxl: one line per sheet, "name:" and its rows, each
// row's cell texts joined by "|".
const char *const Reader = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print(ws.title + ':')
    for row in ws.iter_rows():
        texts = ['' if c.value is None else str(c.value) for c in row]
        while texts and texts[-1] == '':
            texts.pop()
        print('|'.join(texts))
)";

// Left Data: key in A, name in B, amount in C. The right side changes k2's amount, lacks k3 and
// adds k5; the sheets "Other" and "Extra" are not compared.
const char *const FruitBooks = R"(
book('left.xlsx', [('Data', [['key', 'name', 'amount'], ['k1', 'apple', 10], ['k2', 'pear', 20],
                             ['k3', 'plum', 30], ['k4', 'fig', 40]]),
                   ('Other', [['x']])])
book('right.xlsx', [('Data', [['key', 'name', 'amount'], ['k1', 'apple', 10], ['k2', 'pear', 25],
                              ['k4', 'fig', 40], ['k5', 'kiwi', 50]]),
                    ('Extra', [['y']])])
)";

class SessionRun : public SessionFixture
{
protected:
    QStringList readBook(const QString &path)
    {
        return TestFiles::runPythonLines(QString::fromUtf8(Reader), path);
    }
    // A session with both fruit workbooks, their Data sheets selected, key column A and data
    // columns B and C, reports into out/.
    frmSession *fruitSession()
    {
        EXPECT_EQ(makeBooks(FruitBooks), "");
        frmSession *frm = newSession();
        // The left workbook through the open dialog, the right one dropped and read.
        dialogs.answer(folder() + "left.xlsx");
        click(frm->CmdLeftSelectFile);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder() + "right.xlsx")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(frm->txtRightFileName, &enter);
        QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(frm->txtRightFileName, &drop);
        click(frm->CmdRight_Refresh_Sheet);
        selectSheets(frm->ListViewRightSheets, {"Data"});

        frm->SSTab1->setCurrentIndex(0);
        type(frm->txtLeftKeyCol, "a");
        click(frm->ChkCompareAllCol);
        type(frm->txtLeftDataCol, "b，c");
        frm->SSTab1->setCurrentIndex(1);
        type(frm->txtReportPath, folder() + "out");
        click(frm->ChkTxtReport);
        return frm;
    }
};

TEST_F(SessionRun, AUserComparesTwoWorkbooksAndGetsBothReports)
{
    QUORVA_NEED_OPENPYXL();
    frmSession *frm = fruitSession();
    ASSERT_TRUE(frm);
    EXPECT_EQ(sheetNames(frm->ListViewLeftSheets), (QStringList{"Data", "Other"}));
    EXPECT_EQ(selectedSheets(frm->ListViewLeftSheets), QStringList{"Data"});
    EXPECT_EQ(sheetNames(frm->ListViewRightSheets), (QStringList{"Data", "Extra"}));
    EXPECT_EQ(g_LastOpenPath, folder());
    EXPECT_EQ(dialogs.asked.back().filter, "Excel 工作簿|*.xls;*.xlsx;*.xlsm|所有文件(*.*)|*.*");
    EXPECT_EQ(frm->txtRightKeyCol->text(), "a") << "the right side follows the left";

    click(frm->CmdCompare);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    EXPECT_EQ(frm->txtLeftDataCol->text(), "b,c");

    const QString report = folder() + "out/Data.txt";
    const QStringList text = lines(report);
    EXPECT_EQ(text.value(0), "比较方法：基于关键列的比较");
    EXPECT_EQ(text.value(1), "左边：" + folder() + "left.xlsx");
    EXPECT_TRUE(text.contains("左边row:3,匹配右边row:3: 20<->25")) << text.join('\n').toStdString();
    EXPECT_TRUE(text.contains("不匹配的行数：1"));
    EXPECT_TRUE(text.contains("匹配行数：4")) << text.join('\n').toStdString();
    EXPECT_TRUE(text.contains("在匹配行内，存在差异的行数1"));
    EXPECT_EQ(shell.opened, QStringList{report});

    EXPECT_EQ(readBook(folder() + "out/Data.xlsx"),
              (QStringList{"差异的行:", "|row3|k2|pear|20", "|row3|k2|pear|25",
                           "左边孤立的行:", "k3|plum|30", "右边孤立的行:", "k5|kiwi|50"}));

    // The run is over: the window is usable again and the main window idle.
    EXPECT_TRUE(frm->CmdCompare->isEnabled());
    EXPECT_FALSE(window->IsBusy());
    EXPECT_FALSE(window->CmdCancel->isVisible());
    EXPECT_FALSE(window->m_ProgressBar1->isVisible());
}

// After a good workbook was listed, the refresh button on a name that is no longer a workbook
// Quorva can read empties the list and says why: its old sheets are not this file's.
TEST_F(SessionRun, RefreshingAFileThatIsNoWorkbookEmptiesTheListAndSaysWhy)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks(FruitBooks), "");
    ASSERT_TRUE(TestFiles::write(folder() + "notes.xlsx", "plain text\n"));
    ASSERT_TRUE(QDir().mkpath(folder() + "folder.xlsx"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder() + "pipe.xlsx").constData(), 0600), 0);
    struct Case
    {
        const char *name;
        const char *says;
    } cases[] = {
        {"gone.xlsx", "文件不存在 -- gone.xlsx"},
        {"notes.xlsx", "不是 Quorva 能读取的工作簿"},
        {"folder.xlsx", "这是文件夹，不是工作簿文件 -- folder.xlsx"},
        {"pipe.xlsx", "这是设备或管道，不是普通文件 -- pipe.xlsx"},
        {"/dev/zero", "这是设备或管道，不是普通文件 -- /dev/zero"},
    };
    frmSession *frm = newSession();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        type(frm->TxtLeftFileName, folder() + "left.xlsx");
        click(frm->CmdLeft_Refresh_Sheet);
        ASSERT_EQ(sheetNames(frm->ListViewLeftSheets), (QStringList{"Data", "Other"}));
        boxes.clear();
        boxes.expect(vbOK);
        type(frm->TxtLeftFileName, QString::fromUtf8(c.name));
        click(frm->CmdLeft_Refresh_Sheet);
        EXPECT_TRUE(sheetNames(frm->ListViewLeftSheets).isEmpty());
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_TRUE(boxes.shown()[0].prompt.contains(QString::fromUtf8(c.says)))
            << boxes.shown()[0].prompt.toStdString();
        EXPECT_FALSE(boxes.shown()[0].prompt.contains("excel"));
    }
}

TEST_F(SessionRun, ALongRunKeepsTheWindowLiveAndCanBeCancelled)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks("rows = [['key', 'v']] + [['k%d' % i, i] for i in range(3000)]\n"
                        "book('big1.xlsx', [('Big', rows)])\n"
                        "book('big2.xlsx', [('Big', rows)])\n"),
              "");
    frmSession *frm = newSession();
    type(frm->TxtLeftFileName, folder() + "big1.xlsx");
    type(frm->txtRightFileName, folder() + "big2.xlsx");
    click(frm->CmdLeft_Refresh_Sheet);
    click(frm->CmdRight_Refresh_Sheet);
    frm->SSTab1->setCurrentIndex(1);
    type(frm->txtReportPath, folder() + "out");

    // While the comparison runs the window answers: its buttons are off, the main window shows
    // Cancel and the progress bar, and Cancel (confirmed) stops the run. The progress bar's
    // first value during the run is the moment to look and press Cancel.
    bool acted = false, seenBusy = false, compareOff = false, progressShown = false;
    QObject::connect(window->m_ProgressBar1, &QProgressBar::valueChanged, frm, [&](int value) {
        if (acted || value <= 0) return;
        acted = true;
        seenBusy = window->CmdCancel->isVisible();
        compareOff = !frm->CmdCompare->isEnabled() && !frm->CmdLeftSelectFile->isEnabled();
        progressShown = window->m_ProgressBar1->isVisible();
        boxes.expect(vbYes);
        QTest::mouseClick(window->CmdCancel, Qt::LeftButton);
    });
    click(frm->CmdCompare);
    EXPECT_TRUE(seenBusy);
    EXPECT_TRUE(compareOff);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(prompts(), QStringList{"正在比较，是否取消？"});
    const QStringList text = lines(folder() + "out/Big.txt");
    EXPECT_TRUE(text.contains("比较已被取消：以上结果只包括取消之前比较过的行"))
        << text.join('\n').toStdString();
    EXPECT_TRUE(frm->CmdCompare->isEnabled());
    EXPECT_TRUE(frm->CmdLeftSelectFile->isEnabled());
}

// Scripts that never return, recurse without end or build an ever longer text, used by a run
// from the window: the window keeps answering, Cancel stops the endless one without a word, and
// the others stop with a message that names the script and the reason.
TEST_F(SessionRun, RunawayScriptsLeaveTheWindowLiveAndStopWithTheirName)
{
    QUORVA_NEED_OPENPYXL();
    struct Case
    {
        const char *file, *body, *says; // says: "" for a run the user cancels
    } cases[] = {
        {"loop.vbs", "    Do\r\n    Loop\r\n", ""},
        {"deep.vbs", "    IsEqual = IsEqual(a, b)\r\n", "Out of stack space"},
        {"grow.vbs", "    s = \"x\"\r\n    Do\r\n        s = s & s\r\n    Loop\r\n",
         "IsEqual::err="},
    };
    frmSession *frm = fruitSession();
    ASSERT_TRUE(frm);
    ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(writeText(folder() + "Script/" + c.file,
                              QString("Function IsEqual(a, b)\r\n") + c.body + "End Function\r\n"));
        frm->SSTab1->setCurrentIndex(2);
        if (!frm->chkUseScript->isChecked()) click(frm->chkUseScript);
        type(frm->CboScriptName, QString::fromUtf8(c.file));
        boxes.clear();
        bool answered = false;
        if (!*c.says) {
            // Mid-run, the window answers: the Cancel button is pressed and confirmed.
            QTimer::singleShot(300, frm, [&] {
                answered = window->CmdCancel->isVisible() && !frm->CmdCompare->isEnabled();
                boxes.expect(vbYes);
                QTest::mouseClick(window->CmdCancel, Qt::LeftButton);
            });
        } else {
            boxes.expect(vbOK);
        }
        click(frm->CmdCompare);
        if (!*c.says) {
            EXPECT_TRUE(answered);
            EXPECT_EQ(prompts(), QStringList{"正在比较，是否取消？"});
        } else {
            ASSERT_EQ(prompts().size(), 1) << prompts().join('\n').toStdString();
            EXPECT_TRUE(prompts()[0].contains(QString::fromUtf8(c.says)))
                << prompts()[0].toStdString();
            EXPECT_TRUE(prompts()[0].endsWith(QString::fromUtf8(c.file)))
                << prompts()[0].toStdString();
        }
        EXPECT_TRUE(frm->CmdCompare->isEnabled());
        EXPECT_FALSE(window->IsBusy());
    }
}

class FakeView : public CompareViewSeam
{
public:
    void ShowPairDetail(ClsCompareCore &, std::shared_ptr<ClsComparePair> pair) override
    {
        shown.append(pair->leftSheetName() + "->" + pair->rightSheetName());
    }
    QStringList shown;

private:
    CompareViewSeam::Scope m_installed{this};
};

TEST_F(SessionRun, CompareInDetailShowsEachPairOrSaysTheViewIsMissing)
{
    QUORVA_NEED_OPENPYXL();
    frmSession *frm = fruitSession();
    ASSERT_TRUE(frm);
    // Without the difference view: the pairs are compared and a message says so.
    boxes.expect(vbOK);
    click(frm->CmdCompareDetail);
    ASSERT_EQ(prompts().size(), 1);
    EXPECT_TRUE(prompts().first().startsWith("详细比较窗口尚不可用"));
    EXPECT_TRUE(prompts().first().contains(folder() + "out/"));
    EXPECT_TRUE(lines(folder() + "out/Data.txt").contains("在匹配行内，存在差异的行数1"));
    EXPECT_TRUE(shell.opened.isEmpty()) << "a detail run does not open the text report";
    EXPECT_FALSE(QFile::exists(folder() + "out/Data.xlsx"));

    boxes.clear();
    FakeView view;
    click(frm->CmdCompareDetail);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(view.shown, QStringList{"Data->Data"});
}

// A session never saved has no folder of its own: a relative report folder lies in the user's
// report folder, not beside the program wherever that is installed.
TEST_F(SessionRun, AnUntitledSessionsRelativeReportFolderLiesInTheUsersReportFolder)
{
    QUORVA_NEED_OPENPYXL();
    frmSession *frm = fruitSession();
    ASSERT_TRUE(frm);
    type(frm->txtReportPath, "reports");
    click(frm->CmdCompare);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    const QString reports = ModPub::GetTempDir() + "reports/";
    ASSERT_TRUE(reports.startsWith(tempFolder())) << reports.toStdString();
    EXPECT_TRUE(QFile::exists(reports + "Data.txt"));
    EXPECT_FALSE(QFile::exists(folder() + "reports/Data.txt"));
    EXPECT_EQ(shell.opened, QStringList{reports + "Data.txt"});
    EXPECT_EQ(frm->txtReportPath->text(), "reports") << "the field keeps what was typed";
}

// A project that stores no sheets opens with none chosen: a run asks for them instead of
// comparing a sheet nobody chose, and the automatic start stops with the same question.
TEST_F(SessionRun, AProjectWithoutStoredSheetsAsksForThemBeforeARun)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks(FruitBooks), "");
    const QString project = folder() + "nosheets.vrk";
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftFileName=left.xlsx\n[Right]\nRightFileName="
                                   "right.xlsx\n[Report]\nReportPath=out\n"));
    boxes.expect(vbOK);
    start("\"" + project + "\" /A");
    settle();
    frmSession *frm = window->SessionWindowNamed(project);
    ASSERT_TRUE(frm);
    EXPECT_GT(frm->ListViewLeftSheets->topLevelItemCount(), 0);
    EXPECT_TRUE(frm->ListViewLeftSheets->selectedItems().isEmpty());
    EXPECT_TRUE(frm->ListViewRightSheets->selectedItems().isEmpty());
    EXPECT_EQ(prompts(), QStringList{"请选择要比较的工作表"});
    EXPECT_FALSE(QFile::exists(folder() + "out/Data.txt"));
}

TEST_F(SessionRun, AutomaticStartComparesInEverySessionAtItsFirstActivation)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks(FruitBooks), "");
    const QString project = folder() + "auto.vrk";
    // The report folder is relative, as the workbooks are: it lies beside the project.
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftFileName=left.xlsx\n[Right]\nRightFileName="
                                   "right.xlsx\n[Report]\nReportPath=auto\n[LeftSheets]\n"
                                   "sheet0=1\n[RightSheets]\nsheet0=1\n"));
    start("\"" + project + "\" /A");
    settle();
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(folder() + "auto/Data.txt"));
    EXPECT_TRUE(QFile::exists(folder() + "auto/Data.xlsx"));
    // The project keeps the folder as typed.
    ASSERT_TRUE(window->SessionWindowNamed(project)->CloseWindow());
    EXPECT_TRUE(lines(project).contains("ReportPath=auto/"));

    // A session opened later compares too, here with the workbooks of the template that the
    // project became when it closed.
    ASSERT_TRUE(QFile::remove(folder() + "auto/Data.txt"));
    frmSession *later = newSession();
    settle();
    ASSERT_TRUE(later);
    EXPECT_EQ(later->TxtLeftFileName->text(), folder() + "left.xlsx");
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    EXPECT_TRUE(QFile::exists(folder() + "auto/Data.txt"));
}

} // namespace
