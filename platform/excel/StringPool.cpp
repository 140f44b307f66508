#include "platform/excel/StringPool.h"

#include <algorithm>
#include <new>

namespace excel {

StringPool &StringPool::operator=(const StringPool &other)
{
    if (this == &other) return *this;
    clear();
    append(other);
    return *this;
}

char16_t *StringPool::room(std::size_t length, std::uint32_t *place)
{
    if (length > 0x7FFFFFFFu) throw std::bad_alloc();
    const std::size_t head = length < LongLength ? 1 : 2;
    const std::size_t need = length + head;
    if (m_blocks.empty() || m_blockSizes.back() - m_used < need) {
        // A place has room for so many blocks: more text than that is more than memory holds.
        if (m_blocks.size() >= MaxBlocks) throw std::bad_alloc();
        const std::size_t size = std::max(BlockChars, need);
        m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
        m_blockSizes.push_back(std::uint32_t(size));
        m_used = 0;
    }
    char16_t *at = m_blocks.back().get() + m_used;
    if (head == 1) {
        at[0] = char16_t(length);
    } else {
        at[0] = char16_t(LongLength | (length >> 16));
        at[1] = char16_t(length & 0xFFFF);
    }
    // Only a block's first text can lie beyond the offset bits (a long one fills its block).
    *place = (std::uint32_t(m_blocks.size() - 1) << OffsetBits) | std::uint32_t(m_used);
    m_used += need;
    return at + head;
}

std::size_t StringPool::storedLength(std::uint32_t place) const
{
    const char16_t *at = m_blocks[place >> OffsetBits].get() + (place & OffsetMask);
    const std::size_t length =
        !(at[0] & LongLength) ? at[0] : (std::size_t(at[0] & ~LongLength) << 16) | at[1];
    return length + (length < LongLength ? 1 : 2);
}

std::uint32_t StringPool::store(QStringView text)
{
    std::uint32_t place = 0;
    char16_t *at = room(std::size_t(text.size()), &place);
    if (!text.isEmpty()) std::memcpy(at, text.utf16(), std::size_t(text.size()) * sizeof(char16_t));
    return place;
}

void StringPool::pushUtf8(const char *text, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            push_back(QString::fromUtf8(text, qsizetype(size)));
            return;
        }
    }
    std::uint32_t place = 0;
    char16_t *at = room(size, &place);
    for (std::size_t i = 0; i < size; ++i)
        at[i] = char16_t(static_cast<unsigned char>(text[i]));
    m_places.push_back(place);
}

void StringPool::push_back(QStringView text)
{
    const std::uint32_t place = store(text);
    m_places.push_back(place);
}

void StringPool::replace(std::size_t index, QStringView text)
{
    m_places[index] = store(text);
}

void StringPool::append(const StringPool &other)
{
    // `other` may be this pool: its blocks never move and the count is taken first.
    const std::size_t count = other.size();
    m_places.reserve(m_places.size() + count);
    for (std::size_t i = 0; i < count; ++i)
        push_back(other.view(i));
}

void StringPool::truncate(std::size_t count)
{
    if (count >= m_places.size()) return;
    if (count == 0) {
        clear();
        return;
    }
    // Texts are stored in the order they were added, except those replaced since: keep every
    // block up to the furthest place a kept text uses.
    std::uint32_t furthest = 0;
    for (std::size_t i = 0; i < count; ++i)
        furthest = std::max(furthest, m_places[i]);
    const std::size_t block = furthest >> OffsetBits;
    m_blocks.resize(block + 1);
    m_blockSizes.resize(block + 1);
    m_used = std::size_t(furthest & OffsetMask) + storedLength(furthest);
    m_places.resize(count);
}

void StringPool::clear()
{
    m_blocks.clear();
    m_blockSizes.clear();
    m_places.clear();
    m_used = 0;
}

std::size_t StringPool::bytes() const
{
    std::size_t total = m_places.capacity() * sizeof(std::uint32_t);
    for (std::uint32_t size : m_blockSizes)
        total += std::size_t(size) * sizeof(char16_t);
    return total;
}

} // namespace excel
