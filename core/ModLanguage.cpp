#include "core/ModLanguage.h"

namespace ModLanguage {

bool IsTranslatableControl(const LanguageForm::Control &control)
{
    return control.kind != LanguageForm::Other;
}

} // namespace ModLanguage
