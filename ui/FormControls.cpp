#include "ui/FormControls.h"

#include "ui/LanguageWidgets.h"

#include <QObject>
#include <QVariant>

namespace {

int indexOf(const QObject *control)
{
    const QVariant index = control->property("controlIndex");
    return index.isValid() ? index.toInt() : -1;
}

} // namespace

void FormControls::add(QObject *control, int index)
{
    if (!control) return;
    if (index >= 0) control->setProperty("controlIndex", index);
    m_controls.append(control);
}

QObject *FormControls::find(const QString &name, int index) const
{
    for (const QPointer<QObject> &c : m_controls)
        if (c && c->objectName() == name && (index < 0 || indexOf(c) == index)) return c;
    return nullptr;
}

QList<QObject *> FormControls::controls() const
{
    QList<QObject *> live;
    for (const QPointer<QObject> &c : m_controls)
        if (c) live.append(c);
    return live;
}

LanguageForm FormControls::form() const
{
    LanguageForm form(m_window ? m_window->objectName() : QString());
    for (QObject *c : controls())
        form.add(LanguageWidgets::control(c->objectName(), c, indexOf(c)));
    return form;
}
