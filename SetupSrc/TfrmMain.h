#pragma once

#include "SetupSrc/TKoPropertyPage.h"

#include <QString>
#include <QWidget>
#include <memory>

class IniFile;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QThread;
class TCorvaleCopyFileThread;
class TSetupRule;

// The Setup wizard: licence page, destination page, copying page and finish page, as the rules
// file asks. The copy runs on TCorvaleCopyFileThread and the install actions after it on a
// worker thread of their own (they wait for regsvr32), so the window stays live throughout.
// While either runs, Back and Next are disabled, and closing (after the user confirmed it)
// waits for the work to stop: the copy stops after its current file, the install actions run
// to their end. Controls carry their names as object names, which are also the keys of their
// captions in "DefLang.ini".
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    // The window of the rules file `rulesPath` ("Setup.rul"); its folder is the source folder.
    explicit TfrmMain(const QString &rulesPath, QWidget *parent = nullptr);
    ~TfrmMain() override;

    TSetupRule &Rules() { return *m_rules; }
    const TKoPropertyPage &Pages() const { return m_pages; }
    // Copying or running the install actions.
    bool Busy() const;
    // Closing needs no question (the finish page, or after an abort).
    bool Closable() const { return m_closable; }
    // The progress in bytes of the [Files] sources.
    qint64 ProgressPosition() const { return m_progressPosition; }
    qint64 ProgressMaximum() const { return m_progressMaximum; }

protected:
    // The copy thread's messages (WM_COPYFILE_BEGIN ... ABORT).
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void FormCreate();
    void ApplyLanguage();
    void FormResize();
    void EnterPage();
    bool ValidatePage();
    void StartCopy();
    void AbortSetup();
    void FinishCopy();
    void InstallActionsEnded();

    void BtnBackClick();
    void BtnNextClick();
    void BtnCancelClick();
    void BtnCompleteClick();
    void BtnBrowseClick();
    void ChkAgreeLicenseClick();

    // A text of section frmMain of the language file.
    QString Text(const QString &key, const QString &defaultText) const;
    // The Abort, Retry or Ignore question of the copy thread, asked on this thread.
    int AskCopyFailed(const QString &text);
    void CopyEnded(bool done);
    void SetProgress(qint64 position);
    void ShowFileLine(int index);
    void LoadWizardImage();
    void LoadLicense();
    void ShowProblems();

    std::unique_ptr<TSetupRule> m_rules;
    std::unique_ptr<IniFile> m_language;
    TKoPropertyPage m_pages;
    bool m_closable = false;
    bool m_closeRequested = false; // the user confirmed quitting while work ran
    std::unique_ptr<TCorvaleCopyFileThread> m_copyThread;
    QThread *m_actionThread = nullptr;
    bool m_actionsSucceeded = false;
    QString m_actionsError;
    qint64 m_progressPosition = 0;
    qint64 m_progressMaximum = 0;

    QFrame *PanelUp = nullptr;
    QFrame *PanelLeft = nullptr;
    QLabel *ImgWizard = nullptr;
    QFrame *PanelParent = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet3 = nullptr;
    QWidget *TabSheet4 = nullptr;
    QWidget *TabSheet5 = nullptr;
    QFrame *PanelLicense = nullptr;
    QLabel *LblSelect1 = nullptr;
    QPlainTextEdit *MemoLicense = nullptr;
    QCheckBox *ChkAgreeLicense = nullptr;
    QFrame *PageAskDestPath = nullptr;
    QLabel *LblSelect3 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLineEdit *EditDestFolder = nullptr;
    QPushButton *BtnBrowse = nullptr;
    QLabel *LblDestProblem = nullptr;
    QFrame *PageCopyingFile = nullptr;
    QLabel *LblSelect4 = nullptr;
    QLabel *LblCopyingFileName = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QFrame *PageFinish = nullptr;
    QPlainTextEdit *MemoFinishTitle = nullptr;
    QCheckBox *ChkLaunchApp = nullptr;
    QLabel *LblFinishProblems = nullptr;
    QPlainTextEdit *MemoFinishProblems = nullptr;
    QFrame *PanelButtons = nullptr;
    QFrame *Bevel1 = nullptr;
    QPushButton *BtnBack = nullptr;
    QPushButton *BtnNext = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnComplete = nullptr;
};
