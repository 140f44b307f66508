#pragma once

#include "core/ClsLanguage.h"
#include "ui/FormControls.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// The session window: one MDI child of the main window per comparison session.
//
// This is the shell that the main window drives: it holds exactly the members the main window
// calls (its project-file name, the two workbook boxes and their refresh commands, the session
// options and switch commands, the language switch, activation, and the close question with
// its busy rule). The session window's fields, sheet lists, compare commands, project file and
// layout fill it in.
class frmSession : public QWidget
{
    Q_OBJECT

public:
    explicit frmSession(QWidget *parent = nullptr);
    ~frmSession() override;

    // Names the window (a project-file path, or "New Project n" for an untitled session, which
    // the main window marks as such) and sets its caption; the first call runs the load.
    void SetIniFileName(const QString &strFileName, bool untitled = false);
    QString GetIniFileName() const { return m_IniFileName; }
    // True while the session has no project file of its own (named "New Project n").
    bool IsUntitled() const { return m_Untitled; }

    void SessionOption_Click();
    void CmdLeft_Refresh_Sheet_Click();
    void CmdRight_Refresh_Sheet_Click();
    void SwitchLanguage();
    void SwitchLeftRight();

    // Every activation of the window in the main window's MDI area.
    void Form_Activate();
    // The main window is busy with a comparison (or idle again): no second run may start.
    void MainWindowBusy(bool busy);
    // Closes the window as the user's close box does (through its MDI frame); false when the
    // close was refused.
    bool CloseWindow();
    // True once the window has agreed to close and unloaded.
    bool isUnloaded() const { return m_Unloaded; }
    // A number no other session window of this run has; the main window's project list binds
    // its entries to it.
    int windowId() const { return m_WindowId; }

    // Controls.
    QLabel *lblLeftFileName = nullptr;
    QLineEdit *TxtLeftFileName = nullptr;
    QLabel *lblrightFileName = nullptr;
    QLineEdit *txtRightFileName = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    // The close question; true when the close is cancelled.
    bool Form_QueryUnload();
    void Form_Unload();

    QString m_IniFileName;
    bool m_Untitled = false;
    bool m_Loaded = false;
    bool m_LoadRan = false;
    bool m_Unloaded = false;
    int m_WindowId;
    ClsLanguage m_Language;
    FormControls m_Controls;
};
