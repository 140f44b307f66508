#include "core/ClsArrayMap.h"

#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

ClsArrayMap::ClsArrayMap() = default;

void ClsArrayMap::checkWidth(const QStringList &parts) const
{
    // Every key needs its part 0 and, once the width is fixed, parts 0 to the width.
    if (parts.isEmpty() || parts.size() <= m_keyWidth)
        throw BasicError(BasicError::SubscriptOutOfRange,
                         QStringLiteral("Subscript out of range: key of %1 parts, %2 expected")
                             .arg(parts.size())
                             .arg(qMax(1, m_keyWidth + 1)));
}

QString ClsArrayMap::hashKey(const QStringList &parts) const
{
    // Each part is prefixed by its length so that no two different part lists share a text.
    QString key;
    for (int j = 0; j <= m_keyWidth; ++j) {
        const QString &p = parts.at(j);
        QString folded = m_compareMode == 0 ? p : BasicText::foldCase(p);
        key.append(QChar(ushort(folded.size() & 0xFFFF)));
        key.append(QChar(ushort((folded.size() >> 16) & 0xFFFF)));
        key.append(folded);
    }
    return key;
}

void ClsArrayMap::rebuildIndex()
{
    m_index.clear();
    if (m_keyWidth < 1) return;
    m_index.reserve(qsizetype(m_records.size()));
    for (int i = 0; i < int(m_records.size()); ++i) {
        QString h = hashKey(m_records[std::size_t(i)].parts);
        if (!m_index.contains(h)) m_index.insert(h, i);
    }
}

const ClsArrayMap::Record *ClsArrayMap::findRecord(const QStringList &parts) const
{
    auto it = m_index.constFind(hashKey(parts));
    return it == m_index.constEnd() ? nullptr : &m_records[std::size_t(*it)];
}

void ClsArrayMap::Add(const QStringList &parts, const QString &value)
{
    checkWidth(parts);
    if (Exists(parts)) return;
    ++m_lastIndex;
    if (m_keyWidth == -1) m_keyWidth = int(parts.size()) - 1;
    if (m_keyWidth == 0) {
        m_innerMap.Add(parts.at(0), value);
        return;
    }
    Record r{parts.mid(0, m_keyWidth + 1), value};
    m_index.insert(hashKey(r.parts), int(m_records.size()));
    m_records.push_back(std::move(r));
}

bool ClsArrayMap::Exists(const QStringList &parts) const
{
    if (m_keyWidth == -1) return false;
    checkWidth(parts);
    if (m_keyWidth == 0) return m_innerMap.Exists(parts.at(0));
    return findRecord(parts) != nullptr;
}

QString ClsArrayMap::GetValue(const QStringList &parts)
{
    if (m_keyWidth == -1) return QString();
    checkWidth(parts);
    if (m_keyWidth == 0) return m_innerMap.GetValue(parts.at(0));
    const Record *r = findRecord(parts);
    return r ? r->value : QString();
}

void ClsArrayMap::setCompareMode(int mode)
{
    m_compareMode = mode;
    // Records already stored are found under the new mode; the first of any that now collide
    // wins, as an in-order search would find it.
    rebuildIndex();
    m_innerMap.setCompareMode(mode);
}
