#pragma once

#include "engine/SheetComboBox.h"
#include "engine/SheetListView.h"

#include <QStringList>
#include <vector>

// A sheet list held in memory, standing in for the session window's list view.
class FakeSheetList : public SheetListView
{
public:
    FakeSheetList() = default;
    explicit FakeSheetList(const QStringList &items)
    {
        for (const QString &item : items)
            addItem(item);
    }

    int count() const override { return int(m_items.size()); }
    QString itemText(int index) const override { return m_items.at(index - 1); }
    bool isSelected(int index) const override { return m_selected.at(index - 1); }
    void setSelected(int index, bool selected) override { m_selected.at(index - 1) = selected; }
    void clear() override
    {
        m_items.clear();
        m_selected.clear();
        m_current = 0;
    }
    void addItem(const QString &text) override
    {
        m_items.append(text);
        m_selected.push_back(false);
    }
    void setSelectedItem(int index) override
    {
        m_current = index;
        setSelected(index, true);
    }

    int current() const { return m_current; }
    QStringList items() const { return m_items; }
    QList<int> selectedIndexes() const
    {
        QList<int> out;
        for (int i = 1; i <= count(); ++i)
            if (isSelected(i)) out.append(i);
        return out;
    }

private:
    QStringList m_items;
    std::vector<bool> m_selected;
    int m_current = 0;
};

// A combo box held in memory.
class FakeSheetCombo : public SheetComboBox
{
public:
    QString text() const override { return m_text; }
    int count() const override { return int(m_items.size()); }
    void clear() override
    {
        m_items.clear();
        m_text.clear();
        m_index = -1;
    }
    void addItem(const QString &text) override { m_items.append(text); }
    void selectText(const QString &text) override
    {
        const qsizetype i = m_items.indexOf(text);
        if (i >= 0) setListIndex(int(i));
    }
    void setListIndex(int index) override
    {
        m_index = index;
        m_text = m_items.at(index);
    }
    void setText(const QString &text) { m_text = text; }

    QStringList m_items;
    QString m_text;
    int m_index = -1;
};
