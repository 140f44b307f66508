#include "core/ModContextMenu.h"

#include "core/modRegistry.h"

namespace ModContextMenu {

const char HandlerKey[] = "*\\shellex\\ContextMenuHandlers\\Quorva";
const char ShellExtClsidKey[] = "Menulet.ShellExt\\Clsid";

bool RegisterContextMenu()
{
    const QString clsid = GetShellExtClsid();
    // A blank or empty identifier would name no handler at all.
    if (clsid.trimmed().isEmpty()) return false;
    return modRegistry::SetRegString(win::HKEY_CLASSES_ROOT, QString::fromLatin1(HandlerKey),
                                     QString(), clsid);
}

bool UnregisterContextMenu()
{
    return modRegistry::DeleteRegKey(win::HKEY_CLASSES_ROOT, QString::fromLatin1(HandlerKey));
}

QString GetShellExtClsid()
{
    return ReadShellExtClsid();
}

QString ReadShellExtClsid()
{
    return modRegistry::GetRegValue(win::HKEY_CLASSES_ROOT, QString::fromLatin1(ShellExtClsidKey),
                                    QString());
}

} // namespace ModContextMenu
