#pragma once

#include "platform/excel/PackagePartStream.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace excel {

class ZipReader;

// The package being written: the parts of a source package, copied byte for byte unless
// replaced or dropped, parts given as bytes or made piece by piece, and the atomic write of
// the whole to the target file. Part names ignore case.
class PackageWriter
{
public:
    // What a write does with a symbolic link it finds at the target path.
    enum class Link {
        // Replaces the file the link points to: a user's own workbook saved in place stays
        // where the link leads.
        Follow,
        // Replaces the link itself with the new file and leaves its target alone: for files
        // the program names itself (reports in a shared folder), where someone else may have
        // planted the link.
        Replace,
    };

    PackageWriter();
    ~PackageWriter();
    PackageWriter(const PackageWriter &) = delete;
    PackageWriter &operator=(const PackageWriter &) = delete;

    // Starts from the package at `path`. False with *error when it cannot be read or holds
    // two entries of one name.
    bool openSource(const QString &path, QString *error);
    bool hasSource() const { return m_source != nullptr; }

    // Whether the package being written has the part.
    bool has(const QString &part) const;
    // Whether the part is still the source's, to be copied as it is.
    bool isCopied(const QString &part) const;
    // A part's bytes as they stand: given ones, else the source's. False with *error when the
    // part is missing or damaged or inflates to more than `limit` bytes.
    bool read(const QString &part, QByteArray *out, std::int64_t limit, QString *error);
    void put(const QString &part, QByteArray bytes);
    // A part made piece by piece while it is written; `what` names it in messages.
    void putStream(const QString &part, std::function<PackagePartStream::Producer()> make,
                   const QString &what);
    void drop(const QString &part);
    // The first name of the pattern ("xl/comments%1.xml") with 1, 2, ... that no part has.
    QString unusedName(const QString &pattern) const;

    // Checks a target before anything is written: a link there is followed (its target becomes
    // *path) or, with Replace, left to be replaced; a folder, a read-only file and a missing
    // folder are refused with a reason.
    static bool checkTarget(QString *path, Link link, QString *error);
    // Writes the package to a temporary file beside `path`, flushes it and renames it over
    // `path`, keeping the permissions (and, where allowed, the owner) of the file replaced; a
    // new file gets the mode any new file there gets. A failure leaves the old file whole and
    // no temporary behind.
    bool write(const QString &path, Link link, QString *error);

private:
    struct Part
    {
        QString name;
        enum Kind { Copy, Bytes, Stream, Drop } kind = Copy;
        std::int64_t sourceIndex = 0;
        QByteArray bytes;
        std::function<PackagePartStream::Producer()> make;
        QString what;
    };

    Part *find(const QString &part);
    const Part *find(const QString &part) const;
    Part &obtain(const QString &part);

    std::unique_ptr<ZipReader> m_source;
    QString m_sourcePath;
    std::vector<Part> m_parts;
    QHash<QString, std::size_t> m_index; // case-folded name -> m_parts
};

} // namespace excel
