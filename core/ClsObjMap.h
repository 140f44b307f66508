#pragma once

#include "core/Dictionary.h"

#include <QObject>
#include <QString>
#include <memory>

// A map from texts to shared object references, in insertion order, keys compared binary. The
// map holds a reference to each stored object until its entry is removed or the map ends.
template <typename T = QObject> class ClsObjMap
{
public:
    using Pointer = std::shared_ptr<T>;
    using Store = Dictionary<Pointer>;

    ClsObjMap() : m_store(Store::BinaryCompare) {}

    // True after adding; false, with nothing changed, when the key is present.
    bool Add(const QString &key, Pointer object)
    {
        if (m_store.exists(key)) return false;
        m_store.add(key, std::move(object));
        return true;
    }
    // The stored object; null when the key is absent (the key is not inserted).
    Pointer GetValue(const QString &key) const
    {
        const Pointer *p = m_store.find(key);
        return p ? *p : Pointer();
    }
    int GetCount() const { return m_store.count(); }
    // Removes the key as given (not trimmed) when present.
    void Remove(const QString &key) { m_store.remove(key); }
    void RemoveAll() { m_store.removeAll(); }
    bool Exists(const QString &key) const { return m_store.exists(key); }
    // The map's own store, for walking its keys in order.
    Store &GetObject() { return m_store; }
    const Store &GetObject() const { return m_store; }

private:
    Store m_store;
};
