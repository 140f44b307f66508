#pragma once

class QTreeView;

// Helpers for the windows' report-style lists.
namespace ModListView {

// Sets the width of one column (from 0) in twips, converted to whole pixels of the screen.
// False, and nothing changes, when that gives no pixel or the column does not exist.
bool SetListViewColumnWidth(QTreeView *list, int column, int width);

} // namespace ModListView
