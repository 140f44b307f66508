#include "core/ClsMap.h"

#include "core/TextRules.h"

#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <cmath>
#include <limits>

ClsMap::ClsMap() : m_store(Store::TextCompare) {}

void ClsMap::Add(const QString &key, const QString &value)
{
    if (!m_store.exists(key)) m_store.add(key, value);
}

QString ClsMap::GetValue(const QString &key)
{
    return m_store.item(key);
}

void ClsMap::SetValue(const QString &key, const QString &value)
{
    m_store.setItem(key, value);
}

bool ClsMap::Exists(const QString &key) const
{
    return m_store.exists(key);
}

int ClsMap::count() const
{
    return m_store.count();
}

void ClsMap::Remove(const QString &key)
{
    // Only blanks are trimmed; tabs and line ends stay part of the key.
    m_store.remove(TextRules::trimBlanks(key));
}

void ClsMap::Remove(int key)
{
    m_store.remove(QString::number(key));
}

void ClsMap::RemoveAll()
{
    m_store.removeAll();
}

int ClsMap::ToArray(QList<int> &out) const
{
    out.clear();
    if (m_store.isEmpty()) return -1;
    out.reserve(m_store.count());
    m_store.forEach([&out](const QString &key, const QString &) {
        double v;
        if (!BasicText::tryParseNumber(key, &v))
            throw BasicError(
                BasicError::TypeMismatch,
                QStringLiteral("Type mismatch: map key \"%1\" is not a number").arg(key));
        v = BasicText::roundHalfEven(v);
        if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            throw BasicError(
                BasicError::Overflow,
                QStringLiteral("Overflow: map key \"%1\" does not fit 32 bits").arg(key));
        out.append(int(v));
    });
    return int(out.size()) - 1;
}

int ClsMap::FromLongArray(const QList<int> &values)
{
    m_store.removeAll();
    for (int v : values)
        Add(QString::number(v), QString());
    return int(values.size()) - 1;
}

int ClsMap::FromStringArray(const QStringList &values)
{
    m_store.removeAll();
    for (const QString &v : values)
        Add(v, QString());
    return int(values.size()) - 1;
}

int ClsMap::ToArray_String(QStringList &out) const
{
    out = m_store.keys();
    return int(out.size()) - 1;
}

int ClsMap::CompareMode() const
{
    return m_store.compareMode();
}

void ClsMap::setCompareMode(int mode)
{
    m_store.setCompareMode(mode);
}

void ClsMap::Dump() const
{
    m_store.forEach([](const QString &, const QString &) {});
}

QString ClsMap::GetKey(int index) const
{
    return m_store.keyAt(index);
}
