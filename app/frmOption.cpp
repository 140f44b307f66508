#include "app/frmOption.h"

#include "core/ModCommon.h"
#include "core/ModContextMenu.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "core/modRegistry.h"
#include "platform/registry/Registry.h"
#include "platform/win/FormTemplate.h"
#include "platform/win/MessageBox.h"
#include "ui/CheckValue.h"
#include "ui/ClsOptionTab.h"
#include "ui/ClsVbTab.h"
#include "ui/ModVbControls.h"
#include "ui/ModalDialog.h"
#include "ui/TwipsGeometry.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("frmOption");
const QString kTitle = QStringLiteral("Quorva");

// Design sizes in twips: the window's inner area and the buttons.
const int kDesignWidth = 7200;
const int kDesignHeight = 4800;
const int kButtonWidth = 1200;
const int kButtonHeight = 375;

bool handlerKeyExists()
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, QString::fromLatin1(ModContextMenu::HandlerKey),
                          0, win::KEY_READ, &key) != win::ERROR_SUCCESS)
        return false;
    win::RegCloseKey(key);
    return true;
}

QString handlerKeyPath()
{
    return QStringLiteral("HKEY_CLASSES_ROOT\\") + QString::fromLatin1(ModContextMenu::HandlerKey);
}

} // namespace

frmOption::frmOption(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("选项"));

    using T = FormTemplate;
    FormTemplate::build(
        this,
        {T::control(TreeView1, "TreeView1"), T::control(frameOwner, "frameOwner"),
         T::control(frameGeneral, "frameGeneral"),
         // The entry goes into the desktop's file manager, which Chinese desktops call
         // "文件管理器"; the language keys keep their names ("Explorer", "chkContextMenu").
         T::control(chkContextMenu, "chkContextMenu", "在文件管理器中显示上下文菜单", {},
                    "frameGeneral"),
         T::control(cmdOK, "cmdOK", "确定"), T::control(CmdCancel, "CmdCancel", "取消")},
        {}, [this](QWidget *w, int) { m_Controls.add(w); });
    ClsOptionTab::SetUpPageTree(TreeView1,
                                [this](QTreeWidgetItem *node) { TreeView1_NodeClick(node); });
    frameGeneral->setFrameShape(QFrame::StyledPanel);
    frameGeneral->hide();
    auto *page = new QVBoxLayout(frameGeneral);
    page->addWidget(chkContextMenu);
    page->addStretch(1);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });

    resize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
    Form_Load();
    setMinimumSize(Twips::toPixels(kDesignWidth * 3 / 4), Twips::toPixels(kDesignHeight * 3 / 4));
}

void frmOption::ShowModal(QWidget *owner)
{
    ModalDialog::show(new frmOption(owner));
}

QString frmOption::text(const QString &key, const QString &defaultText)
{
    return m_Language.text(key, defaultText);
}

void frmOption::Form_Load()
{
    m_Language.load();
    CheckValue::setValue(chkContextMenu,
                         ModVbControls::BoolToCheckValue(CurrentOptions().ContextMenu()));

    m_OptionTab.AddSons({frameGeneral});
    m_OptionTab.SetFather(frameOwner);

    auto *node = new QTreeWidgetItem(
        QStringList{text(QStringLiteral("Explorer"), QStringLiteral("文件管理器"))});
    node->setData(0, Qt::UserRole, frameGeneral->objectName());
    TreeView1->addTopLevelItem(node);
    TreeView1->setCurrentItem(node);
    TreeView1_NodeClick(node);

    ClsVbTab tab;
    tab.AddSons({TreeView1, chkContextMenu, cmdOK, CmdCancel});
    Form_Resize();
}

void frmOption::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    TreeView1->setFocus();
}

void frmOption::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (node) m_OptionTab.ShowPage(node->data(0, Qt::UserRole).toString());
}

void frmOption::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmOption::Form_Resize()
{
    const int width = TwipsGeometry::formWidth(this);
    const int height = TwipsGeometry::formHeight(this);
    TwipsGeometry::move(TreeView1, 120, 180, width * 0.3, height - 850);
    const int treeLeft = TwipsGeometry::left(TreeView1);
    const int treeWidth = TwipsGeometry::width(TreeView1);
    TwipsGeometry::move(frameOwner, treeLeft + treeWidth + 120, TwipsGeometry::top(TreeView1),
                        std::round(width - treeLeft - treeWidth - 300.0),
                        TwipsGeometry::height(TreeView1) - 800);
    m_OptionTab.OnFatherResize();

    // The buttons stand under the page, right-aligned with it, level with the tree's bottom,
    // wherever the window's corner goes.
    const int right = TwipsGeometry::left(frameOwner) + TwipsGeometry::width(frameOwner);
    const int bottom = TwipsGeometry::top(TreeView1) + TwipsGeometry::height(TreeView1);
    const int buttonWidth = std::max({kButtonWidth, Twips::fromPixels(cmdOK->sizeHint().width()),
                                      Twips::fromPixels(CmdCancel->sizeHint().width())});
    const int buttonHeight = std::max(kButtonHeight, Twips::fromPixels(cmdOK->sizeHint().height()));
    TwipsGeometry::move(CmdCancel, right - buttonWidth, bottom - buttonHeight, buttonWidth,
                        buttonHeight);
    TwipsGeometry::move(cmdOK, right - 2 * buttonWidth - 120, bottom - buttonHeight, buttonWidth,
                        buttonHeight);
}

void frmOption::cmdOK_Click()
{
    const bool wanted = CheckValue::value(chkContextMenu) != 0;
    bool on = wanted;
    if (wanted) {
        // Written again even when it is there, so that it names the extension registered now.
        if (!ModContextMenu::RegisterContextMenu()) {
            on = false;
            if (ModContextMenu::GetShellExtClsid().trimmed().isEmpty())
                ModCommon::ShowMsg(text(QStringLiteral("MenuletNotRegistered"),
                                        QStringLiteral("文件管理器扩展 Menulet 尚未注册，无法在上下"
                                                       "文菜单中显示比较命令。")),
                                   win::vbExclamation, kTitle);
            else
                ModCommon::ShowMsg(text(QStringLiteral("RegisterFailed"),
                                        QStringLiteral("无法写入上下文菜单的注册项：")) +
                                       QStringLiteral("\r\n") + handlerKeyPath(),
                                   win::vbExclamation, kTitle);
        }
    } else if (!modRegistry::DeleteRegKey(win::HKEY_CLASSES_ROOT,
                                          QString::fromLatin1(ModContextMenu::HandlerKey)) &&
               handlerKeyExists()) {
        // The entry is still there, so the menu still offers the commands.
        on = true;
        ModCommon::ShowMsg(text(QStringLiteral("UnregisterFailed"),
                                QStringLiteral("无法删除上下文菜单的注册项：")) +
                               QStringLiteral("\r\n") + handlerKeyPath(),
                           win::vbExclamation, kTitle);
    }
    CurrentOptions().setContextMenu(on);
    accept();
}

void frmOption::CmdCancel_Click()
{
    reject();
}
