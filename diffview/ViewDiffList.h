#pragma once

#include <QList>
#include <memory>

class ClsComparePair;
class ViewAligner;

// The rows the difference view visits with Next and Previous, and where the user stands among
// them. The list comes from lining the pair's sheets up; stepping past either end is refused so
// that the view can say there are no more differences.
class ViewDiffList
{
public:
    // Lines the pair's sheets up, lists the rows to visit and stands on the first.
    void build(ViewAligner &aligner, const std::shared_ptr<ClsComparePair> &pair);
    // False, standing still, at the last (first) row of the list.
    bool next();
    bool previous();
    // The aligned row stood on; -1 when the list is empty.
    int currentRow() const;

    const QList<int> &rows() const { return m_Rows; }
    int upperBound() const { return m_UBound; }
    int index() const { return m_Index; }

private:
    QList<int> m_Rows;
    int m_UBound = -1;
    int m_Index = 0;
};
