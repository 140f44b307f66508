#include "engine/ClsOneRowDiff.h"

ClsOneRowDiff::ClsOneRowDiff() = default;

ClsMap &ClsOneRowDiff::fields() const
{
    if (!m_fields) m_fields = std::make_shared<ClsMap>();
    return *m_fields;
}

std::shared_ptr<ClsMap> ClsOneRowDiff::GetFieldMap() const
{
    fields();
    return m_fields;
}

void ClsOneRowDiff::Add(const QString &column, const QString &value)
{
    if (!fields().Exists(column)) fields().Add(column, value);
}

QString ClsOneRowDiff::GetValue(const QString &column)
{
    return fields().GetValue(column);
}

void ClsOneRowDiff::SetValue(const QString &column, const QString &value)
{
    fields().SetValue(column, value);
}

bool ClsOneRowDiff::Exists(const QString &column) const
{
    return m_fields && m_fields->Exists(column);
}

void ClsOneRowDiff::setLeftRow(int row)
{
    m_leftRow = row;
    m_newLeftRow = row;
}

void ClsOneRowDiff::setRightRow(int row)
{
    m_rightRow = row;
    m_newRightRow = row;
}
