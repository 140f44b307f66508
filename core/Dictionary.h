#pragma once

#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// The keyed store under every map: pairs of a text key and a value, enumerated in the order the
// keys were first inserted. Keys compare binary (mode 0) or as text without regard to case (any
// other mode); lookups are hashed on the key, folded in text mode.
//
// Rules the maps pass on to their callers:
// - item() of an absent key inserts it, at the end, with an empty value;
// - setItem() of an absent key inserts it; of a present key replaces the value in place;
// - add() of a present key raises error 457;
// - the mode can change only while the store is empty (else error 5).
// Removed entries leave a gap that is closed on the next positional access, so removing many
// keys one by one stays linear.
template <typename V> class Dictionary
{
public:
    enum { BinaryCompare = 0, TextCompare = 1 };

    explicit Dictionary(int compareMode = BinaryCompare) : m_mode(compareMode) {}

    int compareMode() const { return m_mode; }
    void setCompareMode(int mode)
    {
        if (mode < 0 || count() > 0) throw BasicError(BasicError::InvalidCall);
        m_mode = mode;
    }

    int count() const { return int(m_index.size()); }
    // Room for n keys, so that filling the store does not grow it step by step.
    void reserve(int n)
    {
        m_entries.reserve(std::size_t(n));
        m_index.reserve(n);
    }
    bool isEmpty() const { return m_index.isEmpty(); }
    bool exists(const QString &key) const { return m_index.contains(hashKey(key)); }

    // The value of a present key; null when absent (the key is not inserted).
    const V *find(const QString &key) const
    {
        auto it = m_index.constFind(hashKey(key));
        return it == m_index.constEnd() ? nullptr : &m_entries[*it].value;
    }
    V *find(const QString &key)
    {
        auto it = m_index.constFind(hashKey(key));
        return it == m_index.constEnd() ? nullptr : &m_entries[*it].value;
    }

    // Reads a value; an absent key is inserted with an empty value.
    V &item(const QString &key)
    {
        QString h = hashKey(key);
        auto it = m_index.constFind(h);
        if (it != m_index.constEnd()) return m_entries[*it].value;
        return insertNew(h, key, V());
    }

    void setItem(const QString &key, const V &value)
    {
        QString h = hashKey(key);
        auto it = m_index.constFind(h);
        if (it != m_index.constEnd())
            m_entries[*it].value = value;
        else
            insertNew(h, key, value);
    }

    void add(const QString &key, const V &value)
    {
        QString h = hashKey(key);
        if (m_index.contains(h))
            throw BasicError(457, QStringLiteral("This key is already associated with an element "
                                                 "of this collection"));
        insertNew(h, key, value);
    }

    // Removes a present key; false when it is absent.
    bool remove(const QString &key)
    {
        auto it = m_index.find(hashKey(key));
        if (it == m_index.end()) return false;
        Entry &e = m_entries[*it];
        e.live = false;
        e.key.clear();
        e.value = V();
        m_index.erase(it);
        ++m_dead;
        if (m_index.isEmpty()) clearStorage();
        return true;
    }

    void removeAll()
    {
        m_index.clear();
        clearStorage();
    }

    // The key at a position of the order; "" outside 0..count-1.
    QString keyAt(int position) const
    {
        if (position < 0 || position >= count()) return QString();
        compact();
        return m_entries[std::size_t(position)].key;
    }
    // The value at a position of the order (0..count-1).
    const V &valueAt(int position) const
    {
        compact();
        return m_entries.at(std::size_t(position)).value;
    }
    // The stored key that matches a key under the mode ("" when absent).
    QString storedKey(const QString &key) const
    {
        auto it = m_index.constFind(hashKey(key));
        return it == m_index.constEnd() ? QString() : m_entries[*it].key;
    }

    QStringList keys() const
    {
        QStringList out;
        out.reserve(count());
        for (const Entry &e : m_entries)
            if (e.live) out.append(e.key);
        return out;
    }
    std::vector<V> values() const
    {
        std::vector<V> out;
        out.reserve(std::size_t(count()));
        for (const Entry &e : m_entries)
            if (e.live) out.push_back(e.value);
        return out;
    }
    // Calls f(key, value) for every entry in order. f must not add or remove keys.
    template <typename F> void forEach(F &&f) const
    {
        for (const Entry &e : m_entries)
            if (e.live) f(e.key, e.value);
    }

private:
    struct Entry
    {
        QString key;
        V value;
        bool live;
    };

    QString hashKey(const QString &key) const
    {
        return m_mode == BinaryCompare ? key : BasicText::foldCase(key);
    }

    V &insertNew(const QString &hash, const QString &key, const V &value)
    {
        compact();
        m_entries.push_back(Entry{key, value, true});
        m_index.insert(hash, qsizetype(m_entries.size() - 1));
        return m_entries.back().value;
    }

    void clearStorage()
    {
        m_entries.clear();
        m_dead = 0;
    }

    // Closes the gaps left by removals (positions then match the order again).
    void compact() const
    {
        if (!m_dead) return;
        std::size_t out = 0;
        for (std::size_t in = 0; in < m_entries.size(); ++in) {
            if (!m_entries[in].live) continue;
            if (out != in) m_entries[out] = std::move(m_entries[in]);
            m_index[hashKey(m_entries[out].key)] = qsizetype(out);
            ++out;
        }
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(out), m_entries.end());
        m_dead = 0;
    }

    int m_mode;
    mutable std::vector<Entry> m_entries;
    mutable QHash<QString, qsizetype> m_index;
    mutable int m_dead = 0;
};
