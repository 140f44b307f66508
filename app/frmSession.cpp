#include "app/frmSession.h"

#include "app/ModMain.h"
#include "app/SessionHost.h"
#include "app/SessionSheetList.h"
#include "app/frmSessionOption.h"
#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ModPub.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsSessionOption.h"
#include "engine/CompareViewSeam.h"
#include "engine/ModCompare.h"
#include "engine/ModExcelColumnList.h"
#include "engine/SessionSettings.h"
#include "engine/TSingleSideConfig.h"
#include "platform/text/BasicText.h"
#include "platform/win/FormTemplate.h"
#include "platform/win/MessageBox.h"
#include "ui/CheckValue.h"
#include "ui/ClsCheckBoxGroup.h"
#include "ui/ClsVbTab.h"
#include "ui/ModListView.h"
#include "ui/ModVbControls.h"
#include "ui/ProductIcon.h"
#include "ui/TwipsGeometry.h"
#include "ui/ValueRules.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <limits>

Q_LOGGING_CATEGORY(lcSession, "quorva.session", QtWarningMsg)

namespace {

int g_nextWindowId = 0;
const QString kSection = QStringLiteral("frmSession");
const QString kTitle = QStringLiteral("Quorva");
const QString kTemplateName = QStringLiteral("base.vrk");
// Every kind of workbook the reader opens, not only legacy .xls files.
const QString kWorkbookFilter = QStringLiteral("Excel 工作簿|*.xls;*.xlsx;*.xlsm");

// Design client size in twips.
const int kDesignWidth = 11295;
const int kDesignHeight = 8235;
// The page controls are designed relative to the tab control, whose tab strip takes the top of
// it; a page starts below the strip.
const int kPageLeft = 30;
const int kPageTop = 360;

// The design rectangle of a caption (labels, check boxes, option buttons), kept so that a
// caption is fitted to its text from the design size on every language switch.
const char *const kDesignRect = "designRect";

QString sectionKey(const char *key)
{
    return QString::fromLatin1(key);
}

void design(QWidget *w, double left, double top, double width, double height)
{
    TwipsGeometry::move(w, left, top, width, height);
    w->setProperty(kDesignRect, QRect(int(left), int(top), int(width), int(height)));
}

// A page control, designed relative to the tab control.
void designOnPage(QWidget *w, double left, double top, double width, double height)
{
    design(w, left - kPageLeft, top - kPageTop, width, height);
}

QString templatePath()
{
    return AppPathOrDefault() + kTemplateName;
}

bool ticked(QCheckBox *box)
{
    return CheckValue::value(box) != 0;
}

} // namespace

frmSession::frmSession(QWidget *parent) : QWidget(parent), m_WindowId(++g_nextWindowId)
{
    setObjectName(kSection);
    m_Controls.setWindow(this);
    buildControls();
    connectRules();
    resize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
}

frmSession::~frmSession() = default;

// ---------------------------------------------------------------------------------------------
// Controls

void frmSession::buildControls()
{
    using T = FormTemplate;
    // The pages of the tab control hold the option controls; the table names them as parents.
    const auto page = [this](int index, const QString &caption) {
        return T::made(QStringLiteral("SSTab1Page%1").arg(index), [this, caption](QWidget *) {
            auto *p = new QWidget;
            SSTab1->addTab(p, caption);
            return p;
        });
    };
    const std::vector<T::Control> controls = {
        T::control(lblLeftFileName, "lblLeftFileName", "左边文件:", {180, 270, 810, 180}),
        T::control(TxtLeftFileName, "TxtLeftFileName", nullptr, {1290, 210, 3345, 375}),
        T::control(CmdLeftSelectFile, "CmdLeftSelectFile", nullptr, {4800, 300, 465, 405}),
        T::control(CmdLeft_Refresh_Sheet, "CmdLeft_Refresh_Sheet", nullptr, {4830, 780, 405, 375}),
        T::control(ListViewLeftSheets, "ListViewLeftSheets", nullptr, {750, 840, 3885, 1965}),
        T::control(lblrightFileName, "lblrightFileName", "右边文件:", {5520, 420, 810, 180}),
        T::control(txtRightFileName, "txtRightFileName", nullptr, {6570, 330, 3375, 375}),
        T::control(CmdRightSelectFile, "CmdRightSelectFile", nullptr, {10140, 330, 465, 405}),
        T::control(CmdRight_Refresh_Sheet, "CmdRight_Refresh_Sheet", nullptr,
                   {10410, 780, 405, 375}),
        T::control(ListViewRightSheets, "ListViewRightSheets", nullptr, {6360, 930, 3885, 1965}),
        T::control(CmdCompare, "CmdCompare", "输出比较报告", {6150, 3540, 2115, 525}),
        T::control(CmdCompareDetail, "CmdCompareDetail", "详细对比", {8490, 3570, 2115, 525}),
        T::control(SSTab1, "SSTab1", nullptr, {360, 4710, 10635, 3315}),
        page(0, QStringLiteral("比较选项")),
        page(1, QStringLiteral("比较报告")),
        page(2, QStringLiteral("比较规则")),
        // Page 0: compare options.
        T::control(FrameCompareMethod, "FrameCompareMethod", "比较方式", {180, 420, 3975, 675},
                   "SSTab1Page0"),
        T::element(OptCompareMethod, 0, "OptCompareMethod", "逐行比较", {210, 300, 1215, 315},
                   "FrameCompareMethod"),
        T::element(OptCompareMethod, 1, "OptCompareMethod", "基于关键列的比较",
                   {1770, 240, 2055, 315}, "FrameCompareMethod"),
        T::control(ChkCompareAllCol, "ChkCompareAllCol", "比较所有列", {5070, 510, 2865, 375},
                   "SSTab1Page0"),
        T::control(Frame1, "Frame1", "左", {180, 1170, 3975, 1995}, "SSTab1Page0"),
        T::control(lblLeftStartRow, "lblLeftStartRow", "开始行:", {120, 420, 630, 180}, "Frame1"),
        T::control(cboLeftStartRow, "cboLeftStartRow", nullptr, {1320, 360, 2500, 315}, "Frame1"),
        T::control(lblLeftKeyCol, "lblLeftKeyCol", "关键列:", {120, 990, 630, 180}, "Frame1"),
        T::control(txtLeftKeyCol, "txtLeftKeyCol", nullptr, {1320, 900, 2500, 375}, "Frame1"),
        T::control(lblLeftDataCol, "lblLeftDataCol", "比较列:", {120, 1560, 630, 180}, "Frame1"),
        T::control(txtLeftDataCol, "txtLeftDataCol", nullptr, {1320, 1470, 2500, 375}, "Frame1"),
        T::control(Frame2, "Frame2", "右", {4500, 1170, 3975, 1995}, "SSTab1Page0"),
        // On the frame's top edge, in its caption's row (see onEdge below).
        T::control(ChkSameToLeft, "ChkSameToLeft", "同左边一样", {}, "SSTab1Page0"),
        T::control(lblRightStartRow, "lblRightStartRow", "开始行:", {120, 390, 630, 180}, "Frame2"),
        T::control(cboRightStartRow, "cboRightStartRow", nullptr, {1350, 360, 2500, 315}, "Frame2"),
        T::control(lblRightKeyCol, "lblRightKeyCol", "关键列:", {120, 990, 630, 180}, "Frame2"),
        T::control(txtRightKeyCol, "txtRightKeyCol", nullptr, {1350, 900, 2500, 375}, "Frame2"),
        T::control(lblRightDataCol, "lblRightDataCol", "比较列:", {120, 1530, 630, 180}, "Frame2"),
        T::control(txtRightDataCol, "txtRightDataCol", nullptr, {1350, 1440, 2500, 375}, "Frame2"),
        T::control(Frame3, "Frame3", "比较项", {8610, 1170, 1935, 2025}, "SSTab1Page0"),
        T::element(ChkCompareContent, 0, "ChkCompareContent", "比较数据", {120, 210, 1725, 375},
                   "Frame3"),
        T::element(ChkCompareContent, 1, "ChkCompareContent", "比较公式", {120, 600, 1725, 375},
                   "Frame3"),
        T::element(ChkCompareContent, 2, "ChkCompareContent", "比较批注", {120, 990, 1725, 375},
                   "Frame3"),
        // Page 1: report.
        T::control(frameTxtReport, "frameTxtReport", "报告保存路径", {240, 420, 9690, 645},
                   "SSTab1Page1"),
        T::control(txtReportPath, "txtReportPath", nullptr, {270, 210, 9195, 315},
                   "frameTxtReport"),
        T::control(ChkTxtReport, "ChkTxtReport", "文本格式报告", {330, 1140, 1545, 315},
                   "SSTab1Page1"),
        // The frame's caption row holds the report-workbook box: a blank caption keeps the row.
        T::control(FrameXlsReport, "FrameXlsReport", " ", {240, 1530, 9630, 1695}, "SSTab1Page1"),
        T::control(ChkExcelReport, "ChkExcelReport", "Excel格式报告", {}, "SSTab1Page1"),
        T::control(ChkShowDiffInXls, "ChkShowDiffInXls", "逐行显示差异", {180, 360, 1725, 375},
                   "FrameXlsReport"),
        T::control(ChkShowLeftSingleInXls, "ChkShowLeftSingleInXls", "显示左边孤立的行",
                   {2550, 360, 2200, 375}, "FrameXlsReport"),
        T::control(ChkShowRightSingleInXls, "ChkShowRightSingleInXls", "显示右边孤立的行",
                   {5070, 390, 2200, 315}, "FrameXlsReport"),
        // Page 2: rules.
        T::control(chkUseScript, "chkUseScript", "对比较内容是否相等使用脚本判断",
                   {600, 600, 3255, 465}, "SSTab1Page2"),
        T::control(CboScriptName, "CboScriptName", nullptr, {600, 1110, 2500, 315}, "SSTab1Page2"),
    };
    const auto place = [](QWidget *w, const QRect &r, const QString &parent) {
        // A page's controls are designed relative to the tab control.
        if (parent.startsWith(QLatin1String("SSTab1Page")))
            designOnPage(w, r.x(), r.y(), r.width(), r.height());
        else
            design(w, r.x(), r.y(), r.width(), r.height());
    };
    T::build(this, controls, place, [this](QWidget *w, int index) {
        // The pages are the tab control's; their captions are the tab control's own texts.
        if (!w->objectName().startsWith(QLatin1String("SSTab1Page"))) m_Controls.add(w, index);
    });

    // What each kind of control needs beyond its place and caption.
    for (QLabel *l : findChildren<QLabel *>())
        // The caption stands at the top of its place, level with the text of its field.
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QStyle *style = QApplication::style();
    for (QToolButton *b : {CmdLeftSelectFile, CmdRightSelectFile})
        b->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    for (QToolButton *b : {CmdLeft_Refresh_Sheet, CmdRight_Refresh_Sheet})
        b->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    for (QTreeWidget *list : {ListViewLeftSheets, ListViewRightSheets}) {
        list->setColumnCount(1);
        list->setHeaderLabel(QStringLiteral("工作表"));
        list->setRootIsDecorated(false);
        list->setUniformRowHeights(true);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->header()->setStretchLastSection(false);
        // The only column is as wide as the list; no bar for the frame's few pixels.
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    for (QComboBox *c : {cboLeftStartRow, cboRightStartRow, CboScriptName}) {
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
    }
    auto *methods = new QButtonGroup(this);
    for (int i = 0; i < OptCompareMethod.size(); ++i)
        methods->addButton(OptCompareMethod[i], i);
    // A check box that stands on a frame's top edge, in its caption's row: a sibling of the
    // frame, above it.
    const auto onEdge = [](QCheckBox *box, QGroupBox *frame, double left, double top, double width,
                           double height) {
        const QRect f = frame->property(kDesignRect).toRect(); // on its page already
        design(box, f.x() + left, f.y() + top, width, height);
        box->raise();
    };
    onEdge(ChkSameToLeft, Frame2, 570, -30, 1905, 285);
    onEdge(ChkExcelReport, FrameXlsReport, 90, -30, 1515, 315);
    // The page shown at creation, until the project chooses page 0 or 1.
    SSTab1->setCurrentIndex(2);

    for (QLineEdit *box : {TxtLeftFileName, txtRightFileName}) {
        box->setAcceptDrops(true);
        box->installEventFilter(this);
    }
    m_LeftList = std::make_unique<SessionSheetList>(ListViewLeftSheets);
    m_RightList = std::make_unique<SessionSheetList>(ListViewRightSheets);

    connect(CmdLeftSelectFile, &QToolButton::clicked, this, [this] { CmdLeftSelectFile_Click(); });
    connect(CmdRightSelectFile, &QToolButton::clicked, this,
            [this] { CmdRightSelectFile_Click(); });
    // The user asked for the list: a workbook that is not there is named.
    connect(CmdLeft_Refresh_Sheet, &QToolButton::clicked, this,
            [this] { refreshSheets(true, true); });
    connect(CmdRight_Refresh_Sheet, &QToolButton::clicked, this,
            [this] { refreshSheets(false, true); });
    connect(CmdCompare, &QPushButton::clicked, this, [this] { CmdCompare_Click(); });
    connect(CmdCompareDetail, &QPushButton::clicked, this, [this] { CmdCompareDetail_Click(); });
}

// Rules tied to value changes, so that values set from code (loading a project) run them as a
// click would.
void frmSession::connectRules()
{
    ValueRules::onCheck(ChkSameToLeft, this, [this] { ChkSameToLeft_Click(); });
    ValueRules::onText(cboLeftStartRow, this, [this] { CopyLeftToRight(0); });
    ValueRules::onText(txtLeftKeyCol, this, [this] { CopyLeftToRight(1); });
    ValueRules::onText(txtLeftDataCol, this, [this] { CopyLeftToRight(2); });
    for (QRadioButton *o : OptCompareMethod)
        ValueRules::onChosen(o, this, [this] { OptCompareMethod_Click(); });
    ValueRules::onCheck(ChkCompareAllCol, this, [this] { ChkCompareAllCol_Click(); });
    ValueRules::onCheck(chkUseScript, this, [this] { chkUseScript_Click(); });
    ValueRules::onCheck(ChkExcelReport, this, [this] {
        if (m_ChkGroup) m_ChkGroup->OnFatherChecked();
    });
    for (QCheckBox *son : {ChkShowDiffInXls, ChkShowLeftSingleInXls, ChkShowRightSingleInXls})
        ValueRules::onCheck(son, this, [this] {
            if (m_ChkGroup) m_ChkGroup->OnSonChecked();
        });
}

// ---------------------------------------------------------------------------------------------
// Naming, loading and the project file

void frmSession::SetIniFileName(const QString &strFileName, bool untitled)
{
    m_IniFileName = strFileName;
    m_Untitled = untitled;
    if (!m_Settings) m_Settings = std::make_unique<SessionSettings>();
    // An untitled session has no file of its own: it reads the template, whatever files of its
    // name may lie about.
    m_Settings->setFilePath(untitled ? templatePath() : strFileName);
    setWindowTitle(strFileName);
    if (!m_LoadRan) {
        m_LoadRan = true;
        Form_Load();
    }
}

QString frmSession::projectFilePath() const
{
    return m_Settings ? m_Settings->filePath() : QString();
}

QString frmSession::projectFolder() const
{
    return m_Settings ? m_Settings->folder() : QString();
}

QString frmSession::workbookFolder() const
{
    for (const QLineEdit *box : {TxtLeftFileName, txtRightFileName}) {
        const QString name = box->text().trimmed();
        if (name.isEmpty()) continue;
        QString folder;
        ModFile::SplitFilePath(ResolveFileName(name), folder);
        if (!folder.isEmpty() && ModFile::FolderExists(folder)) return folder;
    }
    return QString();
}

bool frmSession::hasProjectFile() const
{
    // An untitled session, or one whose file was missing, reads the template instead.
    return !m_Untitled && SessionSettings::isSameFile(projectFilePath(), m_IniFileName);
}

QString frmSession::UserFilesFolder() const
{
    return hasProjectFile() && ModFile::FileExists(m_IniFileName) ? projectFolder()
                                                                  : workbookFolder();
}

QString frmSession::text(const QString &key, const QString &defaultText)
{
    if (!m_Language) m_Language = std::make_unique<ClsLanguage>();
    return m_Language->ReadString(kSection, key, defaultText);
}

void frmSession::Form_Load()
{
    setWindowIcon(ProductIcon::icon());
    SwitchLanguage();

    m_Core = std::make_unique<ClsCompareCore>();
    m_LeftSide = m_Core->m_leftObj;
    m_RightSide = m_Core->m_rightObj;

    cboLeftStartRow->setCurrentText(QStringLiteral("1"));
    cboRightStartRow->setCurrentText(QStringLiteral("1"));
    txtLeftKeyCol->setText(QStringLiteral("A"));
    txtRightKeyCol->setText(QStringLiteral("A"));
    txtLeftDataCol->setText(QStringLiteral("c,d"));
    txtRightDataCol->setText(QStringLiteral("c,d"));
    ModVbControls::FillNumberCombo(cboLeftStartRow, QStringLiteral("1"));
    ModVbControls::FillNumberCombo(cboRightStartRow, QStringLiteral("1"));

    m_Option = m_Settings->option();
    m_Settings->setSheetLists(m_LeftList.get(), m_RightList.get());

    LoadFromIniFile();

    m_ChkGroup = std::make_unique<ClsCheckBoxGroup>();
    m_ChkGroup->SetFather(ChkExcelReport);
    m_ChkGroup->AddSons({ChkShowDiffInXls, ChkShowLeftSingleInXls, ChkShowRightSingleInXls});
    m_ChkGroup->OnSonChecked();

    m_Loaded = true;
    m_Core->SetAppendOpt(m_Option);

    // Every session opens with the report workbook and all three of its sheets chosen.
    for (const auto &[box, on] :
         {std::pair{ChkExcelReport, m_Option->ShowXlsReport()},
          std::pair{ChkShowDiffInXls, m_Option->ShowDiffInXls()},
          std::pair{ChkShowLeftSingleInXls, m_Option->ShowLeftSingleInXls()},
          std::pair{ChkShowRightSingleInXls, m_Option->ShowRightSingleInXls()}})
        CheckValue::setValue(box, on ? 1 : 0);

    FillScriptList();
    ApplyOptionToForm();
    // A rule runs only when a value changes; values that came in unchanged still need theirs.
    ApplyCoupledRules();

    for (QTreeWidget *list : {ListViewLeftSheets, ListViewRightSheets}) {
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        list->setPalette(palette);
    }

    SetTabOrder();

    const QStringList problems = m_Option->readProblems();
    if (!problems.isEmpty())
        ModCommon::ShowMsg(text(sectionKey("ProjectFileProblems"),
                                QStringLiteral("工程文件中有以下值不能使用，已保留原来的设置：")) +
                               QStringLiteral("\r\n") + problems.join(QStringLiteral("\r\n")),
                           win::vbExclamation, kTitle);
}

void frmSession::LoadFromIniFile()
{
    m_Settings->Read(templatePath(), m_Untitled);
    for (bool left : {true, false}) {
        const SideFields f = sideFields(left);
        const SessionSettings::Side &side = m_Settings->side(left);
        f.file->setText(side.fileName);
        f.keyCol->setText(side.keyCol);
        f.dataCol->setText(side.dataCol);
        f.startRow->setCurrentText(side.startRow);
    }
    CheckValue::setValue(ChkTxtReport, m_Option->TxtReport() ? 1 : 0);
}

bool frmSession::SaveToIniFile()
{
    m_SaveError.clear();
    if (!m_Loaded || !m_Settings || m_Settings->filePath().isEmpty()) return false;
    // A session that reads the template (untitled, or its file has gone) never writes it.
    if (m_Untitled || m_Settings->filePath() != m_IniFileName) return false;
    // The values the window shows are the ones saved, also when no comparison has taken them
    // yet (a save from the menu, or at closing).
    ApplyFormToSettings();
    if (m_Settings->Write()) return true;
    m_SaveError = m_Settings->writeError();
    return false;
}

bool frmSession::Save2IniFile(const QString &strFileName)
{
    m_SaveError.clear();
    if (!m_Loaded || !m_Settings) return false;
    // Workbook names are relative to the project's folder: a project saved into another folder
    // keeps pointing at the same workbooks.
    ApplyFormToSettings();
    m_Settings->moveTo(strFileName);
    SetIniFileName(strFileName, false);
    for (bool left : {true, false}) {
        QLineEdit *box = sideFields(left).file;
        const QString name = m_Settings->side(left).fileName;
        if (box->text() != name) box->setText(name);
    }
    if (!SaveToIniFile()) return false;

    // The saved project becomes the template of new sessions, naming its workbooks and report
    // folder by full paths; a failed replace leaves the old template whole, and a read-only one
    // is kept as its owner wants.
    if (!m_Settings->WriteTemplate(templatePath()))
        qCWarning(lcSession) << "The template" << templatePath()
                             << "could not be replaced:" << m_Settings->writeError();
    return true;
}

QString frmSession::ResolveFileName(const QString &name) const
{
    return m_Settings ? m_Settings->resolve(name) : name;
}

void frmSession::ApplyFormToConfig(ClsCompareCore &core)
{
    ApplyFormToSettings();
    m_Settings->applyToSides(*core.m_leftObj, *core.m_rightObj);
}

void frmSession::ApplyFormToSettings()
{
    for (bool left : {true, false}) {
        const SideFields f = sideFields(left);
        SessionSettings::Side &side = m_Settings->side(left);
        side.fileName = f.file->text();
        side.startRow = f.startRow->currentText();
        side.keyCol = f.keyCol->text();
        side.dataCol = f.dataCol->text();
    }
    ClsSessionOption &o = *m_Option;
    o.setTabIndex(SSTab1->currentIndex());
    o.setCompareMethod(OptCompareMethod[0]->isChecked() ? ClsSessionOption::CompareRowByRow
                                                        : ClsSessionOption::CompareByKey);
    o.setTxtReport(ticked(ChkTxtReport));
    o.setShowDiffInXls(ticked(ChkShowDiffInXls));
    o.setShowLeftSingleInXls(ticked(ChkShowLeftSingleInXls));
    o.setShowRightSingleInXls(ticked(ChkShowRightSingleInXls));
    o.setCompareAllCol(ticked(ChkCompareAllCol));
    o.setShowXlsReport(ticked(ChkExcelReport));
    o.setUseScript(CheckValue::value(chkUseScript) == 1);
    // A name that could leave the Script folder is no script chosen.
    if (!o.setScriptFileName(CboScriptName->currentText().trimmed()))
        o.setScriptFileName(QString());
    o.setCompareItem(ModVbControls::GetCheckArrayMask(ChkCompareContent, 2));
    o.setReportPath(txtReportPath->text());
    o.setSameToLeft(ticked(ChkSameToLeft));
}

void frmSession::ApplyOptionToForm()
{
    const ClsSessionOption &o = *m_Option;
    OptCompareMethod[o.CompareMethod() == ClsSessionOption::CompareRowByRow ? 0 : 1]->setChecked(
        true);
    CboScriptName->setCurrentText(o.ScriptFileName());
    CheckValue::setValue(chkUseScript, ModVbControls::BoolToCheckValue(o.UseScript()));
    CheckValue::setValue(ChkCompareAllCol, ModVbControls::BoolToCheckValue(o.CompareAllCol()));
    ModVbControls::SetCheckArrayMask(ChkCompareContent, 2, o.CompareItem());
    txtReportPath->setText(o.ReportPath());
    CheckValue::setValue(ChkSameToLeft, ModVbControls::BoolToCheckValue(o.SameToLeft()));
    if (o.TabIndex() == 0 || o.TabIndex() == 1) SSTab1->setCurrentIndex(o.TabIndex());
    CboScriptName->setEnabled(CheckValue::value(chkUseScript) == 1);
}

bool frmSession::CheckCoreOptions(ClsCompareCore &core, bool blnShowDetail)
{
    return core.CheckOpt(blnShowDetail);
}

void frmSession::FillScriptList()
{
    CboScriptName->clear();
    ClsMap files;
    ModFile::ListFilesToMap(AppPathOrDefault() + QStringLiteral("Script/"), QStringLiteral("*.vbs"),
                            files);
    const ClsMap::Store &store = files.GetObject();
    for (int i = 0; i < store.count(); ++i) {
        QString folder;
        CboScriptName->addItem(ModFile::SplitFilePath(store.keyAt(i), folder));
    }
}

// ---------------------------------------------------------------------------------------------
// Coupled fields

void frmSession::ChkSameToLeft_Click()
{
    if (CheckValue::value(ChkSameToLeft) == 1) {
        for (int field = 0; field < 3; ++field)
            CopyLeftToRight(field);
        cboRightStartRow->setEnabled(false);
        txtRightKeyCol->setEnabled(false);
        txtRightDataCol->setEnabled(false);
    } else {
        cboRightStartRow->setEnabled(true);
        txtRightKeyCol->setEnabled(!OptCompareMethod[0]->isChecked());
        txtRightDataCol->setEnabled(CheckValue::value(ChkCompareAllCol) != 1);
    }
}

void frmSession::CopyLeftToRight(int field)
{
    if (CheckValue::value(ChkSameToLeft) != 1) return;
    switch (field) {
    case 0:
        if (cboRightStartRow->currentText() != cboLeftStartRow->currentText())
            cboRightStartRow->setCurrentText(cboLeftStartRow->currentText());
        break;
    case 1:
        if (txtRightKeyCol->text() != txtLeftKeyCol->text())
            txtRightKeyCol->setText(txtLeftKeyCol->text());
        break;
    default:
        if (txtRightDataCol->text() != txtLeftDataCol->text())
            txtRightDataCol->setText(txtLeftDataCol->text());
        break;
    }
}

void frmSession::OptCompareMethod_Click()
{
    const bool rowByRow = OptCompareMethod[0]->isChecked();
    txtLeftKeyCol->setEnabled(!rowByRow);
    txtRightKeyCol->setEnabled(CheckValue::value(ChkSameToLeft) == 1 ? false : !rowByRow);
    if (rowByRow) CheckValue::setValue(ChkCompareAllCol, 1);
}

void frmSession::ChkCompareAllCol_Click()
{
    const bool listed = CheckValue::value(ChkCompareAllCol) != 1;
    txtLeftDataCol->setEnabled(listed);
    txtRightDataCol->setEnabled(CheckValue::value(ChkSameToLeft) == 1 ? false : listed);
}

void frmSession::chkUseScript_Click()
{
    CboScriptName->setEnabled(CheckValue::value(chkUseScript) == 1);
}

void frmSession::ApplyCoupledRules()
{
    OptCompareMethod_Click();
    ChkCompareAllCol_Click();
    ChkSameToLeft_Click();
    chkUseScript_Click();
    if (m_ChkGroup) m_ChkGroup->OnFatherChecked();
}

// ---------------------------------------------------------------------------------------------
// Sheet lists and workbooks

frmSession::SideFields frmSession::sideFields(bool left) const
{
    if (left)
        return {TxtLeftFileName, cboLeftStartRow,  txtLeftKeyCol,
                txtLeftDataCol,  m_LeftList.get(), m_LeftSide.get()};
    return {txtRightFileName, cboRightStartRow,  txtRightKeyCol,
            txtRightDataCol,  m_RightList.get(), m_RightSide.get()};
}

void frmSession::refreshSheets(bool left, bool tellMissing)
{
    const SideFields f = sideFields(left);
    // The workbooks of a running comparison are not reopened under it.
    if (m_Busy || !f.side) return;
    const QString name = f.file->text().trimmed();
    if (name.isEmpty()) return;
    f.side->setFileName(ResolveFileName(name));
    if (QFileInfo(f.side->FileName()).isFile()) {
        f.side->RefreshWorkSheet2ListView(*f.sheets);
        return;
    }
    // The sheets of a workbook that is not there would be taken for its sheets.
    f.sheets->clear();
    if (tellMissing)
        ModCommon::ShowMsg(notAFileText(name, f.side->FileName()), win::vbCritical, kTitle);
}

QString frmSession::notAFileText(const QString &name, const QString &path)
{
    // A folder or a pipe is named as what it is: "does not exist" would send the user looking
    // for a file that is there. Nothing is opened to tell, so a pipe never makes us wait.
    const QFileInfo info(path);
    if (info.isDir())
        return text(sectionKey("FileNameCheck_IsFolder"),
                    QStringLiteral("这是文件夹，不是工作簿文件")) +
               QStringLiteral(" -- ") + name;
    if (info.exists())
        return text(sectionKey("FileNameCheck_IsDevice"),
                    QStringLiteral("这是设备或管道，不是普通文件")) +
               QStringLiteral(" -- ") + name;
    return text(sectionKey("FileNameCheck_NotExist"), QStringLiteral("文件不存在")) +
           QStringLiteral(" -- ") + name;
}

void frmSession::CmdLeft_Refresh_Sheet_Click()
{
    refreshSheets(true);
}

void frmSession::CmdRight_Refresh_Sheet_Click()
{
    refreshSheets(false);
}

void frmSession::RefreshSheetLists()
{
    CmdLeft_Refresh_Sheet_Click();
    CmdRight_Refresh_Sheet_Click();
}

bool frmSession::SelectWorkbookFile(QLineEdit *box, TSingleSideConfig &side)
{
    QString near = workbookFolder();
    if (near.isEmpty()) near = UserFilesFolder();
    const QString path = ModFile::ShowOpenFileDialog(
        ModMain::WorkbookDialogFolder(near), kWorkbookFilter, QStringLiteral("打开文件"), 0, false);
    if (path.isEmpty()) return false;
    box->setText(path);
    side.CloseDoc();
    ModMain::RememberOpenPath(path);
    return true;
}

void frmSession::selectWorkbook(bool left)
{
    const SideFields f = sideFields(left);
    if (m_Busy || !f.side) return;
    if (SelectWorkbookFile(f.file, *f.side)) refreshSheets(left);
}

void frmSession::CmdLeftSelectFile_Click()
{
    selectWorkbook(true);
}

void frmSession::CmdRightSelectFile_Click()
{
    selectWorkbook(false);
}

void frmSession::FileBox_OLEDragDrop(QLineEdit *box, QEvent *event)
{
    auto *drop = static_cast<QDropEvent *>(event);
    const QMimeData *data = drop->mimeData();
    if (!data || !data->hasUrls()) {
        drop->ignore();
        return;
    }
    drop->acceptProposedAction();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return;
    const QString path = urls.first().toLocalFile();
    if (QFileInfo(path).isDir()) return;
    box->setText(path);
}

void frmSession::SwitchLeftRight()
{
    if (m_Busy) return;
    const QString left = TxtLeftFileName->text();
    TxtLeftFileName->setText(txtRightFileName->text());
    txtRightFileName->setText(left);
    RefreshSheetLists();
}

// ---------------------------------------------------------------------------------------------
// Commands

void frmSession::SessionOption_Click()
{
    // The options are not changed under a running comparison.
    if (!m_Option || m_Busy) return;
    frmSessionOption::ShowModal(m_Option.get(), this);
}

void frmSession::showPage(int page)
{
    SSTab1->setCurrentIndex(page);
}

void frmSession::pointAtField(QWidget *field)
{
    if (field->isEnabled()) {
        field->setFocus();
        return;
    }
    // A disabled box cannot take the focus: the control that disabled it takes it, so that the
    // user sees what to change.
    QWidget *governing = nullptr;
    if ((field == txtRightKeyCol || field == txtRightDataCol || field == cboRightStartRow) &&
        CheckValue::value(ChkSameToLeft) == 1)
        governing = ChkSameToLeft;
    else if (field == txtLeftKeyCol || field == txtRightKeyCol)
        governing = OptCompareMethod[1];
    else if (field == txtLeftDataCol || field == txtRightDataCol)
        governing = ChkCompareAllCol;
    if (governing) governing->setFocus();
}

bool frmSession::CheckFileName(QLineEdit *box)
{
    const QString name = box->text().trimmed();
    if (name.isEmpty()) {
        ModCommon::ShowMsg(
            text(sectionKey("FileNameCheck_EmptyPrompt"), QStringLiteral("请先设置文件名")),
            win::vbCritical, kTitle);
    } else if (!QFileInfo(ResolveFileName(name)).isFile()) {
        ModCommon::ShowMsg(notAFileText(name, ResolveFileName(name)), win::vbCritical, kTitle);
    } else {
        return true;
    }
    showPage(0);
    pointAtField(box);
    return false;
}

bool frmSession::CheckColumnText(QLineEdit *box)
{
    if (ModExcel::IsValidColumnList(box->text())) return true;
    ModCommon::ShowMsg(text(sectionKey("InvalidColPrompt"), QStringLiteral("输入列无效")),
                       win::vbCritical, kTitle);
    showPage(0);
    pointAtField(box);
    return false;
}

bool frmSession::DoCompare(bool inDetail)
{
    SessionHost *main = SessionHost::current();
    if (m_Busy || !m_Core || (main && main->IsBusy())) return false;

    const QList<QLineEdit *> columns = {txtLeftKeyCol, txtLeftDataCol, txtRightKeyCol,
                                        txtRightDataCol};
    for (QLineEdit *box : columns) {
        const QString normal = ModMain::NormalizeCommas(box->text());
        if (normal != box->text()) box->setText(normal);
    }
    if (!CheckFileName(TxtLeftFileName) || !CheckFileName(txtRightFileName)) return false;
    for (QLineEdit *box : columns)
        if (!CheckColumnText(box)) return false;

    m_Option->SetSelected();
    if (!m_Option->IsSelectedOk()) {
        ModCommon::ShowMsg(
            text(sectionKey("SelectSheetsPrompt"), QStringLiteral("请选择要比较的工作表")),
            win::vbCritical, kTitle);
        return false;
    }
    ApplyFormToConfig(*m_Core);
    if (!CheckCoreOptions(*m_Core, inDetail)) return false;
    if (m_Option->UseScript() && m_Option->ScriptFileName().isEmpty()) {
        showPage(2);
        ModCommon::ShowMsg(
            text(sectionKey("InvalidScriptFilePrompt"), QStringLiteral("请选择一个脚步文件")),
            win::vbCritical, kTitle);
        return false;
    }
    m_Option->setCompareInDetail(inDetail);
    // A relative report folder lies beside the project, as its workbooks do; the project keeps
    // the folder as typed. A project never saved has no folder of its own: its reports go below
    // the user's report folder, not beside the program.
    const QString typed = txtReportPath->text().trimmed();
    if (!typed.isEmpty()) {
        const QString base = hasProjectFile() ? projectFolder() : ModPub::GetTempDir();
        m_Option->setReportPath(SessionSettings::GetAbsolutePath(base, typed));
    }
    m_RunReportPath = m_Option->ReportPath();
    m_Core->CompareSheetEntry(inDetail);
    if (m_Option) m_Option->setReportPath(txtReportPath->text());
    return true;
}

void frmSession::CmdCompare_Click()
{
    if (ticked(ChkExcelReport) || ticked(ChkTxtReport)) {
        DoCompare(false);
        return;
    }
    showPage(1);
    ModCommon::ShowMsg(
        text(sectionKey("SelectReportPrompt"), QStringLiteral("请至少选择一种报告方式")),
        win::vbExclamation, kTitle);
}

void frmSession::CmdCompareDetail_Click()
{
    if (!DoCompare(true)) return;
    // Without the difference view the pairs were compared and nothing was shown: say so, and
    // where the text reports are.
    if (!CompareViewSeam::installed() && m_Option)
        ModCommon::ShowMsg(
            text(sectionKey("DetailViewUnavailable"),
                 QStringLiteral("详细比较窗口尚不可用。比较已经结束，文本报告在文件夹"
                                "中：")) +
                QStringLiteral("\r\n") + m_RunReportPath,
            win::vbExclamation, kTitle);
}

// ---------------------------------------------------------------------------------------------
// Language

void frmSession::SwitchLanguage()
{
    m_Language = std::make_unique<ClsLanguage>();
    m_Language->Init();
    m_Language->SkipControls(
        {QStringLiteral("CmdLeft_Refresh_Sheet"), QStringLiteral("CmdRight_Refresh_Sheet"),
         QStringLiteral("CmdLeftSelectFile"), QStringLiteral("CmdRightSelectFile")});
    m_Language->SkipControlByName(QStringLiteral("OptCompareMethod"));
    m_Language->SkipControlByName(QStringLiteral("ChkCompareContent"));
    // Its caption is the report-workbook box standing in the caption's row.
    m_Language->SkipControlByName(QStringLiteral("FrameXlsReport"));
    m_Language->LoadLanguageOfForm(m_Controls.form());

    OptCompareMethod[0]->setText(
        text(sectionKey("OptCompareMethod0"), OptCompareMethod[0]->text()));
    OptCompareMethod[1]->setText(
        text(sectionKey("OptCompareMethod1"), OptCompareMethod[1]->text()));
    ChkCompareContent[0]->setText(
        text(sectionKey("CompareItem_Data"), ChkCompareContent[0]->text()));
    ChkCompareContent[1]->setText(
        text(sectionKey("CompareItem_Formula"), ChkCompareContent[1]->text()));
    ChkCompareContent[2]->setText(
        text(sectionKey("CompareItem_Memo"), ChkCompareContent[2]->text()));
    const char *tabKeys[] = {"TabCaption1", "TabCaption2", "TabCaption3"};
    for (int i = 0; i < 3; ++i)
        SSTab1->setTabText(i, text(sectionKey(tabKeys[i]), SSTab1->tabText(i)));
    const QString header = text(sectionKey("worksheet"), QStringLiteral("工作表"));
    ListViewLeftSheets->setHeaderLabel(header);
    ListViewRightSheets->setHeaderLabel(header);

    CmdLeftSelectFile->setToolTip(
        text(sectionKey("CmdLeftSelectFileToolTip"), QStringLiteral("选择左边待比较文件")));
    CmdLeft_Refresh_Sheet->setToolTip(
        text(sectionKey("CmdLeft_Refresh_SheetToolTip"), QStringLiteral("刷新左边工作表")));
    CmdRightSelectFile->setToolTip(
        text(sectionKey("CmdRightSelectFileToolTip"), QStringLiteral("选择右边待比较文件")));
    CmdRight_Refresh_Sheet->setToolTip(
        text(sectionKey("CmdRight_Refresh_SheetToolTip"), QStringLiteral("刷新右边工作表")));
    CmdCompare->setToolTip(
        text(sectionKey("CmdExportReportToolTip"), QStringLiteral("直接输出比较报告")));
    CmdCompareDetail->setToolTip(
        text(sectionKey("CmdCompareDetailToolTip"), QStringLiteral("在详细比较窗口中比较")));

    fitCaptions();
    fitFrames();
    Form_Resize();
}

void frmSession::fitCaptions()
{
    QList<QWidget *> captions = {lblLeftFileName, lblrightFileName};
    for (QLabel *l : findChildren<QLabel *>())
        if (!captions.contains(l)) captions.append(l);
    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b)) captions.append(b);
    for (QWidget *w : captions) {
        const QVariant d = w->property(kDesignRect);
        if (!d.isValid()) continue;
        const QRect design = d.toRect();
        const QSize hint = w->sizeHint();
        const int width = std::max(Twips::toPixels(design.width()), hint.width());
        const int height = std::max(Twips::toPixels(design.height()), hint.height());
        w->resize(width, height);
    }
}

void frmSession::fitFrames()
{
    for (QGroupBox *frame : findChildren<QGroupBox *>()) {
        const QVariant d = frame->property(kDesignRect);
        if (!d.isValid()) continue;
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.lineWidth = 1;
        option.midLineWidth = 0;
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame;
        if (!frame->title().isEmpty()) option.subControls |= QStyle::SC_GroupBoxLabel;
        option.rect =
            QRect(0, 0, Twips::toPixels(d.toRect().width()), Twips::toPixels(d.toRect().height()));
        const int contentTop =
            frame->style()
                ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, frame)
                .top();
        const QList<QWidget *> children =
            frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        int highest = std::numeric_limits<int>::max();
        for (QWidget *c : children)
            if (c->property(kDesignRect).isValid())
                highest = std::min(highest, Twips::toPixels(c->property(kDesignRect).toRect().y()));
        if (highest == std::numeric_limits<int>::max()) continue;
        // The frame's caption takes more room than the design gave it: its controls move down
        // below it, and the frame grows when they would reach its bottom edge.
        const int shift = std::max(0, contentTop + 1 - highest);
        int lowest = 0;
        for (QWidget *c : children) {
            const QVariant cd = c->property(kDesignRect);
            if (!cd.isValid()) continue;
            c->move(c->x(), Twips::toPixels(cd.toRect().y()) + shift);
            lowest = std::max(lowest, c->y() + c->height());
        }
        const int height = std::max(Twips::toPixels(d.toRect().height()), lowest + 3);
        frame->resize(frame->width(), height);
    }
}

// ---------------------------------------------------------------------------------------------
// Layout

void frmSession::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmSession::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_Sized) return;
    m_Sized = true;
    // A new window opens at the size its whole layout needs; where the main window's session
    // area has less room than that, it takes all the room there is. The window is sized here,
    // at its first showing, for every way it opens: the area may not have its final size
    // before then (a window opened while the main window loads).
    auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    QMdiArea *area = frame ? frame->mdiArea() : nullptr;
    if (!area || frame->isMaximized()) return;
    const QSize room = area->viewport()->size();
    const QSize wanted = frame->sizeHint();
    if (room.width() >= wanted.width() && room.height() >= wanted.height()) {
        frame->resize(wanted);
        if (!QRect(QPoint(), room).contains(frame->geometry())) frame->move(0, 0);
    } else {
        frame->showMaximized();
    }
}

QSize frmSession::sizeHint() const
{
    const QSize design(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
    if (!SSTab1) return design;
    // The layout makes the tab control as wide as the row of file boxes, which grows by one
    // twip for every twip of window width. The designed width may be too narrow for the pages
    // once their captions are fitted to the font: the window is then made wider by what the
    // pages lack.
    QSize border;
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) {
        const QMargins m = frame->contentsMargins();
        border = QSize(m.left() + m.right(), m.top() + m.bottom());
    } else if (isWindow()) {
        border = frameGeometry().size() - size();
    }
    namespace tg = TwipsGeometry;
    const double outer = Twips::fromPixels(design.width() + border.width());
    const double w =
        std::round(outer / 2 - tg::width(lblLeftFileName) - tg::width(CmdLeftSelectFile) - 600);
    const double tab = 2 * w + tg::left(TxtLeftFileName) + 2 * tg::width(CmdLeftSelectFile) + 300 +
                       tg::width(lblrightFileName) - tg::left(lblLeftFileName);
    const int lacking = pagesWidth() - Twips::toPixels(tab);
    return design + QSize(std::max(0, lacking), 0);
}

int frmSession::pagesWidth() const
{
    int contents = 0;
    for (int i = 0; i < SSTab1->count(); ++i)
        for (const QWidget *c :
             SSTab1->widget(i)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            contents = std::max(contents, c->x() + c->width());
    // The tab control's frame around its pages, as the style draws it.
    QStyleOptionTabWidgetFrame option;
    option.initFrom(SSTab1);
    option.rect = QRect(0, 0, 1000, 1000);
    option.tabBarSize = SSTab1->tabBar()->sizeHint();
    option.lineWidth = SSTab1->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, SSTab1);
    const QRect pages =
        SSTab1->style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, SSTab1);
    // A few pixels of room on the right, as the design leaves.
    return contents + (option.rect.width() - pages.width()) + 6;
}

void frmSession::Form_Resize()
{
    namespace tg = TwipsGeometry;
    if (!SSTab1 || OptCompareMethod.size() < 2) return;
    // The window's outer size: its frame in the main window's session area.
    QSize outer = size();
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        outer = frame->size();
    else if (isWindow())
        outer = frameGeometry().size();
    const double W = Twips::fromPixels(outer.width());
    const double H = Twips::fromPixels(outer.height());

    const double w =
        std::round(W / 2 - tg::width(lblLeftFileName) - tg::width(CmdLeftSelectFile) - 600);
    if (w < 0) return;
    tg::setWidth(TxtLeftFileName, w);
    tg::move(CmdLeftSelectFile, tg::left(TxtLeftFileName) + tg::width(TxtLeftFileName),
             tg::top(TxtLeftFileName) - 50);
    tg::move(lblrightFileName, tg::left(CmdLeftSelectFile) + tg::width(CmdLeftSelectFile) + 300,
             tg::top(lblLeftFileName));
    tg::move(txtRightFileName, tg::left(lblrightFileName) + tg::width(lblrightFileName),
             tg::top(TxtLeftFileName), tg::width(TxtLeftFileName), tg::height(txtRightFileName));
    tg::move(CmdRightSelectFile, tg::left(txtRightFileName) + tg::width(txtRightFileName),
             tg::top(txtRightFileName) - 50, tg::width(CmdLeftSelectFile),
             tg::height(CmdLeftSelectFile));
    tg::move(CmdLeft_Refresh_Sheet, tg::left(CmdLeftSelectFile),
             tg::top(CmdLeftSelectFile) + tg::height(CmdLeftSelectFile) + 50);
    tg::move(CmdRight_Refresh_Sheet, tg::left(CmdRightSelectFile),
             tg::top(CmdRightSelectFile) + tg::height(CmdRightSelectFile) + 50);
    const double t = std::round(tg::left(CmdRightSelectFile) + tg::width(CmdRightSelectFile) -
                                tg::left(lblLeftFileName));
    tg::move(SSTab1, tg::left(lblLeftFileName), H - tg::height(SSTab1) - 800, t,
             tg::height(SSTab1));
    tg::move(CmdCompare,
             tg::left(CmdRightSelectFile) + tg::width(CmdRightSelectFile) -
                 tg::width(CmdCompareDetail) - tg::width(CmdCompare) - 100,
             tg::top(SSTab1) - tg::height(CmdCompare));
    tg::move(CmdCompareDetail, tg::left(CmdCompare) + tg::width(CmdCompare) + 100,
             tg::top(CmdCompare));
    double h = std::round(tg::top(CmdCompare) - tg::top(CmdLeft_Refresh_Sheet) - 200);
    if (h < 0) h = 0;
    tg::move(ListViewLeftSheets, tg::left(TxtLeftFileName), tg::top(CmdLeft_Refresh_Sheet) + 100,
             tg::width(TxtLeftFileName), h);
    tg::move(ListViewRightSheets, tg::left(txtRightFileName), tg::top(ListViewLeftSheets),
             tg::width(txtRightFileName), tg::height(ListViewLeftSheets));
    tg::move(OptCompareMethod[1], tg::left(OptCompareMethod[1]), tg::top(OptCompareMethod[0]));
    ModListView::SetListViewColumnWidth(ListViewLeftSheets, 0, tg::width(ListViewLeftSheets));
    ModListView::SetListViewColumnWidth(ListViewRightSheets, 0, tg::width(ListViewRightSheets));
}

void frmSession::SetTabOrder()
{
    ClsVbTab tab;
    tab.AddSons({TxtLeftFileName, CmdLeftSelectFile, txtRightFileName, CmdRightSelectFile,
                 ListViewLeftSheets, CmdLeft_Refresh_Sheet, ListViewRightSheets,
                 CmdRight_Refresh_Sheet, CmdCompare, CmdCompareDetail, SSTab1});
    tab.AddSons({FrameCompareMethod, OptCompareMethod[0], OptCompareMethod[1], ChkCompareAllCol,
                 cboLeftStartRow, txtLeftKeyCol, txtLeftDataCol, ChkSameToLeft, cboRightStartRow,
                 txtRightKeyCol, txtRightDataCol, ChkCompareContent[0], ChkCompareContent[1],
                 ChkCompareContent[2]});
    tab.AddSons({txtReportPath, ChkTxtReport, ChkExcelReport, ChkShowDiffInXls,
                 ChkShowLeftSingleInXls, ChkShowRightSingleInXls});
    tab.AddSons({chkUseScript, CboScriptName});
}

// ---------------------------------------------------------------------------------------------
// Activation, busy state and closing

void frmSession::Form_Activate()
{
    SessionHost *main = SessionHost::current();
    if (main) main->SubWindowActiveted(this);
    if (m_FirstActivated || m_Unloaded || !m_Option) return;
    m_FirstActivated = true;
    RefreshSheetLists();
    // Exactly the selection the project stored: a side that stored none has no sheet selected,
    // so that a run asks for one rather than comparing a sheet nobody chose.
    m_Option->ShowSelected();
    // The automatic comparison of "/A" starts once the window is in place and the main window
    // has filled in what it opened the window with.
    if (main && main->AutoRun()) QTimer::singleShot(0, this, [this] { AutoRunWhenIdle(); });
}

void frmSession::AutoRunWhenIdle()
{
    if (m_Unloaded || !m_Core) return;
    SessionHost *main = SessionHost::current();
    if (m_Busy || (main && main->IsBusy())) {
        // Another session's comparison runs: this one starts after it.
        QTimer::singleShot(250, this, [this] { AutoRunWhenIdle(); });
        return;
    }
    CmdCompare_Click();
}

void frmSession::MainWindowBusy(bool busy)
{
    m_Busy = busy;
    for (QWidget *w : std::initializer_list<QWidget *>{
             CmdCompare, CmdCompareDetail, CmdLeftSelectFile, CmdRightSelectFile,
             CmdLeft_Refresh_Sheet, CmdRight_Refresh_Sheet})
        w->setEnabled(!busy);
}

bool frmSession::CloseWindow()
{
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget())) return frame->close();
    return close();
}

void frmSession::closeEvent(QCloseEvent *event)
{
    if (m_Unloaded) {
        event->accept();
        return;
    }
    // A running comparison uses this window's engine: offer to cancel it, and close once the
    // run has unwound.
    SessionHost *main = SessionHost::current();
    if (main && main->IsRunning(this)) {
        QWidget *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
        main->QueryCloseWhileBusy(frame ? frame : this);
        event->ignore();
        return;
    }
    if (Form_QueryUnload()) {
        event->ignore();
        return;
    }
    m_Unloaded = true;
    Form_Unload();
    event->accept();
}

bool frmSession::Form_QueryUnload()
{
    if (!m_Untitled && ModFile::FileExists(m_IniFileName)) {
        // A saved project is saved again silently; a save that fails asks what to do.
        if (Save2IniFile(m_IniFileName)) return false;
        return QuerySaveFailed();
    }
    return closeAnswered(ModCommon::ShowMsg(
        text(sectionKey("SaveProjectPrompt"), QStringLiteral("是否保存工程文件?")),
        win::vbYesNoCancel + win::vbQuestion, windowTitle()));
}

bool frmSession::closeAnswered(int answer)
{
    bool cancel = false;
    if (answer == win::vbYes) {
        const QString old = m_IniFileName;
        SessionHost *main = SessionHost::current();
        const QString path = main ? main->SaveFileOf(this) : QString();
        if (path.isEmpty()) {
            cancel = true;
        } else {
            main->AddToRecentFile(path);
            main->FileClosed(old);
        }
    } else if (answer == win::vbNo) {
        m_Loaded = false;
    } else {
        cancel = true;
    }
    g_CloseCancelled = cancel;
    return cancel;
}

bool frmSession::QuerySaveFailed()
{
    SessionHost *main = SessionHost::current();
    QString failed = QStringLiteral("保存文件失败，文件可能是只读或者被打开! ");
    if (main) failed = main->MainWindowText(QStringLiteral("SaveFailedPrompt"), failed);
    if (!m_SaveError.isEmpty()) failed += QStringLiteral("\r\n") + m_SaveError;
    return closeAnswered(ModCommon::ShowMsg(
        failed + QStringLiteral("\r\nFilename=") + m_IniFileName + QStringLiteral("\r\n") +
            text(sectionKey("SaveFailedAtClosePrompt"),
                 QStringLiteral("是否另存为其他文件？选择“否”将放弃修改并关闭。")),
        win::vbYesNoCancel + win::vbExclamation, windowTitle()));
}

void frmSession::Form_Unload()
{
    m_Language.reset();
    if (m_Core) {
        ApplyFormToConfig(*m_Core);
        m_Core->ExcelWndUnloaded();
    }
    if (SessionHost *main = SessionHost::current()) main->FileClosed(m_IniFileName);
    SaveToIniFile();
    if (m_Core) m_Core->Destroy();
    m_Core.reset();
    m_LeftSide.reset();
    m_RightSide.reset();
    m_Option.reset();
    m_ChkGroup.reset();
    m_Settings.reset();
}

// ---------------------------------------------------------------------------------------------
// Events

bool frmSession::eventFilter(QObject *watched, QEvent *event)
{
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && (box == TxtLeftFileName || box == txtRightFileName)) {
        // The file boxes take a dropped file's path, never dropped text.
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (drag->mimeData() && drag->mimeData()->hasUrls())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop:
            FileBox_OLEDragDrop(box, event);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
