#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// Regwell's own registry steps: the ".vrk" project-file type and its open command, and the
// clearing of the file manager's remembered program for the extension.
namespace ModRegwell {

extern const char FileExtsKey[]; // "Software\...\Explorer\FileExts\.vrk" under HKCU

// ".vrk" = "vrk_auto_file"; when a non-empty "Quorva" is in the program folder (which ends in
// "/"), ClearExplorerFileExtChoice and the open command "\"<folder>Quorva\" \"%1\"". False when
// a write failed.
bool RegisterProjectFileType(const QString &programFolder);
void ClearExplorerFileExtChoice();
// Deletes one value; false when the key cannot be opened or the value not deleted.
bool DeleteRegValue(win::HKEY root, const QString &key, const QString &valueName);
// Deletes every direct subkey (collected first, then deleted); the key itself stays. False when
// the key cannot be opened.
bool DeleteRegSubKeys(win::HKEY root, const QString &key);

} // namespace ModRegwell
