#include "diffview/ViewDiffList.h"

#include "diffview/ViewAligner.h"

void ViewDiffList::build(ViewAligner &aligner, const std::shared_ptr<ClsComparePair> &pair)
{
    m_UBound = aligner.align(pair, m_Rows);
    m_Index = 0;
}

bool ViewDiffList::next()
{
    if (m_Index >= m_UBound) return false;
    ++m_Index;
    return true;
}

bool ViewDiffList::previous()
{
    if (m_Index <= 0) return false;
    --m_Index;
    return true;
}

int ViewDiffList::currentRow() const
{
    if (m_Index < 0 || m_Index > m_UBound || m_Index >= m_Rows.size()) return -1;
    return m_Rows.at(m_Index);
}
