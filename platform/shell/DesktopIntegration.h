#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace shell {

// What makes a program part of a freedesktop desktop: its application entry in the menus (with
// its picture and its categories), the file type of its project files, and that type's default
// program. All of it goes into one data folder:
//   per user:  $XDG_DATA_HOME (~/.local/share), the default in $XDG_CONFIG_HOME/mimeapps.list;
//   all users: the first folder of $XDG_DATA_DIRS (/usr/local/share), the default in its
//              applications/mimeapps.list. That is where root's install outside any home goes,
//              so that every user of the machine gets the menu entry and the file type.
// Files carry a marker, so that removing them never deletes a file of the user's.
class DesktopIntegration
{
public:
    static constexpr const char *ProjectMimeType = "application/x-quorva-project";
    static constexpr const char *EntryName = "quorva.desktop";
    static constexpr const char *IconName = "quorva";

    // Whether a program in this folder is installed for every user: run by root, outside the
    // home folder.
    static bool forAllUsers(const QString &programFolder);
    // The data folder and the mimeapps.list that hold the default program.
    static QString dataFolder(bool allUsers);
    static QString defaultsFile(bool allUsers);

    static QString mimePackagePath(bool allUsers);
    static QString entryPath(bool allUsers);

    static QByteArray mimePackage();
    static QByteArray applicationEntry(const QString &program);

    // Writes the type, the entry (starting `program` with the file), copies the pictures found
    // in iconsFolder (hicolor/<size>/apps/quorva.png) into the icon theme, makes the entry the
    // type's default, and refreshes the desktop's caches where their tools are installed. False
    // when anything failed, with a message per failure naming the file.
    static bool install(const QString &program, const QString &iconsFolder, bool allUsers,
                        QStringList *errors);
    // Removes the type and the default when they are ours. The application entry and the
    // pictures stay: they belong to the installed program, not to its file type.
    static bool remove(bool allUsers, QStringList *errors);

    // mimeapps.list text with `type` in [Default Applications] set to `entry` (entry empty: the
    // line removed, but only when it names `only`). Other lines and sections stay as they are.
    static QByteArray withDefault(const QByteArray &list, const QString &type, const QString &entry,
                                  const QString &only = QString());

private:
    static bool writeFile(const QString &path, const QByteArray &content, QString *error);
    static bool removeOurs(const QString &path, QStringList *errors);
    static void refresh(const QString &tool, const QString &folder);
};

} // namespace shell
