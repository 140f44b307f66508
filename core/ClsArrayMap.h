#pragma once

#include "core/ClsMap.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// A map from a composite key (one text per key column of a worksheet row) to a text (the row
// number). The first addition fixes the number of parts; keys of one part live in an inner text
// map, longer keys in records found through a hash of their parts (folded in text mode). The
// first record added under a key wins, as with a search of the records in order.
class ClsArrayMap
{
public:
    ClsArrayMap();

    // Adds when the key is absent; parts beyond the first key's width are ignored. A key with
    // no parts, or fewer than the first key's, raises error 9.
    void Add(const QStringList &parts, const QString &value);
    bool Exists(const QStringList &parts) const;
    // The value of the matching record, "" when none. With one-part keys an absent key is then
    // present in the inner map with an empty value.
    QString GetValue(const QStringList &parts);
    int CompareMode() const { return m_compareMode; }
    // Also sets the inner map's mode, which raises error 5 when it holds one-part keys.
    void setCompareMode(int mode);

private:
    struct Record
    {
        QStringList parts;
        QString value;
    };

    void checkWidth(const QStringList &parts) const;
    QString hashKey(const QStringList &parts) const;
    void rebuildIndex();
    const Record *findRecord(const QStringList &parts) const;

    std::vector<Record> m_records;
    int m_keyWidth = -1;
    int m_lastIndex = -1;
    ClsMap m_innerMap;
    int m_compareMode = 0;
    QHash<QString, int> m_index; // hash key of a record's parts -> first record with them
};
