#pragma once

#include "platform/excel/CellStyle.h"
#include "platform/excel/SheetData.h"
#include "platform/excel/StringPool.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace excel {

// What tells a file that changed from the one read: its identity, size and time of change.
struct FileStamp
{
    qint64 size = -1; // -1: no file
    qint64 changedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &) const = default;
};

// A workbook as its file readers deliver it: sheets in order, one string pool and one style
// table shared by every sheet. Style 0 is the default format.
struct WorkbookData
{
    enum class Format { New, Xlsx, Xlsm, Xls };

    Format format = Format::New;
    QString path;
    // The file as it was when the store was read from it or last saved to it.
    FileStamp fileStamp;
    // Every text of the workbook's cells, by index (Cell::value.string).
    StringPool strings;
    std::vector<CellStyle> styles{CellStyle{}};
    std::vector<std::unique_ptr<SheetData>> sheets;
    // Set when sheets were added, removed, renamed, moved or shown/hidden.
    bool structureModified = false;
    // Dates count from 1904-01-01 (serial 0) instead of 1899-12-30: add 1462 days to read a
    // serial as a Date.
    bool date1904 = false;
    // The sheet the file was saved with in front (its active tab), an index into sheets; -1
    // when the file names none or names one that is not read (a chart sheet).
    int activeSheet = -1;
    // Things the reader could open but wants the user told about (cells beyond the comparison
    // grid, sheets of kinds that are not worksheets), one sentence each.
    std::vector<QString> warnings;

    // A name that two of the sheets share, compared without regard to case as spreadsheet
    // programs compare sheet names; "" when every name differs.
    static QString sharedName(const QStringList &names)
    {
        QSet<QString> seen;
        for (const QString &name : names) {
            const QString folded = name.toCaseFolded();
            if (seen.contains(folded)) return name;
            seen.insert(folded);
        }
        return QString();
    }
};

} // namespace excel
