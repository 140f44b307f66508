#pragma once

#include "platform/excel/SheetData.h"
#include "platform/excel/XlsxSheetWriter.h"
#include "platform/excel/XlsxXml.h"

#include <QByteArray>
#include <QString>

namespace excel {

// An existing worksheet part taken apart around its cell data, so that new cell data can be
// spliced in and everything else of the part kept.
class XlsxSheetSplice
{
public:
    // Reads the part (`xml`, any encoding XML allows). False with *error when its structure
    // cannot be found.
    bool load(QByteArray xml, QString *error);

    // The relationship id of the comments' drawing the part names, "" when none.
    QString legacyDrawingId() const;
    // The element prefix of the part ("" or "x:").
    QByteArray prefix() const { return m_layout.prefix; }

    // Everything before <sheetData>, with the dimension and the default row height brought up
    // to the sheet's, and everything after </sheetData>, with the sheet's merged areas and a
    // reference to the comments' drawing (vmlId, when the part has none yet) placed where the
    // schema wants them. False with *error when the part holds no cell data.
    bool cut(const SheetData &sheet, const QString &vmlId, QByteArray *head, QByteArray *tail,
             XlsxSheetWriter::Kept *kept, QString *error) const;

private:
    QByteArray m_xml;
    XlsxXml::Layout m_layout;
};

} // namespace excel
