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
    // shapeBlock numbers the drawing's shapes apart from other sheets' (1, 2, ...). Given the
    // sheet's existing drawing, its shapes other than note boxes are kept.
    static QByteArray vmlXml(const SheetData &sheet, int shapeBlock,
                             const QByteArray &existing = QByteArray());
};

} // namespace excel
