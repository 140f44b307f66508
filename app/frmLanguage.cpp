#include "app/frmLanguage.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ModVbControls.h"
#include "core/ProcessGlobals.h"
#include "platform/win/MessageBox.h"
#include "ui/ModalDialog.h"
#include "ui/ProductIcon.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("frmLanguage");
}

frmLanguage::frmLanguage(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("Language"));

    LstLanguage = new QListWidget(this);
    LstLanguage->setObjectName(QStringLiteral("LstLanguage"));
    LstLanguage->setSelectionMode(QAbstractItemView::SingleSelection);
    LstLanguage->installEventFilter(this);
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QObject *c : {static_cast<QObject *>(LstLanguage), static_cast<QObject *>(OKButton),
                       static_cast<QObject *>(CancelButton)})
        m_Controls.add(c);

    // The list on the left, the buttons beside it at the top.
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(LstLanguage, 1);
    layout->addLayout(buttons);
    resize(360, 220);

    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(LstLanguage, &QListWidget::itemDoubleClicked, this, [this] { OKButton_Click(); });

    Form_Load();
}

void frmLanguage::ShowModal(QWidget *owner, std::function<void()> chosen)
{
    auto *dialog = new frmLanguage(owner);
    dialog->m_Chosen = std::move(chosen);
    ModalDialog::show(dialog);
}

void frmLanguage::Form_Load()
{
    setWindowIcon(ProductIcon::icon());
    m_Language.LoadLanguageOfForm(m_Controls.form());
    setWindowTitle(m_Language.ReadString(kSection, kSection, windowTitle()));

    LstLanguage->clear();
    // Names that differ only in case are different files here.
    ClsMap files;
    files.setCompareMode(0);
    ModFile::ListFilesToMap(AppPathOrDefault() + QStringLiteral("Lang"), QStringLiteral("*.Lan"),
                            files);
    QString folder;
    for (int i = 0; i < files.count(); ++i)
        LstLanguage->addItem(ModFile::SplitFilePath(files.GetKey(i), folder));
    LstLanguage->setCurrentRow(-1);
    ModVbControls::SelectListBoxItem(
        LstLanguage, ModFile::SplitFilePath(CurrentOptions().LanguageFileName(), folder));
}

void frmLanguage::OKButton_Click()
{
    if (m_Done) return;
    QListWidgetItem *chosen = LstLanguage->currentItem();
    if (!chosen || !chosen->isSelected()) {
        ModCommon::ShowMsg(QStringLiteral("Please Select one language."),
                           win::vbOKOnly + win::vbCritical, QStringLiteral("Quorva"));
        return;
    }
    m_Done = true;
    CurrentOptions().setLanguageFileName(chosen->text());
    if (m_Chosen) m_Chosen();
    accept();
}

void frmLanguage::CancelButton_Click()
{
    if (m_Done) return;
    m_Done = true;
    reject();
}

bool frmLanguage::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the list chooses, once: the list would also pass the key on to the default
    // button.
    if (watched == LstLanguage && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OKButton_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
