#pragma once

#include "core/LanguageForm.h"

#include <QList>
#include <QPointer>
#include <QString>

class QObject;

// A window's controls in the window's own order, as the language texts walk them: the window
// registers each control once, when it builds it, in the order its design lists them. Widget
// trees do not keep that order (re-parenting, menus owned by the menu bar, toolbar actions that
// are no menu items), so the window says it. A control's name is its objectName; an element of
// a control array also carries its index (the dynamic property "controlIndex").
class FormControls
{
public:
    explicit FormControls(QObject *window = nullptr) : m_window(window) {}

    void setWindow(QObject *window) { m_window = window; }
    // Registers the control under its objectName; an index >= 0 makes it element `index` of a
    // control array of that name.
    void add(QObject *control, int index = -1);
    // The first registered control of that name (and index, when one is given); null when none.
    QObject *find(const QString &name, int index = -1) const;
    // The registered controls that still exist, in registration order.
    QList<QObject *> controls() const;

    // The window's LanguageForm: section = the window's objectName, controls in registration
    // order.
    LanguageForm form() const;

private:
    QPointer<QObject> m_window;
    QList<QPointer<QObject>> m_controls;
};
