#pragma once

#include "platform/excel/WorkbookData.h"
#include "platform/excel/XlsxWriter.h"

#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace excel {

class Application;
class Sheets;
class Worksheet;

// One open workbook over its cell store. Every member of a closed workbook raises, which is
// how callers test whether a workbook is still there.
class Workbook : public std::enable_shared_from_this<Workbook>
{
public:
    Workbook(std::weak_ptr<Application> application, std::unique_ptr<WorkbookData> data,
             const QString &name, bool readOnly);
    ~Workbook();

    QString Name() const;
    // The file's absolute path; the name alone for a workbook never saved.
    QString FullName() const;
    // The file's folder without a trailing separator; "" for a workbook never saved.
    QString Path() const;
    // Opened read-only, or the file's owner may not write it.
    bool ReadOnly() const;
    // False after any change, True after opening or saving; callers may set it.
    bool Saved() const;
    void setSaved(bool saved);

    // Writes the workbook to its file. Raises for a workbook never saved, one opened
    // read-only and one read from .xls (those need SaveAs with an .xlsx name), and when
    // writing fails; the file on disk is then unchanged.
    void Save();
    // Writes to another .xlsx/.xlsm file and renames the open workbook to it. A symbolic link
    // at that name is followed (its target is replaced), unless `link` says to replace the
    // link itself, as files the program names itself in shared folders need; later Saves of
    // the workbook treat links as this SaveAs did.
    void SaveAs(const QString &fileName, XlsxWriter::Link link = XlsxWriter::Link::Follow);
    // Closes without asking and without saving.
    void Close();
    // Closes without the liveness check, for the collection and the application.
    void release();

    std::shared_ptr<excel::Sheets> Worksheets();
    std::shared_ptr<excel::Sheets> Sheets();
    std::shared_ptr<Worksheet> ActiveSheet();
    void Activate();

    std::shared_ptr<Application> application() const { return m_application.lock(); }
    bool isClosed() const { return m_closed; }
    // True when the file it was read from (or last saved to) has changed since: another program
    // wrote it, or it is gone.
    bool changedOnDisk() const;
    // Things the reader wanted the user told about (cells beyond the comparison grid, ...).
    std::vector<QString> warnings() const;

    // --- used by the model's other classes ---
    WorkbookData &data();
    const WorkbookData &data() const;
    // Raises when the workbook is closed or its application has quit.
    void check() const;
    void markChanged(SheetData *sheet);
    void markStructureChanged();
    std::shared_ptr<Worksheet> sheetObject(SheetData *sheet);
    int indexOf(const SheetData *sheet) const; // 0-based, -1 when gone
    void setActiveSheet(SheetData *sheet);
    void moveSheet(SheetData *sheet, int newIndex);
    std::shared_ptr<Worksheet> addSheet(const QString &name, int index);

private:
    void write(const QString &path, XlsxWriter::Link link = XlsxWriter::Link::Follow);
    // What the application's window shows changed.
    void notifyWindow();

    std::weak_ptr<Application> m_application;
    std::unique_ptr<WorkbookData> m_data;
    std::map<const SheetData *, std::shared_ptr<Worksheet>> m_sheetObjects;
    std::shared_ptr<excel::Sheets> m_sheets;
    QString m_name;
    SheetData *m_activeSheet = nullptr;
    XlsxWriter::Link m_link = XlsxWriter::Link::Follow; // as the last SaveAs was told
    bool m_readOnly = false;
    bool m_saved = true;
    bool m_closed = false;
};

} // namespace excel
