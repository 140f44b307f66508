#pragma once

#include "core/ClsOption.h"

#include <QString>
#include <memory>

// Process-wide state that the core's readers need: the program folder (ending in "/") and the
// program options. The entry routine sets both; core code that finds them unset falls back to
// the executable's folder and creates the options object.
extern QString g_AppPath;
extern std::shared_ptr<ClsOption> g_Options;

// g_AppPath, or the executable's folder with a trailing "/" while it is unset.
QString AppPathOrDefault();
// g_Options, created with its initial values when there is none yet.
ClsOption &CurrentOptions();
