#include "app/frmMain.h"

#include "app/ModMain.h"
#include "app/ProjectFileCheck.h"
#include "app/frmAbout.h"
#include "app/frmLanguage.h"
#include "app/frmOption.h"
#include "app/frmScript.h"
#include "app/frmSession.h"
#include "core/ClsIni.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "engine/ModCompare.h"
#include "platform/ini/ProfileBatch.h"
#include "platform/shell/ShellExecute.h"
#include "platform/win/FileDialog.h"
#include "platform/win/MessageBox.h"
#include "platform/win/QtTranslations.h"
#include "ui/ClsSplitWnd.h"
#include "ui/ModDialog.h"
#include "ui/ModVbControls.h"
#include "ui/ProductIcon.h"
#include "ui/TwipsGeometry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

Q_LOGGING_CATEGORY(lcStartup, "quorva.startup", QtInfoMsg)

namespace {

frmMain *g_instance = nullptr;

const QString kSection = QStringLiteral("frmMain");
const QString kTitle = QStringLiteral("Quorva");

// Design sizes in twips.
const int kProjectPaneWidth = 2400;
const int kCancelWidth = 900;
const int kProgressWidth = 3000;
const int kSplitWidth = 50;

// The project list keeps each entry's key (the project-file name) and the window it stands for.
const int KeyRole = Qt::UserRole;
const int WindowRole = Qt::UserRole + 1;

QString sectionKey(const char *key)
{
    return QString::fromLatin1(key);
}

} // namespace

frmMain *frmMain::Instance()
{
    return g_instance;
}

frmMain::frmMain(QWidget *parent) : QMainWindow(parent), m_Controls(this)
{
    g_instance = this;
    setCurrent(this);
    setObjectName(kSection);
    setWindowTitle(kTitle);
    setWindowIcon(ProductIcon::icon());
    setAcceptDrops(true);

    buildControls();
    buildMenus();
    buildToolbar();
    m_SplitWnd = std::make_unique<ClsSplitWnd>();
    connect(m_SplitWnd.get(), &ClsSplitWnd::Resize, this, [this] { layoutClientArea(); });

    // A first start: a window in the middle of the screen, large enough for the project list
    // and one session window with its whole layout where the screen allows.
    QRect available(0, 0, 1024, 768);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    const QSize size(std::min(Twips::toPixels(15300), available.width()),
                     std::min(Twips::toPixels(11100), available.height()));
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, available));

    CompareMainWindow::install(this);
    ModCompare::SetCancelListener([this] {
        if (CmdCancel) CmdCancel->hide();
    });
}

frmMain::~frmMain()
{
    // The session windows go with this window; their last signals must not reach it.
    for (frmSession *frm : std::as_const(m_SessionWindows))
        if (frm) disconnect(frm, nullptr, this, nullptr);
    // Nor the area's, which reports the end of its active window while it goes with it.
    disconnect(MDIClient, nullptr, this, nullptr);
    if (CompareMainWindow::installed() == this) {
        CompareMainWindow::install(nullptr);
        ModCompare::SetCancelListener({});
    }
    if (g_instance == this) g_instance = nullptr;
    if (current() == this) setCurrent(nullptr);
}

void frmMain::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(m_client);
    Picture1 = new QWidget(m_client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    ListView1 = new QTreeWidget(Picture1);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(1);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setHeaderLabel(QStringLiteral("工程列表"));
    ListView1->header()->setStretchLastSection(false);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->viewport()->installEventFilter(this);
    connect(ListView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { ListView1_Click(item); });
    connect(ListView1, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { ListView1_Click(item); });
    TwipsGeometry::move(Picture1, 0, 0, kProjectPaneWidth, 3000);

    Splitter = new QWidget(m_client);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setAutoFillBackground(true);

    MDIClient = new QMdiArea(m_client);
    MDIClient->setObjectName(QStringLiteral("MDIClient"));
    connect(MDIClient, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow *w) { onSubWindowActivated(w); });

    m_client->installEventFilter(this);
    Picture1->installEventFilter(this);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    PicStatus = new QWidget(StatusBar1);
    PicStatus->setObjectName(QStringLiteral("PicStatus"));
    CmdCancel = new QPushButton(QStringLiteral("取消(&C)"), PicStatus);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->hide();
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
    StatusBar1->addWidget(PicStatus);
    m_ProgressBar1 = new QProgressBar(StatusBar1);
    m_ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_ProgressBar1->setRange(0, 100);
    m_ProgressBar1->setFixedWidth(Twips::toPixels(kProgressWidth));
    m_ProgressBar1->hide();
    StatusBar1->addWidget(m_ProgressBar1);
    LblStatus = new QLabel(StatusBar1);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));
    LblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addWidget(LblStatus, 1);
    m_ProgressBarAdapter = StatusProgressBar(m_ProgressBar1);

    ToolbarMain = new QToolBar(QStringLiteral("ToolbarMain"), this);
    ToolbarMain->setObjectName(QStringLiteral("ToolbarMain"));
    ToolbarMain->setMovable(false);
    ToolbarMain->setFloatable(false);
    ToolbarMain->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolbarMain->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ToolbarMain);

    // The language texts walk the controls in the design's order.
    for (QObject *c :
         std::initializer_list<QObject *>{PicStatus, CmdCancel, Splitter, StatusBar1, Picture1,
                                          ListView1, m_ProgressBar1, ToolbarMain})
        m_Controls.add(c);
}

void frmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto menu = [this](QMenu *m, const char *name) {
        m->setObjectName(QString::fromLatin1(name));
        m_Controls.add(m);
        return m;
    };
    auto item = [this](QMenu *m, const char *name, const QString &caption,
                       void (frmMain::*slot)()) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        m_Controls.add(a);
        if (slot) connect(a, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return a;
    };
    auto line = [this](QMenu *m, const char *name) {
        QAction *a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        m_Controls.add(a);
        return a;
    };

    mnuFile = menu(bar->addMenu(QStringLiteral("文件(&F)")), "mnuFile");
    mnuFileNew =
        item(mnuFile, "mnuFileNew", QStringLiteral("新建(&N)"), &frmMain::mnuFileNew_Click);
    mnuFileOpen =
        item(mnuFile, "mnuFileOpen", QStringLiteral("打开(&O)"), &frmMain::mnuFileOpen_Click);
    mnuFileSave =
        item(mnuFile, "mnuFileSave", QStringLiteral("保存(&S)"), &frmMain::mnuFileSave_Click);
    mnuFileSaveAs =
        item(mnuFile, "mnuFileSaveAs", QStringLiteral("另存为(&A)"), &frmMain::mnuFileSaveAs_Click);
    MnuFileClose =
        item(mnuFile, "MnuFileClose", QStringLiteral("关闭(&C)"), &frmMain::MnuFileClose_Click);
    MnuFileCloseAll = item(mnuFile, "MnuFileCloseAll", QStringLiteral("全部关闭(&L)"),
                           &frmMain::MnuFileCloseAll_Click);
    mnuFileLine2 = line(mnuFile, "mnuFileLine2");
    mnuFileRecent = menu(mnuFile->addMenu(QStringLiteral("最近文件列表(&R)")), "mnuFileRecent");
    QAction *recent0 = mnuFileRecent->addAction(QStringLiteral("无"));
    recent0->setObjectName(QStringLiteral("mnuFileRecentFile"));
    m_Controls.add(recent0, 0);
    connect(recent0, &QAction::triggered, this, [this] { mnuFileRecentFile_Click(0); });
    mnuFileRecentFile.append(recent0);
    mnuFileLine3 = line(mnuFile, "mnuFileLine3");
    mnuFileQuit =
        item(mnuFile, "mnuFileQuit", QStringLiteral("退出(&X)"), &frmMain::mnuFileQuit_Click);

    MenuItemIZiliao = menu(bar->addMenu(QStringLiteral("视图(&V)")), "MenuItemIZiliao");
    mnuShowProjectWnd = item(MenuItemIZiliao, "mnuShowProjectWnd",
                             QStringLiteral("显示工程窗口(&R)"), &frmMain::mnuShowProjectWnd_Click);
    mnuShowProjectWnd->setCheckable(true);
    mnuShowProjectWnd->setChecked(true);

    mnuSession = menu(bar->addMenu(QStringLiteral("会话(&S)")), "mnuSession");
    mnuSessionOption = item(mnuSession, "mnuSessionOption", QStringLiteral("会话选项"),
                            &frmMain::mnuSessionOption_Click);
    mnuSwitchLeftRight = item(mnuSession, "mnuSwitchLeftRight", QStringLiteral("交换左右"),
                              &frmMain::mnuSwitchLeftRight_Click);

    mnuTools = menu(bar->addMenu(QStringLiteral("工具(&T)")), "mnuTools");
    mnuOption = item(mnuTools, "mnuOption", QStringLiteral("选项"), &frmMain::mnuOption_Click);
    mnuLanguage =
        item(mnuTools, "mnuLanguage", QStringLiteral("Language"), &frmMain::mnuLanguage_Click);

    mnuAdvance = menu(bar->addMenu(QStringLiteral("高级(&A)")), "mnuAdvance");
    mnuScript = item(mnuAdvance, "mnuScript", QStringLiteral("脚本"), &frmMain::mnuScript_Click);

    MnuWindows = menu(bar->addMenu(QStringLiteral("窗口(&W)")), "MnuWindows");
    mnuWindowCascade = item(MnuWindows, "mnuWindowCascade", QStringLiteral("层叠(&C)"), nullptr);
    connect(mnuWindowCascade, &QAction::triggered, this, [this] { Arrange(0); });
    mnuWindowTileHorizontal =
        item(MnuWindows, "mnuWindowTileHorizontal", QStringLiteral("横向平铺(&H)"), nullptr);
    connect(mnuWindowTileHorizontal, &QAction::triggered, this, [this] { Arrange(1); });
    mnuWindowTileVertical =
        item(MnuWindows, "mnuWindowTileVertical", QStringLiteral("纵向平铺(&V)"), nullptr);
    connect(mnuWindowTileVertical, &QAction::triggered, this, [this] { Arrange(2); });
    mnuWindowMaximizeAll = item(MnuWindows, "mnuWindowMaximizeAll", QStringLiteral("全部最大化"),
                                &frmMain::mnuWindowMaximizeAll_Click);
    MnuWindowLine0 = line(MnuWindows, "MnuWindowLine0");
    MnuWindowCloseAll = item(MnuWindows, "MnuWindowCloseAll", QStringLiteral("全部关闭(&L)"),
                             &frmMain::MnuFileCloseAll_Click);

    menuhelp = menu(bar->addMenu(QStringLiteral("帮助(&H)")), "menuhelp");
    mnuUseHelp =
        item(menuhelp, "mnuUseHelp", QStringLiteral("帮助主题(&H)"), &frmMain::mnuUseHelp_Click);
    mnuAbout = item(menuhelp, "mnuAbout", QStringLiteral("关于(&A)"), &frmMain::mnuAbout_Click);
}

void frmMain::buildToolbar()
{
    QStyle *style = QApplication::style();
    ImageListMain = {style->standardIcon(QStyle::SP_FileIcon),
                     style->standardIcon(QStyle::SP_DialogOpenButton),
                     style->standardIcon(QStyle::SP_DialogSaveButton),
                     style->standardIcon(QStyle::SP_BrowserReload)};
    auto button = [this](const char *key) {
        QAction *a = ToolbarMain->addAction(QString::fromLatin1(key));
        a->setObjectName(QString::fromLatin1(key));
        return a;
    };
    tlbNew = button("tlbNew");
    tlbOpen = button("tlbOpen");
    tlbSave = button("tlbSave");
    tlbSwitch = button("tlbSwitch");
    ToolbarMain->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(ToolbarMain, &QToolBar::actionTriggered, this,
            [this](QAction *a) { ToolbarMain_ButtonClick(a->objectName()); });
}

QString frmMain::text(const QString &key, const QString &defaultText)
{
    return m_Language.ReadString(kSection, key, defaultText);
}

void frmMain::applyToolTips()
{
    tlbNew->setToolTip(text(sectionKey("tlbNewToolTip"), QStringLiteral("新建工程")));
    tlbOpen->setToolTip(text(sectionKey("tlbOpenToolTip"), QStringLiteral("打开工程")));
    tlbSave->setToolTip(text(sectionKey("tlbSaveToolTip"), QStringLiteral("保存工程")));
    tlbSwitch->setToolTip(text(sectionKey("tlbSwitchToolTip"), QStringLiteral("交换左右")));
}

// ---------------------------------------------------------------------------------------------
// Load and unload

void frmMain::MDIForm_Load()
{
    if (m_Loaded) return;
    m_Loaded = true;

    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RefreshRecentFileMenu();

    const QString cmd = ModMain::CommandLine();
    qCDebug(lcStartup).noquote() << QStringLiteral("Quorva para:") + cmd;
    if (cmd.isEmpty()) {
        ReopenLastSessions();
    } else {
        m_CmdPara.Initialize(cmd);
        if (!m_CmdPara.PrjFileName().isEmpty()) {
            OpenProjectFile(m_CmdPara.PrjFileName());
        } else if (!m_CmdPara.LeftFileName().isEmpty() && !m_CmdPara.RightFileName().isEmpty()) {
            OpenSessionWindow(QString());
            if (frmSession *frm = ActiveSessionWindow()) {
                // The pair was found from the working folder; the session would look for a
                // relative name beside its template, in the program's folder.
                frm->TxtLeftFileName->setText(ProjectPath(m_CmdPara.LeftFileName()));
                frm->txtRightFileName->setText(ProjectPath(m_CmdPara.RightFileName()));
                frm->CmdLeft_Refresh_Sheet_Click();
                frm->CmdRight_Refresh_Sheet_Click();
            }
        } else {
            // Nothing opens; the user who typed two workbooks apart, or a name that is not
            // there, learns why instead of facing an empty window.
            ShowStatusText(text(sectionKey("CmdLineNothingToOpen"),
                                QStringLiteral("命令行没有指明工程文件（.vrk）或两个存在的工作簿"
                                               "（左边?右边）：")) +
                           cmd);
        }
    }

    restoreGeometry();

    const bool showPane =
        SettingsIni().ReadNum(kSection, QStringLiteral("ShowProjectWindow"), 1) != 0;
    Picture1->setVisible(showPane);
    mnuShowProjectWnd->setChecked(showPane);

    m_SplitWnd->Initialize(Splitter, Picture1, nullptr);
    m_SplitWnd->setSplitWidth(kSplitWidth);
    Form_Resize();

    for (int i = 0; i < 4; ++i)
        ToolbarMain->actions().at(i)->setIcon(ImageListMain.at(i));
    applyToolTips();

    UpdateCommandStates();

    m_Language.SkipControlByName(QStringLiteral("mnuFileRecentFile"));
    OnLanguageChanged();

    placeCancelButton();

    QPalette palette = ListView1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    ListView1->setPalette(palette);
}

void frmMain::restoreGeometry()
{
    ClsIni &ini = SettingsIni();
    if (!(windowState() & Qt::WindowMaximized)) {
        const QRect now = geometry();
        const int left = ini.ReadNum(kSection, QStringLiteral("Left"), Twips::fromPixels(now.x()));
        const int top = ini.ReadNum(kSection, QStringLiteral("Top"), Twips::fromPixels(now.y()));
        const int width =
            ini.ReadNum(kSection, QStringLiteral("Width"), Twips::fromPixels(now.width()));
        const int height =
            ini.ReadNum(kSection, QStringLiteral("Height"), Twips::fromPixels(now.height()));
        QRect wanted(Twips::toPixels(left), Twips::toPixels(top),
                     std::max(Twips::toPixels(width), minimumSizeHint().width()),
                     std::max(Twips::toPixels(height), minimumSizeHint().height()));
        // A stored place on a screen that is gone would leave the window out of reach.
        bool onScreen = false;
        for (const QScreen *screen : QGuiApplication::screens())
            if (screen->availableGeometry().intersects(wanted)) onScreen = true;
        if (!onScreen) wanted.moveCenter(now.center());
        setGeometry(wanted);
    }
    const int current = (windowState() & Qt::WindowMaximized) ? 2 : 0;
    // A window that was minimized at exit starts as a normal window: minimized, it would be
    // out of sight.
    if (ini.ReadNum(kSection, QStringLiteral("WindowState"), current) == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

void frmMain::placeCancelButton()
{
    const int height = std::max(StatusBar1->sizeHint().height(), CmdCancel->sizeHint().height());
    // At least as wide as its caption needs.
    const int width = std::max(Twips::toPixels(kCancelWidth), CmdCancel->sizeHint().width());
    PicStatus->setFixedSize(width, height);
    CmdCancel->setGeometry(0, 0, width, height);
}

void frmMain::MDIForm_Unload()
{
    m_Unloaded = true;
    SaveRecentFileList();

    ClsIni &ini = SettingsIni();
    // The normal place and size also of a maximized or minimized window, so that it comes back
    // there when restored.
    QRect g = geometry();
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) {
        const QRect normal = normalGeometry();
        if (normal.isValid() && !normal.isEmpty()) g = normal;
    }
    ini.WriteNum(kSection, QStringLiteral("Left"), Twips::fromPixels(g.x()));
    ini.WriteNum(kSection, QStringLiteral("Top"), Twips::fromPixels(g.y()));
    ini.WriteNum(kSection, QStringLiteral("Width"), Twips::fromPixels(g.width()));
    ini.WriteNum(kSection, QStringLiteral("Height"), Twips::fromPixels(g.height()));
    ini.WriteNum(kSection, QStringLiteral("WindowState"),
                 (windowState() & Qt::WindowMaximized) ? 2 : 0);
    ini.WriteNum(kSection, QStringLiteral("ShowProjectWindow"), Picture1->isHidden() ? 0 : -1);

    m_SplitWnd.reset();
    if (CompareMainWindow::installed() == this) {
        CompareMainWindow::install(nullptr);
        ModCompare::SetCancelListener({});
    }
    ModMain::SaveSettingsOnExit();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_Unloaded) {
        event->accept();
        return;
    }
    if (m_Busy) {
        QueryCloseWhileBusy(this);
        event->ignore();
        return;
    }
    // The sessions to reopen at the next start, in the order they were opened, by the names
    // they have after their close questions: a session saved under a new name while closing
    // comes back by that name. A refused close leaves the program running; the list holds the
    // windows as they are then.
    QStringList open;
    bool refused = false;
    const QList<frmSession *> windows = SessionWindows();
    for (frmSession *frm : windows) {
        QPointer<frmSession> guard(frm);
        if (!refused && !closeSessionWindow(frm)) refused = true;
        if (guard) open.append(guard->GetIniFileName());
    }
    // Everything written to the settings file at closing is one replace of it: another Quorva
    // closing at the same time leaves its whole lists or these, never a mixture.
    win::ProfileBatch batch(SettingsIni().IniFileName());
    SaveOpenSessionList(open);
    if (refused) {
        batch.commit();
        event->ignore();
        return;
    }
    MDIForm_Unload();
    if (!batch.commit())
        qCWarning(lcStartup) << "The settings could not be saved:" << batch.errorString();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Layout

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        Form_Resize();
    } else if (watched == Picture1 && event->type() == QEvent::Resize) {
        Picture1_Resize();
    } else if (watched == ListView1->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDragMoveEvent *>(event);
            if (e->mimeData()->hasUrls()) e->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            e->acceptProposedAction();
            OLEDragDrop(e->mimeData());
            return true;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Form_Resize()
{
    if (!m_SplitWnd) return;
    m_SplitWnd->setWidth(TwipsGeometry::width(m_client));
    m_SplitWnd->setHeight(TwipsGeometry::height(m_client));
    m_SplitWnd->OnParentResize();
    layoutClientArea();
}

void frmMain::layoutClientArea()
{
    const QRect area = m_client->rect();
    if (Picture1->isHidden()) {
        Splitter->hide();
        MDIClient->setGeometry(area);
        return;
    }
    Splitter->show();
    const int x = std::min(Splitter->geometry().x() + Splitter->width(), area.width());
    MDIClient->setGeometry(x, 0, area.width() - x, area.height());
}

void frmMain::Picture1_Resize()
{
    ListView1->setGeometry(0, 0, Picture1->width(), Picture1->height());
    // The column fills the list, inside its frame, so that no horizontal scroll bar appears.
    const int inside = ListView1->width() - 2 * ListView1->frameWidth();
    ListView1->setColumnWidth(0, std::max(0, inside - Twips::toPixels(10)));
}

// ---------------------------------------------------------------------------------------------
// Public members

void frmMain::InCompare(bool busy)
{
    // Counted, so that the end of a run started inside another (which the disabled commands
    // should prevent) does not clear the outer run's busy state.
    m_BusyDepth = std::max(0, m_BusyDepth + (busy ? 1 : -1));
    const bool wasBusy = m_Busy;
    m_Busy = m_BusyDepth > 0;
    CmdCancel->setVisible(m_Busy);
    if (m_Busy && !wasBusy) m_RunningSession = ActiveSessionWindow();
    if (!m_Busy) m_RunningSession = nullptr;
    UpdateCommandStates();
    if (m_Busy || m_CloseWhenIdle.isEmpty()) return;
    // The run has unwound: the windows whose close waited for it close now, after the caller
    // has returned to the event loop.
    const QList<QPointer<QWidget>> pending = std::exchange(m_CloseWhenIdle, {});
    QTimer::singleShot(0, this, [pending] {
        for (const QPointer<QWidget> &w : pending)
            if (w) w->close();
    });
}

void frmMain::ShowStatusText(const QString &text)
{
    LblStatus->setText(text);
    LblStatus->setToolTip(text);
}

bool frmMain::IsRunning(const frmSession *frm) const
{
    return m_Busy && (!m_RunningSession || m_RunningSession == frm);
}

bool frmMain::QueryCloseWhileBusy(QWidget *closing)
{
    if (ModCommon::ShowMsg(text(sectionKey("CancelTitle"), QStringLiteral("正在比较，是否取消？")),
                           win::vbYesNo + win::vbExclamation, kTitle) == win::vbNo)
        return false;
    ModCompare::SetCancelCompare(true);
    CmdCancel->hide();
    if (closing && !m_CloseWhenIdle.contains(closing)) m_CloseWhenIdle.append(closing);
    return true;
}

void frmMain::FileClosed(const QString &path)
{
    RemoveProjectListItem(path);
    SaveRecentFileList();
    RefreshRecentFileMenu();
}

void frmMain::SubWindowActiveted(frmSession *frm)
{
    if (!frm || frm->isUnloaded()) return;
    const QString name = frm->GetIniFileName();
    QTreeWidgetItem *entry = projectItem(name);
    if (!entry) {
        // The window has been renamed (saved under a new name): its entry follows.
        entry = projectItemOf(frm);
        if (entry) {
            QString folder;
            entry->setData(0, KeyRole, name);
            entry->setText(0, ModFile::SplitFilePath(name, folder));
        }
    }
    if (!entry) return;
    entry->setData(0, WindowRole, frm->windowId());
    ListView1->setCurrentItem(entry);
    if (!m_SessionWindows.contains(frm)) m_SessionWindows.append(frm);
    UpdateCommandStates();
}

void frmMain::OnLanguageChanged()
{
    win::QtTranslations::installFor(CurrentOptions().LanguageFileName());
    m_Language.Init();
    m_Language.LoadLanguageOfForm(m_Controls.form());
    ListView1->setHeaderLabel(text(sectionKey("ProjectList"), QStringLiteral("工程列表")));
    applyToolTips();
    for (frmSession *frm : SessionWindows())
        frm->SwitchLanguage();
    if (m_Recent.files().isEmpty() && !mnuFileRecentFile.isEmpty()) {
        mnuFileRecentFile.first()->setText(text(sectionKey("NoRecentFile"), QStringLiteral("无")));
        mnuFileRecentFile.first()->setEnabled(false);
    }
    placeCancelButton();
}

// ---------------------------------------------------------------------------------------------
// Session windows

QList<frmSession *> frmMain::SessionWindows() const
{
    QList<frmSession *> live;
    for (const QPointer<frmSession> &frm : m_SessionWindows)
        if (frm && !frm->isUnloaded()) live.append(frm);
    return live;
}

frmSession *frmMain::ActiveSessionWindow() const
{
    QMdiSubWindow *sub = MDIClient->currentSubWindow();
    auto *frm = sub ? qobject_cast<frmSession *>(sub->widget()) : nullptr;
    return frm && !frm->isUnloaded() ? frm : nullptr;
}

frmSession *frmMain::SessionWindowNamed(const QString &name) const
{
    for (frmSession *frm : SessionWindows())
        if (frm->GetIniFileName() == name) return frm;
    return nullptr;
}

void frmMain::OpenSessionWindow(const QString &name)
{
    if (m_Busy || m_Unloaded) return;
    // One window per project file, however the path is spelled.
    if (!name.isEmpty())
        if (frmSession *open = SessionWindowHolding(name)) {
            ActivateSessionWindow(open->GetIniFileName());
            return;
        }
    // A name that points at no readable project is refused with the reason, before a window
    // opens (a pipe would otherwise be waited on, a device read for ever).
    if (!name.isEmpty()) {
        const QString why =
            ProjectFileCheck::Problem(name, [this](const char *key, const QString &dflt) {
                return text(sectionKey(key), dflt);
            });
        if (!why.isEmpty()) {
            ModCommon::ShowMsg(
                text(sectionKey("ProjectOpenFailed"), QStringLiteral("不能打开工程文件：")) +
                    QStringLiteral("\r\n") + ProjectFileCheck::Shown(name) +
                    QStringLiteral("\r\n") + why,
                win::vbExclamation, kTitle);
            return;
        }
    }
    QString windowName = name;
    const bool untitled = name.isEmpty();
    if (untitled)
        windowName = QStringLiteral("New Project ") + QString::number(++m_NewProjectCount);

    auto *frm = new frmSession;
    frm->SetIniFileName(windowName, untitled);
    m_SessionWindows.append(frm);
    // Tidied once the window is gone: while it is being destroyed it is no longer a session
    // window, and its pointer still reads as set.
    connect(
        frm, &QObject::destroyed, this, [this] { sessionWindowGone(); }, Qt::QueuedConnection);
    frm->MainWindowBusy(m_Busy);
    QMdiSubWindow *sub = MDIClient->addSubWindow(frm);
    AddProjectListItem(windowName, frm);
    sub->show();
    MDIClient->setActiveSubWindow(sub);
}

void frmMain::ActivateSessionWindow(const QString &path)
{
    frmSession *frm = SessionWindowNamed(path);
    if (!frm) return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget())) {
        if (sub->isMinimized()) sub->showNormal();
        MDIClient->setActiveSubWindow(sub);
    }
}

bool frmMain::CloseSessionWindow(const QString &path)
{
    frmSession *frm = SessionWindowNamed(path);
    return frm ? closeSessionWindow(frm) : true;
}

bool frmMain::closeSessionWindow(frmSession *frm)
{
    QPointer<frmSession> guard(frm);
    if (!guard || guard->isUnloaded()) return true;
    return guard->CloseWindow();
}

void frmMain::onSubWindowActivated(QMdiSubWindow *window)
{
    // The area reports its own deactivation (null) and the re-activation of the same window
    // when the program regains the focus; a session window is activated only when it becomes
    // the active one among the others.
    auto *frm = window ? qobject_cast<frmSession *>(window->widget()) : nullptr;
    if (!frm || frm == m_LastActivated) return;
    m_LastActivated = frm;
    frm->Form_Activate();
}

void frmMain::sessionWindowGone()
{
    m_SessionWindows.removeAll(QPointer<frmSession>());
    QSet<int> alive;
    for (frmSession *frm : SessionWindows())
        alive.insert(frm->windowId());
    for (int i = ListView1->topLevelItemCount() - 1; i >= 0; --i) {
        const QVariant id = ListView1->topLevelItem(i)->data(0, WindowRole);
        if (id.isValid() && !alive.contains(id.toInt())) delete ListView1->takeTopLevelItem(i);
    }
    UpdateCommandStates();
}

QTreeWidgetItem *frmMain::projectItem(const QString &key) const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        if (ListView1->topLevelItem(i)->data(0, KeyRole).toString() == key)
            return ListView1->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem *frmMain::projectItemOf(const frmSession *frm) const
{
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QVariant id = ListView1->topLevelItem(i)->data(0, WindowRole);
        if (id.isValid() && id.toInt() == frm->windowId()) return ListView1->topLevelItem(i);
    }
    return nullptr;
}

void frmMain::AddProjectListItem(const QString &path, frmSession *window)
{
    // Appended at the position after the last entry.
    const int position = ModVbControls::GetNextListViewIndex(ListView1);
    QString folder;
    auto *entry = new QTreeWidgetItem(QStringList{ModFile::SplitFilePath(path, folder)});
    entry->setData(0, KeyRole, path);
    if (window) entry->setData(0, WindowRole, window->windowId());
    ListView1->insertTopLevelItem(position - 1, entry);
    if (ModFile::FileExists(path)) AddToRecentFile(path);
    UpdateCommandStates();
}

void frmMain::RemoveProjectListItem(const QString &path)
{
    if (QTreeWidgetItem *entry = projectItem(path)) {
        delete entry;
        UpdateCommandStates();
    }
}

void frmMain::UpdateCommandStates()
{
    const bool idle = !m_Busy;
    const bool enabled = idle && !SessionWindows().isEmpty();
    for (QAction *a : {tlbSave, tlbSwitch, mnuFileSave, mnuFileSaveAs, MnuFileClose,
                       MnuFileCloseAll, mnuSessionOption, mnuSwitchLeftRight})
        a->setEnabled(enabled);
    // While a comparison runs no session may be started, opened or closed.
    for (QAction *a : {tlbNew, tlbOpen, mnuFileNew, mnuFileOpen, MnuWindowCloseAll})
        a->setEnabled(idle);
    mnuFileRecent->menuAction()->setEnabled(idle);
    for (frmSession *frm : SessionWindows())
        frm->MainWindowBusy(m_Busy);
}

// ---------------------------------------------------------------------------------------------
// Recent files and reopened sessions

void frmMain::AddToRecentFile(const QString &path)
{
    m_Recent.AddToRecentFile(path);
}

void frmMain::RefreshRecentFileMenu()
{
    while (mnuFileRecentFile.size() > 1)
        delete mnuFileRecentFile.takeLast();

    m_Recent.ReadRecentFileList(SettingsIni());
    const QStringList files = m_Recent.files();
    QAction *first = mnuFileRecentFile.first();
    if (files.isEmpty()) {
        first->setText(text(sectionKey("NoRecentFile"), QStringLiteral("无")));
        first->setEnabled(false);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        QAction *item = first;
        if (i > 0) {
            item = mnuFileRecent->addAction(QString());
            item->setObjectName(QStringLiteral("mnuFileRecentFile"));
            connect(item, &QAction::triggered, this, [this, i] { mnuFileRecentFile_Click(i); });
            mnuFileRecentFile.append(item);
        }
        item->setText(RecentProjects::RecentFileCaption(i, files.at(i)));
        item->setEnabled(true);
    }
}

void frmMain::SaveRecentFileList()
{
    m_Recent.SaveRecentFileList(SettingsIni());
}

QString frmMain::ProjectPath(const QString &path)
{
    if (path.isEmpty()) return path;
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

void frmMain::OpenProjectFile(const QString &path)
{
    // By its full path, so that the recent list and the reopened sessions find it from any
    // working folder.
    const QString full = ProjectPath(path);
    AddToRecentFile(full);
    OpenSessionWindow(full);
}

void frmMain::SaveOpenSessionList(const QStringList &names)
{
    RecentProjects::SaveOpenSessionList(SettingsIni(), names);
}

void frmMain::ReopenLastSessions()
{
    for (const QString &path : RecentProjects::LastSessions(SettingsIni()))
        OpenSessionWindow(path);
}

void frmMain::mnuFileRecentFile_Click(int index)
{
    if (m_Busy || index < 0 || index >= mnuFileRecentFile.size()) return;
    const QString path = RecentProjects::RecentFilePath(mnuFileRecentFile.at(index)->text());
    if (path.isEmpty()) return;
    if (ModFile::FileExists(path)) {
        OpenProjectFile(path);
        return;
    }
    ModCommon::ShowMsg(text(sectionKey("FileNotExist"), QStringLiteral("文件不存在!")) +
                           QStringLiteral("\r\nFilename=") + path,
                       win::vbCritical, kTitle);
}

// ---------------------------------------------------------------------------------------------
// Project-file commands

bool frmMain::SameProjectFile(const QString &a, const QString &b)
{
    const QString left = ProjectPath(a), right = ProjectPath(b);
    if (left.isEmpty() || right.isEmpty()) return false;
    if (left == right) return true;
    // Two files that exist are the same when they are one file (links, a folder that ignores
    // case); a name not yet on disk is taken for a file that differs only in letter case, as it
    // is on a file system that ignores case.
    if (ModFile::FileExists(left) && ModFile::FileExists(right)) {
        std::error_code error;
        return std::filesystem::equivalent(QFile::encodeName(left).toStdString(),
                                           QFile::encodeName(right).toStdString(), error);
    }
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

frmSession *frmMain::SessionWindowHolding(const QString &path, const frmSession *except) const
{
    for (frmSession *frm : SessionWindows())
        if (frm != except && !frm->IsUntitled() && SameProjectFile(frm->GetIniFileName(), path))
            return frm;
    return nullptr;
}

bool frmMain::SaveSessionToFile(frmSession *frm, const QString &path)
{
    if (!frm) return false;
    if (frm->Save2IniFile(path)) return true;
    // The reason, when the save knows it, follows the general text.
    const QString why = frm->SaveError();
    ModCommon::ShowMsg(text(sectionKey("SaveFailedPrompt"),
                            QStringLiteral("保存文件失败，文件可能是只读或者被打开! ")) +
                           (why.isEmpty() ? QString() : QStringLiteral("\r\n") + why) +
                           QStringLiteral("\r\nFilename=") + path,
                       win::vbCritical, kTitle);
    return false;
}

QString frmMain::SaveFile()
{
    return SaveFileOf(ActiveSessionWindow());
}

QString frmMain::SaveFileOf(frmSession *frm)
{
    if (!frm) return QString();
    const QString name = frm->GetIniFileName();
    QString offered = name;
    for (;;) {
        // A saved project's own folder, else where the session's workbooks are.
        QString startFolder = frm->UserFilesFolder();
        // The dialog gives the name its ".vrk" before it asks about replacing a file.
        const QString path = ModDialog::ShowSaveFileDialog(
            this, offered, QStringLiteral("保存工程文件"), startFolder,
            QStringLiteral("*.vrk|*.vrk"),
            ModDialog::OFN_OVERWRITEPROMPT | ModDialog::OFN_EXPLORER | ModDialog::OFN_LONGNAMES,
            QStringLiteral("vrk"));
        if (path.isEmpty()) return QString();
        // Two windows bound to one file would overwrite each other's work when they close.
        if (frmSession *holder = SessionWindowHolding(path, frm)) {
            ModCommon::ShowMsg(
                text(sectionKey("FileInUsePrompt"),
                     QStringLiteral("该工程文件已在另一个窗口中打开，请另选文件名!")) +
                    QStringLiteral("\r\nFilename=") + path + QStringLiteral("\r\nWindow=") +
                    holder->windowTitle(),
                win::vbExclamation, kTitle);
            offered = path;
            continue;
        }
        return SaveSessionToFile(frm, path) ? path : QString();
    }
}

void frmMain::mnuFileSave_Click()
{
    if (m_Busy) return;
    frmSession *frm = ActiveSessionWindow();
    if (!frm) return;
    const QString name = frm->GetIniFileName();
    // An untitled window's name is no file, whatever may lie in the working folder.
    if (frm->IsUntitled() || !ModFile::FileExists(name)) {
        const QString path = SaveFileOf(frm);
        if (path.isEmpty()) return;
        RemoveProjectListItem(name);
        AddProjectListItem(path, frm);
        SubWindowActiveted(frm);
        return;
    }
    if (ModFile::IsFileReadOnly(name)) {
        if (ModCommon::ShowMsg(name + QStringLiteral(" 是只读，是否覆盖？"),
                               win::vbYesNo + win::vbExclamation, kTitle) == win::vbNo)
            return;
        // The save that follows says so when the file stays read-only.
        QFile::setPermissions(name, QFile::permissions(name) | QFileDevice::WriteOwner);
    }
    SaveSessionToFile(frm, name);
}

void frmMain::mnuFileSaveAs_Click()
{
    if (m_Busy) return;
    frmSession *frm = ActiveSessionWindow();
    if (!frm) return;
    const QString old = frm->GetIniFileName();
    const QString path = SaveFile();
    if (path.isEmpty()) return;
    if (path.compare(old, Qt::CaseInsensitive) == 0) {
        // The same project: the window stays, its entry follows the name's new spelling.
        SubWindowActiveted(frm);
        return;
    }
    // The project is reopened from its new file in a fresh window, which heads the recent list.
    if (!closeSessionWindow(frm)) return;
    RemoveProjectListItem(old);
    OpenProjectFile(path);
}

void frmMain::mnuFileOpen_Click()
{
    if (m_Busy) return;
    // Where the active session's files are, else the home folder; the program's working folder
    // may be anywhere.
    const frmSession *active = ActiveSessionWindow();
    const QString start = ModMain::UserFolder(active ? active->UserFilesFolder() : QString());
    const QString path = ModFile::ShowOpenFileDialog(start, QStringLiteral("*.vrk|*.vrk"),
                                                     QStringLiteral("打开文件"), 0, false);
    if (!path.isEmpty()) OpenSessionWindow(path);
}

// ---------------------------------------------------------------------------------------------
// Commands

void frmMain::mnuFileNew_Click()
{
    OpenSessionWindow(QString());
}

void frmMain::MnuFileClose_Click()
{
    if (m_Busy) return;
    if (frmSession *frm = ActiveSessionWindow()) closeSessionWindow(frm);
}

void frmMain::MnuFileCloseAll_Click()
{
    if (m_Busy) return;
    // The active window first, then the others from the most recently active on.
    QList<QPointer<frmSession>> order;
    const QList<QMdiSubWindow *> history =
        MDIClient->subWindowList(QMdiArea::ActivationHistoryOrder);
    if (frmSession *active = ActiveSessionWindow()) order.append(active);
    for (auto it = history.crbegin(); it != history.crend(); ++it)
        if (auto *frm = qobject_cast<frmSession *>((*it)->widget()))
            if (!order.contains(frm)) order.append(frm);
    for (const QPointer<frmSession> &frm : order) {
        if (!frm || frm->isUnloaded()) continue;
        // An earlier Cancel must not stop this close.
        g_CloseCancelled = false;
        const bool closed = closeSessionWindow(frm);
        if (!closed || g_CloseCancelled) break;
    }
}

void frmMain::mnuFileQuit_Click()
{
    close();
}

void frmMain::mnuShowProjectWnd_Click()
{
    Picture1->setVisible(Picture1->isHidden());
    mnuShowProjectWnd->setChecked(!Picture1->isHidden());
    Form_Resize();
}

void frmMain::mnuSessionOption_Click()
{
    if (frmSession *frm = ActiveSessionWindow()) frm->SessionOption_Click();
}

void frmMain::mnuSwitchLeftRight_Click()
{
    if (m_Busy) return;
    if (frmSession *frm = ActiveSessionWindow()) frm->SwitchLeftRight();
}

void frmMain::mnuOption_Click()
{
    frmOption::ShowModal(this);
}

void frmMain::mnuLanguage_Click()
{
    frmLanguage::ShowModal(this, [this] { OnLanguageChanged(); });
}

void frmMain::mnuScript_Click()
{
    frmScript::ShowModal(this);
}

void frmMain::mnuAbout_Click()
{
    frmAbout::ShowModal(this);
}

void frmMain::Arrange(int arrangement)
{
    if (arrangement == 0) {
        MDIClient->cascadeSubWindows();
        return;
    }
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *sub : MDIClient->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden() && !sub->isMinimized()) windows.append(sub);
    if (windows.isEmpty()) return;
    const QRect area = MDIClient->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *sub = windows.at(i);
        if (sub->isMaximized()) sub->showNormal();
        if (arrangement == 1) {
            const int top = area.height() * i / n, bottom = area.height() * (i + 1) / n;
            sub->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n, right = area.width() * (i + 1) / n;
            sub->setGeometry(left, 0, right - left, area.height());
        }
    }
}

void frmMain::mnuWindowMaximizeAll_Click()
{
    for (frmSession *frm : SessionWindows())
        if (auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget())) sub->showMaximized();
}

void frmMain::mnuUseHelp_Click()
{
    // A page of HTML, which every desktop can show.
    const QString help = g_AppPath + QStringLiteral("Quorva.html");
    if (!ModFile::FileExists(help)) {
        ModCommon::ShowMsg(text(sectionKey("HelpNotFound"), QStringLiteral("无法打开帮助文件：")) +
                               QStringLiteral("\r\n") + help,
                           win::vbExclamation, kTitle);
        return;
    }
    const QString notOpened =
        text(sectionKey("HelpNotOpened"),
             QStringLiteral("桌面上没有能打开帮助文件的程序，请用浏览器打开它："));
    shell::ShellOpen(help, [notOpened, help] {
        ModCommon::ShowMsg(notOpened + QStringLiteral("\r\n") + help, win::vbExclamation, kTitle);
    });
}

void frmMain::CmdCancel_Click()
{
    if (ModCommon::ShowMsg(text(sectionKey("CancelTitle"), QStringLiteral("正在比较，是否取消？")),
                           win::vbYesNo + win::vbExclamation, kTitle) == win::vbNo)
        return;
    ModCompare::SetCancelCompare(true);
    CmdCancel->hide();
}

void frmMain::ToolbarMain_ButtonClick(const QString &key)
{
    if (key == QLatin1String("tlbNew"))
        mnuFileNew_Click();
    else if (key == QLatin1String("tlbOpen"))
        mnuFileOpen_Click();
    else if (key == QLatin1String("tlbSave"))
        mnuFileSave_Click();
    else if (key == QLatin1String("tlbSwitch"))
        mnuSwitchLeftRight_Click();
}

void frmMain::ListView1_Click(QTreeWidgetItem *item)
{
    if (!item) return;
    const QVariant id = item->data(0, WindowRole);
    for (frmSession *frm : SessionWindows())
        if (id.isValid() && frm->windowId() == id.toInt()) {
            if (auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget())) {
                if (sub->isMinimized()) sub->showNormal();
                MDIClient->setActiveSubWindow(sub);
            }
            return;
        }
    ActivateSessionWindow(item->data(0, KeyRole).toString());
}

// ---------------------------------------------------------------------------------------------
// Drag and drop

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    OLEDragDrop(event->mimeData());
}

void frmMain::OLEDragDrop(const QMimeData *data)
{
    if (!data || !data->hasUrls()) return;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return;
    const QString path = urls.first().toLocalFile();
    if (ModMain::GetFileKind(path) == 1) OpenSessionWindow(path);
}
