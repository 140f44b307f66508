#include "platform/excel/XlsxSheetSplice.h"

#include "platform/excel/RowMoves.h"

#include <QSet>

namespace excel {

namespace {

const char *const relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QString unescaped(const QByteArray &text)
{
    QString s = QString::fromUtf8(text);
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

// What the cut keeps from the file by row number follows the rows inserted and deleted since the
// sheet was read.
bool followRowMoves(const SheetData &sheet, QByteArray *head, QByteArray *tail,
                    XlsxSheetWriter::Kept *kept, QString *error)
{
    const RowMoves moves(sheet.rowMoves);
    if (moves.empty()) return true;
    std::map<int, QByteArray> rows;
    for (auto &[row, attributes] : kept->rows)
        if (const int now = moves.row(row)) rows[now] = std::move(attributes);
    kept->rows = std::move(rows);
    std::map<std::uint64_t, std::pair<QByteArray, QByteArray>> arrays;
    for (auto &[key, array] : kept->arrayFormulas) {
        const int now = moves.row(int(key >> 16));
        if (!now) continue;
        array.first = moves.references(array.first);
        array.second = XlsxXml::escaped(
            moves.formula(unescaped(array.second), FormulaText::Scope::OwnSheet, sheet.name));
        arrays[SheetData::commentKey(now, int(key & 0xFFFF))] = std::move(array);
    }
    kept->arrayFormulas = std::move(arrays);
    if (moves.sheetXml(head, tail, sheet.name)) return true;
    if (error) *error = QStringLiteral("its references could not follow the inserted rows");
    return false;
}

} // namespace

bool XlsxSheetSplice::load(QByteArray xml, QString *error)
{
    XlsxXml::toUtf8(xml);
    m_xml = std::move(xml);
    return XlsxXml::scan(m_xml, &m_layout, error);
}

QString XlsxSheetSplice::legacyDrawingId() const
{
    QString id;
    for (const auto &c : m_layout.children) {
        if (c.localName != "legacyDrawing") continue;
        for (const auto &[name, value] : XlsxXml::attributes(m_xml.mid(c.begin, c.end - c.begin)))
            if (name == "id" || name.endsWith(":id")) id = QString::fromUtf8(value);
    }
    return id;
}

bool XlsxSheetSplice::cut(const SheetData &sheet, const QString &vmlId, QByteArray *head,
                          QByteArray *tail, XlsxSheetWriter::Kept *kept, QString *error) const
{
    const XlsxXml::Child *data = nullptr;
    for (const auto &c : m_layout.children)
        if (c.localName == "sheetData") data = &c;
    if (!data) {
        if (error) *error = QStringLiteral("it has no cell data");
        return false;
    }
    head->clear();
    tail->clear();
    *kept = XlsxSheetWriter::keptFromOriginal(m_xml, data->begin, data->end, m_layout.prefix);

    // Elements that come after these in a worksheet, by the schema's order.
    static const QSet<QByteArray> afterMerges = {"phoneticPr",       "conditionalFormatting",
                                                 "dataValidations",  "hyperlinks",
                                                 "printOptions",     "pageMargins",
                                                 "pageSetup",        "headerFooter",
                                                 "rowBreaks",        "colBreaks",
                                                 "customProperties", "cellWatches",
                                                 "ignoredErrors",    "smartTags",
                                                 "drawing",          "legacyDrawing",
                                                 "legacyDrawingHF",  "drawingHF",
                                                 "picture",          "oleObjects",
                                                 "controls",         "webPublishItems",
                                                 "tableParts",       "extLst"};
    static const QSet<QByteArray> afterLegacyDrawing = {
        "legacyDrawingHF", "drawingHF",       "picture",    "oleObjects",
        "controls",        "webPublishItems", "tableParts", "extLst"};
    bool hasLegacyDrawing = false;
    for (const auto &c : m_layout.children)
        hasLegacyDrawing = hasLegacyDrawing || c.localName == "legacyDrawing";

    // Before the cell data, the dimension follows the cells and the default row height
    // the model; the sheet's format goes before the column widths when the file has none.
    qsizetype pos = 0;
    bool formatSeen = false;
    auto replace = [&](const XlsxXml::Child &c, const QByteArray &with, qsizetype resume) {
        *head += m_xml.mid(pos, c.begin - pos) + with;
        pos = resume;
    };
    for (const auto &c : m_layout.children) {
        if (c.end > data->begin) break;
        if (c.localName == "dimension") {
            replace(c, XlsxSheetWriter::dimensionXml(sheet, m_layout.prefix), c.end);
        } else if (c.localName == "sheetFormatPr") {
            formatSeen = true;
            const QByteArray tag = m_xml.mid(c.begin, m_xml.indexOf('>', c.begin) + 1 - c.begin);
            if (!XlsxSheetWriter::sheetFormatMatches(sheet, tag))
                replace(c, XlsxSheetWriter::sheetFormatXml(sheet, m_layout.prefix, tag), c.end);
        } else if (c.localName == "cols" && !formatSeen) {
            formatSeen = true;
            if (!XlsxSheetWriter::sheetFormatMatches(sheet, QByteArray()))
                replace(c, XlsxSheetWriter::sheetFormatXml(sheet, m_layout.prefix, QByteArray()),
                        c.begin);
        }
    }
    if (!formatSeen && !XlsxSheetWriter::sheetFormatMatches(sheet, QByteArray()))
        replace(*data, XlsxSheetWriter::sheetFormatXml(sheet, m_layout.prefix, QByteArray()),
                data->begin);
    *head += m_xml.mid(pos, data->begin - pos);
    QByteArray merges = XlsxSheetWriter::mergeCellsXml(sheet, m_layout.prefix);
    QByteArray legacy;
    if (!vmlId.isEmpty() && !hasLegacyDrawing)
        legacy = '<' + m_layout.prefix + "legacyDrawing xmlns:r=\"" + relNs + "\" r:id=\"" +
                 vmlId.toUtf8() + "\"/>";
    pos = data->end;
    for (const auto &c : m_layout.children) {
        if (c.begin < data->end) continue;
        if (!merges.isEmpty() && afterMerges.contains(c.localName)) {
            *tail += m_xml.mid(pos, c.begin - pos) + merges;
            merges.clear();
            pos = c.begin;
        }
        if (!legacy.isEmpty() && afterLegacyDrawing.contains(c.localName)) {
            *tail += m_xml.mid(pos, c.begin - pos) + legacy;
            legacy.clear();
            pos = c.begin;
        }
        if (c.localName == "mergeCells") {
            *tail += m_xml.mid(pos, c.begin - pos) + merges;
            merges.clear();
            pos = c.end;
        }
    }
    *tail += m_xml.mid(pos, m_layout.endTagBegin - pos) + merges + legacy +
             m_xml.mid(m_layout.endTagBegin);
    return followRowMoves(sheet, head, tail, kept, error);
}

} // namespace excel
