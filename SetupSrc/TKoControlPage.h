#pragma once

#include <QList>
#include <QWidget>

// A list of controls, each listed once.
class TKoControlPage
{
public:
    virtual ~TKoControlPage() = default;

    // Appends a control that is not null and not listed yet.
    void AddControl(QWidget *control);
    int Count() const { return int(m_controls.size()); }

protected:
    QList<QWidget *> m_controls;
};
