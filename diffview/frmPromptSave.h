#pragma once

#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

// Asks, before the difference view closes or compares again, which changed sides to save: one
// check box per side and three answers. The caller sets which sides are changed (InitDirty),
// shows the dialog and reads the answer after it closed.
class frmPromptSave : public QDialog
{
    Q_OBJECT

public:
    // The answers.
    enum Answer { Cancelled = 0, DontSave = 1, SaveTicked = 2 };

    explicit frmPromptSave(QWidget *owner = nullptr);
    ~frmPromptSave() override;

    // Which sides have unsaved changes; called before the dialog is shown.
    void InitDirty(bool blnLeftDirty, bool blnRightDirty);

    int Selected() const { return m_Selected; }
    void setSelected(int answer) { m_Selected = answer; }
    bool SaveLeft() const { return m_SaveLeft; }
    void setSaveLeft(bool on) { m_SaveLeft = on; }
    bool SaveRight() const { return m_SaveRight; }
    void setSaveRight(bool on) { m_SaveRight = on; }

    void cmdOK_Click();
    void CmdDontSave_Click();
    void CmdCancel_Click();

    QLabel *lblPrompt = nullptr;
    QLabel *Image1 = nullptr;
    QCheckBox *ChkSaveLeft = nullptr;
    QCheckBox *ChkSaveRight = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *CmdDontSave = nullptr;
    QPushButton *CmdCancel = nullptr;

    // Every way of closing (the buttons, the close box, Escape) ends here; the answer stays.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void updateOk();

    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
    int m_Selected = Cancelled;
    bool m_LeftDirty = false;
    bool m_RightDirty = false;
    bool m_SaveLeft = false;
    bool m_SaveRight = false;
    bool m_Loaded = false;
};
