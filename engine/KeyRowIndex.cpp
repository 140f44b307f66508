#include "engine/KeyRowIndex.h"

#include "platform/text/BasicText.h"

#include <algorithm>
#include <cstring>

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

std::uint32_t KeyRowIndex::compose(const QStringList &parts) const
{
    m_scratch.clear();
    auto appendPart = [this](const QString &text, bool foldAscii) {
        m_scratch.push_back(char16_t(text.size() & 0xFFFF));
        m_scratch.push_back(char16_t((text.size() >> 16) & 0xFFFF));
        for (QChar c : text) {
            char16_t u = c.unicode();
            if (foldAscii && u >= u'A' && u <= u'Z') u = char16_t(u + (u'a' - u'A'));
            m_scratch.push_back(u);
        }
    };
    for (const QString &part : parts) {
        // Folding an ASCII text lowers its letters, as the runtime's text comparison does;
        // other texts are folded by the runtime's own rule.
        if (!m_ignoreCase)
            appendPart(part, false);
        else if (isAscii(part))
            appendPart(part, true);
        else
            appendPart(BasicText::foldCase(part), false);
    }
    std::uint64_t h = 14695981039346656037ull;
    for (char16_t u : m_scratch)
        h = (h ^ u) * 1099511628211ull;
    return std::uint32_t(h ^ (h >> 32));
}

std::size_t KeyRowIndex::slotOf(std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const std::size_t length = m_scratch.size();
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.entry < 0) return i;
        if (slot.hash != hash) continue;
        const Entry &e = m_entries[std::size_t(slot.entry)];
        if (e.length == length && std::memcmp(m_units.data() + e.offset, m_scratch.data(),
                                              length * sizeof(char16_t)) == 0)
            return i;
    }
}

void KeyRowIndex::rehash(std::size_t size)
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(size, Slot{0, -1});
    const std::size_t mask = size - 1;
    for (const Slot &slot : old) {
        if (slot.entry < 0) continue;
        std::size_t i = slot.hash & mask;
        while (m_slots[i].entry >= 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

void KeyRowIndex::reserve(int rows)
{
    if (rows <= 0) return;
    m_entries.reserve(std::size_t(rows));
    std::size_t wanted = 16;
    while (wanted < std::size_t(rows) * 2)
        wanted *= 2;
    if (wanted > m_slots.size()) rehash(wanted);
}

void KeyRowIndex::add(const QStringList &parts, int row)
{
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        rehash(std::max<std::size_t>(16, m_slots.size() * 2));
    const std::uint32_t hash = compose(parts);
    Slot &slot = m_slots[slotOf(hash)];
    if (slot.entry >= 0) return; // the first row of a key stays
    slot = Slot{hash, std::int32_t(m_entries.size())};
    // Room for the keys to come, guessed from the first one.
    if (m_units.empty()) m_units.reserve(m_entries.capacity() * (m_scratch.size() + 2));
    m_entries.push_back(Entry{m_units.size(), std::uint32_t(m_scratch.size()), row});
    m_units.insert(m_units.end(), m_scratch.begin(), m_scratch.end());
}

int KeyRowIndex::find(const QStringList &parts) const
{
    if (m_slots.empty()) return 0;
    const Slot &slot = m_slots[slotOf(compose(parts))];
    return slot.entry < 0 ? 0 : m_entries[std::size_t(slot.entry)].row;
}
