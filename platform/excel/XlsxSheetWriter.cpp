#include "platform/excel/XlsxSheetWriter.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/XlsxXml.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

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

XlsxSheetWriter::XlsxSheetWriter(const SheetData &sheet, const StringPool &strings,
                                 const std::vector<std::int32_t> &stringMap,
                                 const std::vector<int> &styleMap, QByteArray head, QByteArray tail,
                                 QByteArray prefix, Kept kept)
    : m_sheet(sheet), m_strings(strings), m_stringMap(stringMap), m_styleMap(styleMap),
      m_head(std::move(head)), m_tail(std::move(tail)), m_prefix(std::move(prefix)),
      m_kept(std::move(kept))
{
    m_lastRow = int(sheet.rows.size());
    if (!sheet.rowHeights.empty())
        m_lastRow = std::max(m_lastRow, sheet.rowHeights.rbegin()->first);
    if (!m_kept.rows.empty()) m_lastRow = std::max(m_lastRow, m_kept.rows.rbegin()->first);
    m_height = m_sheet.rowHeights.begin();
    m_keptRow = m_kept.rows.cbegin();
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
        out.reserve(limit + (1 << 16));
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
    const CellRow *cells =
        row <= int(m_sheet.rows.size()) ? &m_sheet.rows[size_t(row - 1)] : nullptr;
    while (m_height != m_sheet.rowHeights.end() && m_height->first < row)
        ++m_height;
    while (m_keptRow != m_kept.rows.cend() && m_keptRow->first < row)
        ++m_keptRow;
    const bool hasHeight = m_height != m_sheet.rowHeights.end() && m_height->first == row;
    const bool hasKept = m_keptRow != m_kept.rows.cend() && m_keptRow->first == row;
    if ((!cells || cells->empty()) && !hasHeight && !hasKept) return;

    out += '<';
    out += m_prefix;
    out += "row r=\"";
    appendInt(out, row);
    out += '"';
    if (hasKept) out += m_keptRow->second;
    // A default height set on purpose is written on every row as well: some programs ignore
    // the sheet's default and fit rows without a height of their own to their contents.
    if (hasHeight || m_sheet.defaultRowHeightSet) {
        out += " ht=\"";
        // Spreadsheet programs hold heights from 0 to 409.5 points and cut others to that.
        XlsxXml::appendNumber(
            out, std::clamp(hasHeight ? m_height->second : m_sheet.defaultRowHeight, 0.0, 409.5));
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

namespace {

// Column letters for every column a file can hold, built once.
struct ColumnNames
{
    char text[16385][4];
    std::uint8_t length[16385];
    ColumnNames()
    {
        for (int c = 1; c <= 16384; ++c) {
            QByteArray name;
            XlsxXml::appendColumnName(name, c);
            std::memcpy(text[c], name.constData(), size_t(name.size()));
            length[c] = std::uint8_t(name.size());
        }
    }
};

const ColumnNames &columnNames()
{
    static const ColumnNames names;
    return names;
}

} // namespace

void XlsxSheetWriter::writeCell(QByteArray &out, int row, const Cell &cell)
{
    const QString *formula = CellStore::formula(m_sheet, row, cell);
    const bool hasFormula = formula;
    if (!hasFormula && (cell.kind() != CellKind::String || cell.string() < m_strings.size())) {
        // The common case, written straight into the buffer: a constant cell of bounded size.
        const QByteArray &pre = m_prefix;
        const size_t pl = size_t(pre.size());
        const qsizetype old = out.size();
        out.resize(old + qsizetype(96 + 4 * pl));
        char *p = out.data() + old;
        auto put = [&p](const char *s, size_t n) {
            std::memcpy(p, s, n);
            p += n;
        };
        const ColumnNames &names = columnNames();
        *p++ = '<';
        put(pre.constData(), pl);
        put("c r=\"", 5);
        put(names.text[cell.column], names.length[cell.column]);
        p = std::to_chars(p, p + 12, row).ptr;
        *p++ = '"';
        const int style = cell.style < m_styleMap.size() ? m_styleMap[cell.style] : 0;
        if (style > 0) {
            put(" s=\"", 4);
            p = std::to_chars(p, p + 12, style).ptr;
            *p++ = '"';
        }
        if (cell.kind() == CellKind::Blank) {
            put("/>", 2);
        } else {
            switch (cell.kind()) {
            case CellKind::String:
                put(" t=\"s\"", 6);
                break;
            case CellKind::Boolean:
                put(" t=\"b\"", 6);
                break;
            case CellKind::Error:
                put(" t=\"e\"", 6);
                break;
            default:
                break;
            }
            *p++ = '>';
            *p++ = '<';
            put(pre.constData(), pl);
            put("v>", 2);
            switch (cell.kind()) {
            case CellKind::Number: {
                double v = cell.number();
                if (!std::isfinite(v)) v = 0.0;
                if (v == 0.0) v = 0.0;
                p = std::to_chars(p, p + 32, v).ptr;
                break;
            }
            case CellKind::String:
                p = std::to_chars(p, p + 12, m_stringMap[cell.string()]).ptr;
                break;
            case CellKind::Boolean:
                *p++ = cell.boolean() ? '1' : '0';
                break;
            case CellKind::Error: {
                const char *e = errorText(cell.error());
                put(e, std::strlen(e));
                break;
            }
            default:
                break;
            }
            put("</", 2);
            put(pre.constData(), pl);
            put("v></", 4);
            put(pre.constData(), pl);
            put("c>", 2);
        }
        out.resize(p - out.constData());
        return;
    }
    writeFormulaCell(out, row, cell);
}

void XlsxSheetWriter::writeFormulaCell(QByteArray &out, int row, const Cell &cell)
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
    const QString *formula = CellStore::formula(m_sheet, row, cell);
    const bool hasFormula = formula;
    // Only a formula's result is written as text; other texts go by their index.
    std::optional<QString> text;
    switch (cell.kind()) {
    case CellKind::Blank:
        break;
    case CellKind::Number:
        break;
    case CellKind::String:
        if (cell.string() < m_strings.size())
            text = hasFormula ? m_strings[cell.string()] : QString();
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
    if (!hasFormula &&
        (cell.kind() == CellKind::Blank || (cell.kind() == CellKind::String && !text))) {
        out += "/>";
        return;
    }
    out += '>';
    if (hasFormula) {
        const QString &f = *formula;
        QByteArray text =
            XlsxXml::escaped(XlsxXml::fileFormula(f.startsWith(QLatin1Char('=')) ? f.mid(1) : f));
        out += '<';
        out += p;
        out += 'f';
        // An array formula the file had at this cell stays one while its text is unchanged.
        auto array = m_kept.arrayFormulas.find(SheetData::commentKey(row, cell.column));
        if (array != m_kept.arrayFormulas.end() && array->second.second == text)
            out += " t=\"array\" ref=\"" + array->second.first + '"';
        out += '>';
        out += text;
        out += "</";
        out += p;
        out += "f>";
    }
    if (cell.kind() != CellKind::Blank && !(cell.kind() == CellKind::String && !text)) {
        out += '<';
        out += p;
        out += 'v';
        if (hasFormula && text && needsPreserve(*text)) out += " xml:space=\"preserve\"";
        out += '>';
        switch (cell.kind()) {
        case CellKind::Number:
            XlsxXml::appendNumber(out, cell.number());
            break;
        case CellKind::String:
            if (hasFormula)
                XlsxXml::appendEscaped(out, *text);
            else
                appendInt(out, m_stringMap[cell.string()]);
            break;
        case CellKind::Boolean:
            out += cell.boolean() ? '1' : '0';
            break;
        case CellKind::Error:
            out += errorText(cell.error());
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
    out += "workbookViewId=\"0\"/></sheetViews>";
    out += sheetFormatXml(sheet, QByteArray(), QByteArray());
    return out;
}

bool XlsxSheetWriter::sheetFormatMatches(const SheetData &sheet, const QByteArray &original)
{
    // As the reader takes it: 15 points unless the file says otherwise.
    double height = 15.0;
    bool set = false;
    for (const auto &[name, value] : XlsxXml::attributes(original)) {
        bool ok = false;
        const double h = value.toDouble(&ok);
        if (name == "defaultRowHeight" && ok && h > 0 && h < 1000) height = h;
        if (name == "customHeight") set = value == "1" || value == "true";
    }
    return height == sheet.defaultRowHeight && set == sheet.defaultRowHeightSet;
}

QByteArray XlsxSheetWriter::sheetFormatXml(const SheetData &sheet, const QByteArray &prefix,
                                           const QByteArray &original)
{
    const double height =
        std::clamp(sheet.defaultRowHeight > 0 ? sheet.defaultRowHeight : 15.0, 0.0, 409.5);
    QByteArray out = '<' + prefix + "sheetFormatPr";
    // What the file's element holds beside the default height is kept.
    for (const auto &[name, value] : XlsxXml::attributes(original))
        if (name != "defaultRowHeight" && name != "customHeight")
            out += ' ' + name + "=\"" + QByteArray(value).replace('"', "&quot;") + '"';
    out += " defaultRowHeight=\"";
    XlsxXml::appendNumber(out, height);
    out += '"';
    if (sheet.defaultRowHeightSet) out += " customHeight=\"1\"";
    return out + "/>";
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

XlsxSheetWriter::Kept XlsxSheetWriter::keptFromOriginal(const QByteArray &xml, qsizetype begin,
                                                        qsizetype end, const QByteArray &prefix)
{
    Kept kept;
    const char *d = xml.constData();
    const QByteArray rowName = '<' + prefix + "row";
    const size_t nameLength = size_t(rowName.size());
    qsizetype pos = begin;
    int implicitRow = 0;
    while (pos < end) {
        const void *hit = memmem(d + pos, size_t(end - pos), rowName.constData(), nameLength);
        if (!hit) break;
        const qsizetype lt = static_cast<const char *>(hit) - d;
        pos = lt + 1;
        if (lt + qsizetype(nameLength) >= end) break;
        const char after = d[lt + qsizetype(nameLength)];
        if (after != ' ' && after != '>' && after != '/' && after != '\t' && after != '\r' &&
            after != '\n')
            continue;
        qsizetype gt = xml.indexOf('>', lt);
        if (gt < 0 || gt >= end) break;
        QByteArray keep;
        int r = 0;
        for (const auto &[attr, value] : XlsxXml::attributes(xml.mid(lt, gt - lt + 1))) {
            if (attr == "r") {
                r = value.toInt();
            } else if (attr != "spans" && attr != "ht" && attr != "customHeight" &&
                       !attr.endsWith("dyDescent")) {
                QByteArray v = value;
                keep += ' ' + attr + "=\"" + v.replace('"', "&quot;") + '"';
            }
        }
        r = r > 0 ? r : implicitRow + 1;
        implicitRow = r;
        if (!keep.isEmpty()) kept.rows[r] = keep;
        pos = gt + 1;
    }

    // Array formulas: <f t="array" ref="..."> inside a cell whose reference names it.
    const QByteArray cellTag = '<' + prefix + "c ";
    const QByteArray formulaEnd = "</" + prefix + "f>";
    for (qsizetype at = begin; at < end;) {
        const void *hit = memmem(d + at, size_t(end - at), "t=\"array\"", 9);
        if (!hit) break;
        const qsizetype h = static_cast<const char *>(hit) - d;
        at = h + 9;
        const qsizetype fStart = xml.lastIndexOf('<', h);
        const qsizetype fTagEnd = xml.indexOf('>', h);
        const qsizetype cStart = xml.lastIndexOf(cellTag, fStart);
        if (fStart < begin || fTagEnd < 0 || fTagEnd >= end || cStart < begin) continue;
        if (d[fTagEnd - 1] == '/') continue; // no text of its own
        const qsizetype textEnd = xml.indexOf(formulaEnd, fTagEnd);
        if (textEnd < 0 || textEnd >= end) continue;
        QByteArray ref;
        for (const auto &[attr, value] : XlsxXml::attributes(xml.mid(fStart, fTagEnd - fStart + 1)))
            if (attr == "ref") ref = value;
        const qsizetype cTagEnd = xml.indexOf('>', cStart);
        QByteArray cellRef;
        for (const auto &[attr, value] : XlsxXml::attributes(xml.mid(cStart, cTagEnd - cStart + 1)))
            if (attr == "r") cellRef = value;
        int column = 0, i = 0;
        while (i < cellRef.size() && std::isalpha(static_cast<unsigned char>(cellRef[i])))
            column =
                column * 26 + (std::toupper(static_cast<unsigned char>(cellRef[i++])) - 'A' + 1);
        const int row = cellRef.mid(i).toInt();
        if (ref.isEmpty() || row < 1 || column < 1) continue;
        kept.arrayFormulas[SheetData::commentKey(row, column)] = {
            ref, xml.mid(fTagEnd + 1, textEnd - fTagEnd - 1)};
        at = textEnd;
    }
    return kept;
}

} // namespace excel
