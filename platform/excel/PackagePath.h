#pragma once

#include <QString>

namespace excel {

// Names of parts in an Office Open XML package and of the relationships between them, by one
// rule for reading and writing. Part names carry no leading "/" ("xl/workbook.xml").
class PackagePath
{
public:
    // The folder of a part with its trailing "/" ("xl/" for "xl/workbook.xml"); "" at the root.
    static QString folderOf(const QString &part);
    // The part that holds a part's relationships ("xl/_rels/workbook.xml.rels"); the
    // package's own ("_rels/.rels") for "".
    static QString relationshipsOf(const QString &part);
    // The part a relationship's target names: relative to the folder of the part that holds
    // the relationship, or from the package root when it starts with "/". "." and ".."
    // segments are removed as in any URI reference, so ".." never climbs above the root.
    static QString resolve(const QString &fromPart, const QString &target);
    // A target that names toPart from fromPart, relative to fromPart's folder.
    static QString relativeTarget(const QString &fromPart, const QString &toPart);
    // A relationship type's last word ("worksheet", "comments", ...), whatever its namespace.
    static QString kindOf(const QString &type);
};

} // namespace excel
