#include "platform/excel/XlsxStringTable.h"

#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxXml.h"

#include <pugixml.hpp>

#include <cstring>

namespace excel {

bool XlsxStringTable::load(const QByteArray &xml, QString *error)
{
    pugi::xml_document doc;
    // Items of white space only are texts like any other.
    if (!XlsxXml::parse(
            doc, xml, pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single,
            XlsxLimits().maxXmlDepth, error))
        return false;
    m_original = xml;
    for (pugi::xml_node si = doc.document_element().first_child(); si; si = si.next_sibling()) {
        if (si.type() != pugi::node_element) continue;
        const char *name = si.name();
        const char *colon = std::strrchr(name, ':');
        if (std::strcmp(colon ? colon + 1 : name, "si") != 0) continue;
        const QString text = XlsxXml::stringItemText(si);
        if (!m_index.contains(text)) m_index.insert(text, m_count);
        ++m_count;
    }
    m_loaded = m_count;
    return true;
}

std::int32_t XlsxStringTable::indexOf(const QString &text)
{
    auto it = m_index.constFind(text);
    if (it != m_index.constEnd()) return it.value();
    m_index.insert(text, m_count);
    m_added += "<si><t";
    // Leading or trailing blanks (a text of blanks only) are kept only when the item says so.
    if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
        m_added += " xml:space=\"preserve\"";
    m_added += '>';
    XlsxXml::appendEscaped(m_added, text);
    m_added += "</t></si>";
    return m_count++;
}

bool XlsxStringTable::xml(QByteArray *out, QString *error) const
{
    if (m_original.isEmpty()) {
        *out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
               "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "uniqueCount=\"" +
               QByteArray::number(m_count) + "\">" + m_added + "</sst>";
        return true;
    }
    QByteArray xml = m_original;
    XlsxXml::toUtf8(xml);
    XlsxXml::Layout layout;
    if (!XlsxXml::scan(xml, &layout, error)) return false;
    const qsizetype tagBegin = xml.lastIndexOf('<', layout.startTagEnd - 1);
    const QByteArray tag = xml.mid(tagBegin, layout.startTagEnd - tagBegin);
    const QByteArray qname = layout.prefix + "sst";
    QByteArray newTag = '<' + qname;
    for (const auto &[name, value] : XlsxXml::attributes(tag))
        if (name != "count" && name != "uniqueCount")
            newTag += ' ' + name + "=\"" + QByteArray(value).replace('"', "&quot;") + '"';
    newTag += " uniqueCount=\"" + QByteArray::number(m_count) + "\">";
    QByteArray items = m_added;
    if (!layout.prefix.isEmpty()) {
        items.replace("<si>", '<' + layout.prefix + "si>")
            .replace("</si>", "</" + layout.prefix + "si>");
        items.replace("<t>", '<' + layout.prefix + "t>")
            .replace("</t>", "</" + layout.prefix + "t>");
        items.replace("<t ", '<' + layout.prefix + "t ");
    }
    QByteArray result = xml.left(tagBegin) + newTag;
    if (layout.endTagBegin == layout.startTagEnd) { // <sst .../>
        result += items + "</" + qname + '>' + xml.mid(layout.startTagEnd);
    } else {
        // New items go after the last one, before any extension list.
        qsizetype at = layout.endTagBegin;
        for (const auto &c : layout.children)
            if (c.localName == "extLst") at = std::min(at, c.begin);
        result += xml.mid(layout.startTagEnd, at - layout.startTagEnd) + items + xml.mid(at);
    }
    *out = result;
    return true;
}

} // namespace excel
