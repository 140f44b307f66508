#pragma once

#include "engine/SheetListView.h"

#include <QPointer>

class QTreeWidget;

// A session window's sheet list (a one-column report list in which several sheets can be
// selected) as the engine's sheet-list interface: items numbered from 1.
class SessionSheetList : public SheetListView
{
public:
    explicit SessionSheetList(QTreeWidget *list) : m_list(list) {}

    int count() const override;
    QString itemText(int index) const override;
    bool isSelected(int index) const override;
    void setSelected(int index, bool selected) override;
    void clear() override;
    void addItem(const QString &text) override;
    void setSelectedItem(int index) override;

    // The texts of the selected items in list order.
    QStringList selectedTexts() const;

private:
    QPointer<QTreeWidget> m_list;
};
