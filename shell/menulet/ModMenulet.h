#pragma once

#include "platform/shell/MenuBitmap.h"

#include <QString>

// Menulet's module procedures: the main program's path, the remembered left file, starting a
// comparison, and the picture beside each command.
namespace ModMenulet {

// HKEY_LOCAL_MACHINE "SOFTWARE\Tarquell\Quorva", value "Path", read with read rights only;
// without it (a user whose store no installer wrote), "Quorva" in `moduleFolder` (ending "/").
QString GetMainProgramPath(const QString &moduleFolder);
// A file (not a folder) with at least one byte.
bool IsNonEmptyFile(const QString &path);

// The folder that holds "Menulet.ini", with a trailing "/": one that belongs to this user alone
// (the runtime folder, else a private folder in the temporary folder). "" with the reason in
// *error when there is none.
QString GetTempDir(QString *error = nullptr);
// [Menulet] LeftFileName of "Menulet.ini" there, written through a temporary file and a rename.
// Only an existing file whose name the file keeps exactly (no line break, no blank at either
// end) is remembered. False with the reason in *error.
bool SaveLeftFileName(const QString &path, QString *error = nullptr);
// The remembered left file; "" when none.
QString LoadLeftFileName();

// Starts the main program with left + "?" + right as its one argument. Every failure shows a
// message: the main program missing ("Can't found file " and its path), a workbook missing or
// a folder, a name that holds "?" (the main program splits its argument there), or a program that
// cannot be started.
void RunCompare(const QString &mainProgram, const QString &left, const QString &right);

// The 16 x 16 picture drawn beside each command (resource 101).
shell::HBITMAP LoadMenuBitmap();
// The picture stretched to the display font's widest character and height; the source is
// deleted.
shell::HBITMAP ScaleMenuBitmap(shell::HBITMAP bitmap);

} // namespace ModMenulet
