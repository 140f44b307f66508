#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace excel {

// The relationships of one part of a package (its "_rels/<name>.rels" part), as the reader
// follows them and the writer edits them. Targets are resolved by PackagePath's one rule.
class PackageRelationships
{
public:
    struct Relationship
    {
        QString id;
        QString kind;   // the type's last word ("worksheet", "sharedStrings", ...)
        QString target; // the part it names; for an external one the target as written
        bool external = false;
    };

    PackageRelationships();
    ~PackageRelationships();
    PackageRelationships(const PackageRelationships &) = delete;
    PackageRelationships &operator=(const PackageRelationships &) = delete;

    // The relationships of `source` from their part's bytes; no bytes give none (a part that
    // has no relationships yet). False with *error when the bytes are not sound XML.
    bool load(const QString &source, const QByteArray &xml, int maxDepth, QString *error);

    const QString &source() const { return m_source; }
    std::vector<Relationship> all() const;
    // By id, or the first internal one of a kind; none when there is none.
    std::optional<Relationship> byId(const QString &id) const;
    std::optional<Relationship> byKind(const QString &kind) const;

    // A new relationship of that kind from the source to toPart; returns its id.
    QString add(const QString &kind, const QString &toPart);
    void remove(const QString &id);

    // True once added to or removed from, so the part must be written.
    bool changed() const { return m_changed; }
    QByteArray xml() const;

private:
    Relationship describe(const pugi::xml_node &r) const;

    std::unique_ptr<pugi::xml_document> m_doc;
    QString m_source;
    bool m_changed = false;
};

} // namespace excel
