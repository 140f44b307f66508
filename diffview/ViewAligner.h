#pragma once

#include <QList>
#include <memory>

class ClsComparePair;
class ClsResultParser;

namespace excel {
class Range;
class Worksheet;
} // namespace excel

// What the difference view asks of the row alignment: line the two sheets of a pair up and list
// the rows to visit, follow the user's edits, take the inserted rows out before a side is saved,
// and mark cells in red while keeping their own colours for the save.
class ViewAligner
{
public:
    ViewAligner();
    ~ViewAligner();
    ViewAligner(const ViewAligner &) = delete;
    ViewAligner &operator=(const ViewAligner &) = delete;

    // Aligns the pair's sheets and fills the rows to visit (ascending); returns their upper
    // bound, -1 when there is nothing to visit.
    int align(const std::shared_ptr<ClsComparePair> &pair, QList<int> &rows);
    // Before a side is saved, and once its file is written: the inserted rows go out of the
    // file but stay in the view.
    void deleteAddedRows(bool left);
    void putBackAddedRows(bool left);
    // An edit of the side's sheet (every row of the changed range).
    void sheetChanged(bool left, const excel::Range &target);
    // Red text on one cell of the side's aligned sheet; its own colour comes back before the
    // side is saved.
    void markCellRed(bool left, int row, int column);

private:
    std::unique_ptr<ClsResultParser> m_parser;
};
