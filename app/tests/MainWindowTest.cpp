#include "app/ModMain.h"
#include "app/frmSession.h"
#include "app/tests/MainWindowFixture.h"
#include "core/ProcessGlobals.h"
#include "engine/CompareMainWindow.h"
#include "engine/ModCompare.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using win::vbCancel;
using win::vbNo;
using win::vbYes;

class MainWindow : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ModCompare::SetCancelCompare(false);
    }
    void TearDown() override
    {
        ModCompare::SetCancelCompare(false);
        MainWindowFixture::TearDown();
    }

    // Clicks a toolbar button as the user does.
    void clickTool(QAction *button)
    {
        QWidget *widget = window->ToolbarMain->widgetForAction(button);
        ASSERT_TRUE(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
        settle();
    }
    // Drops the files on a widget as the desktop's drag and drop does.
    void drop(QWidget *target, const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        settle();
    }
    // The enabled state of the commands that need a session window, in a fixed order.
    std::vector<bool> sessionCommands() const
    {
        std::vector<bool> states;
        for (QAction *a : {window->mnuFileSave, window->mnuFileSaveAs, window->MnuFileClose,
                           window->MnuFileCloseAll, window->mnuSessionOption,
                           window->mnuSwitchLeftRight, window->tlbSave, window->tlbSwitch})
            states.push_back(a->isEnabled());
        return states;
    }
    std::vector<bool> openCommands() const
    {
        std::vector<bool> states;
        for (QAction *a : {window->mnuFileNew, window->mnuFileOpen, window->tlbNew, window->tlbOpen,
                           window->MnuWindowCloseAll})
            states.push_back(a->isEnabled());
        return states;
    }
    // Clicks the project list's entry as the user does.
    void clickEntry(int row)
    {
        QTreeWidgetItem *entry = window->ListView1->topLevelItem(row);
        ASSERT_TRUE(entry);
        QTest::mouseClick(window->ListView1->viewport(), Qt::LeftButton, {},
                          window->ListView1->visualItemRect(entry).center());
        settle();
    }
    static std::vector<bool> all(size_t n, bool value) { return std::vector<bool>(n, value); }
};

TEST_F(MainWindow, NewProjectsAreNumberedAndNumbersAreNotReused)
{
    start();
    window->mnuFileNew->trigger();
    clickTool(window->tlbNew);
    EXPECT_EQ(sessionNames(), (QStringList{"New Project 1", "New Project 2"}));
    EXPECT_EQ(projectListTexts(), (QStringList{"New Project 1", "New Project 2"}));
    EXPECT_EQ(window->ActiveSessionWindow(), session("New Project 2"));
    EXPECT_EQ(window->ListView1->currentItem()->text(0), "New Project 2");

    // Closing both: each asks whether to save; No closes without saving.
    boxes.expect(vbNo);
    boxes.expect(vbNo);
    window->MnuFileCloseAll->trigger();
    settle();
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].prompt, "是否保存工程文件?");
    EXPECT_EQ(boxes.shown()[0].style, 35);
    EXPECT_EQ(boxes.shown()[0].title, "New Project 2");
    EXPECT_TRUE(sessionNames().isEmpty());
    EXPECT_TRUE(projectListTexts().isEmpty());

    window->mnuFileNew->trigger();
    EXPECT_EQ(sessionNames(), (QStringList{"New Project 3"}));
}

TEST_F(MainWindow, CommandStatesFollowTheSessionWindowsAndTheBusyState)
{
    start();
    EXPECT_EQ(sessionCommands(), all(8, false));
    EXPECT_EQ(openCommands(), all(5, true));
    window->mnuFileNew->trigger();
    EXPECT_EQ(sessionCommands(), all(8, true));
    window->mnuFileNew->trigger();
    EXPECT_EQ(sessionCommands(), all(8, true));

    // A comparison runs: nothing may start, open, close or change a session.
    CompareMainWindow::installed()->InCompare(true);
    EXPECT_TRUE(window->CmdCancel->isVisible());
    EXPECT_EQ(sessionCommands(), all(8, false));
    EXPECT_EQ(openCommands(), all(5, false));
    EXPECT_FALSE(window->mnuFileRecent->menuAction()->isEnabled());
    window->mnuFileNew->trigger();
    window->MnuFileClose->trigger();
    window->OpenSessionWindow(touch("other.vrk"));
    EXPECT_EQ(sessionNames().size(), 2);

    // A run that ended inside another leaves the outer one busy.
    CompareMainWindow::installed()->InCompare(true);
    CompareMainWindow::installed()->InCompare(false);
    EXPECT_TRUE(window->IsBusy());
    EXPECT_TRUE(window->CmdCancel->isVisible());

    CompareMainWindow::installed()->InCompare(false);
    EXPECT_FALSE(window->CmdCancel->isVisible());
    EXPECT_EQ(sessionCommands(), all(8, true));
    EXPECT_EQ(openCommands(), all(5, true));

    boxes.expect(vbNo);
    boxes.expect(vbNo);
    window->MnuFileCloseAll->trigger();
    settle();
    EXPECT_EQ(sessionCommands(), all(8, false));
}

TEST_F(MainWindow, ADroppedProjectFileOpensAndOtherDropsOpenNothing)
{
    start();
    const QString plan = touch("plan.v2.vrk");
    const QString book = touch("book.xls");
    const QString other = touch("other.VRK");
    drop(window, {book});
    drop(window->ListView1->viewport(), {plan, other});
    EXPECT_TRUE(sessionNames().isEmpty());

    drop(window->ListView1->viewport(), {plan});
    EXPECT_EQ(sessionNames(), QStringList{plan});
    EXPECT_EQ(projectListTexts(), QStringList{"plan.v2.vrk"});
    drop(window, {other});
    EXPECT_EQ(sessionNames(), (QStringList{plan, other}));
    // The same project again only brings its window to the top.
    drop(window, {plan});
    EXPECT_EQ(sessionNames().size(), 2);
    EXPECT_EQ(window->ActiveSessionWindow(), session(plan));
}

TEST_F(MainWindow, CloseAllStopsAtARefusedCloseAndAnEarlierRefusalDoesNotStopIt)
{
    start();
    for (int i = 0; i < 3; ++i)
        window->mnuFileNew->trigger();
    // The active window (3) closes, 2 refuses: 1 is not asked.
    boxes.expect(vbNo);
    boxes.expect(vbCancel);
    window->MnuFileCloseAll->trigger();
    settle();
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(sessionNames(), (QStringList{"New Project 1", "New Project 2"}));
    EXPECT_TRUE(g_CloseCancelled);

    // Saved projects close without a question, which leaves the flag as it was: the next Close
    // All must still close them all.
    window->OpenSessionWindow(touch("a.vrk"));
    window->OpenSessionWindow(touch("b.vrk"));
    boxes.clear();
    boxes.expect(vbNo);
    boxes.expect(vbNo);
    window->MnuWindowCloseAll->trigger();
    settle();
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_TRUE(sessionNames().isEmpty());
}

TEST_F(MainWindow, QuittingClosesEverySessionWindowAndARefusalKeepsTheProgramRunning)
{
    start();
    window->mnuFileNew->trigger();
    window->mnuFileNew->trigger();
    boxes.expect(vbNo);
    boxes.expect(vbCancel);
    window->mnuFileQuit->trigger();
    settle();
    ASSERT_TRUE(window) << "a session window refused";
    EXPECT_EQ(sessionNames().size(), 1);
    EXPECT_TRUE(g_SettingsIni) << "nothing was released";

    boxes.expect(vbNo);
    EXPECT_TRUE(quit());
    EXPECT_NE(settings().indexOf("[frmMain]"), -1);
}

TEST_F(MainWindow, TheCancelButtonAsksAndOnlyYesCancels)
{
    start();
    window->mnuFileNew->trigger();
    CompareMainWindow::installed()->InCompare(true);
    ASSERT_TRUE(window->CmdCancel->isVisible());

    boxes.expect(vbNo);
    QTest::mouseClick(window->CmdCancel, Qt::LeftButton);
    EXPECT_EQ(boxes.shown().back().prompt, "正在比较，是否取消？");
    EXPECT_EQ(boxes.shown().back().style, 4 + 48);
    EXPECT_EQ(boxes.shown().back().title, "Quorva");
    EXPECT_FALSE(ModCompare::IsCancelCompare());
    EXPECT_TRUE(window->CmdCancel->isVisible());

    boxes.expect(vbYes);
    QTest::mouseClick(window->CmdCancel, Qt::LeftButton);
    EXPECT_TRUE(ModCompare::IsCancelCompare());
    EXPECT_FALSE(window->CmdCancel->isVisible());
    CompareMainWindow::installed()->InCompare(false);
}

TEST_F(MainWindow, ARunningSessionWindowClosesOnlyAfterTheRunHasUnwound)
{
    start();
    window->mnuFileNew->trigger();
    window->mnuFileNew->trigger();
    frmSession *running = session("New Project 2");
    ASSERT_EQ(window->ActiveSessionWindow(), running);
    CompareMainWindow::installed()->InCompare(true);

    // Its close box: the offer to cancel, declined.
    boxes.expect(vbNo);
    EXPECT_FALSE(running->CloseWindow());
    EXPECT_EQ(boxes.shown().back().prompt, "正在比较，是否取消？");
    EXPECT_FALSE(ModCompare::IsCancelCompare());
    // Accepted: the run is cancelled, the window stays until the run has ended.
    boxes.expect(vbYes);
    EXPECT_FALSE(running->CloseWindow());
    EXPECT_TRUE(ModCompare::IsCancelCompare());
    settle();
    ASSERT_EQ(sessionNames().size(), 2);

    // The idle window may close meanwhile.
    boxes.expect(vbNo);
    EXPECT_TRUE(session("New Project 1")->CloseWindow());

    boxes.expect(vbNo); // the running window's own close question, once the run has ended
    CompareMainWindow::installed()->InCompare(false);
    EXPECT_EQ(sessionNames().size(), 1) << "not inside the run's last call";
    settle();
    EXPECT_TRUE(sessionNames().isEmpty());
    EXPECT_EQ(boxes.pendingAnswers(), 0);
}

TEST_F(MainWindow, TheMainWindowClosesOnlyAfterTheRunHasUnwound)
{
    start();
    window->mnuFileNew->trigger();
    CompareMainWindow::installed()->InCompare(true);
    boxes.expect(vbNo);
    EXPECT_FALSE(quit());
    EXPECT_FALSE(ModCompare::IsCancelCompare());
    boxes.expect(vbYes);
    EXPECT_FALSE(quit());
    EXPECT_TRUE(ModCompare::IsCancelCompare());
    EXPECT_EQ(sessionNames().size(), 1) << "no session window was asked while the run goes on";
    EXPECT_TRUE(g_SettingsIni);

    boxes.expect(vbNo);
    CompareMainWindow::installed()->InCompare(false);
    settle();
    EXPECT_FALSE(window);
    EXPECT_NE(settings().indexOf("[Explorer]"), -1);
}

TEST_F(MainWindow, ARenamedWindowKeepsItsEntryAndClosedWindowsAreNeverTouchedAgain)
{
    start();
    window->mnuFileNew->trigger();
    window->mnuFileNew->trigger();
    frmSession *first = session("New Project 1");
    // A save names the window after its file (a case-only rename alike).
    const QString saved = folder() + "Month.vrk";
    first->SetIniFileName(saved);
    clickEntry(0);
    EXPECT_EQ(window->ActiveSessionWindow(), first);
    EXPECT_EQ(projectListTexts(), (QStringList{"Month.vrk", "New Project 2"}));
    EXPECT_EQ(projectListKeys(), (QStringList{saved, "New Project 2"}));
    EXPECT_EQ(window->SessionWindowNamed(saved), first);
    EXPECT_EQ(window->SessionWindowNamed("New Project 1"), nullptr);

    first->SetIniFileName(folder() + "month.vrk");
    TestFiles::write(folder() + "month.vrk", ""); // saved: the close asks nothing
    EXPECT_TRUE(first->CloseWindow());
    settle();
    EXPECT_EQ(sessionNames(), QStringList{"New Project 2"});
    EXPECT_EQ(projectListTexts(), QStringList{"New Project 2"});

    // Commands that walk the windows meet only the live one.
    window->mnuWindowMaximizeAll->trigger();
    EXPECT_TRUE(session("New Project 2")->parentWidget()->isMaximized());
    window->OnLanguageChanged();
    clickEntry(0);
    EXPECT_EQ(window->ActiveSessionWindow(), session("New Project 2"));
    window->OpenSessionWindow(folder() + "month.vrk");
    EXPECT_EQ(sessionNames().size(), 2) << "the closed window's name opens a new window";
}

TEST_F(MainWindow, ACommandLinePairOpensOneUntitledSessionWithBothPaths)
{
    const QString left = touch("left book.xlsx");
    const QString right = touch("right.xlsx");
    // Both files are empty, no workbooks: reading their sheets fails with a message each, and
    // the automatic comparison then finds no sheet selected.
    for (int i = 0; i < 3; ++i)
        boxes.expect(win::vbOK);
    start(left + "?" + right + " /A");
    EXPECT_EQ(sessionNames(), QStringList{"New Project 1"});
    frmSession *frm = session("New Project 1");
    EXPECT_EQ(frm->TxtLeftFileName->text(), left);
    EXPECT_EQ(frm->txtRightFileName->text(), right);
    EXPECT_TRUE(window->AutoRun());
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_TRUE(boxes.shown()[0].prompt.contains(left));
    EXPECT_TRUE(boxes.shown()[1].prompt.contains(right));
    EXPECT_EQ(boxes.shown()[2].prompt, "请选择要比较的工作表");
}

TEST_F(MainWindow, ACommandLineProjectOpensItsSessionAndAMissingPairOpensNothing)
{
    const QString project = touch("a b.vrk");
    start("\"" + project + "\"");
    EXPECT_EQ(sessionNames(), QStringList{project});
    EXPECT_EQ(projectListTexts(), QStringList{"a b.vrk"});
    EXPECT_FALSE(window->AutoRun());
    TearDown();
    SetUp();
    start(folder() + "missing.xlsx?" + touch("right.xlsx"));
    EXPECT_TRUE(sessionNames().isEmpty());
    // The status bar says why nothing opened, naming what was given.
    EXPECT_TRUE(window->LblStatus->text().contains("missing.xlsx?"))
        << window->LblStatus->text().toStdString();
}

TEST_F(MainWindow, TheSplitterBarDragsTheProjectPaneAndTheSessionAreaFollows)
{
    start();
    window->resize(700, 500);
    settle();
    QWidget *bar = window->Splitter;
    ASSERT_EQ(bar->x(), 160);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 20));
    QTest::mouseMove(bar, QPoint(1 + 60, 20));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1 + 60 - (bar->x() - 160), 20));
    EXPECT_EQ(window->Picture1->width(), 221);
    EXPECT_EQ(bar->x(), 221);
    EXPECT_EQ(window->MDIClient->x(), 224);
    EXPECT_EQ(window->ListView1->width(), 221);

    window->mnuShowProjectWnd->trigger();
    EXPECT_FALSE(window->Picture1->isVisible());
    EXPECT_FALSE(window->mnuShowProjectWnd->isChecked());
    EXPECT_EQ(window->MDIClient->x(), 0);
    window->mnuShowProjectWnd->trigger();
    EXPECT_TRUE(window->Picture1->isVisible());
    EXPECT_EQ(window->MDIClient->x(), 224);
}

TEST_F(MainWindow, TilingArrangesTheSessionWindowsOneAboveTheOtherOrSideBySide)
{
    start();
    window->mnuFileNew->trigger();
    window->mnuFileNew->trigger();
    const QRect area = window->MDIClient->viewport()->rect();
    QWidget *one = session("New Project 1")->parentWidget();
    QWidget *two = session("New Project 2")->parentWidget();
    window->mnuWindowTileHorizontal->trigger();
    EXPECT_EQ(one->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(two->geometry().top(), area.height() / 2);
    window->mnuWindowTileVertical->trigger();
    EXPECT_EQ(one->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(two->geometry().left(), area.width() / 2);
    window->mnuWindowCascade->trigger();
    EXPECT_NE(one->geometry().topLeft(), two->geometry().topLeft());
}

TEST_F(MainWindow, SessionCommandsReachTheActiveWindow)
{
    start();
    window->mnuFileNew->trigger();
    frmSession *frm = session("New Project 1");
    frm->TxtLeftFileName->setText("/l.xlsx");
    frm->txtRightFileName->setText("/r.xlsx");
    clickTool(window->tlbSwitch);
    EXPECT_EQ(frm->TxtLeftFileName->text(), "/r.xlsx");
    window->mnuSwitchLeftRight->trigger();
    EXPECT_EQ(frm->TxtLeftFileName->text(), "/l.xlsx");
    window->ToolbarMain_ButtonClick("tlbUnknown");
    window->mnuSessionOption->trigger();
    settle();
    EXPECT_TRUE(frm->findChild<QDialog *>()) << "the session options dialog opened";
    EXPECT_EQ(sessionNames().size(), 1);
}

TEST_F(MainWindow, HelpOpensTheHelpPageOrSaysWhereItIs)
{
    start();
    const QString help = folder() + "Quorva.html";
    struct Case
    {
        const char *what;
        bool present, desktopOpens;
        const char *message; // nullptr: none
    } cases[] = {
        {"missing", false, true, "无法打开帮助文件："},
        {"opened", true, true, nullptr},
        {"nothing can open it", true, false, "桌面上没有能打开帮助文件的程序"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(help);
        if (c.present) touch("Quorva.html");
        shell.opened.clear();
        shell.refuse = !c.desktopOpens;
        boxes.clear();
        if (c.message) boxes.expect(win::vbOK);
        window->mnuUseHelp->trigger();
        EXPECT_EQ(shell.opened, c.present ? QStringList{help} : QStringList{});
        ASSERT_EQ(boxes.shown().size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_TRUE(boxes.shown()[0].prompt.startsWith(QString::fromUtf8(c.message)));
            EXPECT_TRUE(boxes.shown()[0].prompt.contains(help)); // where the file is
        }
    }
}

// Qt's own buttons follow the language file, at start and when the user picks another.
TEST_F(MainWindow, StandardButtonsSpeakTheLanguageOfTheLanguageFile)
{
    auto okText = [] {
        QMessageBox box(QMessageBox::Information, "t", "p", QMessageBox::Ok);
        return box.button(QMessageBox::Ok)->text();
    };
    start();
    EXPECT_EQ(okText(), "确定");
    CurrentOptions().setLanguageFileName("English.Lan");
    window->OnLanguageChanged();
    EXPECT_EQ(okText(), "OK");
    CurrentOptions().setLanguageFileName("ChineseS.Lan");
    window->OnLanguageChanged();
    EXPECT_EQ(okText(), "确定");
}

// What a run must say without holding up an unattended run lands in the status bar.
TEST_F(MainWindow, ARunsNoticeShowsInTheStatusBar)
{
    start();
    CompareMainWindow::Tell("报告在：/tmp/x/Data.txt");
    auto *label = window->findChild<QLabel *>("LblStatus");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "报告在：/tmp/x/Data.txt");
    EXPECT_TRUE(boxes.shown().empty());
}

#ifdef QUORVA_EXE
// The help page the build puts beside the program: every link inside it leads somewhere.
TEST(HelpPage, LiesBesideTheProgramAndItsLinksResolve)
{
    QFile page(QFileInfo(QStringLiteral(QUORVA_EXE)).absolutePath() + "/Quorva.html");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">"));
    QSet<QString> ids;
    for (const auto &m : QRegularExpression("id=\"([^\"]+)\"").globalMatch(html))
        ids.insert(m.captured(1));
    int links = 0;
    for (const auto &m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html)) {
        ++links;
        EXPECT_TRUE(ids.contains(m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GE(links, 10);
}
#endif

} // namespace
