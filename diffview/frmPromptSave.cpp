#include "diffview/frmPromptSave.h"

#include "ui/CheckValue.h"
#include "ui/ClsVbTab.h"
#include "ui/ValueRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("frmPromptSave");
}

frmPromptSave::frmPromptSave(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("Quorva"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QIcon question = style()->standardIcon(QStyle::SP_MessageBoxQuestion);
    Image1->setPixmap(question.pixmap(32, 32));
    Image1->setFixedSize(32, 32);
    lblPrompt = new QLabel(QStringLiteral("要保存更改吗？"), this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    ChkSaveLeft = new QCheckBox(QStringLiteral("保存左侧文件"), this);
    ChkSaveLeft->setObjectName(QStringLiteral("ChkSaveLeft"));
    ChkSaveRight = new QCheckBox(QStringLiteral("保存右侧文件"), this);
    ChkSaveRight->setObjectName(QStringLiteral("ChkSaveRight"));
    cmdOK = new QPushButton(QStringLiteral("保存已选择的"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    CmdDontSave = new QPushButton(QStringLiteral("不保存"), this);
    CmdDontSave->setObjectName(QStringLiteral("CmdDontSave"));
    CmdCancel = new QPushButton(QStringLiteral("取消"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    // The picture has no caption to translate.
    m_Controls.add(lblPrompt);
    m_Controls.add(Image1);
    m_Controls.add(ChkSaveLeft);
    m_Controls.add(ChkSaveRight);
    m_Controls.add(cmdOK);
    m_Controls.add(CmdDontSave);
    m_Controls.add(CmdCancel);

    auto *texts = new QVBoxLayout;
    texts->addWidget(lblPrompt);
    texts->addSpacing(6);
    texts->addWidget(ChkSaveLeft);
    texts->addWidget(ChkSaveRight);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(CmdDontSave);
    buttons->addWidget(CmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    ValueRules::onCheck(ChkSaveLeft, this, [this] { updateOk(); });
    ValueRules::onCheck(ChkSaveRight, this, [this] { updateOk(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(CmdDontSave, &QPushButton::clicked, this, [this] { CmdDontSave_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
    updateOk();
}

frmPromptSave::~frmPromptSave() = default;

void frmPromptSave::InitDirty(bool blnLeftDirty, bool blnRightDirty)
{
    m_LeftDirty = blnLeftDirty;
    m_RightDirty = blnRightDirty;
    if (m_Loaded) {
        // Shown already: the boxes follow at once.
        m_Loaded = false;
        Form_Load();
    }
}

void frmPromptSave::showEvent(QShowEvent *event)
{
    if (!m_Loaded) Form_Load();
    QDialog::showEvent(event);
}

void frmPromptSave::Form_Load()
{
    m_Loaded = true;
    m_Language.load({}, false);
    // The program's name, whatever the language file says.
    setWindowTitle(QStringLiteral("Quorva"));
    ChkSaveLeft->setEnabled(m_LeftDirty);
    ChkSaveRight->setEnabled(m_RightDirty);
    CheckValue::setValue(ChkSaveLeft, m_LeftDirty ? 1 : 0);
    CheckValue::setValue(ChkSaveRight, m_RightDirty ? 1 : 0);
    ClsVbTab tabs;
    tabs.AddSons({ChkSaveLeft, ChkSaveRight, cmdOK, CmdDontSave, CmdCancel});
    m_SaveLeft = false;
    m_SaveRight = false;
    adjustSize();
    setFixedSize(sizeHint());
}

void frmPromptSave::updateOk()
{
    cmdOK->setEnabled(CheckValue::value(ChkSaveLeft) == 1 || CheckValue::value(ChkSaveRight) == 1);
}

void frmPromptSave::cmdOK_Click()
{
    m_SaveLeft = CheckValue::value(ChkSaveLeft) == 1;
    m_SaveRight = CheckValue::value(ChkSaveRight) == 1;
    m_Selected = SaveTicked;
    accept();
}

void frmPromptSave::CmdDontSave_Click()
{
    m_Selected = DontSave;
    accept();
}

void frmPromptSave::CmdCancel_Click()
{
    m_Selected = Cancelled;
    reject();
}

void frmPromptSave::done(int result)
{
    QDialog::done(result);
}
