#include "diffview/frmLeftRight.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/Twips.h"
#include "diffview/HookManagerSeam.h"
#include "diffview/ModControlExcelWindows.h"
#include "diffview/SessionOptionDialogSeam.h"
#include "diffview/ViewAligner.h"
#include "diffview/ViewDiffMarks.h"
#include "diffview/ViewSideSaver.h"
#include "diffview/ViewSideWindowHost.h"
#include "diffview/frmPromptSave.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ClsSessionOption.h"
#include "engine/ClsTxtCompareResult.h"
#include "engine/ModCompare.h"
#include "engine/ModExcel.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Range.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/win/FileDialog.h"
#include "platform/win/FormTemplate.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Windows.h"
#include "ui/ClsSplitWnd.h"
#include "ui/ModDialog.h"
#include "ui/ModalDialog.h"
#include "ui/TwipsGeometry.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <exception>

namespace tg = TwipsGeometry;

namespace {

const QString kSection = QStringLiteral("frmLeftRight");
const QString kTitle = QStringLiteral("Quorva");
const QString kLinkFailed = QStringLiteral("滚动条联动功能失效！");

// Design-time sizes, twips.
constexpr int kToolbarHeight = 450;
constexpr int kButtonWidth = 420;
constexpr int kPaneHeight = 300;
constexpr int kSaveButtonWidth = 450;
constexpr int kSaveButtonHeight = 285;
constexpr int kGap = 100;

int rounded(double value)
{
    return int(BasicText::roundHalfEven(value));
}

template <typename F> void ignoringErrors(F &&f)
{
    try {
        f();
    } catch (const std::exception &) {
    }
}

} // namespace

frmLeftRight::frmLeftRight(QWidget *owner)
    : QWidget(owner, Qt::Window), m_Controls(this), m_Marks(std::make_unique<ViewDiffMarks>(this)),
      m_Saver(std::make_unique<ViewSideSaver>(
          this, [this](const QString &key, const QString &defaultText) {
              return text(key, defaultText);
          }))
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("详细比较"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The sides' spreadsheet windows come into this view's frames through the view's host.
    ViewSideWindowHost::install();

    // The toolbar row: navigation buttons, the "no more differences" line, zoom, Compare again,
    // Quit, session options and the result line. Below it a title strip over each side with its
    // file name and Save button, and the two frames that host the sides' windows, with the
    // splitter bar between them.
    using T = FormTemplate;
    const std::vector<T::Control> controls = {
        T::control(Toolbar1, "Toolbar1"),
        T::element(ToolbarButtons, 0, "Toolbar1Button1", nullptr, {}, "Toolbar1"),
        T::element(ToolbarButtons, 1, "Toolbar1Button2", nullptr, {}, "Toolbar1"),
        T::element(ToolbarButtons, 2, "Toolbar1Button3", nullptr, {}, "Toolbar1"),
        T::element(ToolbarButtons, 3, "Toolbar1Button4", nullptr, {}, "Toolbar1"),
        T::control(txtNoMoreDiff, "txtNoMoreDiff", "找不到更多差异", {}, "Toolbar1"),
        T::control(CboSize, "CboSize", nullptr, {}, "Toolbar1"),
        T::control(CmdCompareAgain, "CmdCompareAgain", nullptr, {}, "Toolbar1"),
        T::control(CmdQuit, "CmdQuit", "退出", {}, "Toolbar1"),
        T::control(CmdAdvanceOption, "CmdAdvanceOption", "会话选项", {}, "Toolbar1"),
        T::control(txtResult, "txtResult", "差异的行数", {}, "Toolbar1"),
        T::control(LeftPane, "LeftPane"),
        T::control(RightPane, "RightPane"),
        T::control(TxtLeftFileName, "TxtLeftFileName", nullptr, {}, "LeftPane"),
        T::control(txtRightFileName, "txtRightFileName", nullptr, {}, "RightPane"),
        T::control(CmdLeftSave, "CmdLeftSave", nullptr, {}, "LeftPane"),
        T::control(CmdRightSave, "CmdRightSave", nullptr, {}, "RightPane"),
        T::control(frameLeft, "frameLeft"),
        T::control(frameRight, "frameRight"),
        T::control(Splitter, "Splitter"),
    };
    // The toolbar's buttons are not the language file's controls: their pictures and tips are.
    T::build(this, controls, {}, [this](QWidget *w, int index) {
        if (index < 0) m_Controls.add(w);
    });

    const struct
    {
        const char *key;
        QStyle::StandardPixmap picture;
        const char *tip;
    } buttons[] = {{"DOWN_ARROW", QStyle::SP_ArrowDown, "下一个差异"},
                   {"UP_ARROW", QStyle::SP_ArrowUp, "上一个差异"},
                   {"RIGHT_ARROW", QStyle::SP_ArrowRight, "复制到右边"},
                   {"LEFT_ARROW", QStyle::SP_ArrowLeft, "复制到左边"}};
    for (int i = 0; i < 4; ++i) {
        QToolButton *b = ToolbarButtons[i];
        b->setProperty("Key", QString::fromLatin1(buttons[i].key));
        b->setIcon(style()->standardIcon(buttons[i].picture));
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, i] { Toolbar1_ButtonClick(i + 1); });
    }
    CboSize->setEditable(true);
    CboSize->setInsertPolicy(QComboBox::NoInsert);
    CmdCompareAgain->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    for (QLineEdit *line : {txtNoMoreDiff, txtResult}) {
        line->setReadOnly(true);
        line->setFrame(false);
        line->setFocusPolicy(Qt::NoFocus);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Base, Qt::transparent);
        line->setPalette(palette);
    }
    QPalette red = txtNoMoreDiff->palette();
    red.setColor(QPalette::Text, QColor(192, 0, 0));
    txtNoMoreDiff->setPalette(red);
    for (QLineEdit *name : {TxtLeftFileName, txtRightFileName})
        name->setReadOnly(true);
    for (QPushButton *save : {CmdLeftSave, CmdRightSave}) {
        save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
        save->setToolTip(QStringLiteral("保存"));
        tg::move(save, 0, 0, kSaveButtonWidth, kSaveButtonHeight);
    }
    Splitter->setAutoFillBackground(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    connect(CmdQuit, &QPushButton::clicked, this, [this] { CmdQuit_Click(); });
    connect(CmdAdvanceOption, &QPushButton::clicked, this, [this] { CmdAdvanceOption_Click(); });
    connect(CmdCompareAgain, &QPushButton::clicked, this, [this] { CmdCompareAgain_Click(); });
    connect(CmdLeftSave, &QPushButton::clicked, this, [this] { CmdLeftSave_Click(); });
    connect(CmdRightSave, &QPushButton::clicked, this, [this] { CmdRightSave_Click(); });
    connect(CboSize, &QComboBox::activated, this, [this] { CboSize_Click(); });
    CboSize->installEventFilter(this);
    if (CboSize->lineEdit()) CboSize->lineEdit()->installEventFilter(this);

    // Design-time places in the toolbar row; the widths grow to what the captions need.
    int left = 0;
    for (int i = 0; i < ToolbarButtons.size(); ++i) {
        tg::move(ToolbarButtons[i], left, 0, kButtonWidth, kButtonWidth);
        if (i < 2) left += kButtonWidth;
    }
    const auto atLeast = [](QWidget *w, int twips) {
        return std::max(twips, Twips::fromPixels(w->sizeHint().width()));
    };
    tg::move(txtNoMoreDiff, left + kGap, 20, atLeast(txtNoMoreDiff, 1900), 400);
    left = tg::left(txtNoMoreDiff) + tg::width(txtNoMoreDiff) + kGap;
    tg::move(CboSize, left, 0, atLeast(CboSize, 1100), 400);
    left += tg::width(CboSize) + kGap;
    tg::move(CmdCompareAgain, left, 0, atLeast(CmdCompareAgain, 500), 400);
    left += tg::width(CmdCompareAgain) + kGap;
    tg::move(CmdQuit, left, 0, atLeast(CmdQuit, 900), 400);
    left += tg::width(CmdQuit) + kGap;
    tg::move(CmdAdvanceOption, left, 0, atLeast(CmdAdvanceOption, 1200), 400);
    left += tg::width(CmdAdvanceOption) + kGap;
    tg::move(txtResult, left, 20, 2600, 400);
    tg::move(Toolbar1, 0, 0, 12000, kToolbarHeight);
    tg::move(LeftPane, 0, kToolbarHeight, 6000, kPaneHeight);
    tg::move(RightPane, 6000, kToolbarHeight, 6000, kPaneHeight);
    resize(Twips::toPixels(15000), Twips::toPixels(9000));
}

frmLeftRight::~frmLeftRight()
{
    // A view deleted without closing (the program ends) still gives the windows back.
    if (!m_Unloaded && m_Loaded) Form_Unload();
    disconnectSheetEvents();
}

// ---------------------------------------------------------------------------------------------
// Public members

void frmLeftRight::NeedReDraw()
{
    m_ReDraw = true;
}

void frmLeftRight::NeedNotReDraw()
{
    m_ReDraw = false;
}

void frmLeftRight::SetOpt(ClsCompareCore *core)
{
    m_Core = core;
}

void frmLeftRight::SetPair(std::shared_ptr<ClsComparePair> pair)
{
    m_Pair = std::move(pair);
}

// ---------------------------------------------------------------------------------------------
// Loading, activation, layout and closing

void frmLeftRight::showEvent(QShowEvent *event)
{
    if (!m_Loaded) Form_Load();
    QWidget::showEvent(event);
}

void frmLeftRight::Form_Load()
{
    m_Loaded = true;
    m_Language.load({QStringLiteral("txtResult")});
    if (m_Core) m_Option = m_Core->GetAppendOpt();
    txtNoMoreDiff->hide();
    m_SplitWnd = std::make_unique<ClsSplitWnd>();
    m_SplitWnd->Initialize(Splitter, frameLeft, frameRight);
    m_SplitWnd->setSplitWidth(50);
    m_SplitWnd->setTop(450);
    m_SplitWnd->OnParentResize();
    connect(m_SplitWnd.get(), &ClsSplitWnd::Resize, this, [this] {
        // The user dragged the bar: each side's window fits its frame again.
        if (m_LeftObj) m_LeftObj->Event_ParentWndResize();
        if (m_RightObj) m_RightObj->Event_ParentWndResize();
    });
    Form_Resize();
    Timer1->start();
}

bool frmLeftRight::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && m_Loaded) {
        if (!m_Activated)
            QTimer::singleShot(0, this, [this] { Form_Activate(); });
        else
            Form_GotFocus();
    }
    return QWidget::event(event);
}

void frmLeftRight::Form_GotFocus()
{
    // A click into a hosted sheet that activated the view takes the focus on from here.
    if (!m_Unloaded && CmdCompareAgain->isEnabled())
        CmdCompareAgain->setFocus(Qt::ActiveWindowFocusReason);
}

void frmLeftRight::Form_Activate()
{
    if (m_Activated || m_Unloaded) return;
    if (!m_Loaded) Form_Load();
    m_Activated = true;
    if (!EmbedExcelWindows()) return;
    ignoringErrors([this] { BuildDiffList(); });
    ignoringErrors([this] {
        win::SetForegroundWindow(win::hwndOf(this));
        if (m_LeftApp) win::SetForegroundWindow(m_LeftApp->Hwnd());
    });
    ignoringErrors([this] { UpdateSaveButtons(); });
    if (m_LeftObj) {
        ignoringErrors([this] { m_LeftObj->Event_ParentWndResize(); });
        ignoringErrors([this] { m_RightObj->Event_ParentWndResize(); });
    }
    CmdCompareAgain->setFocus();
}

void frmLeftRight::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_Loaded && !m_Unloaded) Form_Resize();
}

void frmLeftRight::paintEvent(QPaintEvent *event)
{
    NeedReDraw();
    QWidget::paintEvent(event);
}

void frmLeftRight::Form_Resize()
{
    if (tg::formHeight(this) < 1500) return;
    const int half = rounded(tg::formWidth(this) / 2.0);
    const int scaleWidth = tg::width(this);
    const int scaleHeight = tg::height(this);
    // The toolbar is aligned to the top: it spans the window.
    tg::move(Toolbar1, 0, 0, scaleWidth, kToolbarHeight);
    tg::move(LeftPane, 0, tg::top(Toolbar1) + tg::height(Toolbar1), half, kPaneHeight);
    tg::move(RightPane, tg::left(LeftPane) + tg::width(LeftPane), tg::top(LeftPane), half,
             tg::height(LeftPane));
    tg::move(TxtLeftFileName, 0, 0, tg::width(LeftPane) - tg::width(CmdLeftSave) - 200,
             tg::height(LeftPane) - 50);
    tg::move(CmdLeftSave, tg::left(TxtLeftFileName) + tg::width(TxtLeftFileName), 0);
    tg::move(txtRightFileName, 0, 0, tg::width(RightPane) - tg::width(CmdRightSave) - 200,
             tg::height(RightPane) - 50);
    tg::move(CmdRightSave, tg::left(txtRightFileName) + tg::width(txtRightFileName), 0);
    const int paneTop = rounded(tg::top(LeftPane) + tg::height(LeftPane));
    const int paneHeight = rounded(scaleHeight - paneTop - 200.0);
    tg::move(frameLeft, 0, paneTop, half, paneHeight);
    tg::move(frameRight, tg::left(frameLeft) + tg::width(frameLeft), tg::top(frameLeft),
             tg::width(frameLeft) - 100, tg::height(frameLeft));
    tg::move(CmdQuit, tg::left(CmdQuit), 0, tg::width(CmdQuit), 400);
    tg::move(CmdAdvanceOption, tg::left(CmdQuit) + tg::width(CmdQuit) + kGap, tg::top(CmdQuit),
             tg::width(CmdAdvanceOption), tg::height(CmdQuit));
    tg::move(txtResult, tg::left(CmdAdvanceOption) + tg::width(CmdAdvanceOption) + kGap,
             tg::top(CmdQuit) + 20, tg::width(txtResult), tg::height(CmdQuit));
    if (ToolbarButtons.size() > 1) {
        QToolButton *second = ToolbarButtons.at(1);
        tg::move(txtNoMoreDiff, tg::left(second) + tg::width(second) + kGap, tg::top(CmdQuit) + 20,
                 tg::width(txtNoMoreDiff), tg::height(CmdQuit));
    }
    if (m_SplitWnd) {
        m_SplitWnd->setTop(paneTop);
        m_SplitWnd->setWidth(scaleWidth);
        m_SplitWnd->setHeight(paneHeight);
        m_SplitWnd->setMaxWidth(scaleWidth);
        m_SplitWnd->OnParentResize();
    }
    if (m_LeftObj && m_Activated) {
        ignoringErrors([this] { m_LeftObj->Event_ParentWndResize(); });
        ignoringErrors([this] { m_RightObj->Event_ParentWndResize(); });
    }
}

void frmLeftRight::CmdQuit_Click()
{
    close();
}

void frmLeftRight::closeEvent(QCloseEvent *event)
{
    if (m_Unloaded) {
        event->accept();
        return;
    }
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

bool frmLeftRight::Form_QueryUnload()
{
    if (m_Marks->drawing()) {
        // The marks under way stop at their next turn; the close follows then.
        m_Marks->stop();
        m_Marks->afterDrawing([this] { close(); });
        return false;
    }
    if (m_Comparing) {
        // The engine compares the hosted workbooks: they must stay until it has stopped.
        if (m_CloseWhenIdle) return false;
        if (ModCommon::ShowMsg(
                text(QStringLiteral("CancelTitle"), QStringLiteral("正在比较，是否取消？")),
                win::vbYesNo + win::vbExclamation, kTitle) != win::vbYes)
            return false;
        ModCompare::SetCancelCompare(true);
        m_CloseWhenIdle = true;
        return false;
    }
    if (m_Prompting) return false;
    if (m_Closing) return true;
    if (saved(true) && saved(false)) return true;
    PromptSaveChanges([this](int r) {
        if (r == 0) return;
        m_Closing = true;
        close();
    });
    return false;
}

void frmLeftRight::Form_Unload()
{
    m_Unloaded = true;
    m_Marks->detach();
    Timer1->stop();
    disconnectSheetEvents();
    // The windows go back to their applications (and the workbooks are closed) before the
    // scroll linkage ends.
    if (m_Core) ignoringErrors([this] { m_Core->ExcelWndUnloaded(); });
    ignoringErrors([this] {
        if (m_LeftApp) m_LeftApp->setDisplayAlerts(m_LeftAlerts);
    });
    ignoringErrors([this] {
        if (m_RightApp) m_RightApp->setDisplayAlerts(m_RightAlerts);
    });
    m_Aligner.reset();
    m_hooker.reset();
    m_SplitWnd.reset();
    emit unloaded();
}

// ---------------------------------------------------------------------------------------------
// Hosting

bool frmLeftRight::EmbedExcelWindows()
{
    try {
        if (!m_Core || !m_Pair) throw BasicError(91);
        m_LeftObj = m_Core->m_leftObj;
        m_RightObj = m_Core->m_rightObj;
        if (!m_LeftObj || !m_RightObj) throw BasicError(91);
        BindSheetEvents();
        if (!m_LeftSheet || !m_RightSheet) throw BasicError(91);
        m_LeftObj->Initialize(win::hwndOf(frameLeft), m_LeftSheet->Name());
        m_RightObj->Initialize(win::hwndOf(frameRight), m_RightSheet->Name());
        m_Core->ShowWnd(true);
        m_LeftApp = m_LeftObj->GetExcelApp();
        m_RightApp = m_RightObj->GetExcelApp();
        if (!m_LeftApp || !m_RightApp) throw BasicError(91);
        ModControlExcel::SetWindowSizable(m_LeftApp->Hwnd(), false);
        ModControlExcel::SetWindowSizable(m_RightApp->Hwnd(), false);
        InitToolbar();
        ModExcel::CloseCommandBars(m_LeftApp->Hwnd());
        ModExcel::CloseCommandBars(m_RightApp->Hwnd());
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e), win::vbCritical, kTitle);
        close();
        return false;
    }
    // Without the linkage the view still works: the windows just scroll on their own.
    try {
        m_hooker = HookManagerSeam::createManager();
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e) + QStringLiteral("\r\n") + kLinkFailed,
                           win::vbCritical, kTitle);
        return true;
    }
    m_hooker->OnPaint = [this](int, int) { NeedReDraw(); };
    m_hooker->OnScrolled = [this](int, int, int) {
        showNoMoreDiff(false);
        NeedReDraw();
    };
    StartScrollSync();
    return true;
}

void frmLeftRight::BindSheetEvents()
{
    disconnectSheetEvents();
    m_Pair->InitLeft(m_LeftObj->GetDoc(), QString());
    m_Pair->InitRight(m_RightObj->GetDoc(), QString());
    m_LeftSheet = m_Pair->GetLeftSheet();
    m_RightSheet = m_Pair->GetRightSheet();
    if (m_LeftSheet) {
        m_LeftChangeId =
            m_LeftSheet->onChange([this](const excel::Range &t) { sheetChanged(true, t); });
        m_LeftSelectId = m_LeftSheet->onSelectionChange(
            [this](const excel::Range &) { sheetSelectionChanged(true); });
    }
    if (m_RightSheet) {
        m_RightChangeId =
            m_RightSheet->onChange([this](const excel::Range &t) { sheetChanged(false, t); });
        m_RightSelectId = m_RightSheet->onSelectionChange(
            [this](const excel::Range &) { sheetSelectionChanged(false); });
    }
    m_LeftApp = m_LeftObj->GetExcelApp();
    m_RightApp = m_RightObj->GetExcelApp();
}

void frmLeftRight::disconnectSheetEvents()
{
    if (m_LeftSheet) {
        m_LeftSheet->disconnect(m_LeftChangeId);
        m_LeftSheet->disconnect(m_LeftSelectId);
    }
    if (m_RightSheet) {
        m_RightSheet->disconnect(m_RightChangeId);
        m_RightSheet->disconnect(m_RightSelectId);
    }
    m_LeftChangeId = m_LeftSelectId = m_RightChangeId = m_RightSelectId = 0;
}

void frmLeftRight::StartScrollSync()
{
    if (!m_hooker || !m_LeftApp || !m_RightApp) return;
    try {
        m_hooker->RemoveAllPairs();
        const int left = m_LeftApp->Hwnd();
        const int right = m_RightApp->Hwnd();
        m_hooker->AddPair(left, right);
        m_hooker->AddPair(right, left);
        if (!m_hooker->SetSpyHook(true)) ModCommon::ShowMsg(kLinkFailed, win::vbCritical, kTitle);
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e) + QStringLiteral("\r\n") + kLinkFailed,
                           win::vbCritical, kTitle);
    }
}

void frmLeftRight::InitToolbar()
{
    for (int i = 0; i < ToolbarButtons.size(); ++i)
        ToolbarButtons.at(i)->setVisible(i < 2);
    CmdCompareAgain->setToolTip(QStringLiteral("再次比较"));
    showFileName(true);
    showFileName(false);
    CboSize->clear();
    for (int percent = 10; percent <= 100; percent += 10)
        CboSize->addItem(QString::number(percent) + QLatin1Char('%'));
    for (int percent = 200; percent <= 400; percent += 100)
        CboSize->addItem(QString::number(percent) + QLatin1Char('%'));
    // The list's entry is the one shown, so that its arrow keys step from 100%.
    CboSize->setCurrentIndex(CboSize->findText(QStringLiteral("100%")));
    CboSize->setEditText(QStringLiteral("100%"));
    m_Zoom = 100;
    tg::move(CboSize, tg::left(CboSize), 0);
    tg::move(CmdCompareAgain, tg::left(CmdCompareAgain), 0);
}

void frmLeftRight::showFileName(bool left)
{
    QString folder;
    ignoringErrors([&] {
        (left ? TxtLeftFileName : txtRightFileName)
            ->setText(ModFile::SplitFilePath(app(left)->ActiveWorkbook()->FullName(), folder));
    });
}

void frmLeftRight::UpdateSaveButtons()
{
    CmdLeftSave->setEnabled(false);
    CmdRightSave->setEnabled(false);
    if (m_LeftObj && m_LeftObj->GetDoc()) {
        // The rows the alignment inserted are not the user's changes.
        ignoringErrors([this] { m_LeftObj->GetDoc()->setSaved(true); });
        ignoringErrors([this] {
            if (m_RightObj && m_RightObj->GetDoc()) m_RightObj->GetDoc()->setSaved(true);
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Events of the sheets and the timer

void frmLeftRight::sheetChanged(bool left, const excel::Range &target)
{
    m_Marks->noteEdit(left);
    if (m_Aligner) m_Aligner->sheetChanged(left, target);
    (left ? CmdLeftSave : CmdRightSave)->setEnabled(true);
}

void frmLeftRight::sheetSelectionChanged(bool left)
{
    ignoringErrors([&] {
        if (AppRef a = app(left)) win::SetForegroundWindow(a->Hwnd());
    });
}

void frmLeftRight::Timer1_Timer()
{
    if (m_Unloaded || m_Comparing) return;
    CmdLeftSave->setEnabled(!saved(true));
    CmdRightSave->setEnabled(!saved(false));
    if (m_ReDraw) DrawDiffMarks();
}

// ---------------------------------------------------------------------------------------------
// The list of differences and navigation

void frmLeftRight::BuildDiffList()
{
    if (!m_Pair || !m_Pair->GetTxtRecorder()) return;
    if (!m_Aligner) m_Aligner = std::make_unique<ViewAligner>();
    m_DiffList.build(*m_Aligner, m_Pair);
    m_Marks->index(m_Pair);
    GotoCurrentDiff();
    ClsTxtCompareResult &recorder = *m_Pair->GetTxtRecorder();
    if (!m_Pair->wasCompared())
        // Empty results of a pair that was not compared say nothing about its sheets.
        txtResult->setText(text(QStringLiteral("NotCompared"), QStringLiteral("没有比较")));
    else if (recorder.GetLeftSingleRows().count() != 0 ||
             recorder.GetRightSingleRows().count() != 0 || m_Pair->DiffRowCount() != 0)
        txtResult->setText(QStringLiteral("差异行数：") +
                           QString::number(m_DiffList.upperBound() + 1));
    else
        txtResult->setText(QStringLiteral("完全相等"));
    txtResult->setVisible(true);
}

void frmLeftRight::GotoCurrentDiff()
{
    const int row = m_DiffList.currentRow();
    if (row < 0) return;
    ignoringErrors([&] { m_LeftApp->ActiveWindow()->setScrollRow(row); });
    ignoringErrors([&] { m_RightApp->ActiveWindow()->setScrollRow(row); });
    NeedReDraw();
    DrawDiffMarks();
}

void frmLeftRight::Toolbar1_ButtonClick(int index)
{
    if (m_Comparing || m_Unloaded) return;
    switch (index) {
    case 1:
    case 2:
        if (!(index == 1 ? m_DiffList.next() : m_DiffList.previous())) {
            showNoMoreDiff(true);
            return;
        }
        GotoCurrentDiff();
        break;
    case 3:
        CopyDiffRowToOtherSide(1);
        break;
    case 4:
        CopyDiffRowToOtherSide(2);
        break;
    default:
        return;
    }
    showNoMoreDiff(false);
}

void frmLeftRight::showNoMoreDiff(bool show)
{
    txtNoMoreDiff->setVisible(show);
}

void frmLeftRight::CopyDiffRowToOtherSide(int direction)
{
    const int row = m_DiffList.currentRow();
    if (row < 0) return;
    try {
        if (direction == 1)
            ModExcel::CopyRowValues(m_RightSheet, row, m_LeftSheet, row);
        else
            ModExcel::CopyRowValues(m_LeftSheet, row, m_RightSheet, row);
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e), win::vbCritical, kTitle);
    }
}

// ---------------------------------------------------------------------------------------------
// Marks

bool frmLeftRight::visibleRows(int *first, int *count) const
{
    if (!m_LeftApp) return false;
    try {
        const excel::Range visible = m_LeftApp->ActiveWindow()->VisibleRange();
        *first = visible.Row();
        *count = visible.Rows().Count();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void frmLeftRight::DrawDiffMarks()
{
    if (!m_ReDraw || !m_Pair || !m_Pair->GetTxtRecorder()) return;
    // A drawing that yields lets the timer and the commands run: they never draw over it.
    if (m_Marks->drawing() || m_Comparing || m_Unloaded) return;
    int first = 0, count = 0;
    if (!m_Option || !visibleRows(&first, &count)) {
        NeedNotReDraw();
        return;
    }
    const ViewDiffMarks::Sides sides{m_LeftApp, m_RightApp, book(true), book(false),
                                     m_Aligner.get()};
    // A stopped drawing leaves its marks pending.
    if (m_Marks->draw(m_Option->ShowDiffMethod(), first, count, sides)) NeedNotReDraw();
}

void frmLeftRight::setDrawYieldInterval(int ms)
{
    m_Marks->setYieldInterval(ms);
}

bool frmLeftRight::drawing() const
{
    return m_Marks->drawing();
}

// ---------------------------------------------------------------------------------------------
// Zoom

bool frmLeftRight::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == CboSize || (CboSize && watched == CboSize->lineEdit())) &&
        event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            zoomEntered();
            return true;
        case Qt::Key_Backspace:
            return false;
        default:
            break;
        }
        // Typed characters: digits only. Keys without a character (arrows, Delete) pass.
        const QString typed = key->text();
        if (!typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7f &&
            !(typed.at(0) >= QLatin1Char('0') && typed.at(0) <= QLatin1Char('9')))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmLeftRight::CboSize_Click()
{
    zoomEntered();
}

void frmLeftRight::zoomEntered()
{
    if (m_Comparing || m_Unloaded) return;
    QString typed = CboSize->currentText();
    if (typed.endsWith(QLatin1Char('%'))) typed.chop(1);
    float v = float(BasicText::val(typed));
    if (v < 1) {
        v = 1;
        CboSize->setEditText(QStringLiteral("1"));
    } else if (v > 10000) {
        v = 10000;
        CboSize->setEditText(QStringLiteral("10000"));
    }
    if (v < 10 || v > 400)
        ModCommon::ShowMsg(text(QStringLiteral("ValidSizeRange"), QStringLiteral("有效范围是")) +
                               QStringLiteral(" 10-400"),
                           win::vbCritical, QString());
    m_Zoom = v;
    ApplyZoom();
}

void frmLeftRight::ApplyZoom()
{
    const int percent = rounded(m_Zoom);
    if (m_LeftObj) m_LeftObj->Zoom(percent);
    if (m_RightObj) m_RightObj->Zoom(percent);
    NeedReDraw();
}

// ---------------------------------------------------------------------------------------------
// Saving

void frmLeftRight::CmdLeftSave_Click()
{
    if (m_Comparing || m_Unloaded) return;
    SaveLeftSide();
}

void frmLeftRight::CmdRightSave_Click()
{
    if (m_Comparing || m_Unloaded) return;
    SaveRightSide();
}

int frmLeftRight::SaveLeftSide()
{
    return saveSide(true);
}

int frmLeftRight::SaveRightSide()
{
    return saveSide(false);
}

int frmLeftRight::saveSide(bool left)
{
    TSingleSideConfig *s = side(left);
    if (!s || !book(left)) return ViewSideSaver::NotSaved;
    if (!m_Aligner) m_Aligner = std::make_unique<ViewAligner>();
    const SheetRef sheet = left ? m_LeftSheet : m_RightSheet;
    QString sheetName;
    ignoringErrors([&] {
        if (sheet) sheetName = sheet->Name();
    });
    const int r = m_Saver->saveSide(left, *s, sheetName, *m_Aligner);
    const bool written = r == ViewSideSaver::SavedInPlace || r == ViewSideSaver::SavedAsCopy;
    (left ? CmdLeftSave : CmdRightSave)->setEnabled(!written);
    NeedReDraw();
    if (r == ViewSideSaver::SavedAsCopy) showFileName(left); // the workbook now is the copy
    return r;
}

void frmLeftRight::PromptSaveChanges(std::function<void(int)> then)
{
    m_Prompting = true;
    auto *prompt = new frmPromptSave(this);
    prompt->InitDirty(!saved(true), !saved(false));
    ModalDialog::show(prompt, [this, prompt, then](int) {
        m_Prompting = false;
        int r = 0;
        switch (prompt->Selected()) {
        case frmPromptSave::SaveTicked:
            r = 2;
            if (prompt->SaveLeft()) r = SaveLeftSide();
            if (prompt->SaveRight() && r != 0) r = SaveRightSide();
            break;
        case frmPromptSave::DontSave:
            r = 1;
            break;
        default:
            r = 0;
            break;
        }
        if (r != 0) {
            // Answered: the sides not saved are closed without saving and without a question.
            for (bool left : {true, false}) {
                const AppRef a = app(left);
                if (!a || saved(left)) continue;
                ignoringErrors([&] {
                    const bool alerts = a->DisplayAlerts();
                    a->setDisplayAlerts(false);
                    (left ? m_LeftAlerts : m_RightAlerts) = alerts;
                });
            }
        }
        if (then) then(r);
    });
}

// ---------------------------------------------------------------------------------------------
// Compare again and the session options

void frmLeftRight::CmdCompareAgain_Click()
{
    if (m_Comparing || m_Prompting || m_Unloaded || !m_Activated) return;
    if (m_Marks->drawing()) {
        m_Marks->stop();
        m_Marks->afterDrawing([this] { CmdCompareAgain_Click(); });
        return;
    }
    if (CmdLeftSave->isEnabled() || CmdRightSave->isEnabled() || !saved(true) || !saved(false)) {
        PromptSaveChanges([this](int r) {
            if (r != 0) compareAgain();
        });
        return;
    }
    compareAgain();
}

void frmLeftRight::compareAgain()
{
    if (m_Unloaded || !m_LeftObj || !m_RightObj || !m_Pair) return;
    setBusy(true);
    try {
        m_LeftObj->ReOpenDoc();
        m_RightObj->ReOpenDoc();
        ignoringErrors([this] {
            if (m_LeftApp) m_LeftApp->setDisplayAlerts(m_LeftAlerts);
        });
        ignoringErrors([this] {
            if (m_RightApp) m_RightApp->setDisplayAlerts(m_RightAlerts);
        });
        BindSheetEvents();
        StartScrollSync();
        m_Pair->BeginCompare();
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e), win::vbCritical, kTitle);
    }
    if (m_CloseWhenIdle) {
        // The cancel was this view's own: the session's other sheet pairs still come.
        ModCompare::SetCancelCompare(false);
    }
    // The engine is done with the workbooks: the new alignment draws its marks at once.
    m_Comparing = false;
    // A second run's view of the workbooks: aligned anew, the compared sheet alone.
    ignoringErrors([this] { BuildDiffList(); });
    ignoringErrors([this] {
        if (m_LeftSheet) m_LeftObj->ShowOneSheet(m_LeftSheet->Name());
    });
    ignoringErrors([this] {
        if (m_RightSheet) m_RightObj->ShowOneSheet(m_RightSheet->Name());
    });
    ignoringErrors([this] { UpdateSaveButtons(); });
    // The files compared now are the sides' own again, not a copy saved meanwhile.
    showFileName(true);
    showFileName(false);
    showNoMoreDiff(false);
    setBusy(false);
    if (m_CloseWhenIdle) QTimer::singleShot(0, this, [this] { close(); });
}

void frmLeftRight::setBusy(bool busy)
{
    m_Comparing = busy;
    for (QWidget *w : std::initializer_list<QWidget *>{CboSize, CmdCompareAgain, CmdAdvanceOption,
                                                       LeftPane, RightPane, frameLeft, frameRight})
        w->setEnabled(!busy);
    for (QToolButton *b : ToolbarButtons)
        b->setEnabled(!busy);
}

void frmLeftRight::CmdAdvanceOption_Click()
{
    if (m_Comparing || m_Unloaded || !m_Option) return;
    SessionOptionDialogSeam *dialog = SessionOptionDialogSeam::installed();
    if (!dialog) return;
    // A changed marking method takes effect at the next tick; nothing is compared again.
    dialog->show(m_Option.get(), this, [this](bool) { NeedReDraw(); });
}

// ---------------------------------------------------------------------------------------------
// Helpers

TSingleSideConfig *frmLeftRight::side(bool left) const
{
    return (left ? m_LeftObj : m_RightObj).get();
}

frmLeftRight::AppRef frmLeftRight::app(bool left) const
{
    return left ? m_LeftApp : m_RightApp;
}

bool frmLeftRight::saved(bool left) const
{
    return ViewSideSaver::isSaved(book(left));
}

frmLeftRight::BookRef frmLeftRight::book(bool left) const
{
    TSingleSideConfig *s = side(left);
    return s ? s->GetDoc() : nullptr;
}

QString frmLeftRight::text(const QString &key, const QString &defaultText)
{
    return m_Language.text(key, defaultText);
}
