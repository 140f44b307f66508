#include "engine/KeyRowIndex.h"

#include "platform/text/BasicText.h"

#include <QHashFunctions>

namespace {

std::uint32_t hashOf(const QString &key)
{
    const std::size_t h = qHash(QStringView(key), 0);
    return std::uint32_t(h ^ (std::uint64_t(h) >> 32));
}

} // namespace

QString KeyRowIndex::hashKey(const QStringList &parts) const
{
    if (parts.size() == 1) return m_ignoreCase ? BasicText::foldCase(parts.front()) : parts.front();
    // Each part is prefixed by its length, so that no two different part lists share a text.
    qsizetype length = 0;
    for (const QString &p : parts)
        length += p.size() + 2;
    QString key;
    key.reserve(length);
    for (const QString &p : parts) {
        const QString folded = m_ignoreCase ? BasicText::foldCase(p) : p;
        key.append(QChar(ushort(folded.size() & 0xFFFF)));
        key.append(QChar(ushort((folded.size() >> 16) & 0xFFFF)));
        key.append(folded);
    }
    return key;
}

void KeyRowIndex::reserve(int rows)
{
    if (rows <= 0) return;
    m_keys.reserve(std::size_t(rows));
    m_rows.reserve(std::size_t(rows));
    std::size_t wanted = 16;
    while (wanted < std::size_t(rows) * 2)
        wanted *= 2;
    if (wanted <= m_slots.size()) return;
    m_slots.assign(wanted, Slot{0, -1});
    for (std::size_t e = 0; e < m_keys.size(); ++e)
        m_slots[slotOf(m_keys[e], hashOf(m_keys[e]))] = Slot{hashOf(m_keys[e]), std::int32_t(e)};
}

void KeyRowIndex::grow()
{
    reserve(int(std::max<std::size_t>(m_slots.size(), 16)));
}

std::size_t KeyRowIndex::slotOf(const QString &key, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.entry < 0) return i;
        if (slot.hash == hash && m_keys[std::size_t(slot.entry)] == key) return i;
    }
}

void KeyRowIndex::add(const QStringList &parts, int row)
{
    if ((m_keys.size() + 1) * 2 > m_slots.size()) grow();
    QString key = hashKey(parts);
    const std::uint32_t hash = hashOf(key);
    Slot &slot = m_slots[slotOf(key, hash)];
    if (slot.entry >= 0) return; // the first row of a key stays
    slot = Slot{hash, std::int32_t(m_keys.size())};
    m_keys.push_back(std::move(key));
    m_rows.push_back(row);
}

int KeyRowIndex::find(const QStringList &parts) const
{
    if (m_slots.empty()) return 0;
    const QString key = hashKey(parts);
    const Slot &slot = m_slots[slotOf(key, hashOf(key))];
    return slot.entry < 0 ? 0 : m_rows[std::size_t(slot.entry)];
}
