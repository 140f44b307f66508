#pragma once

#include "ui/ClsOptionTab.h"
#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>
#include <functional>

class ClsSessionOption;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The session options dialog: the less common options of one session (case and blanks, merged
// cells, sheet pairing, the report workbook's row height, colours and sheet names, the two
// sides' display names, how the difference view marks differing cells) on three pages that a
// tree on the left picks. OK writes every control back into the options object; Cancel, Escape
// and the close box discard the edits.
class frmSessionOption : public QDialog
{
    Q_OBJECT

public:
    explicit frmSessionOption(QWidget *owner = nullptr);

    // The options to edit (not owned; they must outlive the dialog). Fills the controls.
    void SetOpt(ClsSessionOption *option);

    // What the session window and the difference view call: opens a new dialog over the owner to
    // edit the options, modally, and returns at once (see ModalDialog); `closed` runs once the
    // dialog has closed, with true when OK wrote the values into the options. The options must
    // live as long as the owner (the dialog goes with its owner).
    static void ShowModal(ClsSessionOption *option, QWidget *owner,
                          std::function<void(bool changed)> closed = {});

    void TreeView1_NodeClick(QTreeWidgetItem *node);
    // Writes the values and closes; refuses (with a message naming the value) a row height or a
    // sheet name that the report workbook could not take, and then writes nothing.
    void cmdOK_Click();
    void cmdCancel_Click();

    QTreeWidget *TreeView1 = nullptr;
    QFrame *frameOwner = nullptr;
    QTabWidget *SSTab1 = nullptr;

    QFrame *frameGeneral = nullptr;
    QCheckBox *chkIgnoreCase_Key = nullptr;
    QCheckBox *chkIgnoreCase_text = nullptr;
    QCheckBox *chkDealMerge = nullptr;
    QCheckBox *ChkUseTrimForKey = nullptr;
    QCheckBox *ChkCreatePairMethod = nullptr;

    QFrame *FrameReport = nullptr;
    QCheckBox *ChkModifyRowHeight = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *TxtXlsRowHeight = nullptr;
    QCheckBox *ChkColorDiffCell = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtLeftName = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *txtRightName = nullptr;
    QGroupBox *frameSheetName = nullptr;
    QLabel *Label3 = nullptr; // "差异的行:"
    QLineEdit *TxtDiffSheetName = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *TxtLeftSingleSheetName = nullptr;
    QLabel *Label5 = nullptr;
    QLineEdit *TxtRightSingleSheetName = nullptr;

    QFrame *FrameDetail = nullptr;
    QGroupBox *FrameShowDiffMethod = nullptr;
    QRadioButton *OptDrawNone = nullptr;
    QRadioButton *OptDrawGraph = nullptr;
    QRadioButton *OptDrawColor = nullptr;

    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The row height that the text gives: a number from 0 to 409 (a worksheet's limit in points),
    // rounded to a whole one; false for any other text.
    static bool RowHeightFromText(const QString &text, int &height);
    // A name that a worksheet can take: 1 to 31 characters, none of [ ] : * ? / \, not starting
    // or ending with an apostrophe.
    static bool IsValidSheetName(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void ShowOptions();
    void SetTabOrder();
    void Form_Resize();
    void showPageOf(QWidget *control);
    bool refuse(QLineEdit *box, const QString &key, const QString &defaultText);
    QString text(const QString &key, const QString &defaultText);

    ClsSessionOption *m_Option = nullptr;
    ClsOptionTab m_OptionTab;
    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
};
