#include "ui/ClsCheckBoxGroup.h"

#include "ui/CheckValue.h"

#include <QCheckBox>

void ClsCheckBoxGroup::AddSons(const QList<QWidget *> &sons)
{
    for (QWidget *son : sons) {
        if (!son) continue;
        const QString name = son->objectName();
        bool present = false;
        for (const auto &s : m_sons)
            if (s.first == name) present = true;
        if (!present) m_sons.append({name, son});
    }
}

void ClsCheckBoxGroup::SetFather(QCheckBox *father)
{
    m_father = father;
}

void ClsCheckBoxGroup::OnFatherChecked()
{
    if (!m_idle) return;
    m_idle = false;
    const bool enabled = m_father && CheckValue::value(m_father) == 1;
    for (const auto &s : m_sons)
        if (s.second) s.second->setEnabled(enabled);
    m_idle = true;
}
