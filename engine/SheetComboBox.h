#pragma once

#include <QString>

// A combo box of sheet names as the engine sees it; the window adapts its widget to this.
class SheetComboBox
{
public:
    virtual ~SheetComboBox() = default;

    virtual QString text() const = 0;
    virtual int count() const = 0;
    virtual void clear() = 0;
    virtual void addItem(const QString &text) = 0;
    // Selects the first item whose text equals the text exactly; nothing when none does.
    virtual void selectText(const QString &text) = 0;
    // Selects the item at a 0-based position.
    virtual void setListIndex(int index) = 0;
};
