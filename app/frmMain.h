#pragma once

#include "app/RecentProjects.h"
#include "app/SessionHost.h"
#include "app/StatusProgressBar.h"
#include "core/ClsCmdParaParse.h"
#include "core/ClsLanguage.h"
#include "engine/CompareMainWindow.h"
#include "ui/FormControls.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <memory>

class ClsSplitWnd;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QLabel;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class frmSession;

// The program's multiple-document main window: owns the session windows, shows them in the
// project list on the left-hand pane, carries the menus and the toolbar, and shows the Cancel
// button and the progress bar of a running comparison in its status bar.
class frmMain : public QMainWindow, public CompareMainWindow, public SessionHost
{
    Q_OBJECT

public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The main window while it exists; the session windows and dialogs talk to it.
    static frmMain *Instance();

    // Busy while a comparison runs: the Cancel button shows, and the commands that start, open,
    // close or change sessions are disabled.
    void InCompare(bool busy) override;
    CompareProgressBar *ProgressBar1() override { return &m_ProgressBarAdapter; }
    // In the status bar, selectable so that a path can be copied; it stays until the next.
    void ShowStatusText(const QString &text) override;
    // Puts the path at the front of the recent-file list.
    void AddToRecentFile(const QString &path) override;
    // A session window closed: its project-list entry goes, the recent list is saved and shown.
    void FileClosed(const QString &path) override;
    // Asks for a file name for the active (or the given) session's project and saves it there;
    // the path saved, or "" (cancelled, failed, no window).
    QString SaveFile();
    QString SaveFileOf(frmSession *frm) override;
    void mnuFileSave_Click();
    // Every activation of a session window: its project-list entry is selected (and follows
    // the window's name), and the command states are updated.
    void SubWindowActiveted(frmSession *frm) override;
    // Re-reads the language file and re-captions this window and every session window.
    void OnLanguageChanged();

    // The load: command line, settings, splitter, toolbar, language texts. Runs once, before
    // the window is first shown.
    void MDIForm_Load();

    // Session windows.
    // Activates the session window of that name, or opens a new one ("" opens an untitled one,
    // "New Project n").
    void OpenSessionWindow(const QString &name);
    void ActivateSessionWindow(const QString &path);
    // Closes the window of that name as its close box would; false when it refused.
    bool CloseSessionWindow(const QString &path);
    // Appends a project-list entry (key = path, text = the file name) bound to the window when
    // one is given; an existing file also goes to the recent list.
    void AddProjectListItem(const QString &path, frmSession *window = nullptr);
    void RemoveProjectListItem(const QString &path);
    void UpdateCommandStates();
    // The open session windows in the order they were opened, the active one, the first of a
    // name (names compare exactly).
    QList<frmSession *> SessionWindows() const;
    frmSession *ActiveSessionWindow() const;
    frmSession *SessionWindowNamed(const QString &name) const;

    // Busy rules for closing.
    bool IsBusy() const override { return m_Busy; }
    // True while the comparison that runs belongs to that window (to any window when the run
    // began without an active one).
    bool IsRunning(const frmSession *frm) const override;
    // Someone wants to close a window while a comparison runs: asks whether to cancel the run;
    // on Yes the run is cancelled and the window is closed once the run has unwound. Returns
    // whether the run is being cancelled. The close itself is always refused for now.
    bool QueryCloseWhileBusy(QWidget *closing) override;
    // The command line asked for an automatic comparison (" /A").
    bool AutoRun() const override { return m_CmdPara.AutoRun(); }
    QString MainWindowText(const QString &key, const QString &defaultText) override
    {
        return text(key, defaultText);
    }

    // Recent files (at most ten, the newest first, matched without regard to case) and the
    // sessions reopened at a start without arguments.
    // Reads [RecentFile] of the settings file and rebuilds the File menu's recent items.
    void RefreshRecentFileMenu();
    // Writes the list to [RecentFile].
    void SaveRecentFileList();
    // The list as it stands (the menu shows it as of its last rebuild).
    QStringList RecentFiles() const { return m_Recent.files(); }
    // Opens the project (by its full path) and puts it at the front of the recent list.
    void OpenProjectFile(const QString &path);
    // Writes [RecentOpen]: the project-file names of the session windows, in opening order.
    void SaveOpenSessionList(const QStringList &names);
    // Opens the projects of [RecentOpen] whose files exist.
    void ReopenLastSessions();

    // Project files.
    // Saves the window's project under the path; says so when that failed.
    bool SaveSessionToFile(frmSession *frm, const QString &path);
    // A full path, without "." and ".." steps (relative to the working folder).
    static QString ProjectPath(const QString &path);
    // True when the two paths name one project file: the same path, one file on disk, or
    // (while one is not on disk) the same path in another letter case.
    static bool SameProjectFile(const QString &a, const QString &b);
    // The open session window (other than `except`) bound to that project file; null when none.
    frmSession *SessionWindowHolding(const QString &path, const frmSession *except = nullptr) const;

    // Commands.
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileSaveAs_Click();
    void MnuFileClose_Click();
    void MnuFileCloseAll_Click();
    void mnuFileRecentFile_Click(int index);
    void mnuFileQuit_Click();
    void mnuShowProjectWnd_Click();
    void mnuSessionOption_Click();
    void mnuSwitchLeftRight_Click();
    void mnuOption_Click();
    void mnuLanguage_Click();
    void mnuScript_Click();
    // 0 cascade, 1 tile horizontally (one above the other), 2 tile vertically (side by side).
    void Arrange(int arrangement);
    void mnuWindowMaximizeAll_Click();
    void mnuUseHelp_Click();
    void mnuAbout_Click();
    void CmdCancel_Click();
    void ToolbarMain_ButtonClick(const QString &key);
    void ListView1_Click(QTreeWidgetItem *item);
    // A drop on the window or the project list: exactly one project file opens.
    void OLEDragDrop(const QMimeData *data);

    // Controls (object names as the language file knows them).
    QWidget *PicStatus = nullptr;
    QPushButton *CmdCancel = nullptr;
    QWidget *Splitter = nullptr;
    QList<QIcon> ImageListMain;
    QStatusBar *StatusBar1 = nullptr;
    QWidget *Picture1 = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QProgressBar *m_ProgressBar1 = nullptr; // "ProgressBar1"
    QLabel *LblStatus = nullptr;
    QToolBar *ToolbarMain = nullptr;
    QAction *tlbNew = nullptr, *tlbOpen = nullptr, *tlbSave = nullptr, *tlbSwitch = nullptr;
    QMdiArea *MDIClient = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr, *mnuFileOpen = nullptr, *mnuFileSave = nullptr,
            *mnuFileSaveAs = nullptr, *MnuFileClose = nullptr, *MnuFileCloseAll = nullptr,
            *mnuFileLine2 = nullptr;
    QMenu *mnuFileRecent = nullptr;
    QList<QAction *> mnuFileRecentFile;
    QAction *mnuFileLine3 = nullptr, *mnuFileQuit = nullptr;
    QMenu *MenuItemIZiliao = nullptr;
    QAction *mnuShowProjectWnd = nullptr;
    QMenu *mnuSession = nullptr;
    QAction *mnuSessionOption = nullptr, *mnuSwitchLeftRight = nullptr;
    QMenu *mnuTools = nullptr;
    QAction *mnuOption = nullptr, *mnuLanguage = nullptr;
    QMenu *mnuAdvance = nullptr;
    QAction *mnuScript = nullptr;
    QMenu *MnuWindows = nullptr;
    QAction *mnuWindowCascade = nullptr, *mnuWindowTileHorizontal = nullptr,
            *mnuWindowTileVertical = nullptr, *mnuWindowMaximizeAll = nullptr,
            *MnuWindowLine0 = nullptr, *MnuWindowCloseAll = nullptr;
    QMenu *menuhelp = nullptr;
    QAction *mnuUseHelp = nullptr, *mnuAbout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void buildToolbar();
    void applyToolTips();
    void restoreGeometry();
    void MDIForm_Unload();
    void Form_Resize();
    void Picture1_Resize();
    void layoutClientArea();
    void placeCancelButton();
    void onSubWindowActivated(QMdiSubWindow *window);
    void sessionWindowGone();
    bool closeSessionWindow(frmSession *frm);
    QTreeWidgetItem *projectItem(const QString &key) const;
    QTreeWidgetItem *projectItemOf(const frmSession *frm) const;
    QString text(const QString &key, const QString &defaultText);

    // The main window's language texts, section "frmMain".
    ClsLanguage m_Language;
    // The parsed command line, kept for the life of the process.
    ClsCmdParaParse m_CmdPara;
    QWidget *m_client = nullptr;
    std::unique_ptr<ClsSplitWnd> m_SplitWnd;
    RecentProjects m_Recent;
    int m_NewProjectCount = 0;
    // Keyed by window identity: a window renamed by a save stays the same entry.
    QList<QPointer<frmSession>> m_SessionWindows;
    FormControls m_Controls;
    StatusProgressBar m_ProgressBarAdapter{nullptr};
    bool m_Loaded = false;
    bool m_Unloaded = false;
    bool m_Busy = false;
    int m_BusyDepth = 0;
    QPointer<frmSession> m_RunningSession;
    QPointer<frmSession> m_LastActivated;
    QList<QPointer<QWidget>> m_CloseWhenIdle;
};
