#pragma once

#include "platform/excel/SheetData.h"

#include <QByteArray>

namespace excel {

// The comments part of a sheet and the legacy drawing that spreadsheet programs need to show
// the comments' boxes.
class XlsxCommentWriter
{
public:
    static QByteArray commentsXml(const SheetData &sheet);
    // shapeBlock numbers the drawing's shapes apart from other sheets' (1, 2, ...).
    static QByteArray vmlXml(const SheetData &sheet, int shapeBlock);
};

} // namespace excel
