#pragma once

#include "core/ClsMap.h"

#include <QString>

// File and path procedures. Paths are POSIX: "/" between levels; a folder returned as a
// destination ends in "/".
namespace ModFile {

// A file (not a folder) exists at the path. "*" and "?" are ordinary characters of a name.
bool FileExists(const QString &path);
bool FolderExists(const QString &path);
// The open-file dialog. `filter` holds pairs of a description and a pattern, each ended by a
// NUL ("|" is taken as a separator too); the pair "所有文件(*.*)", "*.*" is added when the
// filter has no "*.*". With `multiple` (or the flag 0x200) several files may be chosen and come
// back joined by ",". "" when cancelled. There is no limit on the length of the selection.
QString ShowOpenFileDialog(const QString &initialFolder, const QString &filter,
                           const QString &title, int flags, bool multiple);
// The file name (after the last "/"; the whole path without one); `folder` receives the text up
// to and including the last "/" ("" without one).
QString SplitFilePath(const QString &path, QString &folder);
// The text after the FIRST "." of the file name ("a.b.xls" gives "b.xls"); "" without one.
QString GetFileExtension(const QString &path);
// The text after the LAST "." of the file name ("a.b.xls" gives "xls"); "" without one or for
// a name whose only "." leads it (".profile"). Decide a file's kind by this one.
QString GetLastFileExtension(const QString &path);
// Creates the folder and any missing parents; true when nothing failed.
bool CreateFolderPath(const QString &path);
// Adds folder + name (with "" as value) of every file in the folder that matches the pattern,
// ignoring case, sorted without regard to case. Subfolders are not listed.
void ListFilesToMap(const QString &folder, const QString &pattern, ClsMap &map);
// The path when no file exists there; otherwise the first free name numbered before the file
// name's last extension: /a.b/report.txt -> /a.b/report_1.txt, report_1.txt -> report_2.txt.
QString GetUniqueFileName(const QString &path);
// The owner-write bit is clear; false for a missing path.
bool IsFileReadOnly(const QString &path);

} // namespace ModFile
