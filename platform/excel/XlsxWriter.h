#pragma once

#include "platform/excel/PackageContentTypes.h"
#include "platform/excel/PackageRelationships.h"
#include "platform/excel/PackageWriter.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/XlsxStyleTable.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace excel {

// Writes a workbook to an .xlsx/.xlsm file.
//
// A new workbook (no source path, Format::New, or a source file that is gone) is written whole
// from the store. A workbook read from an .xlsx/.xlsm keeps every part and element the store
// does not model: untouched parts are copied byte for byte and only the sheets marked modified
// get new cell data spliced into their original XML.
//
// The save is atomic: the file is written next to the target under a temporary name, flushed
// to disk and renamed over the target, so a failed save leaves the old file whole. Paths ending
// in .xls are refused.
class XlsxWriter
{
public:
    using Link = PackageWriter::Link;

    // Returns false and sets *error (when given) to a message naming the file on failure.
    static bool save(const WorkbookData &data, const QString &path, QString *error,
                     Link link = Link::Follow);

private:
    XlsxWriter(const WorkbookData &data, const QString &path, Link link);

    bool run(QString *error);
    bool fail(const QString &reason);
    bool checkWorkbook();
    bool startPackage();
    bool readPart(const QString &part, QByteArray *out, std::int64_t limit);
    bool loadRelationships(const QString &part, PackageRelationships *rels);
    // A sheet that has no part in the source file to keep, so its part is written anew.
    bool isNewSheet(const SheetData &sheet) const;
    bool edited() const;
    bool matchKindToName();
    bool prepareStrings();
    bool prepareStyles();
    bool writeSheets();
    bool checkSheet(const SheetData &sheet);
    bool checkMerges(const SheetData &sheet);
    bool writeSheet(std::size_t index, const QString &partName, bool isNew);
    bool writeComments(std::size_t index, PackageRelationships &sheetRels, const QString &legacyId,
                       QString *vmlId);
    bool writeWorkbook();

    const WorkbookData &m_data;
    QString m_path;
    Link m_link;
    QString m_error;

    PackageWriter m_package;
    PackageContentTypes m_types;
    QString m_workbookPart;
    PackageRelationships m_workbookRels;
    std::vector<QString> m_sheetParts;     // store sheet -> its part
    std::vector<QString> m_sheetRelIds;    // store sheet -> relationship id, for new sheets
    std::vector<std::int32_t> m_stringMap; // store string -> shared string index
    XlsxStyleTable m_styles;
    std::vector<int> m_styleMap; // store style -> cell format index
};

} // namespace excel
