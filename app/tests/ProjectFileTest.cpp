#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "core/ModFile.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

using win::vbNo;
using win::vbYes;

class ProjectFile : public SessionFixture
{
protected:
    // A saved project whose left workbook box holds the text.
    QString savedProject(const QString &name, const QString &left)
    {
        const QString path = folder() + name;
        EXPECT_TRUE(writeText(path, "[LEFT]\nLeftFileName=" + left + "\n"));
        return path;
    }
    void activate(frmSession *frm)
    {
        window->MDIClient->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(frm->parentWidget()));
        settle();
    }
    static QString leftBook(const QString &project) { return section(project, "LEFT").value(0); }
    static QStringList section(const QString &project, const QString &name)
    {
        QStringList out;
        bool in = false;
        for (const QString &l : lines(project)) {
            if (l.startsWith('[')) {
                in = l == "[" + name + "]";
                continue;
            }
            if (in) out << l;
        }
        return out;
    }
    void clickSave()
    {
        QTest::mouseClick(window->ToolbarMain->widgetForAction(window->tlbSave), Qt::LeftButton);
        settle();
    }
};

TEST_F(ProjectFile, SavingAnUntitledSessionAsksForANameAndGivesItsExtension)
{
    start();
    // Without a session window Save does nothing (no dialog would be expected).
    window->mnuFileSave_Click();
    window->mnuFileSaveAs_Click();

    frmSession *frm = newSession();
    type(frm->TxtLeftFileName, "l.xlsx");
    // Cancelled: nothing changes.
    dialogs.answer("");
    clickSave();
    EXPECT_EQ(sessionNames(), QStringList{"New Project 1"});
    EXPECT_TRUE(frm->IsUntitled());

    dialogs.answer(folder() + "p1");
    window->mnuFileSave->trigger();
    settle();
    const FakeFileDialog::Asked &asked = dialogs.asked.back();
    EXPECT_EQ(asked.title, "保存工程文件");
    EXPECT_EQ(asked.fileName, "New Project 1");
    EXPECT_EQ(asked.folder, folder()) << "where the session's workbook is";
    EXPECT_EQ(asked.filter, "*.vrk|*.vrk");
    EXPECT_EQ(asked.defaultSuffix, "vrk");
    EXPECT_TRUE(asked.confirmOverwrite);
    const QString p1 = folder() + "p1.vrk";
    EXPECT_EQ(sessionNames(), QStringList{p1});
    EXPECT_FALSE(frm->IsUntitled());
    EXPECT_EQ(leftBook(p1), "LeftFileName=l.xlsx");
    EXPECT_EQ(projectListTexts(), QStringList{"p1.vrk"});
    EXPECT_EQ(projectListKeys(), QStringList{p1});
    EXPECT_EQ(window->RecentFiles().value(0), p1);
    EXPECT_EQ(frm->windowTitle(), p1);
    EXPECT_TRUE(boxes.shown().empty());

    // Saved again: no dialog, the file takes the window's fields.
    type(frm->TxtLeftFileName, "m.xlsx");
    clickSave();
    EXPECT_EQ(leftBook(p1), "LeftFileName=m.xlsx");
    EXPECT_EQ(dialogs.asked.size(), 2u);

    // A project whose file has gone asks for a name again; the dialog offers the old path.
    ASSERT_TRUE(QFile::remove(p1));
    dialogs.answer(folder() + "p2.VRK");
    clickSave();
    EXPECT_EQ(dialogs.asked.back().fileName, p1);
    EXPECT_EQ(sessionNames(), QStringList{folder() + "p2.VRK"});
    EXPECT_EQ(projectListTexts(), QStringList{"p2.VRK"});
}

TEST_F(ProjectFile, AReadOnlyProjectIsSavedOnlyWhenTheUserSaysSo)
{
    const QString path = savedProject("ro.vrk", "a.xlsx");
    frmSession *frm = openProject(path);
    ASSERT_TRUE(frm);
    type(frm->TxtLeftFileName, "b.xlsx");
    const QByteArray before = TestFiles::read(path);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));

    boxes.expect(vbNo);
    clickSave();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].prompt, path + " 是只读，是否覆盖？");
    EXPECT_EQ(boxes.shown()[0].style, win::vbYesNo + win::vbExclamation);
    EXPECT_EQ(boxes.shown()[0].title, "Quorva");
    EXPECT_EQ(TestFiles::read(path), before);
    EXPECT_TRUE(ModFile::IsFileReadOnly(path));

    boxes.expect(vbYes);
    clickSave();
    EXPECT_EQ(boxes.shown().size(), 2u);
    EXPECT_FALSE(ModFile::IsFileReadOnly(path));
    EXPECT_EQ(leftBook(path), "LeftFileName=b.xlsx");
}

TEST_F(ProjectFile, SaveAsReopensTheProjectFromItsNewFile)
{
    const QString a = savedProject("a.vrk", "x.xlsx");
    frmSession *frm = openProject(a);
    ASSERT_TRUE(frm);
    type(frm->TxtLeftFileName, "y.xlsx");

    dialogs.answer(folder() + "b");
    window->mnuFileSaveAs->trigger();
    settle();
    const QString b = folder() + "b.vrk";
    EXPECT_EQ(dialogs.asked.back().fileName, a);
    EXPECT_EQ(sessionNames(), QStringList{b});
    frmSession *reopened = session(b);
    ASSERT_TRUE(reopened);
    EXPECT_NE(reopened, frm) << "a fresh window";
    EXPECT_EQ(reopened->TxtLeftFileName->text(), "y.xlsx");
    EXPECT_EQ(projectListKeys(), QStringList{b});
    EXPECT_EQ(window->RecentFiles().value(0), b);
    EXPECT_EQ(leftBook(a), "LeftFileName=x.xlsx") << "the old file keeps its contents";

    // The same name in another letter case: saved there, the window stays and follows it.
    const QString respelled = folder() + "B.vrk";
    dialogs.answer(respelled);
    window->mnuFileSaveAs->trigger();
    settle();
    EXPECT_EQ(session(respelled), reopened);
    EXPECT_EQ(sessionNames(), QStringList{respelled});
    EXPECT_EQ(projectListKeys(), QStringList{respelled});
    EXPECT_TRUE(QFile::exists(respelled));
    EXPECT_TRUE(boxes.shown().empty());
}

// Two windows bound to one file would overwrite each other's work when they close: a save onto
// a file that another window holds (or its name in another letter case) is refused, naming that
// window, and the dialog comes back.
TEST_F(ProjectFile, AFileThatAnotherWindowHoldsIsRefused)
{
    const QString held = savedProject("Held.vrk", "held.xlsx");
    const QString mine = savedProject("mine.vrk", "mine.xlsx");
    frmSession *holder = openProject(held);
    frmSession *frm = openProject(mine);
    ASSERT_TRUE(holder && frm);
    const QByteArray before = TestFiles::read(held);
    ASSERT_TRUE(QDir().mkpath(folder() + "sub"));
    const struct
    {
        const char *what;
        QString answer;
        bool replaceQuestion;
    } cases[] = {
        {"its own name", held, false},
        // The name gets its extension after the dialog: first the question about replacing it.
        {"typed without the extension", folder() + "Held", true},
        {"in another letter case", folder() + "held.vrk", false},
        {"through a detour", folder() + "./sub/../Held.vrk", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        activate(frm);
        dialogs.answer(c.answer);
        dialogs.answer("");
        if (c.replaceQuestion) boxes.expect(vbYes);
        boxes.expect(win::vbOK);
        window->mnuFileSaveAs->trigger();
        settle();
        ASSERT_EQ(boxes.shown().size(), c.replaceQuestion ? 2u : 1u)
            << prompts().join("\n").toStdString();
        const auto &refusal = boxes.shown().back();
        EXPECT_EQ(refusal.prompt, "该工程文件已在另一个窗口中打开，请另选文件名!\r\nFilename=" +
                                      (c.replaceQuestion ? held : c.answer) + "\r\nWindow=" + held);
        EXPECT_EQ(refusal.style, win::vbExclamation);
        // The dialog comes back offering the refused name.
        EXPECT_EQ(dialogs.asked.back().fileName, c.replaceQuestion ? held : c.answer);
        EXPECT_EQ(sessionNames(), (QStringList{held, mine}));
        EXPECT_EQ(TestFiles::read(held), before);
        EXPECT_FALSE(QFile::exists(folder() + "held.vrk"));
    }

    // The close question's save is refused the same way; the window stays open.
    frmSession *untitled = newSession();
    boxes.clear();
    boxes.expect(vbYes);
    dialogs.answer(held);
    boxes.expect(win::vbOK);
    dialogs.answer("");
    EXPECT_FALSE(untitled->CloseWindow());
    settle();
    EXPECT_EQ(prompts().size(), 2);
    EXPECT_EQ(sessionNames(), (QStringList{held, mine, "New Project 1"}));
    EXPECT_EQ(TestFiles::read(held), before);

    // Once the other window has closed, its file is free.
    ASSERT_TRUE(holder->CloseWindow());
    settle();
    activate(frm);
    dialogs.answer(held);
    window->mnuFileSaveAs->trigger();
    settle();
    EXPECT_EQ(leftBook(held), "LeftFileName=mine.xlsx");
}

// Opening a project that is open already, by another spelling of its path, shows its window.
TEST_F(ProjectFile, OneProjectOpensInOneWindow)
{
    const QString a = savedProject("a.vrk", "a.xlsx");
    ASSERT_TRUE(QDir().mkpath(folder() + "sub"));
    ASSERT_TRUE(QFile::link(a, folder() + "sub/link.vrk"));
    start();
    window->OpenSessionWindow(a);
    window->OpenSessionWindow(folder() + "sub/../a.vrk");
    window->OpenSessionWindow(folder() + "sub/link.vrk");
    window->OpenProjectFile(folder() + "./a.vrk");
    settle();
    EXPECT_EQ(sessionNames(), QStringList{a});
}

// A project named on the command line relative to the working folder is kept by its full path,
// so that the recent list and the next start find it from anywhere.
TEST_F(ProjectFile, ACommandLineProjectIsKeptByItsFullPath)
{
    const QString a = savedProject("a.vrk", "a.xlsx");
    ASSERT_TRUE(QDir().mkpath(folder() + "sub"));
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder() + "sub"));
    start("../a.vrk");
    QDir::setCurrent(old);
    EXPECT_EQ(sessionNames(), QStringList{a});
    EXPECT_EQ(window->RecentFiles().value(0), a);
    ASSERT_TRUE(quit());
    start();
    EXPECT_EQ(sessionNames(), QStringList{a});
}

// The name typed without ".vrk" gets it after the dialog's own overwrite question, which was
// about another file: an existing project of that name is asked about before it is replaced.
TEST_F(ProjectFile, AnExistingProjectIsReplacedOnlyAfterTheQuestion)
{
    const QString old = savedProject("old.vrk", "old.xlsx");
    const QByteArray before = TestFiles::read(old);
    frmSession *frm = newSession();
    type(frm->TxtLeftFileName, "new.xlsx");

    // Typed without the extension, No: the dialog comes back offering the full name.
    dialogs.answer(folder() + "old");
    boxes.expect(vbNo);
    dialogs.answer("");
    clickSave();
    EXPECT_EQ(prompts(), QStringList{old + " 已存在。\r\n要替换它吗？"});
    EXPECT_EQ(dialogs.asked.back().fileName, old);
    EXPECT_EQ(TestFiles::read(old), before);
    EXPECT_TRUE(frm->IsUntitled());

    // Typed with it: the dialog asked already.
    boxes.clear();
    dialogs.answer(old);
    clickSave();
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(leftBook(old), "LeftFileName=new.xlsx");
    EXPECT_EQ(sessionNames(), QStringList{old});
}

} // namespace

namespace {

// The program's folder is an installed one and "/" is nobody's: file dialogs start where the
// user's files are.
TEST_F(ProjectFile, FileDialogsStartWhereTheUsersFilesAre)
{
    const QString home = QDir::homePath() + "/";
    const QString books = folder() + "books/";
    const QString projects = folder() + "projects/";
    ASSERT_TRUE(QDir().mkpath(books) && QDir().mkpath(projects));
    frmSession *frm = newSession();
    auto lastFolder = [this] { return dialogs.asked.back().folder; };

    dialogs.answer("");
    QTest::mouseClick(frm->CmdLeftSelectFile, Qt::LeftButton);
    EXPECT_EQ(lastFolder(), home) << "nothing chosen yet";

    type(frm->TxtLeftFileName, books + "l.xlsx");
    dialogs.answer("");
    QTest::mouseClick(frm->CmdRightSelectFile, Qt::LeftButton);
    EXPECT_EQ(lastFolder(), books) << "beside the other side's workbook";

    dialogs.answer("");
    window->mnuFileOpen->trigger();
    settle();
    EXPECT_EQ(lastFolder(), books) << "open: where the session's workbooks are";

    dialogs.answer(projects + "p");
    window->mnuFileSaveAs->trigger();
    settle();
    EXPECT_EQ(lastFolder(), books) << "an untitled session is saved beside its workbooks";
    ASSERT_TRUE(QFile::exists(projects + "p.vrk"));

    dialogs.answer("");
    window->mnuFileSaveAs->trigger();
    settle();
    EXPECT_EQ(lastFolder(), projects) << "a saved project's own folder";
    dialogs.answer("");
    window->mnuFileOpen->trigger();
    settle();
    EXPECT_EQ(lastFolder(), projects);
}

} // namespace
