#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// The key map of a comparison by key columns: from the texts of a left row's key columns, in
// key-column order, to the first left row that holds them. Keys compare as the session's key map
// compares them: binary, or without regard to case when keys ignore case.
//
// The comparison looks up every right row, so a lookup makes no text and should cost about one
// cache miss: the keys are kept back to back in one buffer (each part folded when case is
// ignored, and prefixed by its length so that no two part lists run into each other), the table
// holds each key's hash beside its entry, and a key's units are compared only when the hashes
// agree.
class KeyRowIndex
{
public:
    explicit KeyRowIndex(bool ignoreCase) : m_ignoreCase(ignoreCase) {}

    void reserve(int rows);
    // Files the row under its key texts unless the key is there already: the first row stays.
    void add(const QStringList &parts, int row);
    // The row filed under the key texts; 0 when there is none.
    int find(const QStringList &parts) const;
    int count() const { return int(m_entries.size()); }

private:
    struct Slot
    {
        std::uint32_t hash;
        std::int32_t entry; // -1 for a free slot
    };
    struct Entry
    {
        std::size_t offset; // in m_units
        std::uint32_t length;
        int row;
    };

    // The key's units into m_scratch; returns their hash.
    std::uint32_t compose(const QStringList &parts) const;
    // The slot holding the key in m_scratch, or the free slot where it belongs.
    std::size_t slotOf(std::uint32_t hash) const;
    void rehash(std::size_t size);

    bool m_ignoreCase;
    std::vector<Slot> m_slots; // a power of two in size, at most half full
    std::vector<Entry> m_entries;
    std::vector<char16_t> m_units;           // the keys, back to back
    mutable std::vector<char16_t> m_scratch; // the key being added or looked up
};
