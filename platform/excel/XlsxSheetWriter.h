#pragma once

#include "platform/excel/SheetData.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <vector>

namespace excel {

// Writes one worksheet part piece by piece, so that a sheet of millions of cells never exists
// as a whole in memory: a head (everything before <sheetData>), the cell data generated from
// the store, and a tail (everything after it).
class XlsxSheetWriter
{
public:
    // stringMap: store string index -> shared string index; styleMap: store style -> cell
    // format. prefix is the element prefix of the part ("" or "x:"). keptRows holds attributes
    // of the original rows that the store does not model (hidden, outline level, row style).
    XlsxSheetWriter(const SheetData &sheet, const std::vector<QString> &strings,
                    const std::vector<std::int32_t> &stringMap, const std::vector<int> &styleMap,
                    QByteArray head, QByteArray tail, QByteArray prefix = QByteArray(),
                    std::map<int, QByteArray> keptRows = {});

    // Appends the next piece to out; returns false once everything was produced.
    bool produce(QByteArray &out);

    // The parts of a sheet written from scratch.
    static QByteArray newSheetHead(const SheetData &sheet, bool selected);
    static QByteArray newSheetTail(const SheetData &sheet, const QByteArray &legacyDrawingId);

    static QByteArray dimensionXml(const SheetData &sheet, const QByteArray &prefix);
    // Empty when the sheet has no merged areas.
    static QByteArray mergeCellsXml(const SheetData &sheet, const QByteArray &prefix);
    // Row attributes worth keeping from an original <sheetData> (the byte span given).
    static std::map<int, QByteArray> keptRowAttributes(const QByteArray &xml, qsizetype begin,
                                                       qsizetype end);
    static const char *errorText(std::int32_t error);

private:
    void writeRow(QByteArray &out, int row);
    void writeCell(QByteArray &out, int row, const Cell &cell);

    const SheetData &m_sheet;
    const std::vector<QString> &m_strings;
    const std::vector<std::int32_t> &m_stringMap;
    const std::vector<int> &m_styleMap;
    QByteArray m_head;
    QByteArray m_tail;
    QByteArray m_prefix;
    std::map<int, QByteArray> m_keptRows;
    int m_stage = 0;
    int m_row = 1;
    int m_lastRow = 0;
    std::map<int, double>::const_iterator m_height;
    std::map<int, QByteArray>::const_iterator m_kept;
};

} // namespace excel
