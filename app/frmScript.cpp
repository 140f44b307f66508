#include "app/frmScript.h"

#include "core/ClsMap.h"
#include "core/ModFile.h"
#include "core/ProcessGlobals.h"
#include "core/Twips.h"
#include "platform/text/AnsiText.h"
#include "platform/win/FormTemplate.h"
#include "ui/ClsOptionTab.h"
#include "ui/ModalDialog.h"
#include "ui/TwipsGeometry.h"

#include <QFile>
#include <QFontDatabase>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <algorithm>

namespace {

const QString kSection = QStringLiteral("frmScript");

// Design sizes in twips: the window's inner area, the tree's width and the button.
const int kDesignWidth = 9600;
const int kDesignHeight = 6600;
const int kTreeWidth = 2700;
const int kButtonWidth = 1200;
const int kButtonHeight = 375;

} // namespace

frmScript::frmScript(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("脚本系统"));

    using T = FormTemplate;
    FormTemplate::build(this,
                        {T::control(TreeView1, "TreeView1"),
                         T::control(RichTextBox1, "RichTextBox1"),
                         T::control(cmdOK, "cmdOK", "确定")},
                        {}, [this](QWidget *w, int) { m_Controls.add(w); });
    // Walking the tree with the keyboard shows each file as well.
    ClsOptionTab::SetUpPageTree(TreeView1,
                                [this](QTreeWidgetItem *node) { TreeView1_NodeClick(node); });
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setAcceptRichText(false);
    RichTextBox1->setLineWrapMode(QTextEdit::NoWrap);
    RichTextBox1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    TwipsGeometry::move(TreeView1, 150, 20, kTreeWidth, 3000);
    TwipsGeometry::move(cmdOK, 0, 0, kButtonWidth, kButtonHeight);
    resize(Twips::toPixels(kDesignWidth), Twips::toPixels(kDesignHeight));
    setMinimumSize(Twips::toPixels(kTreeWidth + 3000), Twips::toPixels(3000));
    Form_Load();
}

void frmScript::ShowModal(QWidget *owner)
{
    ModalDialog::show(new frmScript(owner));
}

QString frmScript::text(const QString &key, const QString &defaultText)
{
    return m_Language.text(key, defaultText);
}

void frmScript::Form_Load()
{
    m_Language.load();
    LoadScriptList(AppPathOrDefault() + QStringLiteral("Script"), QStringLiteral("*.vbs"));
    if (QTreeWidgetItem *first = TreeView1->topLevelItem(0)) {
        TreeView1->setCurrentItem(first);
        TreeView1_NodeClick(first);
    }
    Form_Resize();
}

void frmScript::LoadScriptList(const QString &folder, const QString &pattern)
{
    // Names that differ only in case are different files here.
    ClsMap files;
    files.setCompareMode(0);
    ModFile::ListFilesToMap(folder, pattern, files);
    for (int i = 0; i < files.count(); ++i)
        AddScriptNode(files.GetKey(i));
}

void frmScript::AddScriptNode(const QString &path)
{
    QString folder;
    auto *node = new QTreeWidgetItem(QStringList{ModFile::SplitFilePath(path, folder)});
    node->setData(0, Qt::UserRole, path);
    node->setToolTip(0, path);
    TreeView1->addTopLevelItem(node);
}

void frmScript::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node) return;
    const QString path = node->data(0, Qt::UserRole).toString();
    if (path == m_Shown) return;
    LoadFile(path);
}

void frmScript::LoadFile(const QString &path)
{
    m_Shown = path;
    RichTextBox1->clear();
    QTextCursor cursor(RichTextBox1->document());
    QTextCharFormat plain = cursor.charFormat();
    QTextCharFormat notice = plain;
    notice.setForeground(QColor(176, 0, 0));
    notice.setFontItalic(true);
    // A notice line above the text says what the preview cannot show as it is.
    auto say = [&](const QString &key, const QString &defaultText, const QString &detail) {
        cursor.insertText(text(key, defaultText) + detail + QLatin1Char('\n'), notice);
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("ReadFailed"), QStringLiteral("无法读取脚本文件："),
            path + QStringLiteral(" (") + file.errorString() + QLatin1Char(')'));
        return;
    }
    QByteArray bytes = file.read(MaxPreviewBytes + 1);
    const bool cut = bytes.size() > MaxPreviewBytes;
    if (cut) {
        bytes.truncate(MaxPreviewBytes);
        // Not in the middle of a UTF-8 sequence or a line.
        const qsizetype lineEnd = bytes.lastIndexOf('\n');
        if (lineEnd > 0) bytes.truncate(lineEnd + 1);
    }
    bool exact = true;
    QString content = AnsiText::decode(bytes, &exact);
    // A NUL would end the text early in some views; it is shown as an unknown character.
    content.replace(QChar(0), QChar(0xFFFD));
    if (cut)
        say(QStringLiteral("TooLarge"), QStringLiteral("文件太大，只显示了开头的部分："),
            QStringLiteral("%1 MB").arg(MaxPreviewBytes / (1024 * 1024)));
    if (!exact)
        say(QStringLiteral("NotDecoded"),
            QStringLiteral("文件中有无法识别的字符，已显示为 \uFFFD："), path);
    cursor.insertText(content, plain);
    RichTextBox1->moveCursor(QTextCursor::Start);
}

void frmScript::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmScript::Form_Resize()
{
    const int width = TwipsGeometry::formWidth(this);
    const int height = TwipsGeometry::formHeight(this);
    const int buttonWidth = std::max(kButtonWidth, Twips::fromPixels(cmdOK->sizeHint().width()));
    const int buttonHeight = std::max(kButtonHeight, Twips::fromPixels(cmdOK->sizeHint().height()));
    TwipsGeometry::move(cmdOK, TwipsGeometry::left(cmdOK), TwipsGeometry::top(cmdOK), buttonWidth,
                        buttonHeight);
    TwipsGeometry::move(TreeView1, 150, 20, TwipsGeometry::width(TreeView1),
                        height - TwipsGeometry::height(cmdOK) - 800);
    const int treeLeft = TwipsGeometry::left(TreeView1);
    const int treeWidth = TwipsGeometry::width(TreeView1);
    const int treeTop = TwipsGeometry::top(TreeView1);
    const int treeHeight = TwipsGeometry::height(TreeView1);
    TwipsGeometry::move(RichTextBox1, treeLeft + treeWidth + 100, treeTop,
                        width - treeWidth - treeLeft - 400, treeHeight);
    TwipsGeometry::move(cmdOK, width - TwipsGeometry::width(cmdOK) - 300,
                        treeTop + treeHeight + 100);
}

void frmScript::cmdOK_Click()
{
    accept();
}
