#pragma once

#include "core/Dictionary.h"

#include <QList>
#include <QString>
#include <QStringList>

// A map from texts to texts in insertion order; keys compare without regard to case until the
// mode is changed (only while the map is empty). Sets of columns, rows, sheet and file names.
class ClsMap
{
public:
    using Store = Dictionary<QString>;

    ClsMap();

    // Adds the pair only when the key is absent; a present key keeps its value and position.
    void Add(const QString &key, const QString &value);
    // The key's value; an absent key yields "" and is inserted, with an empty value, at the end.
    QString GetValue(const QString &key);
    // Replaces the key's value; an absent key is inserted at the end.
    void SetValue(const QString &key, const QString &value);
    // The map's own store (not a copy), for walking the keys in order.
    Store &GetObject() { return m_store; }
    const Store &GetObject() const { return m_store; }
    bool Exists(const QString &key) const;
    int count() const;
    // Removes the key, trimmed of blanks at both ends, when present.
    void Remove(const QString &key);
    void Remove(int key);
    // Empties the map; the mode stays.
    void RemoveAll();
    // The keys as whole numbers, in order, into `out` (emptied first); returns count-1, -1 for an
    // empty map. A key that is not a number raises error 13 (6 when it does not fit 32 bits).
    int ToArray(QList<int> &out) const;
    // Empties the map and adds each element's decimal text with the value "" (duplicates are
    // kept once, first position); returns the array's upper bound.
    int FromLongArray(const QList<int> &values);
    int FromStringArray(const QStringList &values);
    // The keys in order into `out`; returns count-1.
    int ToArray_String(QStringList &out) const;
    int CompareMode() const;
    // Raises error 5 when the map holds keys.
    void setCompareMode(int mode);
    // Reads every entry; no other effect.
    void Dump() const;
    // The key at a 0-based position of the order; "" outside 0..count-1.
    QString GetKey(int index) const;

private:
    Store m_store;
};
