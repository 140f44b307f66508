#include "ui/ModListView.h"

#include "core/Twips.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTreeView>

namespace ModListView {

bool SetListViewColumnWidth(QTreeView *list, int column, int width)
{
    const int pixels = Twips::toPixels(width);
    if (!list || pixels <= 0) return false;
    if (column < 0 || !list->model() || column >= list->model()->columnCount()) return false;
    list->setColumnWidth(column, pixels);
    return list->columnWidth(column) == pixels;
}

} // namespace ModListView
