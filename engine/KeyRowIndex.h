#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The key map of a comparison by key columns: from the texts of a left row's key columns, in
// key-column order, to the first left row that holds them. Keys compare as the session's key map
// compares them: binary, or without regard to case when keys ignore case.
//
// The comparison looks up every right row, so a lookup should cost one cache miss: the table
// holds each key's hash beside its entry number, and a key's text is compared only when the
// hashes agree. Entries are numbered in the order the left rows were added, which is the order
// most right rows are looked up in.
class KeyRowIndex
{
public:
    explicit KeyRowIndex(bool ignoreCase) : m_ignoreCase(ignoreCase) {}

    void reserve(int rows);
    // Files the row under its key texts unless the key is there already: the first row stays.
    void add(const QStringList &parts, int row);
    // The row filed under the key texts; 0 when there is none.
    int find(const QStringList &parts) const;
    int count() const { return int(m_rows.size()); }

private:
    struct Slot
    {
        std::uint32_t hash;
        std::int32_t entry; // -1 for a free slot
    };

    QString hashKey(const QStringList &parts) const;
    // The slot holding the key, or the free slot where it belongs.
    std::size_t slotOf(const QString &key, std::uint32_t hash) const;
    void grow();

    bool m_ignoreCase;
    std::vector<Slot> m_slots; // a power of two in size, at most half full
    std::vector<QString> m_keys;
    std::vector<int> m_rows;
};
