#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class ClsIni;
class ClsMap;
class SheetListView;

// Every option of one session with its default, the sheets selected on both sides and the map
// of sheet pairs a comparison runs through. Reads and writes its own keys of the project file.
class ClsSessionOption
{
public:
    // Option codes.
    enum CompareMethodCode { CompareRowByRow = 1, CompareByKey = 2 };
    enum CompareItemBits { CompareValues = 1, CompareFormulas = 2, CompareComments = 4 };
    enum ShowDiffMethodCode { ShowNoMarks = 0, ShowEllipses = 1, ShowRedFont = 2 };
    enum CreatePairMethodCode { PairByPosition = 0, PairByName = 1 };

    ClsSessionOption();
    ~ClsSessionOption();
    ClsSessionOption(const ClsSessionOption &) = delete;
    ClsSessionOption &operator=(const ClsSessionOption &) = delete;

    // The project file (shared with the session window) and its two sheet lists (not owned).
    void SetRecorder(std::shared_ptr<ClsIni> recorder);
    void SetLeftSheetsOwner(SheetListView *list);
    void SetRightSheetsOwner(SheetListView *list);

    bool IgnoreCase_Key() const { return m_ignoreCaseKey; }
    void setIgnoreCase_Key(bool on) { m_ignoreCaseKey = on; }
    bool IgnoreCase_Text() const { return m_ignoreCaseText; }
    void setIgnoreCase_Text(bool on) { m_ignoreCaseText = on; }
    bool UseTrimForKey() const { return m_useTrimForKey; }
    void setUseTrimForKey(bool on) { m_useTrimForKey = on; }

    int CompareItem() const { return m_compareItem; }
    void setCompareItem(int items) { m_compareItem = items; }
    bool IsCompareData() const { return (m_compareItem & CompareValues) != 0; }
    bool IsOnlyCompareData() const { return m_compareItem == CompareValues; }
    bool IsCompareFormula() const { return (m_compareItem & CompareFormulas) != 0; }
    bool IsComparePostil() const { return (m_compareItem & CompareComments) != 0; }
    bool IsCompareNone() const { return m_compareItem == 0; }

    // Always ends in "/"; an empty text means the user's temporary folder. That folder is looked
    // up anew on every read: a cleaner of the shared temporary folder may have removed it since,
    // and another user may have taken its name meanwhile.
    QString ReportPath() const;
    void setReportPath(const QString &path);

    bool UseScript() const { return m_useScript; }
    void setUseScript(bool on) { m_useScript = on; }
    // A file name inside the program's Script folder. A name that could leave that folder (a
    // path separator, "." or "..") is refused: false, and the name stays as it was.
    QString ScriptFileName() const { return m_scriptFileName; }
    bool setScriptFileName(const QString &name);
    static bool isSafeScriptFileName(const QString &name);
    // A name a workbook accepts for a sheet: 1 to 31 characters, none of [ ] : * ? / \, no
    // apostrophe at either end. The report sheets' names must be such names (or empty, for
    // the built-in one).
    static bool isValidSheetName(const QString &name);

    QString LeftName() const { return m_leftName; }
    void setLeftName(const QString &name) { m_leftName = name; }
    QString RightName() const { return m_rightName; }
    void setRightName(const QString &name) { m_rightName = name; }
    bool DealMerge() const { return m_dealMerge; }
    void setDealMerge(bool on) { m_dealMerge = on; }
    bool TxtReport() const { return m_txtReport; }
    void setTxtReport(bool on) { m_txtReport = on; }
    bool ModifyRowHeight() const { return m_modifyRowHeight; }
    void setModifyRowHeight(bool on) { m_modifyRowHeight = on; }
    int RowHeight() const { return m_rowHeight; }
    void setRowHeight(int height) { m_rowHeight = height; }
    int MaxRowNum() const { return m_maxRowNum; }
    void setMaxRowNum(int rows) { m_maxRowNum = rows; }
    int ShowDiffMethod() const { return m_showDiffMethod; }
    void setShowDiffMethod(int method) { m_showDiffMethod = method; }
    int CompareMethod() const { return m_compareMethod; }
    void setCompareMethod(int method) { m_compareMethod = method; }
    int CreatePairMethod() const { return m_createPairMethod; }
    void setCreatePairMethod(int method) { m_createPairMethod = method; }
    bool CompareAllCol() const { return m_compareAllCol; }
    void setCompareAllCol(bool on) { m_compareAllCol = on; }
    bool SameToLeft() const { return m_sameToLeft; }
    void setSameToLeft(bool on) { m_sameToLeft = on; }
    QString DiffSheetName() const { return m_diffSheetName; }
    void setDiffSheetName(const QString &name) { m_diffSheetName = name; }
    QString LeftSingleSheetName() const { return m_leftSingleSheetName; }
    void setLeftSingleSheetName(const QString &name) { m_leftSingleSheetName = name; }
    QString RightSingleSheetName() const { return m_rightSingleSheetName; }
    void setRightSingleSheetName(const QString &name) { m_rightSingleSheetName = name; }

    // Selected sheets: after ReadFromFile the maps hold list positions (from 1) as keys; after
    // SetSelected they hold the selected names as keys and their positions as values.
    void SetSelected();
    bool IsSelectedOk() const;
    void ReadFromFile();
    // False when any write failed (a read-only file, a full disk, a value with a line break),
    // so that the caller can tell the user; the writes after a failure are still tried.
    bool Save2File();
    void ShowSelected();
    void CreateComparePair();
    ClsMap &GetComparePair();
    ClsMap &leftSelected();
    ClsMap &rightSelected();

    // What ReadFromFile refused from the project file, one text per value (file, key, value),
    // for the session window to show; emptied by every read.
    const QStringList &readProblems() const { return m_readProblems; }

    bool ShowDiffInXls() const { return m_showDiffInXls; }
    void setShowDiffInXls(bool on) { m_showDiffInXls = on; }
    bool ShowLeftSingleInXls() const { return m_showLeftSingleInXls; }
    void setShowLeftSingleInXls(bool on) { m_showLeftSingleInXls = on; }
    bool ShowRightSingleInXls() const { return m_showRightSingleInXls; }
    void setShowRightSingleInXls(bool on) { m_showRightSingleInXls = on; }
    bool ShowEqualInXls() const { return m_showEqualInXls; }
    void setShowEqualInXls(bool on) { m_showEqualInXls = on; }
    bool ShowLeftJiaoJiInXls() const { return m_showLeftJiaoJiInXls; }
    void setShowLeftJiaoJiInXls(bool on) { m_showLeftJiaoJiInXls = on; }
    bool ShowRightJiaoJiInXls() const { return m_showRightJiaoJiInXls; }
    void setShowRightJiaoJiInXls(bool on) { m_showRightJiaoJiInXls = on; }
    bool ShowBingJiInXls() const { return m_showBingJiInXls; }
    void setShowBingJiInXls(bool on) { m_showBingJiInXls = on; }
    bool ShowXlsReport() const { return m_showXlsReport; }
    void setShowXlsReport(bool on) { m_showXlsReport = on; }
    int TabIndex() const { return m_tabIndex; }
    void setTabIndex(int index) { m_tabIndex = index; }
    bool ColorDiffCell() const { return m_colorDiffCell; }
    void setColorDiffCell(bool on) { m_colorDiffCell = on; }
    bool CompareInDetail() const { return m_compareInDetail; }
    void setCompareInDetail(bool on) { m_compareInDetail = on; }

private:
    void readSheets(const QString &section, ClsMap &map);
    bool writeSheets(const QString &section, SheetListView *list);
    static void fillSelected(SheetListView *list, ClsMap &map);
    static void showSelected(SheetListView *list, ClsMap &map);
    bool readBool(const QString &section, const QString &key, bool current);
    void problem(const QString &section, const QString &key, const QString &value,
                 const QString &why);

    std::shared_ptr<ClsIni> m_recorder;
    SheetListView *m_leftList = nullptr;
    SheetListView *m_rightList = nullptr;
    std::unique_ptr<ClsMap> m_leftSelected;
    std::unique_ptr<ClsMap> m_rightSelected;
    std::unique_ptr<ClsMap> m_pairs;
    QStringList m_readProblems;

    bool m_ignoreCaseKey = true;
    bool m_ignoreCaseText = true;
    bool m_useTrimForKey = true;
    int m_compareItem = CompareValues;
    QString m_reportPath;
    bool m_reportPathIsTemp = false; // m_reportPath is the user's temporary folder
    bool m_useScript = false;
    QString m_scriptFileName;
    QString m_leftName;
    QString m_rightName;
    bool m_dealMerge = false;
    bool m_txtReport = false;
    bool m_modifyRowHeight = true;
    int m_rowHeight = 30;
    int m_maxRowNum = 65536;
    int m_showDiffMethod = ShowEllipses;
    int m_compareMethod = CompareByKey;
    int m_createPairMethod = PairByName;
    bool m_compareAllCol = true;
    bool m_sameToLeft = true;
    QString m_diffSheetName;
    QString m_leftSingleSheetName;
    QString m_rightSingleSheetName;
    bool m_showDiffInXls = false;
    bool m_showLeftSingleInXls = false;
    bool m_showRightSingleInXls = false;
    bool m_showEqualInXls = false;
    bool m_showLeftJiaoJiInXls = false;
    bool m_showRightJiaoJiInXls = false;
    bool m_showBingJiInXls = false;
    bool m_showXlsReport = false;
    int m_tabIndex = 0;
    bool m_colorDiffCell = false;
    bool m_compareInDetail = false;
};
