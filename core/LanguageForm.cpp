#include "core/LanguageForm.h"

QString LanguageForm::kindName(Kind kind)
{
    switch (kind) {
    case Menu:
        return QStringLiteral("Menu");
    case CommandButton:
        return QStringLiteral("CommandButton");
    case Label:
        return QStringLiteral("Label");
    case Frame:
        return QStringLiteral("Frame");
    case CheckBox:
        return QStringLiteral("CheckBox");
    case OptionButton:
        return QStringLiteral("OptionButton");
    case Other:
        break;
    }
    return QString();
}
