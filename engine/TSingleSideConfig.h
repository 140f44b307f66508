#pragma once

#include "core/ClsMap.h"

#include <QList>
#include <QString>
#include <memory>

class ClsSessionOption;

namespace excel {
class Application;
class Workbook;
class Worksheet;
} // namespace excel

// One side, left or right, of a session: its workbook file, start row and key-column and
// data-column lists, its own spreadsheet application and open workbook. The column lists become
// column maps when the session is validated (CheckOpt).
//
// Only what a comparison run needs is here; hosting in the difference view and the sheet lists
// of the session window belong with those windows.
class TSingleSideConfig
{
public:
    using AppRef = std::shared_ptr<excel::Application>;
    using BookRef = std::shared_ptr<excel::Workbook>;
    using SheetRef = std::shared_ptr<excel::Worksheet>;

    TSingleSideConfig();
    // Quits the side's application.
    ~TSingleSideConfig();
    TSingleSideConfig(const TSingleSideConfig &) = delete;
    TSingleSideConfig &operator=(const TSingleSideConfig &) = delete;

    // Opens the workbook again when it is not open (the result is not needed).
    void InitDoc();
    AppRef GetExcelApp() const { return m_app; }
    BookRef GetDoc() const { return m_book; }
    // The column maps built by CheckOpt (keys: column numbers as decimal text).
    ClsMap &GetKeyCol() { return m_keyCols; }
    ClsMap &GetDataCol() { return m_dataCols; }

    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // 0 is stored as 1.
    int StartRow() const { return m_startRow; }
    void setStartRow(int row) { m_startRow = row == 0 ? 1 : row; }
    // StartRow + the rows of the sheet's used range, at most the program's row limit.
    int GetEndRow(const SheetRef &sheet) const;
    QString KeyCol() const { return m_keyCol; }
    void setKeyCol(const QString &list) { m_keyCol = list; }
    QString DataCol() const { return m_dataCol; }
    void setDataCol(const QString &list) { m_dataCol = list; }

    // Builds the column maps and opens the workbook; false after a message when a list names a
    // column twice or the file does not exist.
    bool CheckOpt(const ClsSessionOption &options);
    // The data columns become 1..nEndCol (the map is emptied first, so that a narrower sheet
    // pair never inherits a wider pair's columns).
    void InitAllDataCol(int nEndCol);
    // The maps as arrays in map order; each returns the upper bound (-1 when empty).
    int GetKeyColArray(QList<int> &columns) const;
    int GetDataColCount() const { return m_dataCols.count(); }
    int GetDataColArray(QList<int> &columns) const;
    void CloseDoc();
    void CloseExcelAll();
    // True when a key column has merged cells between the start row and the end row.
    bool IsHasMerge(const SheetRef &sheet) const;

private:
    bool OpenDoc();

    AppRef m_app;
    BookRef m_book;
    QString m_fileName;
    int m_startRow = 1;
    QString m_keyCol;
    QString m_dataCol;
    ClsMap m_keyCols;
    ClsMap m_dataCols;
};
