#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>

namespace excel {

// The shared-strings part of a workbook being saved. The file's own items keep their places
// (the sheets copied as they are still point at them); a text the rewritten sheets use is
// given the index of an equal item, or appended.
class XlsxStringTable
{
public:
    // Starts from the file's part. False with *error when it is not sound XML.
    bool load(const QByteArray &xml, QString *error);

    // The index of a text, appended when the table has none equal to it.
    std::int32_t indexOf(const QString &text);
    // True once a text was appended, so the part must be written.
    bool changed() const { return m_count != m_loaded; }
    // The part: the file's own bytes with the new items after its last item (a new part when
    // there was none). False with *error when the file's part cannot be taken apart.
    bool xml(QByteArray *out, QString *error) const;

private:
    QByteArray m_original;
    QHash<QString, std::int32_t> m_index;
    std::int32_t m_count = 0;
    std::int32_t m_loaded = 0;
    QByteArray m_added; // the appended items
};

} // namespace excel
