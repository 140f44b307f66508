#include "platform/excel/PackageRelationships.h"

#include "platform/excel/PackagePath.h"
#include "platform/excel/XlsxXml.h"

#include <QSet>
#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace excel {

namespace {

const char kEmpty[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "</Relationships>";
const QString kTypeBase =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

bool isRelationship(const pugi::xml_node &n)
{
    if (n.type() != pugi::node_element) return false;
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, "Relationship") == 0;
}

} // namespace

PackageRelationships::PackageRelationships() : m_doc(std::make_unique<pugi::xml_document>()) {}

PackageRelationships::~PackageRelationships() = default;

bool PackageRelationships::load(const QString &source, const QByteArray &xml, int maxDepth,
                                QString *error)
{
    m_source = source;
    m_changed = false;
    const QByteArray bytes = xml.isEmpty() ? QByteArray(kEmpty) : xml;
    if (!XlsxXml::parse(*m_doc, bytes, pugi::parse_default | pugi::parse_declaration, maxDepth,
                        error))
        return false;
    XlsxXml::declareUtf8(*m_doc);
    return true;
}

PackageRelationships::Relationship PackageRelationships::describe(const pugi::xml_node &r) const
{
    Relationship rel;
    rel.id = QString::fromUtf8(r.attribute("Id").value());
    rel.kind = PackagePath::kindOf(QString::fromUtf8(r.attribute("Type").value()));
    rel.external = QString::fromUtf8(r.attribute("TargetMode").value())
                       .compare(QLatin1String("External"), Qt::CaseInsensitive) == 0;
    const QString target = QString::fromUtf8(r.attribute("Target").value());
    rel.target = rel.external ? target : PackagePath::resolve(m_source, target);
    return rel;
}

std::vector<PackageRelationships::Relationship> PackageRelationships::all() const
{
    std::vector<Relationship> out;
    for (pugi::xml_node r = m_doc->document_element().first_child(); r; r = r.next_sibling())
        if (isRelationship(r)) out.push_back(describe(r));
    return out;
}

std::optional<PackageRelationships::Relationship>
PackageRelationships::byId(const QString &id) const
{
    const QByteArray wanted = id.toUtf8();
    for (pugi::xml_node r = m_doc->document_element().first_child(); r; r = r.next_sibling())
        if (isRelationship(r) && wanted == r.attribute("Id").value()) return describe(r);
    return std::nullopt;
}

std::optional<PackageRelationships::Relationship>
PackageRelationships::byKind(const QString &kind) const
{
    for (pugi::xml_node r = m_doc->document_element().first_child(); r; r = r.next_sibling()) {
        if (!isRelationship(r)) continue;
        Relationship rel = describe(r);
        if (rel.kind == kind && !rel.external) return rel;
    }
    return std::nullopt;
}

QString PackageRelationships::add(const QString &kind, const QString &toPart)
{
    QSet<QString> taken;
    for (pugi::xml_node r = m_doc->document_element().first_child(); r; r = r.next_sibling())
        if (isRelationship(r)) taken.insert(QString::fromUtf8(r.attribute("Id").value()));
    int n = 1;
    while (taken.contains(QStringLiteral("rId%1").arg(n)))
        ++n;
    const QString id = QStringLiteral("rId%1").arg(n);
    pugi::xml_node root = m_doc->document_element();
    const char *rootName = root.name();
    const char *colon = std::strrchr(rootName, ':');
    const QByteArray prefix = colon ? QByteArray(rootName, colon - rootName + 1) : QByteArray();
    pugi::xml_node r = root.append_child((prefix + "Relationship").constData());
    r.append_attribute("Id").set_value(id.toUtf8().constData());
    r.append_attribute("Type").set_value((kTypeBase + kind).toUtf8().constData());
    r.append_attribute("Target").set_value(
        PackagePath::relativeTarget(m_source, toPart).toUtf8().constData());
    m_changed = true;
    return id;
}

void PackageRelationships::remove(const QString &id)
{
    pugi::xml_node root = m_doc->document_element();
    for (pugi::xml_node r = root.first_child(); r; r = r.next_sibling())
        if (isRelationship(r) && QString::fromUtf8(r.attribute("Id").value()) == id) {
            root.remove_child(r);
            m_changed = true;
            return;
        }
}

QByteArray PackageRelationships::xml() const
{
    std::ostringstream out;
    m_doc->save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

} // namespace excel
