#pragma once

#include <QString>

namespace ModPub {

// The system's temporary folder with a trailing "/"; "/" when the system gives none.
QString GetTempDir();

} // namespace ModPub
