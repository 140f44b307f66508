#pragma once

#include <QList>
#include <QPointer>

class QWidget;

// Numbers the keyboard order of a window's controls: each control added gets the next tab index
// (its dynamic property "TabIndex", from 0) and follows the previously added one in the focus
// chain. A caller adds its controls in the wanted order, single ones or groups, and drops the
// object; the controls keep their places.
class ClsVbTab
{
public:
    void TabAdd(QWidget *ctl);
    void AddSons(const QList<QWidget *> &controls);

    int nextTabIndex() const { return m_next; }

private:
    int m_next = 0;
    QPointer<QWidget> m_last; // the last added control that can take the focus
};
