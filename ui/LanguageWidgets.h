#pragma once

#include "core/LanguageForm.h"

class QAction;
class QMenu;
class QObject;
class QWidget;

// Builds a window's LanguageForm from its widgets: push and tool buttons are command buttons,
// labels labels, group boxes frames, check boxes and radio buttons check boxes and option
// buttons, menus and their actions menu items; any other widget is kept in the list but never
// translated. A widget's name is its objectName; an element of a control array carries its
// index in the dynamic property "controlIndex".
namespace LanguageWidgets {

LanguageForm::Control control(const QString &name, QObject *object, int index = -1);

// The window's named widgets, menus and actions in creation order (depth first), under the
// window's objectName.
LanguageForm collect(QWidget *window);

} // namespace LanguageWidgets
