#pragma once

#include "platform/excel/WorkbookData.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace excel {

class PackageRelationships;

// The workbook part of a workbook being saved, rewritten for the store: its list of sheets
// (names, order, states; sheets of other kinds, such as chart sheets, keep their places),
// names local to a sheet following it, references to renamed sheets following the new name
// and to deleted ones becoming #REF!, the active tab on a visible sheet, and recalculation on
// opening, since cached results are all the store has.
class XlsxWorkbookPart
{
public:
    // xml: the part as it stands; sheetParts[i]: the worksheet part of store sheet i;
    // newRelIds[i]: its relationship id when the sheet is new to the package (else "");
    // rels: the part's relationships; newPackage: the package is written from scratch.
    // False with *error (a reason to follow the part's name) when the part cannot be used.
    static bool rewrite(const QByteArray &xml, const WorkbookData &data,
                        const std::vector<QString> &sheetParts,
                        const std::vector<QString> &newRelIds, const PackageRelationships &rels,
                        bool newPackage, QByteArray *out, QString *error);
};

} // namespace excel
