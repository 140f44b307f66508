#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace pugi {
class xml_document;
} // namespace pugi

namespace excel {

// A package's "[Content_Types].xml": the content type of each part, by an override for the
// part's name or by a default for its extension. Part names ignore case.
class PackageContentTypes
{
public:
    PackageContentTypes();
    ~PackageContentTypes();
    PackageContentTypes(const PackageContentTypes &) = delete;
    PackageContentTypes &operator=(const PackageContentTypes &) = delete;

    bool load(const QByteArray &xml, int maxDepth, QString *error);

    // The content type a part's override gives, "" when it has none.
    QString overrideOf(const QString &part) const;
    void setOverride(const QString &part, const QString &contentType);
    void removeOverride(const QString &part);
    // Adds a default for an extension that has none.
    void ensureDefault(const QString &extension, const QString &contentType);

    QByteArray xml() const;

private:
    std::unique_ptr<pugi::xml_document> m_doc;
};

} // namespace excel
