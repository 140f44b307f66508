#pragma once

#include "core/ClsMap.h"

#include <QList>
#include <QString>
#include <memory>

class ClsSessionOption;
class SheetComboBox;
class SheetListView;

namespace excel {
class Application;
class Workbook;
class WorkbookPrefetch;
class Worksheet;
} // namespace excel

// One side, left or right, of a session: its workbook file, start row and column lists, its
// own spreadsheet application and open workbook, and the column maps built when the session
// is checked. The comparison core keeps both sides for the session window's life, so that
// each side's application and workbook are reused from one comparison to the next.
class TSingleSideConfig
{
public:
    TSingleSideConfig();
    ~TSingleSideConfig();
    TSingleSideConfig(const TSingleSideConfig &) = delete;
    TSingleSideConfig &operator=(const TSingleSideConfig &) = delete;

    // Opens the workbook when it is not open (the result is dropped).
    void InitDoc();
    // Hosting in the difference view: remembers the host window, hides the application,
    // records which sheets are visible and shows only the named one.
    void Initialize(int hParentWnd, const QString &strSheetName);
    // Shows or hides the application; shown with a host, its main window loses its caption
    // and becomes a child of the host. Errors are ignored.
    void ShowWnd(bool blnShow);
    // Fits the main window to the host's size.
    void Event_ParentWndResize();
    // Gives the main window back to its previous parent, closes the workbook and hides the
    // application. Errors are ignored.
    void Restore();
    // The active window's zoom; a refused value changes nothing.
    void Zoom(int nZoom);
    // Shows the named sheet and hides every other one.
    void ShowOneSheet(const QString &strSheetName);
    std::shared_ptr<excel::Application> GetExcelApp() const { return m_excelApp; }
    std::shared_ptr<excel::Workbook> GetDoc() const { return m_doc; }
    // The column maps built by CheckOpt (empty before it).
    ClsMap &GetKeyCol() { return *m_keyCol; }
    ClsMap &GetDataCol() { return *m_dataCol; }

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    int StartRow() const { return m_startRow; }
    // Rows are counted from 1; 0 (or less) is stored as 1.
    void setStartRow(int row) { m_startRow = row < 1 ? 1 : row; }
    // The last row to compare: StartRow plus the used range's row count, but never before the
    // sheet's last used row, and never beyond the program's row limit.
    int GetEndRow(const std::shared_ptr<excel::Worksheet> &sheet) const;
    QString KeyCol() const { return m_keyColText; }
    void setKeyCol(const QString &list) { m_keyColText = list; }
    QString DataCol() const { return m_dataColText; }
    void setDataCol(const QString &list) { m_dataColText = list; }

    // Builds the column maps from the lists and opens the workbook (from what the prefetch
    // read, when it holds this side's file); a bad list or a missing file is reported in a
    // message box and gives false.
    bool CheckOpt(const ClsSessionOption &options, excel::WorkbookPrefetch *prefetch = nullptr);
    // Whether opening the workbook would read its file (it exists and is not open yet).
    bool needsReading() const;
    // The data columns 1..nEndCol, for "all columns"; the map is emptied first, so that a
    // narrower sheet pair does not inherit a wider one's columns.
    void InitAllDataCol(int nEndCol);
    // The maps as column numbers in map order; the result is the upper bound, -1 when empty.
    int GetKeyColArray(QList<int> &aKeyColArray) const;
    int GetDataColCount() const;
    int GetDataColArray(QList<int> &aDataColArray) const;

    void CloseDoc();
    void ReOpenDoc();
    // Closes the workbook and quits the side's application.
    void CloseExcelAll();
    // Records each sheet's visibility before the side shows a single sheet.
    void RecordVisibleSheets();
    // Gives every recorded sheet its visibility back, so that a saved workbook keeps the
    // sheets it had visible (and hidden).
    void OnBeforeSave();

    // Sheet names for the session window, read from the file as it is on disk now. Errors
    // leave the list as far as it got; a missing file gives an empty list and no message.
    void RefreshWorkSheet(SheetComboBox &cbo, int nDefaultIdx);
    void RefreshWorkSheet2ListView(SheetListView &ListView1);

    // Whether a key column has merged cells between the start and the end row.
    bool IsHasMerge(const std::shared_ptr<excel::Worksheet> &sheet) const;

private:
    bool OpenDoc(excel::WorkbookPrefetch *prefetch = nullptr);
    QStringList sheetNames();

    std::shared_ptr<excel::Application> m_excelApp;
    std::shared_ptr<excel::Workbook> m_doc;
    QString m_fileName;
    int m_startRow = 1;
    QString m_keyColText;
    std::unique_ptr<ClsMap> m_keyCol;
    QString m_dataColText;
    std::unique_ptr<ClsMap> m_dataCol;
    ClsMap m_visibleSheets;
    int m_hPrevParentWnd = 0; // the main window's parent before hosting
    int m_hHostWnd = 0;
};
