#include "engine/ClsOneRowDiff.h"

ClsOneRowDiff::ClsOneRowDiff() : m_fields(std::make_shared<ClsMap>()) {}

void ClsOneRowDiff::Add(const QString &column, const QString &value)
{
    if (!m_fields->Exists(column)) m_fields->Add(column, value);
}

QString ClsOneRowDiff::GetValue(const QString &column)
{
    return m_fields->GetValue(column);
}

void ClsOneRowDiff::SetValue(const QString &column, const QString &value)
{
    m_fields->SetValue(column, value);
}

bool ClsOneRowDiff::Exists(const QString &column) const
{
    return m_fields->Exists(column);
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
