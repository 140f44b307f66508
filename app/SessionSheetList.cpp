#include "app/SessionSheetList.h"

#include <QTreeWidget>

int SessionSheetList::count() const
{
    return m_list ? m_list->topLevelItemCount() : 0;
}

QString SessionSheetList::itemText(int index) const
{
    QTreeWidgetItem *item = m_list ? m_list->topLevelItem(index - 1) : nullptr;
    return item ? item->text(0) : QString();
}

bool SessionSheetList::isSelected(int index) const
{
    QTreeWidgetItem *item = m_list ? m_list->topLevelItem(index - 1) : nullptr;
    return item && item->isSelected();
}

void SessionSheetList::setSelected(int index, bool selected)
{
    if (QTreeWidgetItem *item = m_list ? m_list->topLevelItem(index - 1) : nullptr)
        item->setSelected(selected);
}

void SessionSheetList::clear()
{
    if (m_list) m_list->clear();
}

void SessionSheetList::addItem(const QString &text)
{
    if (m_list) m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
}

void SessionSheetList::setSelectedItem(int index)
{
    QTreeWidgetItem *item = m_list ? m_list->topLevelItem(index - 1) : nullptr;
    if (!item) return;
    m_list->setCurrentItem(item);
    item->setSelected(true);
}

QStringList SessionSheetList::selectedTexts() const
{
    QStringList texts;
    for (int i = 1; i <= count(); ++i)
        if (isSelected(i)) texts.append(itemText(i));
    return texts;
}
