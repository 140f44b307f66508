#include "platform/win/FormTemplate.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>
#include <stdexcept>

void FormTemplate::build(QWidget *window, const std::vector<Control> &controls, const Place &place,
                         const Made &made)
{
    QHash<QString, QWidget *> byName;
    for (const Control &c : controls) {
        QWidget *parent = window;
        if (!c.parent.isEmpty()) {
            parent = byName.value(c.parent);
            if (!parent) parent = window->findChild<QWidget *>(c.parent);
            if (!parent)
                throw std::logic_error("form template: control " + c.name.toStdString() +
                                       " names an unknown parent " + c.parent.toStdString());
        }
        QWidget *w = c.make(parent);
        w->setObjectName(c.name);
        if (!c.caption.isNull()) setCaption(w, c.caption);
        if (!c.rect.isNull()) {
            if (place)
                place(w, c.rect, c.parent);
            else
                w->setGeometry(c.rect);
        }
        if (!byName.contains(c.name)) byName.insert(c.name, w);
        if (made) made(w, c.index);
    }
}

void FormTemplate::setCaption(QWidget *control, const QString &caption)
{
    if (auto *b = qobject_cast<QAbstractButton *>(control))
        b->setText(caption);
    else if (auto *l = qobject_cast<QLabel *>(control))
        l->setText(caption);
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        g->setTitle(caption);
    else if (auto *e = qobject_cast<QLineEdit *>(control))
        e->setText(caption);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(control))
        p->setPlainText(caption);
    else
        control->setWindowTitle(caption);
}
