#pragma once

#include "ui/ClsOptionTab.h"
#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The program options dialog: a tree of option pages on the left, the chosen page on the right.
// One page for now, whether the file manager's context menu offers the comparison commands; OK
// writes or removes that menu entry at once.
class frmOption : public QDialog
{
    Q_OBJECT

public:
    explicit frmOption(QWidget *owner = nullptr);

    // Opens a new dialog modally over the owner; returns at once (see ModalDialog).
    static void ShowModal(QWidget *owner);

    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void cmdOK_Click();
    void CmdCancel_Click();

    QTreeWidget *TreeView1 = nullptr;
    QFrame *frameOwner = nullptr;
    QFrame *frameGeneral = nullptr;
    QCheckBox *chkContextMenu = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *CmdCancel = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    QString text(const QString &key, const QString &defaultText);

    ClsOptionTab m_OptionTab;
    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
};
