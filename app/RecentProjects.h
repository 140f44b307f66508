#pragma once

#include <QStringList>

class ClsIni;

// The recent-file list, kept in [RecentFile] of the settings file (the ten newest project files,
// matched without regard to case, the newest spelling kept), and the sessions reopened at a
// start, kept in [RecentOpen] (the session windows' project files in opening order). The main
// window shows the list in its File menu and opens what both name.
class RecentProjects
{
public:
    static constexpr int MaxFiles = 10;

    QStringList files() const { return m_files; }
    // Puts the path at the front of the list.
    void AddToRecentFile(const QString &path);
    // Reads the list from [RecentFile]: only the order of the lines counts, and a line without
    // "=" is a path as it stands. An unreadable section gives an empty list.
    void ReadRecentFileList(ClsIni &ini);
    // Writes the list to [RecentFile].
    void SaveRecentFileList(ClsIni &ini) const;

    // Writes [RecentOpen]: the project-file names of the session windows, in opening order.
    static void SaveOpenSessionList(ClsIni &ini, const QStringList &names);
    // The projects of [RecentOpen] to open again: full paths whose files exist. Untitled
    // sessions were recorded by their "New Project n" names, which are no files.
    static QStringList LastSessions(ClsIni &ini);

    // "&" and the item's number, a blank and the path ("&" doubled); and back ("" for a
    // caption that is no recent-file item).
    static QString RecentFileCaption(int index, const QString &path);
    static QString RecentFilePath(const QString &caption);

private:
    QStringList m_files;
};
