#pragma once

#include <QString>

// The Explorer context-menu handler key: HKEY_CLASSES_ROOT *\shellex\ContextMenuHandlers\Quorva,
// whose default value is the class identifier of the Menulet extension, copied from that
// extension's own registration (HKEY_CLASSES_ROOT Menulet.ShellExt\Clsid).
namespace ModContextMenu {

extern const char HandlerKey[];       // "*\shellex\ContextMenuHandlers\Quorva"
extern const char ShellExtClsidKey[]; // "Menulet.ShellExt\Clsid"

// Writes the handler key. While Menulet is not registered (its class identifier reads as
// empty), nothing is written and the result is false.
bool RegisterContextMenu();
// Deletes the handler key; false when it is not there.
bool UnregisterContextMenu();
QString GetShellExtClsid();
QString ReadShellExtClsid();

} // namespace ModContextMenu
