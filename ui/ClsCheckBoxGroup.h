#pragma once

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>

class QCheckBox;
class QWidget;

// A father check box and the son controls that are usable only while it is ticked (the session
// window's report-workbook box and its three sheet boxes). The owner calls AddSons and
// SetFather once, then OnFatherChecked whenever the father's value changes.
class ClsCheckBoxGroup
{
public:
    // Adds each control under its objectName; a second control of a name already added (an
    // element of a control array) is left out.
    void AddSons(const QList<QWidget *> &sons);
    void SetFather(QCheckBox *father);
    // Every son, in the order added, is enabled exactly when the father's value is 1 (a greyed
    // father disables them). A call made while one runs does nothing.
    void OnFatherChecked();
    void OnSonChecked() {}

private:
    QList<QPair<QString, QPointer<QWidget>>> m_sons;
    QPointer<QCheckBox> m_father;
    bool m_idle = true;
};
