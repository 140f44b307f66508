#include "ui/LanguageWidgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

namespace LanguageWidgets {

namespace {

template <typename T>
void bind(LanguageForm::Control &c, T *object, QString (T::*get)() const,
          void (T::*set)(const QString &))
{
    QPointer<T> p(object);
    c.caption = [p, get] { return p ? (p.data()->*get)() : QString(); };
    c.setCaption = [p, set](const QString &text) {
        if (p) (p.data()->*set)(text);
    };
}

} // namespace

LanguageForm::Control control(const QString &name, QObject *object, int index)
{
    LanguageForm::Control c;
    c.name = name;
    c.index = index;
    if (auto *check = qobject_cast<QCheckBox *>(object)) {
        c.kind = LanguageForm::CheckBox;
        bind<QAbstractButton>(c, check, &QAbstractButton::text, &QAbstractButton::setText);
    } else if (auto *radio = qobject_cast<QRadioButton *>(object)) {
        c.kind = LanguageForm::OptionButton;
        bind<QAbstractButton>(c, radio, &QAbstractButton::text, &QAbstractButton::setText);
    } else if (qobject_cast<QPushButton *>(object) || qobject_cast<QToolButton *>(object)) {
        c.kind = LanguageForm::CommandButton;
        bind<QAbstractButton>(c, static_cast<QAbstractButton *>(object), &QAbstractButton::text,
                              &QAbstractButton::setText);
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        c.kind = LanguageForm::Label;
        bind<QLabel>(c, label, &QLabel::text, &QLabel::setText);
    } else if (auto *group = qobject_cast<QGroupBox *>(object)) {
        c.kind = LanguageForm::Frame;
        bind<QGroupBox>(c, group, &QGroupBox::title, &QGroupBox::setTitle);
    } else if (auto *menu = qobject_cast<QMenu *>(object)) {
        c.kind = LanguageForm::Menu;
        bind<QMenu>(c, menu, &QMenu::title, &QMenu::setTitle);
    } else if (auto *action = qobject_cast<QAction *>(object)) {
        c.kind = LanguageForm::Menu;
        bind<QAction>(c, action, &QAction::text, &QAction::setText);
    }
    return c;
}

LanguageForm collect(QWidget *window)
{
    LanguageForm form(window->objectName());
    const QList<QObject *> objects = window->findChildren<QObject *>();
    for (QObject *o : objects) {
        if (o->objectName().isEmpty() || o->objectName().startsWith(QLatin1String("qt_"))) continue;
        if (!o->isWidgetType() && !qobject_cast<QAction *>(o)) continue;
        const QVariant index = o->property("controlIndex");
        form.add(control(o->objectName(), o, index.isValid() ? index.toInt() : -1));
    }
    return form;
}

} // namespace LanguageWidgets
