#pragma once

#include <QString>
#include <memory>

class ClsComparePair;
class ClsScript;
class ClsSessionOption;
class CompareProgressBar;
class TSingleSideConfig;

// The engine of one session window: owns the session's two sides and its user-script host,
// checks the options before a run, and runs the session's sheet pairs one after the other,
// each in a fresh ClsComparePair. In a detail run it shows each pair in the difference view
// and waits until the view has closed.
class ClsCompareCore
{
public:
    // Result codes of a run's steps, as ReportPairError shows them.
    enum Code { Done = 0, NoDataColumn = 1, ScriptNotLoaded = 2 };

    ClsCompareCore();
    ~ClsCompareCore();
    ClsCompareCore(const ClsCompareCore &) = delete;
    ClsCompareCore &operator=(const ClsCompareCore &) = delete;

    std::shared_ptr<TSingleSideConfig> m_leftObj;
    std::shared_ptr<TSingleSideConfig> m_rightObj;
    std::shared_ptr<ClsScript> m_script;

    // Releases both sides and the script host, ignoring every error.
    void Destroy();
    void SetAppendOpt(std::shared_ptr<ClsSessionOption> options);
    std::shared_ptr<ClsSessionOption> GetAppendOpt() const { return m_options; }
    // The progress bar; at creation the main window's (null without one).
    CompareProgressBar *ProgressBarObj() const { return m_progressBar; }
    void setProgressBarObj(CompareProgressBar *progressBar) { m_progressBar = progressBar; }

    // True when the options allow a run; otherwise a message has been shown.
    bool CheckOpt(bool blnShowDetail);
    // Loads the user script when the session uses one and builds the sheet pairs: Done, or
    // ScriptNotLoaded.
    int BeginWork();
    // Both sides' windows go back to their own applications (through the difference view).
    void ExcelWndUnloaded();
    void ShowWnd(bool bShow);
    // The whole run.
    void CompareSheetEntry(bool blnShowDetail);

private:
    void SetupPair(ClsComparePair &pair, const QString &leftSheetName,
                   const QString &rightSheetName);
    void ShowPairDetail(const std::shared_ptr<ClsComparePair> &pair);
    void ReportPairError(const ClsComparePair *pair, int code);
    void reportPairFailure(const QString &leftSheetName, const QString &rightSheetName,
                           const QString &why);
    void setBusy(bool busy);

    std::shared_ptr<ClsSessionOption> m_options;
    CompareProgressBar *m_progressBar = nullptr;
};
