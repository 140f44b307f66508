#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace shell {

// The small static files that bring registered context-menu commands to real file managers:
// each hands the selected files to `shellhost --popup`, which asks the handlers registered under
// HKCR *\shellex\ContextMenuHandlers and shows their commands. The handler key stays the one
// switch: with it gone the popup offers nothing, whether these files are there or not.
//   KDE (Dolphin):    $XDG_DATA_HOME/kio/servicemenus/quorva-shellhost.desktop, a service menu
//   GNOME (Nautilus): $XDG_DATA_HOME/nautilus/scripts/Quorva, a script under "Scripts"
// Both carry a marker line, so that removing them never deletes a file of the user's.
class FileManagerBindings
{
public:
    // $XDG_DATA_HOME, else ~/.local/share.
    static QString dataHome();
    static QString kdeServiceMenuPath();
    static QString nautilusScriptPath();

    static QByteArray kdeServiceMenu(const QString &shellhost);
    static QByteArray nautilusScript(const QString &shellhost);

    // Writes both files (executable, which both file managers ask of user-installed entries),
    // each through a temporary file and a rename. A file of that name without the marker is
    // left alone and reported. False when anything failed, with a message per failure naming
    // the file.
    static bool install(const QString &shellhost, QStringList *errors);
    // Removes both files when they carry the marker; missing files are no failure.
    static bool remove(QStringList *errors);

    // One word for a POSIX shell, in single quotes.
    static QString shellWord(const QString &word);

private:
    static bool isOurs(const QString &path, bool *exists, QString *error);
    static bool writeExecutable(const QString &path, const QByteArray &content, QString *error);
};

} // namespace shell
