// Regwell: writes the registry entries that make file managers offer Menulet's commands
// (HKCR *\shellex\ContextMenuHandlers\Quorva = Menulet's class identifier) and that make project
// files (".vrk") open in Quorva, and installs the file-manager bindings that call
// `shellhost --popup` and the desktop's file type, application entry and icon. Windowless; takes no
// arguments. Every step runs even when an earlier one failed; failures are reported on standard
// error and give exit code 1.
#include "core/ModContextMenu.h"
#include "platform/shell/DesktopIntegration.h"
#include "platform/shell/FileManagerBindings.h"
#include "shell/menulet/ModMenulet.h"
#include "shell/regwell/ModRegwell.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    bool ok = true;
    auto report = [&ok](const QString &message) {
        std::fprintf(stderr, "Regwell: %s\n", qUtf8Printable(message));
        ok = false;
    };

    if (!ModContextMenu::RegisterContextMenu())
        report(QStringLiteral("the context-menu entry was not written: Menulet is not registered "
                              "(run \"regsvr32 %1Menulet.so\" first) or the registry store "
                              "cannot be written")
                   .arg(folder));
    if (!ModRegwell::RegisterProjectFileType(folder))
        report(QStringLiteral("the \".vrk\" project-file type could not be written"));

    const QString shellhost = folder + QStringLiteral("shellhost");
    if (ModMenulet::IsNonEmptyFile(shellhost)) {
        QStringList errors;
        if (!shell::FileManagerBindings::install(shellhost, &errors))
            for (const QString &e : errors)
                report(e);
    } else {
        report(QStringLiteral("%1 is missing: the file-manager entries were not installed")
                   .arg(shellhost));
    }
    // The desktop's side of the project type: the type itself, Quorva's application entry with
    // its picture, and the type's default program.
    const QString program = folder + QStringLiteral("Quorva");
    if (ModMenulet::IsNonEmptyFile(program)) {
        QStringList errors;
        if (!shell::DesktopIntegration::install(program, folder + QStringLiteral("icons"),
                                                shell::DesktopIntegration::forAllUsers(folder),
                                                &errors))
            for (const QString &e : errors)
                report(e);
    }
    return ok ? 0 : 1;
}
