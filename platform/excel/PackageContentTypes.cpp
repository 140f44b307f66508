#include "platform/excel/PackageContentTypes.h"

#include "platform/excel/XlsxXml.h"

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace excel {

namespace {

bool named(const pugi::xml_node &n, const char *local)
{
    if (n.type() != pugi::node_element) return false;
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, local) == 0;
}

QByteArray prefixOf(const pugi::xml_node &n)
{
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return colon ? QByteArray(name, colon - name + 1) : QByteArray();
}

bool sameName(const char *a, const QString &b)
{
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

PackageContentTypes::PackageContentTypes() : m_doc(std::make_unique<pugi::xml_document>()) {}

PackageContentTypes::~PackageContentTypes() = default;

bool PackageContentTypes::load(const QByteArray &xml, int maxDepth, QString *error)
{
    if (!XlsxXml::parse(*m_doc, xml,
                        pugi::parse_default | pugi::parse_declaration |
                            pugi::parse_ws_pcdata_single,
                        maxDepth, error))
        return false;
    XlsxXml::declareUtf8(*m_doc);
    return true;
}

QString PackageContentTypes::overrideOf(const QString &part) const
{
    const QString name = QLatin1Char('/') + part;
    for (pugi::xml_node o = m_doc->document_element().first_child(); o; o = o.next_sibling())
        if (named(o, "Override") && sameName(o.attribute("PartName").value(), name))
            return QString::fromUtf8(o.attribute("ContentType").value());
    return QString();
}

void PackageContentTypes::setOverride(const QString &part, const QString &contentType)
{
    pugi::xml_node root = m_doc->document_element();
    const QString name = QLatin1Char('/') + part;
    const QByteArray type = contentType.toUtf8();
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
        if (named(o, "Override") && sameName(o.attribute("PartName").value(), name)) {
            o.attribute("ContentType").set_value(type.constData());
            return;
        }
    }
    pugi::xml_node o = root.append_child((prefixOf(root) + "Override").constData());
    o.append_attribute("PartName").set_value(name.toUtf8().constData());
    o.append_attribute("ContentType").set_value(type.constData());
}

void PackageContentTypes::removeOverride(const QString &part)
{
    pugi::xml_node root = m_doc->document_element();
    const QString name = QLatin1Char('/') + part;
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling())
        if (named(o, "Override") && sameName(o.attribute("PartName").value(), name)) {
            root.remove_child(o);
            return;
        }
}

void PackageContentTypes::ensureDefault(const QString &extension, const QString &contentType)
{
    pugi::xml_node root = m_doc->document_element();
    for (pugi::xml_node d = root.first_child(); d; d = d.next_sibling())
        if (named(d, "Default") && sameName(d.attribute("Extension").value(), extension)) return;
    pugi::xml_node d = root.prepend_child((prefixOf(root) + "Default").constData());
    d.append_attribute("Extension").set_value(extension.toUtf8().constData());
    d.append_attribute("ContentType").set_value(contentType.toUtf8().constData());
}

QByteArray PackageContentTypes::xml() const
{
    std::ostringstream out;
    m_doc->save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace excel
