#pragma once

#include "core/ClsMap.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ClsLogFile;
class ClsSessionOption;
class ClsTxtCompareResult;
class ClsWrappedSheet;
class CompareProgressBar;
class TSingleSideConfig;
class TXlsCompareResult;

namespace excel {
class Application;
class Workbook;
class Worksheet;
} // namespace excel

// Compares one left worksheet with one right worksheet: prepares the results, the report
// workbook, the text report and the in-memory views of both sheets, matches the rows (by key
// columns or row by row), compares the data cells of every matched row pair, reports the rows
// found on one side only and writes the summary.
//
// Errors raised while comparing (a closed workbook, a failed read) are not caught here: they
// reach the caller, which reports them for this pair.
class ClsComparePair
{
public:
    using AppRef = std::shared_ptr<excel::Application>;
    using BookRef = std::shared_ptr<excel::Workbook>;
    using SheetRef = std::shared_ptr<excel::Worksheet>;
    using SideRef = std::shared_ptr<TSingleSideConfig>;
    // The user script's verdict on two texts (its IsEqual).
    using UserEqual = std::function<bool(const QString &leftText, const QString &rightText)>;

    // What BeforeCompare found: only Ready lets a matching method go on.
    enum class Prepared {
        Ready,
        NoLogFile,    // the text report could not be created (a message was shown)
        NoSheet,      // a worksheet is missing
        ReportRefused // a report file would replace a compared workbook (a message was shown)
    };

    // Result codes of BeginCompare.
    enum Code { Done = 0, NoDataColumn = 1 };

    ClsComparePair();
    ~ClsComparePair();
    ClsComparePair(const ClsComparePair &) = delete;
    ClsComparePair &operator=(const ClsComparePair &) = delete;

    // --- set-up, in the order the core calls it ---
    void SetAppendOpt(std::shared_ptr<ClsSessionOption> options);
    // The user script's equality rule, asked when the session uses a script; the core hands
    // over its script host's, so that the pair needs nothing else of the core.
    void SetUserEqual(UserEqual isEqual) { m_userEqual = std::move(isEqual); }
    // Keeps the workbook; with an empty sheet name, binds the kept sheet name again (a
    // reopened workbook).
    void InitLeft(BookRef workbook, const QString &sheetName);
    void InitRight(BookRef workbook, const QString &sheetName);
    // The workbook's sheet of that name (ignoring case); raises when there is none.
    void SetLeftSheet(const QString &name);
    void SetRightSheet(const QString &name);
    void SetLeftSideObj(SideRef side) { m_leftSide = std::move(side); }
    void SetRightSideObj(SideRef side) { m_rightSide = std::move(side); }
    void SetProgressBarObj(CompareProgressBar *progressBar) { m_progressBar = progressBar; }

    SheetRef GetLeftSheet() const { return m_leftSheet; }
    SheetRef GetRightSheet() const { return m_rightSheet; }
    QString leftSheetName() const { return m_leftSheetName; }
    QString rightSheetName() const { return m_rightSheetName; }
    QString LogFileName() const { return m_logFileName; }
    void setLogFileName(const QString &name) { m_logFileName = name; }
    QString ReportExcelFileName() const { return m_reportExcelFileName; }
    void setReportExcelFileName(const QString &name) { m_reportExcelFileName = name; }

    // 1 (text comparison) when keys ignore case, else 0.
    int GetKeyCompareMethod() const;
    bool DealMerge() const;

    // The equality rule: identical texts are equal; otherwise the user script decides when
    // one is used; otherwise a comparison ignoring case when the option says so.
    bool IsEqua_Key(const QString &leftText, const QString &rightText);
    bool IsEqua_Data(const QString &leftText, const QString &rightText);

    // Fresh results, end rows and columns, report workbook, text report and wrapped sheets.
    Prepared BeforeCompare();
    // The comparison; returns a Code.
    int BeginCompare();
    int BeginCompareByKeyCol();
    int BeginCompareRowByRow();
    // Compares the data cells of a matched row pair and records the result; true when any
    // column differs. Pair index k compares leftDataCols[k] with rightDataCols[k].
    bool DealDiffRow(int leftRow, int rightRow, int lastPairIndex, const QList<int> &leftDataCols,
                     const QList<int> &rightDataCols);
    void SaveOneRowResultInXlsReport(bool isDifferent, int leftRow, int rightRow,
                                     const QString &pairKey);
    // Searches the left-only rows (when they are asked for) among the rows not matched.
    void CreateXlsReport(const QList<int> &leftKeyCols);
    void OnFoundLeftSingle(int row);
    void OnFoundRightSingle(int row);
    // Report sheets written, summary into the text report, report workbook saved and shown,
    // text report opened. startTick: the millisecond clock when matching began.
    void EndWork(qint64 startTick);

    // Never null: empty until the first comparison.
    std::shared_ptr<ClsTxtCompareResult> GetTxtRecorder() const { return m_recorder; }

    int LeftEndRow() const { return m_leftEndRow; }
    void setLeftEndRow(int row) { m_leftEndRow = row; }
    int RightEndRow() const { return m_rightEndRow; }
    void setRightEndRow(int row) { m_rightEndRow = row; }
    int LeftEndCol() const { return m_leftEndCol; }
    void setLeftEndCol(int column) { m_leftEndCol = column; }
    int RightEndCol() const { return m_rightEndCol; }
    void setRightEndCol(int column) { m_rightEndCol = column; }
    int DiffRowCount() const { return m_diffRowCount; }

    int unmatchedCount() const { return m_unmatchedCount; }
    int matchedCount() const { return m_matchedCount; }
    int endRowReached() const { return m_endRowReached; }
    // True when the last comparison stopped at the cancel flag.
    bool wasCancelled() const { return m_cancelled; }
    // True when rows were matched: false without a compare item, or when the preparation
    // failed (a message said why); the results are then empty, not "equal".
    bool wasCompared() const { return m_compared; }
    bool reportWorkbookOpen() const { return m_reportOpen; }
    BookRef reportWorkbook() const { return m_reportBook; }
    AppRef reportApplication() const { return m_reportApp; }
    // Matched left row -> its first right row, of the last comparison (0 for none).
    int matchedRightRow(int leftRow) const;

    // The clock EndWork's time line is measured with (milliseconds).
    static qint64 tickCount();
    // The report files' name (without extension) for a sheet name: one plain entry of the
    // report folder, whatever the sheet is called.
    static QString reportBaseName(const QString &sheetName);

private:
    class CellProbe;

    void ClearObjects();
    void InitResultSheets();
    void CreateOutSheet(TXlsCompareResult &sheet);
    void SaveXlsReport();
    void PrepareXlsReport();
    void CopySingleRow(int row, TXlsCompareResult &resultSheet);
    void FindLeftSingleRows(const QList<int> &columns);
    // A side whose key columns hold no value in any row although the side holds data (a wrong
    // key column, formulas saved without results) has every row skipped as a blank key row, and
    // the run would read as "no differences": such a side gets a warning for the summary of the
    // text report and a message.
    void checkKeyValues(bool left);

    bool isEqual(const QString &leftText, const QString &rightText, bool ignoreCase);
    // Queues a differing row pair on the differences sheet and colours its differing cells.
    void saveDifferingRow(int leftRow, int rightRow, const ClsMap &fields);
    bool refuseReportPath(const QString &path);
    void markMatched(int leftRow, int rightRow);
    void setProgress(int row, int start, int end);
    void writeMethodLine(const QString &line);
    bool bindSheet(const BookRef &workbook, const QString &name, SheetRef &sheet) const;

    UserEqual m_userEqual;
    std::shared_ptr<ClsSessionOption> m_options;
    SideRef m_leftSide;
    SideRef m_rightSide;
    CompareProgressBar *m_progressBar = nullptr;

    BookRef m_leftBook;
    BookRef m_rightBook;
    SheetRef m_leftSheet;
    SheetRef m_rightSheet;
    QString m_leftSheetName;
    QString m_rightSheetName;

    bool m_leftHasMerge = false;
    bool m_rightHasMerge = false;

    std::unique_ptr<TXlsCompareResult> m_diffSheet;
    std::unique_ptr<TXlsCompareResult> m_leftSingleSheet;
    std::unique_ptr<TXlsCompareResult> m_rightSingleSheet;

    AppRef m_reportApp;
    BookRef m_reportBook;
    bool m_reportOpen = false;

    QString m_logFileName;
    QString m_reportExcelFileName;

    int m_unmatchedCount = 0;
    int m_matchedCount = 0;
    int m_leftEndRow = 0;
    int m_rightEndRow = 0;
    int m_leftEndCol = 0;
    int m_rightEndCol = 0;
    int m_diffRowCount = 0;
    int m_endRowReached = 0;
    bool m_cancelled = false;
    bool m_compared = false;
    int m_lastPercent = -1;

    std::shared_ptr<ClsTxtCompareResult> m_recorder;
    std::unique_ptr<ClsLogFile> m_logFile;
    std::unique_ptr<ClsWrappedSheet> m_leftWrapped;
    std::unique_ptr<ClsWrappedSheet> m_rightWrapped;
    std::unique_ptr<CellProbe> m_probe;
    // Left row -> first right row matched to it (index = left row; 0 = not matched).
    std::vector<int> m_matchedRows;
    QStringList m_keyWarnings; // of the last keyed comparison, one line per side
};
