#pragma once

#include <QString>

// A session window's sheet list as the engine sees it: a list view whose items are numbered
// from 1, several of which may be selected. The window adapts its widget to this, so that the
// engine needs no Qt Widgets.
class SheetListView
{
public:
    virtual ~SheetListView() = default;

    virtual int count() const = 0;
    // Items are numbered from 1 (a list item's Index).
    virtual QString itemText(int index) const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual void setSelected(int index, bool selected) = 0;
    virtual void clear() = 0;
    virtual void addItem(const QString &text) = 0;
    // Makes the item the list's current item (its SelectedItem) and selects it.
    virtual void setSelectedItem(int index) = 0;
};
