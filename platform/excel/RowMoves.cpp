#include "platform/excel/RowMoves.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxXml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

namespace excel {

namespace {

// One end of a reference as a sheet part writes it: "$AB$12", "AB12", "AB" or "12".
struct End
{
    QByteArray column; // letters with their "$", as written
    bool rowAbsolute = false;
    int row = 0; // 0 for a whole column
};

bool parseEnd(const QByteArray &text, End *end)
{
    qsizetype i = 0;
    if (i < text.size() && text[i] == '$') ++i;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
        ++i;
    end->column = text.left(i);
    if (end->column == "$") return false;
    end->rowAbsolute = i < text.size() && text[i] == '$';
    if (end->rowAbsolute) ++i;
    const QByteArray digits = text.mid(i);
    if (digits.isEmpty()) return !end->rowAbsolute && !end->column.isEmpty();
    bool ok = false;
    end->row = digits.toInt(&ok);
    for (char c : digits)
        ok = ok && c >= '0' && c <= '9';
    return ok && end->row >= 1;
}

QByteArray endText(const End &end)
{
    QByteArray out = end.column;
    if (end.row > 0) {
        if (end.rowAbsolute) out += '$';
        out += QByteArray::number(end.row);
    }
    return out;
}

QByteArray localName(const pugi::xml_node &node)
{
    const char *name = node.name();
    const char *colon = std::strchr(name, ':');
    return QByteArray(colon ? colon + 1 : name);
}

// Which attributes of which elements hold references.
const char *const *referenceAttributes(const QByteArray &element)
{
    static const char *const sqref[] = {"sqref", nullptr};
    static const char *const ref[] = {"ref", nullptr};
    static const char *const selection[] = {"sqref", "activeCell", nullptr};
    static const char *const r[] = {"r", nullptr};
    if (element == "dataValidation" || element == "conditionalFormatting" ||
        element == "protectedRange" || element == "ignoredError")
        return sqref;
    if (element == "hyperlink" || element == "autoFilter" || element == "sortState" ||
        element == "sortCondition" || element == "table")
        return ref;
    if (element == "selection") return selection;
    if (element == "cellWatch" || element == "inputCells") return r;
    return nullptr;
}

} // namespace

int RowMoves::row(int original) const
{
    int r = original;
    for (const RowMove &m : m_moves) {
        if (m.count > 0) {
            if (r >= m.row) r += m.count;
        } else {
            const int last = m.row - m.count - 1;
            if (r >= m.row && r <= last) return 0;
            if (r > last) r += m.count;
        }
    }
    return r >= 1 && r <= CellAddress::MaxRows ? r : 0;
}

bool RowMoves::rows(int *first, int *last) const
{
    int f = *first, l = *last;
    for (const RowMove &m : m_moves) {
        if (m.count > 0) {
            if (f >= m.row) f += m.count;
            if (l >= m.row) l += m.count;
        } else {
            const int deletedLast = m.row - m.count - 1;
            f = f < m.row ? f : f > deletedLast ? f + m.count : m.row;
            l = l < m.row ? l : l > deletedLast ? l + m.count : m.row - 1;
            if (l < f) return false;
        }
    }
    l = std::min(l, CellAddress::MaxRows);
    if (f > l) return false;
    *first = f;
    *last = l;
    return true;
}

QByteArray RowMoves::references(const QByteArray &list) const
{
    QByteArrayList out;
    for (const QByteArray &token : list.split(' ')) {
        if (token.isEmpty()) continue;
        const qsizetype colon = token.indexOf(':');
        End a, b;
        const bool range = colon >= 0;
        if (!parseEnd(range ? token.left(colon) : token, &a) ||
            (range && !parseEnd(token.mid(colon + 1), &b))) {
            out.append(token); // not a reference this knows: as it was
            continue;
        }
        if (!range) {
            if (a.row > 0 && !(a.row = row(a.row))) continue;
            out.append(endText(a));
            continue;
        }
        if (a.row > 0 && b.row > 0) {
            int first = std::min(a.row, b.row), last = std::max(a.row, b.row);
            if (!rows(&first, &last)) continue;
            a.row = first;
            b.row = last;
        }
        out.append(endText(a) + ':' + endText(b));
    }
    return out.join(' ');
}

QString RowMoves::formula(const QString &text, FormulaText::Scope scope,
                          const QString &sheetName) const
{
    QString moved = text;
    for (const RowMove &m : m_moves)
        moved = FormulaText::insertRows(moved, m.row, m.count, scope, sheetName);
    return moved;
}

namespace {

const unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes |
                               pugi::parse_wconv_attribute | pugi::parse_declaration |
                               pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi;

QByteArray saved(const pugi::xml_document &doc)
{
    std::ostringstream stream;
    doc.save(stream, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    const std::string s = stream.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace

bool RowMoves::moveTree(pugi::xml_document &doc, const QString &sheetName) const
{
    const pugi::xml_node root = doc.document_element();
    std::vector<pugi::xml_node> gone;
    std::vector<pugi::xml_node> stack{root};
    bool changed = false;
    while (!stack.empty()) {
        pugi::xml_node node = stack.back();
        stack.pop_back();
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element) stack.push_back(c);
        const QByteArray name = localName(node);
        if (const char *const *attrs = referenceAttributes(name)) {
            for (const char *const *a = attrs; *a; ++a) {
                pugi::xml_attribute attr = node.attribute(*a);
                if (!attr) continue;
                const QByteArray before(attr.value());
                const QByteArray after = references(before);
                if (after == before) continue;
                if (!after.isEmpty()) {
                    attr.set_value(after.constData());
                } else if (name == "selection") {
                    node.remove_attribute(attr); // the view falls back to its default
                } else if (node != root) {
                    gone.push_back(node); // everything it applied to was deleted
                    changed = true;
                    break;
                } else {
                    continue; // a part's own range stays rather than name nothing
                }
                changed = true;
            }
        } else if (name == "brk" && localName(node.parent()) == "rowBreaks") {
            // A row break stands after the row it names.
            int first = node.attribute("id").as_int(0), last = first;
            if (first >= 1 && rows(&first, &last)) {
                if (last != node.attribute("id").as_int(0)) {
                    node.attribute("id").set_value(last);
                    changed = true;
                }
            } else if (first >= 1) {
                gone.push_back(node);
                changed = true;
            }
        } else if (name == "formula" || name == "formula1" || name == "formula2" ||
                   (name == "f" && QByteArray(node.name()).startsWith("xm:")) || name == "sqref") {
            const QString before = QString::fromUtf8(node.child_value());
            const QString after = name == "sqref"
                                      ? QString::fromUtf8(references(before.toUtf8()))
                                      : formula(before, FormulaText::Scope::OwnSheet, sheetName);
            if (after != before) {
                node.text().set(after.toUtf8().constData());
                changed = true;
            }
        }
    }
    for (pugi::xml_node node : gone) {
        pugi::xml_node parent = node.parent();
        parent.remove_child(node);
        // A list that lost its last entry goes too; counts follow what is left.
        const QByteArray list = localName(parent);
        if (list != "dataValidations" && list != "hyperlinks" && list != "ignoredErrors" &&
            list != "protectedRanges" && list != "rowBreaks")
            continue;
        int count = 0, manual = 0;
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element && localName(c) != "extLst") {
                ++count;
                manual += c.attribute("man").as_bool() ? 1 : 0;
            }
        if (count == 0) {
            parent.parent().remove_child(parent);
            continue;
        }
        if (pugi::xml_attribute n = parent.attribute("count")) n.set_value(count);
        if (pugi::xml_attribute n = parent.attribute("manualBreakCount")) n.set_value(manual);
    }
    return changed;
}

bool RowMoves::sheetXml(QByteArray *head, QByteArray *tail, const QString &sheetName) const
{
    if (empty()) return true;
    // The cell data stands in as a comment, so that head and tail parse as one part and can be
    // cut apart again where it stood.
    const QByteArray marker = "<!--quorva cell data-->";
    pugi::xml_document doc;
    QString error;
    if (!XlsxXml::parse(doc, *head + marker + *tail, kParseOptions, XlsxLimits().maxXmlDepth,
                        &error))
        return false;
    if (!moveTree(doc, sheetName)) return true;
    const QByteArray out = saved(doc);
    const qsizetype at = out.indexOf(marker);
    if (at < 0) return false;
    *head = out.left(at);
    *tail = out.mid(at + marker.size());
    return true;
}

bool RowMoves::partXml(QByteArray *xml, const QString &sheetName) const
{
    if (empty()) return true;
    pugi::xml_document doc;
    QString error;
    if (!XlsxXml::parse(doc, *xml, kParseOptions, XlsxLimits().maxXmlDepth, &error)) return false;
    if (moveTree(doc, sheetName)) *xml = saved(doc);
    return true;
}

} // namespace excel
