#include "app/frmLanguage.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ProcessGlobals.h"
#include "platform/ini/Profile.h"
#include "platform/win/MessageBox.h"
#include "platform/win/QtTranslations.h"
#include "ui/ModalDialog.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("frmLanguage");
// The key by which a language file names its language (a translator may set it).
const QString kNameKey = QStringLiteral("LanguageName");

// The name a user knows the language of a file by, from the file's name: the language's own
// name where the name stands for one ("ChineseS" 简体中文, "de" Deutsch), else the name without
// its extension.
QString knownLanguageName(const QString &fileName)
{
    const QString locale = win::QtTranslations::localeOf(fileName);
    if (locale == QLatin1String("zh_CN")) return QStringLiteral("简体中文");
    if (locale == QLatin1String("zh_TW")) return QStringLiteral("繁體中文");
    const QString base = QFileInfo(fileName).completeBaseName();
    if (locale.isEmpty())
        return base.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0
                   ? QStringLiteral("English")
                   : base;
    QString name = QLocale(locale).nativeLanguageName();
    if (name.isEmpty()) return base;
    name[0] = name[0].toUpper();
    return name;
}

} // namespace

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
    m_Language.load();

    LstLanguage->clear();
    // Names that differ only in case are different files here.
    ClsMap files;
    files.setCompareMode(0);
    ModFile::ListFilesToMap(AppPathOrDefault() + QStringLiteral("Lang"), QStringLiteral("*.Lan"),
                            files);
    // Each entry shows its language's name and holds its file name. The current file states
    // its name, so that a translator finds the key to set.
    QString folder;
    const QString current = ModFile::SplitFilePath(CurrentOptions().LanguageFileName(), folder);
    const QString currentName = m_Language.text(kNameKey, knownLanguageName(current));
    QStringList names;
    for (int i = 0; i < files.count(); ++i) {
        const QString file = ModFile::SplitFilePath(files.GetKey(i), folder);
        const QString name =
            file == current
                ? currentName
                : win::GetPrivateProfileString(kSection, kNameKey, QString(), files.GetKey(i))
                      .trimmed();
        names.append(name.isEmpty() ? knownLanguageName(file) : name);
    }
    for (int i = 0; i < names.size(); ++i) {
        const QString file = ModFile::SplitFilePath(files.GetKey(i), folder);
        // Two files of one language are told apart by their file names.
        auto *item = new QListWidgetItem(
            names.count(names[i]) > 1 ? QStringLiteral("%1 (%2)").arg(names[i], file) : names[i],
            LstLanguage);
        item->setData(Qt::UserRole, file);
        item->setToolTip(file);
    }
    LstLanguage->setCurrentRow(-1);
    for (int i = 0; i < LstLanguage->count(); ++i)
        if (LstLanguage->item(i)->data(Qt::UserRole).toString() == current)
            LstLanguage->setCurrentRow(i);
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
    CurrentOptions().setLanguageFileName(chosen->data(Qt::UserRole).toString());
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
