#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// Text values in the registry: write one (creating the key), read one, delete a key.
namespace modRegistry {

// Creates the key with every missing level above it, or opens it, and writes the value as
// REG_SZ (an empty text as one blank). True only when both steps succeed.
bool SetRegString(win::HKEY root, const QString &subKey, const QString &valueName,
                  const QString &value);
// Opens the key for reading only and returns the value ("" for the default value) as text, up
// to its first NUL; REG_DWORD as its decimal text. "" when the key or value cannot be read or
// the data needs more than 1,024 bytes.
QString GetRegValue(win::HKEY root, const QString &subKey, const QString &valueName);
// Deletes the key; false when it is missing, still has subkeys, or may not be changed.
bool DeleteRegKey(win::HKEY root, const QString &subKey);

} // namespace modRegistry
