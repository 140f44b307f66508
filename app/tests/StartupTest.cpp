#include "app/ModMain.h"
#include "app/frmSession.h"
#include "app/tests/MainWindowFixture.h"
#include "core/ProcessGlobals.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <string>

namespace {

class Startup : public MainWindowFixture
{
protected:
    std::string file() const { return settings().toStdString(); }
    // The window placed at a known spot: left 30 px, top 45 px, 600 x 450 px, which is
    // [frmMain] Left 450, Top 675, Width 9000, Height 6750 in twips at 96 DPI. A real display's
    // window manager answers the move before anything else happens to the window (a minimize
    // sent on its heels would meet the manager's answer, which still carries the old size).
    void place()
    {
        const QRect wanted(30, 45, 600, 450);
        window->setGeometry(wanted);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
        const bool placed = QTest::qWaitFor([&] {
            QTest::qWait(100);
            if (window->normalGeometry() == wanted) return true;
            window->setGeometry(wanted);
            return false;
        });
        EXPECT_TRUE(placed) << "the window manager keeps the window where it was put";
    }
    static constexpr const char *kPlaced =
        "Left= 450\r\nTop= 675\r\nWidth= 9000\r\nHeight= 6750\r\n";
};

TEST_F(Startup, FirstStartShowsTheMainWindowWithMenusToolbarAndProjectPane)
{
    frmMain *w = start();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Quorva");
    QStringList menus;
    for (QAction *a : w->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"文件(&F)", "视图(&V)", "会话(&S)", "工具(&T)", "高级(&A)",
                                  "窗口(&W)", "帮助(&H)"}));
    QStringList items;
    for (QAction *a : w->mnuFile->actions())
        items << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(items, (QStringList{"新建(&N)", "打开(&O)", "保存(&S)", "另存为(&A)", "关闭(&C)",
                                  "全部关闭(&L)", "-", "最近文件列表(&R)", "-", "退出(&X)"}));
    ASSERT_EQ(w->mnuFileRecentFile.size(), 1);
    EXPECT_EQ(w->mnuFileRecentFile[0]->text(), "无");
    EXPECT_FALSE(w->mnuFileRecentFile[0]->isEnabled());

    EXPECT_TRUE(w->Picture1->isVisible());
    EXPECT_TRUE(w->mnuShowProjectWnd->isChecked());
    EXPECT_EQ(w->ListView1->headerItem()->text(0), "工程列表");
    EXPECT_EQ(w->ListView1->geometry(), QRect(QPoint(0, 0), w->Picture1->size()));
    EXPECT_EQ(w->Picture1->width(), 160) << "2400 twips";
    EXPECT_EQ(w->Splitter->geometry().x(), 160);
    EXPECT_EQ(w->MDIClient->geometry().x(), w->Splitter->geometry().right() + 1);

    QStringList tips;
    for (QAction *a : w->ToolbarMain->actions())
        tips << a->objectName() + ":" + a->toolTip();
    EXPECT_EQ(tips, (QStringList{"tlbNew:新建工程", "tlbOpen:打开工程", "tlbSave:保存工程",
                                 "tlbSwitch:交换左右"}));
    EXPECT_FALSE(w->CmdCancel->isVisible());
    EXPECT_FALSE(w->m_ProgressBar1->isVisible());
    EXPECT_EQ(w->CmdCancel->parentWidget()->parentWidget(), w->statusBar());

    // Right after the start the settings file holds what the start read with defaults.
    EXPECT_EQ(file(), "[OPTION]\r\nLastOpenPath=/\r\nLanguage=ChineseS.Lan\r\n");
    EXPECT_EQ(g_LastOpenPath, "/");
    EXPECT_EQ(g_AppPath, folder());
}

TEST_F(Startup, TheSettingsFileAfterAFirstRunHoldsEverySectionInOrder)
{
    start();
    place();
    EXPECT_TRUE(quit());
    EXPECT_EQ(file(), std::string("[OPTION]\r\nLastOpenPath=/\r\nLanguage=ChineseS.Lan\r\n"
                                  "[frmMain]\r\n") +
                          kPlaced +
                          "WindowState= 0\r\nShowProjectWindow=-1\r\n"
                          "[Explorer]\r\nContextMenu=-1\r\n");
    EXPECT_FALSE(g_Options) << "released at exit";
    EXPECT_FALSE(g_SettingsIni);
}

TEST_F(Startup, AStoredSessionComesBackAndIsWrittenBackUnchanged)
{
    const std::string stored = std::string("[OPTION]\r\nLastOpenPath=/data/books/\r\n"
                                           "Language=English.Lan\r\n[frmMain]\r\n") +
                               kPlaced +
                               "WindowState= 0\r\nShowProjectWindow= 0\r\n"
                               "[Explorer]\r\nContextMenu= 0\r\n";
    writeSettings(QByteArray::fromStdString(stored));
    frmMain *w = start();
    EXPECT_EQ(w->geometry(), QRect(30, 45, 600, 450));
    EXPECT_FALSE(w->Picture1->isVisible());
    EXPECT_FALSE(w->mnuShowProjectWnd->isChecked());
    EXPECT_EQ(w->MDIClient->geometry().x(), 0) << "the session area takes the hidden pane's room";
    EXPECT_EQ(g_LastOpenPath, "/data/books/");
    EXPECT_FALSE(g_Options->ContextMenu());
    EXPECT_EQ(g_Options->LanguageFileName(), "English.Lan");
    EXPECT_TRUE(quit());
    EXPECT_EQ(file(), stored);
}

TEST_F(Startup, ContextMenuFiveReadsAsOnAndIsWrittenBackAsMinusOne)
{
    writeSettings("[Explorer]\r\nContextMenu=5\r\n");
    start();
    EXPECT_TRUE(g_Options->ContextMenu());
    EXPECT_EQ(file(), "[Explorer]\r\nContextMenu=5\r\n[OPTION]\r\nLastOpenPath=/\r\n"
                      "Language=ChineseS.Lan\r\n");
    place();
    EXPECT_TRUE(quit());
    EXPECT_EQ(file(), std::string("[Explorer]\r\nContextMenu=-1\r\n[OPTION]\r\nLastOpenPath=/\r\n"
                                  "Language=ChineseS.Lan\r\n[frmMain]\r\n") +
                          kPlaced + "WindowState= 0\r\nShowProjectWindow=-1\r\n");
}

TEST_F(Startup, AMissingOrEmptyLastOpenPathReadsAsTheDefaultAndIsWrittenAtOnce)
{
    for (const char *stored : {"[OPTION]\r\nLanguage=ChineseS.Lan\r\n",
                               "[OPTION]\r\nLastOpenPath=\r\nLanguage=ChineseS.Lan\r\n"}) {
        writeSettings(stored);
        start();
        EXPECT_EQ(g_LastOpenPath, "/");
        EXPECT_NE(file().find("LastOpenPath=/\r\n"), std::string::npos) << stored;
        EXPECT_TRUE(quit());
    }
}

TEST_F(Startup, AMaximizedWindowStartsMaximizedAndKeepsItsNormalPlace)
{
    writeSettings(QByteArray("[frmMain]\r\n") + kPlaced + "WindowState= 2\r\n");
    frmMain *w = start();
    EXPECT_TRUE(w->isMaximized());
    EXPECT_TRUE(quit());
    EXPECT_NE(file().find(std::string("[frmMain]\r\n") + kPlaced + "WindowState= 2\r\n"),
              std::string::npos)
        << file();
}

TEST_F(Startup, AWindowClosedWhileMinimizedIsStoredAsNormalAndStartsNormal)
{
    start();
    place();
    window->showMinimized();
    settle();
    EXPECT_TRUE(quit());
    EXPECT_NE(file().find(std::string("[frmMain]\r\n") + kPlaced + "WindowState= 0\r\n"),
              std::string::npos)
        << file();

    // A settings file that still says minimized starts a window the user can see.
    writeSettings(QByteArray("[frmMain]\r\n") + kPlaced + "WindowState= 1\r\n");
    frmMain *w = start();
    EXPECT_FALSE(w->isMinimized());
    EXPECT_EQ(w->geometry(), QRect(30, 45, 600, 450));
}

TEST_F(Startup, AStoredPlaceOffEveryScreenIsMovedBackIntoSight)
{
    writeSettings("[frmMain]\r\nLeft= 900000\r\nTop= 900000\r\nWidth= 6000\r\nHeight= 4500\r\n");
    frmMain *w = start();
    EXPECT_EQ(w->size(), QSize(400, 300));
    EXPECT_TRUE(w->screen()->availableGeometry().intersects(w->geometry()));
}

TEST_F(Startup, TheProgramFolderEndsInExactlyOneSlash)
{
    QString withoutSlash = folder();
    withoutSlash.chop(1);
    window = ModMain::Main(withoutSlash, QString());
    EXPECT_EQ(g_AppPath, folder());
    EXPECT_TRUE(quit());
    window = ModMain::Main(folder(), QString());
    EXPECT_EQ(g_AppPath, folder());
    EXPECT_EQ(SettingsIni().IniFileName(), settingsPath());
}

TEST(ModMain, FileKindsByTheLastExtension)
{
    const struct
    {
        const char *path;
        int kind;
    } cases[] = {{"x.xls", 2},    {"x.VRK", 1},        {"x.txt", 0},        {"/a/plan.v2.vrk", 1},
                 {"/a.vrk/x", 0}, {"book.xls.bak", 0}, {"/d/x.XlS", 2},     {"/d/x.xlsx", 0},
                 {"vrk", 0},      {"/d/.vrk", 0},      {"/d/x.vrk.xls", 2}, {"", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(ModMain::GetFileKind(QString::fromUtf8(c.path)), c.kind) << c.path;
}

TEST(ModMain, NormalizesFullWidthCommasAndRemembersTheChosenFolder)
{
    EXPECT_EQ(ModMain::NormalizeCommas(QString::fromUtf8("A，C,D，，E")), "A,C,D,,E");
    ModMain::RememberOpenPath("/data/月报/book.xlsx");
    EXPECT_EQ(g_LastOpenPath, QString::fromUtf8("/data/月报/"));
    ModMain::RememberOpenPath("book.xlsx");
    EXPECT_EQ(g_LastOpenPath, "");
}

TEST_F(Startup, TheMainWindowWritesItsLanguageKeysInOrder)
{
    start();
    const QString lan = TestFiles::read(folder() + "Lang/ChineseS.Lan");
    const QStringList expected{
        "[frmMain]",
        "NoRecentFile=无",
        "tlbNewToolTip=新建工程",
        "tlbOpenToolTip=打开工程",
        "tlbSaveToolTip=保存工程",
        "tlbSwitchToolTip=交换左右",
        "CmdCancel=取消(&C)",
        "mnuFile=文件(&F)",
        "mnuFileNew=新建(&N)",
        "mnuFileOpen=打开(&O)",
        "mnuFileSave=保存(&S)",
        "mnuFileSaveAs=另存为(&A)",
        "MnuFileClose=关闭(&C)",
        "MnuFileCloseAll=全部关闭(&L)",
        "mnuFileRecent=最近文件列表(&R)",
        "mnuFileQuit=退出(&X)",
        "MenuItemIZiliao=视图(&V)",
        "mnuShowProjectWnd=显示工程窗口(&R)",
        "mnuSession=会话(&S)",
        "mnuSessionOption=会话选项",
        "mnuSwitchLeftRight=交换左右",
        "mnuTools=工具(&T)",
        "mnuOption=选项",
        "mnuLanguage=Language",
        "mnuAdvance=高级(&A)",
        "mnuScript=脚本",
        "MnuWindows=窗口(&W)",
        "mnuWindowCascade=层叠(&C)",
        "mnuWindowTileHorizontal=横向平铺(&H)",
        "mnuWindowTileVertical=纵向平铺(&V)",
        "mnuWindowMaximizeAll=全部最大化",
        "MnuWindowCloseAll=全部关闭(&L)",
        "menuhelp=帮助(&H)",
        "mnuUseHelp=帮助主题(&H)",
        "mnuAbout=关于(&A)",
        "ProjectList=工程列表",
    };
    EXPECT_EQ(lan.split("\r\n", Qt::SkipEmptyParts), expected);
}

TEST_F(Startup, ALanguageFileRecaptionsTheWindowAndAnEmptyKeyKeepsTheBuiltInText)
{
    ASSERT_TRUE(TestFiles::write(folder() + "Lang/English.Lan",
                                 "[frmMain]\r\nmnuFile=&File\r\nmnuFileNew=&New\r\n"
                                 "ProjectList=Projects\r\nCmdCancel=\r\n"
                                 "tlbNewToolTip=New project\r\nNoRecentFile=(none)\r\n"));
    writeSettings("[OPTION]\r\nLanguage=English.Lan\r\n");
    frmMain *w = start();
    EXPECT_EQ(w->mnuFile->title(), "&File");
    EXPECT_EQ(w->mnuFileNew->text(), "&New");
    EXPECT_EQ(w->mnuFileOpen->text(), "打开(&O)");
    EXPECT_EQ(w->ListView1->headerItem()->text(0), "Projects");
    EXPECT_EQ(w->CmdCancel->text(), "取消(&C)");
    EXPECT_EQ(w->tlbNew->toolTip(), "New project");
    EXPECT_EQ(w->mnuFileRecentFile[0]->text(), "(none)");
    const QString lan = TestFiles::read(folder() + "Lang/English.Lan");
    EXPECT_TRUE(lan.contains("CmdCancel=取消(&C)\r\n")) << lan.toStdString();

    // Switching back to the default language re-captions at once.
    g_Options->setLanguageFileName("ChineseS.Lan");
    w->OnLanguageChanged();
    EXPECT_EQ(w->mnuFile->title(), "&File") << "a missing file keeps the captions as they are";
    ASSERT_TRUE(TestFiles::write(folder() + "Lang/ChineseS.Lan",
                                 "[frmMain]\r\nmnuFile=文件(&F)\r\nProjectList=工程列表\r\n"));
    w->OnLanguageChanged();
    EXPECT_EQ(w->mnuFile->title(), "文件(&F)");
    EXPECT_EQ(w->ListView1->headerItem()->text(0), "工程列表");
}

#ifdef QUORVA_EXE
// The real program starts on the offscreen platform. Its arguments are all its own: "-platform
// xcb" is program text here, not Qt's (which, without a display, would end the program).
TEST_F(Startup, TheProgramStartsAndKeepsItsArgumentsFromQt)
{
    const QString exe = folder() + "Quorva";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORVA_EXE), exe));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(exe, {"-platform", "xcb", "-style", "nothing"});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The settings, then the language file the main window's captions fill; a busy machine may
    // take a while for both.
    bool written = false;
    for (int i = 0; i < 400 && !written; ++i) {
        QThread::msleep(50);
        written = settings().contains("Language=ChineseS.Lan") &&
                  TestFiles::read(folder() + "Lang/ChineseS.Lan").contains("mnuFile=");
    }
    EXPECT_TRUE(written) << "the start writes its settings and its language file";
    QThread::msleep(300);
    EXPECT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    program.kill();
    program.waitForFinished(5000);
    EXPECT_TRUE(TestFiles::read(folder() + "Lang/ChineseS.Lan").contains("mnuFile="));
}
#endif

} // namespace
