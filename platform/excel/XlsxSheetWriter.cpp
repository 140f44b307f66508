#include "platform/excel/XlsxSheetWriter.h"

#include "platform/excel/XlsxXml.h"

#include <algorithm>

namespace excel {

namespace {

const qsizetype pieceSize = 1 << 18;

void appendInt(QByteArray &out, long long v)
{
    char buf[24];
    int len = 0;
    bool negative = v < 0;
    unsigned long long u =
        negative ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    do {
        buf[len++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (negative) out += '-';
    while (len)
        out += buf[--len];
}

bool needsPreserve(const QString &text)
{
    return !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
}

} // namespace

XlsxSheetWriter::XlsxSheetWriter(const SheetData &sheet, const std::vector<QString> &strings,
                                 const std::vector<std::int32_t> &stringMap,
                                 const std::vector<int> &styleMap, QByteArray head, QByteArray tail,
                                 QByteArray prefix, std::map<int, QByteArray> keptRows)
    : m_sheet(sheet), m_strings(strings), m_stringMap(stringMap), m_styleMap(styleMap),
      m_head(std::move(head)), m_tail(std::move(tail)), m_prefix(std::move(prefix)),
      m_keptRows(std::move(keptRows))
{
    m_lastRow = int(sheet.rows.size());
    if (!sheet.rowHeights.empty())
        m_lastRow = std::max(m_lastRow, sheet.rowHeights.rbegin()->first);
    if (!m_keptRows.empty()) m_lastRow = std::max(m_lastRow, m_keptRows.rbegin()->first);
    m_height = m_sheet.rowHeights.begin();
    m_kept = m_keptRows.cbegin();
}

const char *XlsxSheetWriter::errorText(std::int32_t error)
{
    switch (error) {
    case 2000:
        return "#NULL!";
    case 2007:
        return "#DIV/0!";
    case 2015:
        return "#VALUE!";
    case 2023:
        return "#REF!";
    case 2029:
        return "#NAME?";
    case 2036:
        return "#NUM!";
    case 2043:
        return "#GETTING_DATA";
    default:
        return "#N/A";
    }
}

bool XlsxSheetWriter::produce(QByteArray &out)
{
    if (m_stage == 0) {
        out += m_head;
        out += '<';
        out += m_prefix;
        out += "sheetData>";
        m_stage = 1;
    }
    if (m_stage == 1) {
        const qsizetype limit = out.size() + pieceSize;
        while (m_row <= m_lastRow && out.size() < limit)
            writeRow(out, m_row++);
        if (m_row <= m_lastRow) return true;
        out += "</";
        out += m_prefix;
        out += "sheetData>";
        out += m_tail;
        m_stage = 2;
    }
    return false;
}

void XlsxSheetWriter::writeRow(QByteArray &out, int row)
{
    const std::vector<Cell> *cells =
        row <= int(m_sheet.rows.size()) ? &m_sheet.rows[size_t(row - 1)] : nullptr;
    while (m_height != m_sheet.rowHeights.end() && m_height->first < row)
        ++m_height;
    while (m_kept != m_keptRows.cend() && m_kept->first < row)
        ++m_kept;
    const bool hasHeight = m_height != m_sheet.rowHeights.end() && m_height->first == row;
    const bool hasKept = m_kept != m_keptRows.cend() && m_kept->first == row;
    if ((!cells || cells->empty()) && !hasHeight && !hasKept) return;

    out += '<';
    out += m_prefix;
    out += "row r=\"";
    appendInt(out, row);
    out += '"';
    if (hasKept) out += m_kept->second;
    if (hasHeight) {
        out += " ht=\"";
        XlsxXml::appendNumber(out, m_height->second);
        out += "\" customHeight=\"1\"";
    }
    if (!cells || cells->empty()) {
        out += "/>";
        return;
    }
    out += '>';
    for (const Cell &cell : *cells)
        writeCell(out, row, cell);
    out += "</";
    out += m_prefix;
    out += "row>";
}

void XlsxSheetWriter::writeCell(QByteArray &out, int row, const Cell &cell)
{
    const QByteArray &p = m_prefix;
    out += '<';
    out += p;
    out += "c r=\"";
    XlsxXml::appendColumnName(out, cell.column);
    appendInt(out, row);
    out += '"';
    int style = cell.style < m_styleMap.size() ? m_styleMap[cell.style] : 0;
    if (style > 0) {
        out += " s=\"";
        appendInt(out, style);
        out += '"';
    }
    const bool hasFormula = cell.formula >= 0 && size_t(cell.formula) < m_sheet.formulas.size();
    const QString *text = nullptr;
    switch (cell.kind) {
    case CellKind::Blank:
        break;
    case CellKind::Number:
        break;
    case CellKind::String:
        if (cell.value.string < m_strings.size()) text = &m_strings[cell.value.string];
        if (hasFormula)
            out += " t=\"str\"";
        else if (text)
            out += " t=\"s\"";
        break;
    case CellKind::Boolean:
        out += " t=\"b\"";
        break;
    case CellKind::Error:
        out += " t=\"e\"";
        break;
    }
    if (!hasFormula && (cell.kind == CellKind::Blank || (cell.kind == CellKind::String && !text))) {
        out += "/>";
        return;
    }
    out += '>';
    if (hasFormula) {
        QString f = m_sheet.formulas[size_t(cell.formula)];
        out += '<';
        out += p;
        out += "f>";
        XlsxXml::appendEscaped(out, f.startsWith(QLatin1Char('=')) ? f.mid(1) : f);
        out += "</";
        out += p;
        out += "f>";
    }
    if (cell.kind != CellKind::Blank && !(cell.kind == CellKind::String && !text)) {
        out += '<';
        out += p;
        out += 'v';
        if (hasFormula && text && needsPreserve(*text)) out += " xml:space=\"preserve\"";
        out += '>';
        switch (cell.kind) {
        case CellKind::Number:
            XlsxXml::appendNumber(out, cell.value.number);
            break;
        case CellKind::String:
            if (hasFormula)
                XlsxXml::appendEscaped(out, *text);
            else
                appendInt(out, m_stringMap[cell.value.string]);
            break;
        case CellKind::Boolean:
            out += cell.value.boolean ? '1' : '0';
            break;
        case CellKind::Error:
            out += errorText(cell.value.error);
            break;
        case CellKind::Blank:
            break;
        }
        out += "</";
        out += p;
        out += "v>";
    }
    out += "</";
    out += p;
    out += "c>";
}

QByteArray XlsxSheetWriter::dimensionXml(const SheetData &sheet, const QByteArray &prefix)
{
    int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    for (size_t i = 0; i < sheet.rows.size(); ++i) {
        const auto &cells = sheet.rows[i];
        if (cells.empty()) continue;
        int r = int(i) + 1;
        if (!firstRow) firstRow = r;
        lastRow = r;
        int c0 = cells.front().column, c1 = cells.back().column;
        if (!firstColumn || c0 < firstColumn) firstColumn = c0;
        if (c1 > lastColumn) lastColumn = c1;
    }
    QByteArray ref = firstRow ? XlsxXml::rangeReference(firstRow, firstColumn, lastRow, lastColumn)
                              : QByteArray("A1");
    return '<' + prefix + "dimension ref=\"" + ref + "\"/>";
}

QByteArray XlsxSheetWriter::mergeCellsXml(const SheetData &sheet, const QByteArray &prefix)
{
    if (sheet.merges.empty()) return {};
    QByteArray out = '<' + prefix + "mergeCells count=\"" +
                     QByteArray::number(qulonglong(sheet.merges.size())) + "\">";
    for (const CellRect &m : sheet.merges) {
        out += '<' + prefix + "mergeCell ref=\"";
        out += XlsxXml::rangeReference(m.firstRow, m.firstColumn, m.lastRow, m.lastColumn);
        out += "\"/>";
    }
    out += "</" + prefix + "mergeCells>";
    return out;
}

QByteArray XlsxSheetWriter::newSheetHead(const SheetData &sheet, bool selected)
{
    QByteArray out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    out += dimensionXml(sheet, QByteArray());
    out += "<sheetViews><sheetView ";
    if (selected) out += "tabSelected=\"1\" ";
    out += "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"";
    XlsxXml::appendNumber(out, sheet.defaultRowHeight > 0 ? sheet.defaultRowHeight : 15.0);
    out += "\"/>";
    return out;
}

QByteArray XlsxSheetWriter::newSheetTail(const SheetData &sheet, const QByteArray &legacyDrawingId)
{
    QByteArray out = mergeCellsXml(sheet, QByteArray());
    out += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
           "footer=\"0.3\"/>";
    if (!legacyDrawingId.isEmpty()) out += "<legacyDrawing r:id=\"" + legacyDrawingId + "\"/>";
    out += "</worksheet>";
    return out;
}

std::map<int, QByteArray> XlsxSheetWriter::keptRowAttributes(const QByteArray &xml, qsizetype begin,
                                                             qsizetype end)
{
    std::map<int, QByteArray> kept;
    const char *d = xml.constData();
    qsizetype pos = begin;
    int implicitRow = 0;
    while (pos < end) {
        qsizetype lt = xml.indexOf('<', pos);
        if (lt < 0 || lt >= end) break;
        qsizetype nameEnd = lt + 1;
        while (nameEnd < end && d[nameEnd] != ' ' && d[nameEnd] != '>' && d[nameEnd] != '/' &&
               d[nameEnd] != '\t' && d[nameEnd] != '\r' && d[nameEnd] != '\n')
            ++nameEnd;
        QByteArray name(d + lt + 1, nameEnd - lt - 1);
        qsizetype gt = xml.indexOf('>', lt);
        if (gt < 0 || gt >= end) break;
        if (name == "row" || name.endsWith(":row")) {
            QByteArray tag(d + lt, gt - lt + 1);
            QByteArray keep;
            int r = 0;
            for (const auto &[attr, value] : XlsxXml::attributes(tag)) {
                if (attr == "r") {
                    r = value.toInt();
                } else if (attr != "spans" && attr != "ht" && attr != "customHeight" &&
                           !attr.endsWith("dyDescent")) {
                    keep += ' ' + attr + "=\"" + value + '"';
                }
            }
            r = r > 0 ? r : implicitRow + 1;
            implicitRow = r;
            if (!keep.isEmpty()) kept[r] = keep;
        }
        pos = gt + 1;
    }
    return kept;
}

} // namespace excel
