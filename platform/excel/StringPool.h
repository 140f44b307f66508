#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace excel {

// A workbook's texts, by index. A pool of a million short texts is most of a workbook's memory
// when each is a QString of its own (a heap block with a header, plus the QString itself): here
// every text is its UTF-16 characters after a length (one unit below 32,768 characters, two
// above), in large blocks, found through one 4-byte place per text. Texts never move once added (a
// block is never grown), so views handed out stay valid until the text is replaced or the pool
// shrinks, clears or goes.
class StringPool
{
public:
    StringPool() = default;
    StringPool(StringPool &&) noexcept = default;
    StringPool &operator=(StringPool &&) noexcept = default;
    StringPool(const StringPool &other) { *this = other; }
    StringPool(std::initializer_list<QString> texts)
    {
        for (const QString &text : texts)
            push_back(text);
    }
    StringPool &operator=(const StringPool &other);

    std::size_t size() const { return m_places.size(); }
    bool empty() const { return m_places.empty(); }

    // The text at index (which must be below size()) without copying it.
    QStringView view(std::size_t index) const
    {
        const std::uint32_t place = m_places[index];
        const char16_t *at = m_blocks[place >> OffsetBits].get() + (place & OffsetMask);
        if (!(at[0] & LongLength)) return QStringView(at + 1, qsizetype(at[0]));
        const auto length = (std::uint32_t(at[0] & ~LongLength) << 16) | at[1];
        return QStringView(at + 2, qsizetype(length));
    }
    QString operator[](std::size_t index) const { return view(index).toString(); }
    QString at(std::size_t index) const { return view(index).toString(); }

    void push_back(QStringView text);
    // Adds UTF-8 text; ASCII goes straight in, without a QString on the way.
    void pushUtf8(const char *text, std::size_t size);
    // Gives the text at index a new value (its old characters stay unused until a shrink).
    void replace(std::size_t index, QStringView text);
    // Appends every text of `other` in order.
    void append(const StringPool &other);
    // Keeps the first `count` texts (count <= size()), giving back the room of the others.
    void truncate(std::size_t count);
    void clear();
    // Room for `count` texts in all; characters take what they need as they come.
    void reserve(std::size_t count) { m_places.reserve(count); }

    // The bytes the pool holds, for measuring.
    std::size_t bytes() const;

    // Iterates the texts as QStrings (copies), for loops over the whole pool.
    class const_iterator
    {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = QString;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = QString;

        const_iterator(const StringPool *pool, std::size_t index) : m_pool(pool), m_index(index) {}
        QString operator*() const { return m_pool->at(m_index); }
        const_iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const const_iterator &o) const { return m_index == o.m_index; }

    private:
        const StringPool *m_pool;
        std::size_t m_index;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

private:
    // Characters per block; a longer text gets a block of its own size, at its start. A place
    // is the block's number above the offset of the text's length in it.
    static constexpr unsigned OffsetBits = 16;
    static constexpr std::size_t BlockChars = std::size_t(1) << OffsetBits;
    static constexpr std::uint32_t OffsetMask = BlockChars - 1;
    static constexpr std::size_t MaxBlocks = std::size_t(1) << (32 - OffsetBits);
    // The first unit of a length that takes two.
    static constexpr char16_t LongLength = 0x8000;

    // Room for a text of `length` characters after its length; the place of the length.
    char16_t *room(std::size_t length, std::uint32_t *place);
    std::uint32_t store(QStringView text);
    std::size_t storedLength(std::uint32_t place) const;

    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    std::vector<std::uint32_t> m_blockSizes; // characters each block can hold
    std::size_t m_used = 0;                  // characters used of the last block
    std::vector<std::uint32_t> m_places;     // (block << OffsetBits) | offset of the length
};

} // namespace excel
