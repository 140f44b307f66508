#pragma once

#include "platform/excel/SheetData.h"
#include "platform/excel/StringPool.h"

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
    // What an original <sheetData> holds that the store does not: row attributes (hidden,
    // outline level, row style) by row, and array formulas (their range and formula text as
    // written) by SheetData::commentKey(row, column) of their first cell.
    struct Kept
    {
        std::map<int, QByteArray> rows;
        std::map<std::uint64_t, std::pair<QByteArray, QByteArray>> arrayFormulas;
    };

    // stringMap: store string index -> shared string index; styleMap: store style -> cell
    // format. prefix is the element prefix of the part ("" or "x:"). kept holds what the store
    // does not model of the original cell data.
    XlsxSheetWriter(const SheetData &sheet, const StringPool &strings,
                    const std::vector<std::int32_t> &stringMap, const std::vector<int> &styleMap,
                    QByteArray head, QByteArray tail, QByteArray prefix = QByteArray(),
                    Kept kept = {});

    // Appends the next piece to out; returns false once everything was produced.
    bool produce(QByteArray &out);

    // The parts of a sheet written from scratch.
    static QByteArray newSheetHead(const SheetData &sheet, bool selected);
    static QByteArray newSheetTail(const SheetData &sheet, const QByteArray &legacyDrawingId);

    static QByteArray dimensionXml(const SheetData &sheet, const QByteArray &prefix);
    // The sheet's default row height; original is the file's <sheetFormatPr> start tag (or
    // empty), whose other attributes are kept.
    static QByteArray sheetFormatXml(const SheetData &sheet, const QByteArray &prefix,
                                     const QByteArray &original);
    // Whether the file's <sheetFormatPr> start tag (empty when it has none) reads as the
    // sheet's default row height.
    static bool sheetFormatMatches(const SheetData &sheet, const QByteArray &original);
    // Empty when the sheet has no merged areas.
    static QByteArray mergeCellsXml(const SheetData &sheet, const QByteArray &prefix);
    // What to keep from an original <sheetData> (the byte span given).
    static Kept keptFromOriginal(const QByteArray &xml, qsizetype begin, qsizetype end,
                                 const QByteArray &prefix);
    static const char *errorText(std::int32_t error);

private:
    void writeRow(QByteArray &out, int row);
    void writeCell(QByteArray &out, int row, const Cell &cell);
    void writeFormulaCell(QByteArray &out, int row, const Cell &cell);

    const SheetData &m_sheet;
    const StringPool &m_strings;
    const std::vector<std::int32_t> &m_stringMap;
    const std::vector<int> &m_styleMap;
    QByteArray m_head;
    QByteArray m_tail;
    QByteArray m_prefix;
    Kept m_kept;
    int m_stage = 0;
    int m_row = 1;
    int m_lastRow = 0;
    std::map<int, double>::const_iterator m_height;
    std::map<int, QByteArray>::const_iterator m_keptRow;
};

} // namespace excel
