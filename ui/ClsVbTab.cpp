#include "ui/ClsVbTab.h"

#include <QWidget>

void ClsVbTab::TabAdd(QWidget *ctl)
{
    if (!ctl) return;
    ctl->setProperty("TabIndex", m_next);
    ++m_next;
    // Controls that never take the focus (frames, labels) keep their number but stay out of the
    // chain, which links only focusable widgets.
    if (ctl->focusPolicy() == Qt::NoFocus) return;
    if (m_last && m_last->window() == ctl->window()) QWidget::setTabOrder(m_last, ctl);
    m_last = ctl;
}

void ClsVbTab::AddSons(const QList<QWidget *> &controls)
{
    for (QWidget *ctl : controls)
        TabAdd(ctl);
}
