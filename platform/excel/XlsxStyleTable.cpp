#include "platform/excel/XlsxStyleTable.h"

#include "platform/excel/StyleCodes.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxXml.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace excel {

namespace {

const char minimalStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/>"
    "</font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
    "</cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
    "xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
    "</cellStyles></styleSheet>";

struct BuiltinFormat
{
    int id;
    const char *code;
};

const BuiltinFormat builtinFormats[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},
    {14, "mm-dd-yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
};

const char *builtinCode(int id)
{
    for (const auto &f : builtinFormats)
        if (f.id == id) return f.code;
    return nullptr;
}

QString prefixOf(const pugi::xml_node &node)
{
    const char *name = node.name();
    const char *colon = std::strchr(name, ':');
    return colon ? QString::fromUtf8(name, int(colon - name + 1)) : QString();
}

// The index-th child element (from 0) with this local name, whatever prefix the file uses.
pugi::xml_node nth(const pugi::xml_node &parent, const char *local, int index)
{
    if (index < 0) return {};
    int i = 0;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const char *name = c.name();
        const char *colon = std::strchr(name, ':');
        if (std::strcmp(colon ? colon + 1 : name, local) != 0) continue;
        if (i++ == index) return c;
    }
    return {};
}

// The first child element by local name.
pugi::xml_node child(const pugi::xml_node &parent, const char *local)
{
    return nth(parent, local, 0);
}

int countOf(const pugi::xml_node &parent)
{
    int n = 0;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) ++n;
    return n;
}

void setCount(pugi::xml_node parent)
{
    pugi::xml_attribute a = parent.attribute("count");
    if (!a) a = parent.append_attribute("count");
    a.set_value(countOf(parent));
}

// A list of the style sheet, made where the schema wants it when the file has none.
pugi::xml_node list(pugi::xml_node root, const char *name)
{
    if (pugi::xml_node n = child(root, name)) return n;
    static const char *const order[] = {"numFmts",      "fonts",   "fills",      "borders",
                                        "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                        "tableStyles",  "colors",  "extLst"};
    pugi::xml_node after;
    for (const char *earlier : order) {
        if (std::strcmp(earlier, name) == 0) break;
        if (pugi::xml_node n = child(root, earlier)) after = n;
    }
    const QByteArray qualified = (prefixOf(root) + QLatin1String(name)).toUtf8();
    return after ? root.insert_child_after(qualified.constData(), after)
                 : root.prepend_child(qualified.constData());
}

QByteArray rgbText(std::int32_t color)
{
    return QByteArray("FF") +
           QByteArray::number(color & 0xFFFFFF, 16).toUpper().rightJustified(6, '0');
}

} // namespace

XlsxStyleTable::XlsxStyleTable() : m_doc(std::make_unique<pugi::xml_document>())
{
    m_doc->load_string(minimalStyles, pugi::parse_default | pugi::parse_declaration);
    index();
}

XlsxStyleTable::~XlsxStyleTable() = default;

bool XlsxStyleTable::load(const QByteArray &stylesXml, QString *error)
{
    auto doc = std::make_unique<pugi::xml_document>();
    if (!XlsxXml::parse(*doc, stylesXml,
                        pugi::parse_default | pugi::parse_declaration |
                            pugi::parse_ws_pcdata_single,
                        XlsxLimits().maxXmlDepth, error))
        return false;
    XlsxXml::declareUtf8(*doc);
    pugi::xml_node root = doc->document_element();
    if (!child(root, "cellXfs")) {
        if (error) *error = QStringLiteral("no cell formats");
        return false;
    }
    m_doc = std::move(doc);
    m_map.clear();
    m_derived.clear();
    m_fills.clear();
    m_fonts.clear();
    m_fromFile = true;
    m_changed = false;
    index();
    return true;
}

void XlsxStyleTable::index()
{
    m_customFormats.clear();
    m_formatIds.clear();
    m_nextFormatId = 164;
    for (const auto &f : builtinFormats)
        m_formatIds.insert(QString::fromLatin1(f.code), f.id);
    pugi::xml_node numFmts = child(m_doc->document_element(), "numFmts");
    for (pugi::xml_node f = numFmts.first_child(); f; f = f.next_sibling()) {
        if (f.type() != pugi::node_element) continue;
        int id = f.attribute("numFmtId").as_int(-1);
        QString code = QString::fromUtf8(f.attribute("formatCode").value());
        if (id < 0) continue;
        m_customFormats.insert(id, code);
        m_formatIds.insert(code, id);
        if (id >= m_nextFormatId) m_nextFormatId = id + 1;
    }
}

const CellStyle *XlsxStyleTable::fileStyle(const std::vector<CellStyle> &styles, int xf)
{
    // The reader keeps the file's formats in their order, so format xf is usually style xf.
    if (xf >= 0 && size_t(xf) < styles.size() && styles[size_t(xf)].sourceIndex == xf)
        return &styles[size_t(xf)];
    for (const CellStyle &s : styles)
        if (s.sourceIndex == xf) return &s;
    return nullptr;
}

XlsxStyleTable::Changes XlsxStyleTable::changesFrom(const CellStyle &style, const CellStyle *base)
{
    Changes c;
    if (!base) { // nothing known of the base format: every part of it is set
        c.numberFormat = c.font = c.fillPattern = c.fillColor = true;
        return c;
    }
    auto code = [](const CellStyle &s) {
        return s.numberFormat.isEmpty() ? StyleCodes::builtinFormat(s.numberFormatId)
                                        : s.numberFormat;
    };
    c.numberFormat = style.numberFormatId != base->numberFormatId || code(style) != code(*base);
    c.font = style.fontColor != base->fontColor || style.fontColorIndex != base->fontColorIndex;
    c.fillPattern = style.fillPattern != base->fillPattern;
    c.fillColor =
        style.fillPattern != StyleCodes::PatternNone &&
        (style.fillColor != base->fillColor || style.fillColorIndex != base->fillColorIndex);
    return c;
}

int XlsxStyleTable::wantedNumFmt(const CellStyle &style)
{
    const int id = style.numberFormatId;
    const QString &code = style.numberFormat;
    if (const char *builtin = builtinCode(id)) {
        if (code.isEmpty() || code == QLatin1String(builtin) ||
            (((id >= 14 && id <= 22) || (id >= 45 && id <= 47)) && style.isDate))
            return id;
    }
    if (id >= 164 && m_customFormats.value(id) == code && !code.isEmpty()) return id;
    if (code.isEmpty()) return id >= 0 && builtinCode(id) ? id : 0;
    auto it = m_formatIds.constFind(code);
    if (it != m_formatIds.constEnd()) return it.value();
    pugi::xml_node root = m_doc->document_element();
    pugi::xml_node numFmts = list(root, "numFmts");
    int newId = m_nextFormatId++;
    pugi::xml_node f =
        numFmts.append_child((prefixOf(root) + QStringLiteral("numFmt")).toUtf8().constData());
    f.append_attribute("numFmtId").set_value(newId);
    f.append_attribute("formatCode").set_value(code.toUtf8().constData());
    setCount(numFmts);
    m_customFormats.insert(newId, code);
    m_formatIds.insert(code, newId);
    m_changed = true;
    return newId;
}

int XlsxStyleTable::formatIndex(const std::vector<CellStyle> &styles, std::uint32_t styleIndex)
{
    if (styleIndex >= styles.size()) return 0;
    if (m_map.size() < styles.size()) m_map.resize(styles.size(), -1);
    int &cached = m_map[styleIndex];
    if (cached >= 0) return cached;
    const CellStyle &style = styles[styleIndex];
    static const CellStyle defaults;
    int baseXf = 0;
    const CellStyle *base = &defaults; // a new workbook's format 0 is the default format
    if (m_fromFile) {
        const int xfCount = countOf(child(m_doc->document_element(), "cellXfs"));
        if (style.sourceIndex >= 0 && style.sourceIndex < xfCount)
            baseXf = style.sourceIndex;
        else if (style.derivedFrom >= 0 && style.derivedFrom < xfCount)
            baseXf = style.derivedFrom;
        base = fileStyle(styles, baseXf);
        if (base == &style) return cached = baseXf; // one of the file's formats, unchanged
    }
    const Changes changes = changesFrom(style, base);
    cached = changes.any() ? derive(style, baseXf, changes) : baseXf;
    return cached;
}

int XlsxStyleTable::derive(const CellStyle &style, int baseXf, const Changes &changes)
{
    const QString key = QStringLiteral("%1|%2%3%4%5|%6|%7|%8|%9|%10|%11|%12")
                            .arg(baseXf)
                            .arg(int(changes.numberFormat))
                            .arg(int(changes.font))
                            .arg(int(changes.fillPattern))
                            .arg(int(changes.fillColor))
                            .arg(style.numberFormatId)
                            .arg(style.numberFormat)
                            .arg(style.fontColor)
                            .arg(style.fontColorIndex)
                            .arg(style.fillPattern)
                            .arg(style.fillColor)
                            .arg(style.fillColorIndex);
    auto it = m_derived.constFind(key);
    if (it != m_derived.constEnd()) return it.value();

    pugi::xml_node root = m_doc->document_element();
    pugi::xml_node cellXfs = child(root, "cellXfs");
    pugi::xml_node base = nth(cellXfs, "xf", baseXf);
    if (!base) // a file without formats: the default format is the base
        base = cellXfs.append_child((prefixOf(root) + QStringLiteral("xf")).toUtf8().constData());
    const int baseFont = base.attribute("fontId").as_int();
    const int baseFill = base.attribute("fillId").as_int();
    const int numFmtId =
        changes.numberFormat ? wantedNumFmt(style) : base.attribute("numFmtId").as_int();
    const int fontId = changes.font ? addFont(baseFont, style) : baseFont;
    const int fillId =
        changes.fillPattern || changes.fillColor ? addFill(baseFill, style, changes) : baseFill;

    pugi::xml_node xf = cellXfs.append_copy(base);
    auto set = [&](const char *name, int value) {
        pugi::xml_attribute a = xf.attribute(name);
        if (!a) a = xf.append_attribute(name);
        a.set_value(value);
    };
    set("numFmtId", numFmtId);
    set("fontId", fontId);
    set("fillId", fillId);
    if (!xf.attribute("borderId")) set("borderId", 0);
    if (!xf.attribute("xfId")) set("xfId", 0);
    if (changes.numberFormat) set("applyNumberFormat", 1);
    if (changes.font) set("applyFont", 1);
    if (fillId != baseFill) set("applyFill", 1);
    setCount(cellXfs);
    m_changed = true;
    int index = countOf(cellXfs) - 1;
    m_derived.insert(key, index);
    return index;
}

int XlsxStyleTable::addFont(int baseFont, const CellStyle &style)
{
    const QString key =
        QStringLiteral("%1|%2|%3").arg(baseFont).arg(style.fontColor).arg(style.fontColorIndex);
    auto it = m_fonts.constFind(key);
    if (it != m_fonts.constEnd()) return it.value();
    pugi::xml_node root = m_doc->document_element();
    pugi::xml_node fonts = list(root, "fonts");
    pugi::xml_node base = nth(fonts, "font", baseFont);
    pugi::xml_node font =
        base ? fonts.append_copy(base)
             : fonts.append_child((prefixOf(root) + QStringLiteral("font")).toUtf8().constData());
    pugi::xml_node color = child(font, "color");
    if (color) font.remove_child(color);
    std::int32_t rgb = style.fontColor >= 0 ? style.fontColor : -1;
    int indexed = style.fontColor < 0 && style.fontColorIndex >= 1 && style.fontColorIndex <= 56
                      ? style.fontColorIndex + 7
                      : -1;
    if (rgb >= 0 || indexed >= 0) {
        const QByteArray name = (prefixOf(root) + QStringLiteral("color")).toUtf8();
        pugi::xml_node sz = child(font, "sz");
        color = sz ? font.insert_child_after(name.constData(), sz)
                   : font.append_child(name.constData());
        if (rgb >= 0)
            color.append_attribute("rgb").set_value(rgbText(rgb).constData());
        else
            color.append_attribute("indexed").set_value(indexed);
    }
    setCount(fonts);
    int id = countOf(fonts) - 1;
    m_fonts.insert(key, id);
    return id;
}

int XlsxStyleTable::addFill(int baseFill, const CellStyle &style, const Changes &changes)
{
    const QString pattern = StyleCodes::patternName(style.fillPattern);
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(baseFill)
                            .arg(pattern)
                            .arg(int(changes.fillColor))
                            .arg(style.fillColor)
                            .arg(style.fillColorIndex);
    auto it = m_fills.constFind(key);
    if (it != m_fills.constEnd()) return it.value();
    pugi::xml_node root = m_doc->document_element();
    const QString p = prefixOf(root);
    pugi::xml_node fills = list(root, "fills");
    // Spreadsheet programs take the first two fills as none and gray125 whatever they say.
    static const char *const reserved[] = {"none", "gray125"};
    for (int n = countOf(fills); n < 2; ++n)
        fills.append_child((p + QStringLiteral("fill")).toUtf8().constData())
            .append_child((p + QStringLiteral("patternFill")).toUtf8().constData())
            .append_attribute("patternType")
            .set_value(reserved[n]);
    // A pattern fill keeps what was not changed of it (its other colour above all); a gradient
    // cannot take a pattern and is replaced.
    pugi::xml_node base = nth(fills, "fill", baseFill);
    pugi::xml_node fill;
    if (child(base, "patternFill")) {
        fill = fills.append_copy(base);
    } else {
        fill = fills.append_child((p + QStringLiteral("fill")).toUtf8().constData());
        fill.append_child((p + QStringLiteral("patternFill")).toUtf8().constData());
    }
    pugi::xml_node pf = child(fill, "patternFill");
    pugi::xml_attribute type = pf.attribute("patternType");
    if (!type) type = pf.append_attribute("patternType");
    type.set_value(pattern.toUtf8().constData());
    if (pattern == QLatin1String("none")) {
        while (pugi::xml_node c = pf.first_child())
            pf.remove_child(c);
    } else if (changes.fillColor || !child(pf, "fgColor")) {
        // The reader takes a fill's colour from its foreground, whatever the pattern.
        const std::int32_t rgb = style.fillColor >= 0 ? style.fillColor : -1;
        const int indexed = rgb < 0 && style.fillColorIndex >= 1 && style.fillColorIndex <= 56
                                ? style.fillColorIndex + 7
                                : -1;
        pugi::xml_node old = child(pf, "fgColor");
        const QByteArray name = (p + QStringLiteral("fgColor")).toUtf8();
        pugi::xml_node c = old ? pf.insert_child_before(name.constData(), old)
                               : pf.prepend_child(name.constData());
        if (old) pf.remove_child(old);
        if (rgb >= 0)
            c.append_attribute("rgb").set_value(rgbText(rgb).constData());
        else
            c.append_attribute("indexed").set_value(indexed >= 0 ? indexed : 64);
        if (!child(pf, "bgColor"))
            pf.append_child((p + QStringLiteral("bgColor")).toUtf8().constData())
                .append_attribute("indexed")
                .set_value(64);
    }
    setCount(fills);
    int id = countOf(fills) - 1;
    m_fills.insert(key, id);
    return id;
}

QByteArray XlsxStyleTable::xml() const
{
    std::ostringstream out;
    m_doc->save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace excel
