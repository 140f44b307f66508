// Unregwell: removes the context-menu entry (HKCR *\shellex\ContextMenuHandlers\Quorva) and the
// file-manager bindings and the desktop's ".vrk" file type that Regwell installed. The ".vrk"
// registry entries, Quorva's application entry and Menulet's own registration stay.
// Windowless; takes no arguments. An entry that is not there is no failure; anything that
// cannot be removed is reported on standard error and gives exit code 1.
#include "core/ModContextMenu.h"
#include "core/modRegistry.h"
#include "platform/shell/DesktopIntegration.h"
#include "platform/shell/FileManagerBindings.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    const QString key = QString::fromLatin1(ModContextMenu::HandlerKey);
    if (!modRegistry::DeleteRegKey(win::HKEY_CLASSES_ROOT, key)) {
        // Gone already is fine; still there is not.
        win::HKEY k = 0;
        if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, key, 0, win::KEY_READ, &k) ==
            win::ERROR_SUCCESS) {
            win::RegCloseKey(k);
            std::fprintf(stderr, "Unregwell: HKCR\\%s cannot be removed\n", qUtf8Printable(key));
            ok = false;
        }
    }
    QStringList errors;
    if (!shell::FileManagerBindings::remove(&errors)) ok = false;
    // The project type goes with the handler; Quorva's application entry stays.
    QString folder = QCoreApplication::applicationDirPath();
    if (!shell::DesktopIntegration::remove(shell::DesktopIntegration::forAllUsers(folder), &errors))
        ok = false;
    for (const QString &e : errors)
        std::fprintf(stderr, "Unregwell: %s\n", qUtf8Printable(e));
    return ok ? 0 : 1;
}
