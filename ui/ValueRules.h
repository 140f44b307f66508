#pragma once

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QObject;

// Ties a window's rules (coupled fields, enabled states) to a control's value changes, never to
// clicks: setting a value from code, as loading a project does, then runs the same rule as the
// user's click. Each connection ends with the context object.
namespace ValueRules {

// Every change of the box's value (0, 1, 2), from the user or from code.
void onCheck(QCheckBox *box, QObject *context, std::function<void()> rule);
// The option button became the chosen one of its group.
void onChosen(QAbstractButton *option, QObject *context, std::function<void()> rule);
// A button of the group became the chosen one; the rule gets its id.
void onChosen(QButtonGroup *group, QObject *context, std::function<void(int id)> rule);
// Every change of the text, typed or set.
void onText(QLineEdit *box, QObject *context, std::function<void()> rule);
// Every change of the shown text of a combo box (typed into an editable one, or picked).
void onText(QComboBox *box, QObject *context, std::function<void()> rule);

} // namespace ValueRules
