#include "app/frmSessionOption.h"

#include "core/ModCommon.h"
#include "core/Twips.h"
#include "engine/ClsSessionOption.h"
#include "platform/win/FormTemplate.h"
#include "platform/win/MessageBox.h"
#include "ui/CheckValue.h"
#include "ui/ClsVbTab.h"
#include "ui/ModVbControls.h"
#include "ui/ModalDialog.h"
#include "ui/TwipsGeometry.h"
#include "ui/ValueRules.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("frmSessionOption");
const QString kTitle = QStringLiteral("Quorva");

// Design sizes in twips: the window's inner area and the buttons.
const int kDesignWidth = 8400;
const int kDesignHeight = 6300;
const int kButtonWidth = 1200;
const int kButtonHeight = 375;
const int kMaxRowHeight = 409;

} // namespace

frmSessionOption::frmSessionOption(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("当前会话选项"));
    buildControls();
    resize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
    Form_Load();
    // Small enough for a small screen, large enough for every page's controls.
    setMinimumSize(Twips::toPixels(kDesignWidth * 4 / 5), Twips::toPixels(kDesignHeight * 9 / 10));
}

void frmSessionOption::buildControls()
{
    using T = FormTemplate;
    // The pages' design-time home is SSTab1; at run time the page switcher moves them into
    // frameOwner. Their controls are placed by layouts, which fit the captions to the font.
    const std::vector<T::Control> controls = {
        T::control(TreeView1, "TreeView1"),
        T::control(frameOwner, "frameOwner"),
        T::control(SSTab1, "SSTab1"),
        T::control(frameGeneral, "frameGeneral"),
        T::control(chkIgnoreCase_Key, "chkIgnoreCase_Key", "关键字忽略大小写", {}, "frameGeneral"),
        T::control(chkIgnoreCase_text, "chkIgnoreCase_text", "比较内容忽略大小写", {},
                   "frameGeneral"),
        T::control(chkDealMerge, "chkDealMerge", "遇到合并，往上寻找,直到非空", {}, "frameGeneral"),
        T::control(ChkUseTrimForKey, "ChkUseTrimForKey", "忽略关键字首尾空格", {}, "frameGeneral"),
        T::control(ChkCreatePairMethod, "ChkCreatePairMethod", "优先用工作表名称创建比较对", {},
                   "frameGeneral"),
        T::control(FrameReport, "FrameReport"),
        T::control(ChkModifyRowHeight, "ChkModifyRowHeight", "修改Excel报告的行高", {},
                   "FrameReport"),
        T::control(Label1, "Label1", "行高：", {}, "FrameReport"),
        T::control(TxtXlsRowHeight, "TxtXlsRowHeight", nullptr, {}, "FrameReport"),
        T::control(ChkColorDiffCell, "ChkColorDiffCell", "对差异的列使用颜色标识", {},
                   "FrameReport"),
        T::control(Label2, "Label2", "左边名称:", {}, "FrameReport"),
        T::control(txtLeftName, "txtLeftName", nullptr, {}, "FrameReport"),
        T::control(Label8, "Label8", "右边名称:", {}, "FrameReport"),
        T::control(txtRightName, "txtRightName", nullptr, {}, "FrameReport"),
        T::control(frameSheetName, "frameSheetName", "工作表显示名称", {}, "FrameReport"),
        T::control(Label3, "Label3", "差异的行:", {}, "frameSheetName"),
        T::control(TxtDiffSheetName, "TxtDiffSheetName", nullptr, {}, "frameSheetName"),
        T::control(Label4, "Label4", "左边孤立的行", {}, "frameSheetName"),
        T::control(TxtLeftSingleSheetName, "TxtLeftSingleSheetName", nullptr, {}, "frameSheetName"),
        T::control(Label5, "Label5", "右边孤立的行", {}, "frameSheetName"),
        T::control(TxtRightSingleSheetName, "TxtRightSingleSheetName", nullptr, {},
                   "frameSheetName"),
        T::control(FrameDetail, "FrameDetail"),
        T::control(FrameShowDiffMethod, "FrameShowDiffMethod", "对于不同内容的标识方式", {},
                   "FrameDetail"),
        T::control(OptDrawNone, "OptDrawNone", "不作什么", {}, "FrameShowDiffMethod"),
        T::control(OptDrawGraph, "OptDrawGraph", "画椭圆", {}, "FrameShowDiffMethod"),
        T::control(OptDrawColor, "OptDrawColor", "使用颜色标识(这会修改文档内容)", {},
                   "FrameShowDiffMethod"),
        T::control(cmdOK, "cmdOK", "确定"),
        T::control(cmdCancel, "cmdCancel", "取消"),
    };
    T::build(this, controls, {}, [this](QWidget *w, int index) { m_Controls.add(w, index); });

    ClsOptionTab::SetUpPageTree(TreeView1,
                                [this](QTreeWidgetItem *node) { TreeView1_NodeClick(node); });
    SSTab1->hide();
    for (QFrame *page : {frameGeneral, FrameReport, FrameDetail})
        page->setFrameShape(QFrame::StyledPanel);
    auto *general = new QVBoxLayout(frameGeneral);
    for (QWidget *w :
         std::initializer_list<QWidget *>{chkIgnoreCase_Key, chkIgnoreCase_text, chkDealMerge,
                                          ChkUseTrimForKey, ChkCreatePairMethod})
        general->addWidget(w);
    general->addStretch(1);

    TxtXlsRowHeight->setMaxLength(12);
    TxtXlsRowHeight->setFixedWidth(Twips::toPixels(900));
    Label1->setBuddy(TxtXlsRowHeight);
    Label2->setBuddy(txtLeftName);
    Label8->setBuddy(txtRightName);
    Label3->setBuddy(TxtDiffSheetName);
    Label4->setBuddy(TxtLeftSingleSheetName);
    Label5->setBuddy(TxtRightSingleSheetName);

    auto *rowHeight = new QHBoxLayout;
    rowHeight->addWidget(ChkModifyRowHeight);
    rowHeight->addSpacing(Twips::toPixels(240));
    rowHeight->addWidget(Label1);
    rowHeight->addWidget(TxtXlsRowHeight);
    rowHeight->addStretch(1);
    auto *names = new QGridLayout;
    names->addWidget(Label2, 0, 0);
    names->addWidget(txtLeftName, 0, 1);
    names->addWidget(Label8, 1, 0);
    names->addWidget(txtRightName, 1, 1);
    auto *sheets = new QGridLayout(frameSheetName);
    sheets->addWidget(Label3, 0, 0);
    sheets->addWidget(TxtDiffSheetName, 0, 1);
    sheets->addWidget(Label4, 1, 0);
    sheets->addWidget(TxtLeftSingleSheetName, 1, 1);
    sheets->addWidget(Label5, 2, 0);
    sheets->addWidget(TxtRightSingleSheetName, 2, 1);
    auto *report = new QVBoxLayout(FrameReport);
    report->addLayout(rowHeight);
    report->addWidget(ChkColorDiffCell);
    report->addLayout(names);
    report->addWidget(frameSheetName);
    report->addStretch(1);

    // One below the other at the same left edge.
    auto *marks = new QVBoxLayout(FrameShowDiffMethod);
    marks->addWidget(OptDrawNone);
    marks->addWidget(OptDrawGraph);
    marks->addWidget(OptDrawColor);
    auto *detail = new QVBoxLayout(FrameDetail);
    detail->addWidget(FrameShowDiffMethod);
    detail->addStretch(1);

    SSTab1->addTab(frameGeneral, QStringLiteral("比较选项"));
    SSTab1->addTab(FrameReport, QStringLiteral("比较报告"));
    SSTab1->addTab(FrameDetail, QStringLiteral("详细比较窗口"));

    cmdOK->setDefault(true);

    ValueRules::onCheck(ChkModifyRowHeight, this, [this] {
        TxtXlsRowHeight->setEnabled(CheckValue::value(ChkModifyRowHeight) != 0);
    });
    ModVbControls::InstallNumericKeyFilter(TxtXlsRowHeight, 0);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmSessionOption::ShowModal(ClsSessionOption *option, QWidget *owner,
                                 std::function<void(bool changed)> closed)
{
    auto *dialog = new frmSessionOption(owner);
    dialog->SetOpt(option);
    ModalDialog::show(dialog, [closed](int result) {
        if (closed) closed(result == QDialog::Accepted);
    });
}

QString frmSessionOption::text(const QString &key, const QString &defaultText)
{
    return m_Language.text(key, defaultText);
}

void frmSessionOption::Form_Load()
{
    m_Language.load();

    m_OptionTab.AddSons({frameGeneral, FrameReport, FrameDetail});
    m_OptionTab.SetFather(frameOwner);
    const struct
    {
        const char *text;
        QWidget *page;
    } nodes[] = {
        {"比较选项", frameGeneral}, {"比较报告", FrameReport}, {"详细比较窗口", FrameDetail}};
    for (const auto &n : nodes) {
        auto *node = new QTreeWidgetItem(QStringList{QString::fromUtf8(n.text)});
        node->setData(0, Qt::UserRole, n.page->objectName());
        TreeView1->addTopLevelItem(node);
    }
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    TreeView1_NodeClick(TreeView1->topLevelItem(0));

    SetTabOrder();
    Form_Resize();
}

void frmSessionOption::SetOpt(ClsSessionOption *option)
{
    m_Option = option;
    ShowOptions();
}

void frmSessionOption::ShowOptions()
{
    if (!m_Option) return;
    const ClsSessionOption &o = *m_Option;
    auto check = [](QCheckBox *box, bool on) {
        CheckValue::setValue(box, ModVbControls::BoolToCheckValue(on));
    };
    check(chkIgnoreCase_Key, o.IgnoreCase_Key());
    check(chkIgnoreCase_text, o.IgnoreCase_Text());
    check(chkDealMerge, o.DealMerge());
    check(ChkUseTrimForKey, o.UseTrimForKey());
    check(ChkCreatePairMethod, o.CreatePairMethod() == 1);
    check(ChkModifyRowHeight, o.ModifyRowHeight());
    TxtXlsRowHeight->setText(QString::number(o.RowHeight()));
    check(ChkColorDiffCell, o.ColorDiffCell());
    txtLeftName->setText(o.LeftName());
    txtRightName->setText(o.RightName());
    TxtDiffSheetName->setText(o.DiffSheetName());
    TxtLeftSingleSheetName->setText(o.LeftSingleSheetName());
    TxtRightSingleSheetName->setText(o.RightSingleSheetName());
    // Exactly the button of the current code is chosen; an unknown code chooses none.
    const QList<QRadioButton *> marks{OptDrawNone, OptDrawGraph, OptDrawColor};
    for (QRadioButton *b : marks)
        b->setAutoExclusive(false);
    for (int i = 0; i < marks.size(); ++i)
        marks[i]->setChecked(o.ShowDiffMethod() == i);
    for (QRadioButton *b : marks)
        b->setAutoExclusive(true);
    // The rule runs once more: a box that already had its value emitted nothing.
    TxtXlsRowHeight->setEnabled(CheckValue::value(ChkModifyRowHeight) != 0);
}

void frmSessionOption::SetTabOrder()
{
    ClsVbTab tab;
    tab.AddSons({TreeView1, SSTab1});
    tab.AddSons({chkIgnoreCase_Key, chkIgnoreCase_text, chkDealMerge, ChkUseTrimForKey});
    tab.AddSons({ChkModifyRowHeight, TxtXlsRowHeight, ChkColorDiffCell, txtLeftName, txtRightName,
                 TxtDiffSheetName, TxtLeftSingleSheetName, TxtRightSingleSheetName});
    tab.AddSons({OptDrawNone, OptDrawGraph, OptDrawColor});
    tab.AddSons({cmdOK, cmdCancel});
}

void frmSessionOption::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    TreeView1->setFocus();
}

void frmSessionOption::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (node) m_OptionTab.ShowPage(node->data(0, Qt::UserRole).toString());
}

void frmSessionOption::showPageOf(QWidget *control)
{
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *node = TreeView1->topLevelItem(i);
        const QString name = node->data(0, Qt::UserRole).toString();
        for (QWidget *w = control; w; w = w->parentWidget())
            if (w->objectName() == name) {
                TreeView1->setCurrentItem(node);
                TreeView1_NodeClick(node);
                return;
            }
    }
}

void frmSessionOption::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmSessionOption::Form_Resize()
{
    const int width = TwipsGeometry::formWidth(this);
    const int height = TwipsGeometry::formHeight(this);
    TwipsGeometry::move(TreeView1, 120, 180, 0.3 * width, height - 850);
    const int treeLeft = TwipsGeometry::left(TreeView1);
    const int treeWidth = TwipsGeometry::width(TreeView1);
    const double pageWidth = std::round(width - treeLeft - treeWidth - 300.0);
    TwipsGeometry::move(frameOwner, treeLeft + treeWidth + 120, TwipsGeometry::top(TreeView1),
                        pageWidth, TwipsGeometry::height(TreeView1) - 800);
    m_OptionTab.OnFatherResize();

    // The buttons stand under the page, right-aligned with it and level with the tree's bottom,
    // so that they follow the window's corner instead of being covered by a growing page.
    const int right = TwipsGeometry::left(frameOwner) + TwipsGeometry::width(frameOwner);
    const int bottom = TwipsGeometry::top(TreeView1) + TwipsGeometry::height(TreeView1);
    const int buttonWidth = std::max({kButtonWidth, Twips::fromPixels(cmdOK->sizeHint().width()),
                                      Twips::fromPixels(cmdCancel->sizeHint().width())});
    const int buttonHeight = std::max(kButtonHeight, Twips::fromPixels(cmdOK->sizeHint().height()));
    TwipsGeometry::move(cmdCancel, right - buttonWidth, bottom - buttonHeight, buttonWidth,
                        buttonHeight);
    TwipsGeometry::move(cmdOK, right - 2 * buttonWidth - 120, bottom - buttonHeight, buttonWidth,
                        buttonHeight);
}

bool frmSessionOption::RowHeightFromText(const QString &text, int &height)
{
    // Digits with at most one decimal point; no thousands separators, no exponent.
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch()) return false;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value)) return false;
    // Halves go to the even neighbour, as the conversion to a whole number always did.
    const double whole = std::nearbyint(value);
    if (whole < 0 || whole > kMaxRowHeight) return false;
    height = int(whole);
    return true;
}

bool frmSessionOption::IsValidSheetName(const QString &name)
{
    return ClsSessionOption::isValidSheetName(name);
}

bool frmSessionOption::refuse(QLineEdit *box, const QString &key, const QString &defaultText)
{
    showPageOf(box);
    ModCommon::ShowMsg(text(key, defaultText) + QStringLiteral("\r\n\"") + box->text() +
                           QLatin1Char('"'),
                       win::vbCritical, kTitle);
    box->setFocus();
    box->selectAll();
    return false;
}

void frmSessionOption::cmdOK_Click()
{
    if (!m_Option) {
        accept();
        return;
    }
    // Every value is checked before the first is written, so that a refused one leaves the
    // options as they were.
    const bool modifyRowHeight = CheckValue::value(ChkModifyRowHeight) != 0;
    int rowHeight = m_Option->RowHeight();
    if (!RowHeightFromText(TxtXlsRowHeight->text(), rowHeight)) {
        // An unused height that the user cannot reach (the box is disabled) keeps its old value.
        if (modifyRowHeight) {
            refuse(TxtXlsRowHeight, QStringLiteral("RowHeightInvalid"),
                   QStringLiteral("行高必须是 0 到 409 之间的数字："));
            return;
        }
        rowHeight = m_Option->RowHeight();
    }
    // An empty sheet name takes the report's built-in name when the report is written.
    for (QLineEdit *box : {TxtDiffSheetName, TxtLeftSingleSheetName, TxtRightSingleSheetName})
        if (!box->text().isEmpty() && !IsValidSheetName(box->text())) {
            refuse(box, QStringLiteral("SheetNameInvalid"),
                   QStringLiteral("工作表名称最多 31 个字符，不能以 ' 开始或结束，也不能含有 "
                                  "[ ] : * ? / \\ 中的任何一个："));
            return;
        }

    ClsSessionOption &o = *m_Option;
    o.setIgnoreCase_Key(CheckValue::value(chkIgnoreCase_Key) != 0);
    o.setIgnoreCase_Text(CheckValue::value(chkIgnoreCase_text) != 0);
    o.setDealMerge(CheckValue::value(chkDealMerge) != 0);
    o.setUseTrimForKey(CheckValue::value(ChkUseTrimForKey) != 0);
    if (OptDrawNone->isChecked())
        o.setShowDiffMethod(0);
    else if (OptDrawGraph->isChecked())
        o.setShowDiffMethod(1);
    else if (OptDrawColor->isChecked())
        o.setShowDiffMethod(2);
    o.setModifyRowHeight(modifyRowHeight);
    // A pasted line break would break the project file's line.
    auto oneLine = [](QString name) {
        return name.replace(QLatin1String("\r\n"), QLatin1String(" "))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
    };
    o.setLeftName(oneLine(txtLeftName->text()));
    o.setRightName(oneLine(txtRightName->text()));
    o.setRowHeight(rowHeight);
    o.setColorDiffCell(CheckValue::value(ChkColorDiffCell) != 0);
    o.setDiffSheetName(TxtDiffSheetName->text());
    o.setLeftSingleSheetName(TxtLeftSingleSheetName->text());
    o.setRightSingleSheetName(TxtRightSingleSheetName->text());
    o.setCreatePairMethod(CheckValue::value(ChkCreatePairMethod) == 1 ? 1 : 0);
    accept();
}

void frmSessionOption::cmdCancel_Click()
{
    reject();
}
