#include "ui/ValueRules.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace ValueRules {

void onCheck(QCheckBox *box, QObject *context, std::function<void()> rule)
{
    QObject::connect(box, &QCheckBox::stateChanged, context, [rule](int) { rule(); });
}

void onChosen(QAbstractButton *option, QObject *context, std::function<void()> rule)
{
    QObject::connect(option, &QAbstractButton::toggled, context, [rule](bool checked) {
        if (checked) rule();
    });
}

void onChosen(QButtonGroup *group, QObject *context, std::function<void(int id)> rule)
{
    QObject::connect(group, &QButtonGroup::idToggled, context, [rule](int id, bool checked) {
        if (checked) rule(id);
    });
}

void onText(QLineEdit *box, QObject *context, std::function<void()> rule)
{
    QObject::connect(box, &QLineEdit::textChanged, context, [rule](const QString &) { rule(); });
}

void onText(QComboBox *box, QObject *context, std::function<void()> rule)
{
    QObject::connect(box, &QComboBox::currentTextChanged, context,
                     [rule](const QString &) { rule(); });
}

} // namespace ValueRules
