#pragma once

#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>

class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The script browser: a tree of the equality scripts ("*.vbs" in the folder "Script" beside the
// program) and a read-only preview of the one picked. It changes nothing.
class frmScript : public QDialog
{
    Q_OBJECT

public:
    explicit frmScript(QWidget *owner = nullptr);

    // Opens a new browser modally over the owner; returns at once (see ModalDialog).
    static void ShowModal(QWidget *owner);

    void LoadScriptList(const QString &folder, const QString &pattern);
    void AddScriptNode(const QString &path);
    // Shows the node's file in the preview.
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void cmdOK_Click();

    // The most of a file that the preview shows.
    static constexpr qint64 MaxPreviewBytes = 2 * 1024 * 1024;

    QTreeWidget *TreeView1 = nullptr;
    QTextEdit *RichTextBox1 = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void LoadFile(const QString &path);
    QString text(const QString &key, const QString &defaultText);

    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
    QString m_Shown;
};
