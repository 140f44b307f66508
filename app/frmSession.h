#pragma once

#include "core/ClsLanguage.h"
#include "ui/FormControls.h"

#include <QList>
#include <QWidget>
#include <memory>

class ClsCheckBoxGroup;
class ClsCompareCore;
class ClsSessionOption;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class SessionSettings;
class SessionSheetList;
class TSingleSideConfig;

// The session window: one MDI child of the main window per comparison session (a project). It
// holds the two workbooks, the sheets chosen on each side, each side's start row, key columns
// and data columns, the compare method and items, the report kinds, the report folder and the
// user script; it loads and saves them as one project file (".vrk"), checks them and runs the
// comparison in its own engine.
class frmSession : public QWidget
{
    Q_OBJECT

public:
    explicit frmSession(QWidget *parent = nullptr);
    ~frmSession() override;

    // Names the window (a project-file path, or "New Project n" for an untitled session, which
    // the main window marks as such), points the project file at it and sets the caption; the
    // first call runs the load.
    void SetIniFileName(const QString &strFileName, bool untitled = false);
    QString GetIniFileName() const { return m_IniFileName; }
    // True while the session has no project file of its own.
    bool IsUntitled() const { return m_Untitled; }
    // Takes the path as the project's name and saves the project there; on success the saved
    // file also becomes the template "base.vrk" of new sessions (with its workbooks as absolute
    // paths). False when the project file could not be written: then it keeps every byte it
    // had, and SaveError() says why.
    bool Save2IniFile(const QString &strFileName);
    QString SaveError() const { return m_SaveError; }

    void SessionOption_Click();
    void CmdLeft_Refresh_Sheet_Click();
    void CmdRight_Refresh_Sheet_Click();
    void SwitchLanguage();
    void SwitchLeftRight();

    // Every activation of the window in the main window's MDI area.
    void Form_Activate();
    // The main window is busy with a comparison (or idle again): no second run may start, and
    // the workbooks in use are not swapped or reopened.
    void MainWindowBusy(bool busy);
    // Closes the window as the user's close box does (through its MDI frame); false when the
    // close was refused.
    bool CloseWindow();
    // True once the window has agreed to close and unloaded.
    bool isUnloaded() const { return m_Unloaded; }
    // A number no other session window of this run has; the main window's project list binds
    // its entries to it.
    int windowId() const { return m_WindowId; }

    // The session's engine objects (null after unload).
    ClsSessionOption *sessionOption() const { return m_Option.get(); }
    ClsCompareCore *compareCore() const { return m_Core.get(); }
    // The path the project file object points at: the project itself, or the template for an
    // untitled session.
    QString projectFilePath() const;
    // The folder of the user's files for this session: the project's own folder once it is
    // saved, else the folder of a workbook it names (left first) that exists; "" when neither.
    QString UserFilesFolder() const;

    // The client size at which the whole layout shows: the designed size, wider when the
    // pages need it. A new window opens at this size.
    QSize sizeHint() const override;

    // Controls, named as the language file knows them.
    QLabel *lblLeftFileName = nullptr;
    QLabel *lblrightFileName = nullptr;
    QLineEdit *TxtLeftFileName = nullptr;
    QLineEdit *txtRightFileName = nullptr;
    QToolButton *CmdLeftSelectFile = nullptr;
    QToolButton *CmdRightSelectFile = nullptr;
    QToolButton *CmdLeft_Refresh_Sheet = nullptr;
    QToolButton *CmdRight_Refresh_Sheet = nullptr;
    QTreeWidget *ListViewLeftSheets = nullptr;
    QTreeWidget *ListViewRightSheets = nullptr;
    QPushButton *CmdCompare = nullptr;
    QPushButton *CmdCompareDetail = nullptr;
    QTabWidget *SSTab1 = nullptr;
    // Page 0: compare options.
    QGroupBox *FrameCompareMethod = nullptr;
    QList<QRadioButton *> OptCompareMethod; // 0 row by row, 1 by key columns
    QCheckBox *ChkCompareAllCol = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *lblLeftStartRow = nullptr, *lblLeftKeyCol = nullptr, *lblLeftDataCol = nullptr;
    QComboBox *cboLeftStartRow = nullptr;
    QLineEdit *txtLeftKeyCol = nullptr;
    QLineEdit *txtLeftDataCol = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *ChkSameToLeft = nullptr;
    QLabel *lblRightStartRow = nullptr, *lblRightKeyCol = nullptr, *lblRightDataCol = nullptr;
    QComboBox *cboRightStartRow = nullptr;
    QLineEdit *txtRightKeyCol = nullptr;
    QLineEdit *txtRightDataCol = nullptr;
    QGroupBox *Frame3 = nullptr;
    QList<QCheckBox *> ChkCompareContent; // values, formulas, comments
    // Page 1: report.
    QGroupBox *frameTxtReport = nullptr;
    QLineEdit *txtReportPath = nullptr;
    QCheckBox *ChkTxtReport = nullptr;
    QGroupBox *FrameXlsReport = nullptr;
    QCheckBox *ChkExcelReport = nullptr;
    QCheckBox *ChkShowDiffInXls = nullptr;
    QCheckBox *ChkShowLeftSingleInXls = nullptr;
    QCheckBox *ChkShowRightSingleInXls = nullptr;
    // Page 2: rules.
    QCheckBox *chkUseScript = nullptr;
    QComboBox *CboScriptName = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectRules();
    void Form_Load();
    void Form_Resize();
    // The close question; true when the close is cancelled.
    bool Form_QueryUnload();
    void Form_Unload();

    void LoadFromIniFile();
    bool SaveToIniFile();
    QString ResolveFileName(const QString &name) const;
    void ApplyFormToConfig(ClsCompareCore &core);
    // The fields into the settings: each side's texts as typed, the page shown, the method,
    // items, report kinds and folder, and the script.
    void ApplyFormToSettings();
    void ApplyOptionToForm();
    bool CheckCoreOptions(ClsCompareCore &core, bool blnShowDetail);
    bool CheckFileName(QLineEdit *box);
    bool CheckColumnText(QLineEdit *box);
    // True when the run took place.
    bool DoCompare(bool inDetail);
    void RefreshSheetLists();
    bool SelectWorkbookFile(QLineEdit *box, TSingleSideConfig &side);
    void FillScriptList();
    void SetTabOrder();

    void CmdLeftSelectFile_Click();
    void CmdRightSelectFile_Click();
    void CmdCompare_Click();
    void CmdCompareDetail_Click();
    void FileBox_OLEDragDrop(QLineEdit *box, QEvent *event);
    void AutoRunWhenIdle();

    // Coupled fields.
    void ChkSameToLeft_Click();
    void CopyLeftToRight(int field);
    void OptCompareMethod_Click();
    void ChkCompareAllCol_Click();
    void chkUseScript_Click();
    void ApplyCoupledRules();

    // The project file's folder with its trailing "/", "" when the file object has no path.
    QString projectFolder() const;
    // True when the project file object points at the session's own project file.
    bool hasProjectFile() const;
    // The folder of the first workbook named (left first) whose folder exists, else "".
    QString workbookFolder() const;
    QString text(const QString &key, const QString &defaultText);
    void showPage(int page);
    void pointAtField(QWidget *field);
    // Widens and heightens captions that the current font would clip.
    void fitCaptions();
    // Moves a frame's controls below its caption where the style's caption takes more room than
    // the design gave it.
    void fitFrames();
    // The width in pixels the tab control needs to show its pages' controls whole.
    int pagesWidth() const;
    // The close question when the project file could not be saved; true when cancelled.
    bool QuerySaveFailed();
    // The answer to a close question: Yes saves under a chosen name, No closes without saving,
    // Cancel stays; true when the close is cancelled.
    bool closeAnswered(int answer);

    // One side's fields with its engine side.
    struct SideFields
    {
        QLineEdit *file;
        QComboBox *startRow;
        QLineEdit *keyCol;
        QLineEdit *dataCol;
        SessionSheetList *sheets;
        TSingleSideConfig *side;
    };
    SideFields sideFields(bool left) const;
    // A missing workbook empties the list; with tellMissing a message names it.
    void refreshSheets(bool left, bool tellMissing = false);
    QString notAFileText(const QString &name, const QString &path);
    void selectWorkbook(bool left);

    QString m_IniFileName;
    // The report folder of the last run, as the run used it.
    QString m_RunReportPath;
    bool m_Untitled = false;
    QString m_SaveError;
    bool m_Loaded = false;
    bool m_LoadRan = false;
    bool m_Unloaded = false;
    bool m_FirstActivated = false;
    bool m_Busy = false;
    bool m_Sized = false;
    int m_WindowId;

    std::unique_ptr<ClsCompareCore> m_Core;
    std::shared_ptr<ClsSessionOption> m_Option;
    std::shared_ptr<TSingleSideConfig> m_LeftSide;
    std::shared_ptr<TSingleSideConfig> m_RightSide;
    // The project's settings, the one reader and writer of its file.
    std::unique_ptr<SessionSettings> m_Settings;
    std::unique_ptr<ClsCheckBoxGroup> m_ChkGroup;
    std::unique_ptr<ClsLanguage> m_Language;
    std::unique_ptr<SessionSheetList> m_LeftList;
    std::unique_ptr<SessionSheetList> m_RightList;
    FormControls m_Controls;
    QList<QWidget *> m_PageControls;
};
