#pragma once

#include <QString>
#include <QStringList>

// Shell folders and shortcuts. A shortcut is a freedesktop desktop entry ("<name>.desktop")
// that starts a file, with its working folder in "Path=". The folders: the desktop is the one
// that $XDG_CONFIG_HOME/user-dirs.dirs names (else ~/Desktop); the Start Menu and the Programs
// folder are both $XDG_DATA_HOME/applications, whose sub-folders the desktop's menus show.
namespace KoShortcut {

enum ShellFolderKind { Desktop = 0, StartMenu = 1, Programs = 2 };

// The shell folder with a trailing "/", or "" when there is none: no home folder, or a desktop
// folder that does not exist or is the home folder itself (the user has no desktop). For all
// users (currentUser false) the menus are /usr/local/share/applications and there is no desktop.
QString GetShellFolder(int kind, bool currentUser);

// The shell folder exists and holds the sub-folder.
bool ShellSubFolderExists(const QString &subFolder, int kind, bool currentUser);

// Creates one level, shell folder + sub-folder (the menu folder itself is created when it is
// missing), and gives its path; "" when there is no shell folder.
QString CreateShellSubFolder(const QString &subFolder, int kind, bool currentUser);

// Writes shell folder + (sub-folder + "/") + name + ".desktop", starting fileName in
// workingFolder (no "Path=" when it is empty), and gives that path, also when the file could not
// be written; "" when there is no shell folder. *problem, when given, gets why nothing was
// written ("" after success). The entry is written to a temporary file and renamed into place;
// one on the desktop is made executable, as desktop programs want before they start it.
// `icon` (a theme name or a path) and `categories` go to "Icon=" and "Categories=" when given.
QString CreateShortcut(const QString &subFolder, const QString &name, const QString &fileName,
                       const QString &workingFolder, int kind, bool currentUser,
                       QString *problem = nullptr, const QString &icon = QString(),
                       const QStringList &categories = QStringList());

// The text of a desktop entry that starts fileName; "Exec=" quotes the file as the freedesktop
// Desktop Entry standard asks (shell::DesktopEntry).
QString DesktopEntryText(const QString &name, const QString &fileName, const QString &workingFolder,
                         const QString &icon = QString(),
                         const QStringList &categories = QStringList());

} // namespace KoShortcut
