#pragma once

#include "core/LanguageForm.h"

// Which controls have a translatable caption.
namespace ModLanguage {

// True for menus, command buttons, labels, frames, check boxes and option buttons.
bool IsTranslatableControl(const LanguageForm::Control &control);

} // namespace ModLanguage
