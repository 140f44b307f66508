#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

// The installer's system operations: its folders, file sizes and path parts, the folder
// dialog, ending processes by name, deleting a file that a process holds, checking and joining
// paths, copying a file so that running programs keep their copy, and starting programs (always
// with an argument vector, never through a command interpreter).
namespace CorvaleGlobal {

// The folder that shared components are copied to and registered from: $QUORVA_SYSTEM_DIR when
// set, else $XDG_DATA_HOME/quorva/system (~/.local/share/quorva/system). No trailing "/".
QString GetSystemDir();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share; "" without a home folder.
QString XdgDataHome();

// Size in bytes of a regular file; 0 when it cannot be opened (or is no regular file).
qint64 GetFileSizeOf(const QString &path);

// The folder part with its trailing "/" ("" when the path has none, never a lone "/", which
// would name the root); the file name goes to *name when given.
QString ExtractNameParts(const QString &path, QString *name = nullptr);

// The folder dialog. The core shows no windows: the wizard installs the dialog here; without
// one (and in tests that install none) the answer is "cancelled", an empty text.
using FolderBrowser = std::function<QString(QObject *owner, const QString &prompt)>;
void SetFolderBrowser(FolderBrowser browser);
QString BrowseForFolder(QObject *owner, const QString &prompt);

// Ends every process of this user whose executable's file name equals the given one without
// regard to case (found through /proc), never this process itself. Each gets SIGTERM, and
// SIGKILL when it is still there two seconds later. Returns how many were ended. The paths of
// their executables go to *executables when given.
int KillProcessByName(const QString &executableName, QStringList *executables = nullptr);

// Deletes a file. When that fails because the file is busy (EBUSY, ETXTBSY), the processes of
// the executable are ended, the deletion is tried again after 3000 ms, and the first of them is
// started again. Other failures (missing rights, a folder) end nothing: ending processes would
// not help. A file that a process has open or loaded can always be deleted here, so the
// processes are rarely ended. True when the file is gone.
bool DeleteLockedFile(const QString &path, const QString &executableName);

// An install folder the user may name: absolute, not the root itself, without control
// characters.
bool IsValidPath(const QString &path);

// Whether a folder could be installed into: it is a folder this user may write, or it does not
// exist yet and the nearest folder above it may be written.
bool FolderWritable(const QString &folder);

// A whole number as the installer's texts write it: decimal with an optional sign, or hex after
// "$" or "0x" (up to 32 bits, read as their two's complement); blanks around it are allowed.
// False for anything else and for a number out of range.
bool TextToInteger(const QString &text, qint32 *value);

// An absolute path with "." and ".." levels resolved and repeated "/" folded, as the system
// resolves it ("/.." is "/"); no trailing "/" except for the root.
QString CleanAbsolutePath(const QString &path);

// Rules-file paths may use "\" as well as "/" between levels.
QString ToSlashes(const QString &path);

// Joins a path named in the rules file to a folder (which ends in "/"). Refused, with the reason
// in *problem, when it is empty, absolute, holds a ".." level, a NUL or a line break: any of
// them could write outside the folder.
bool JoinInside(const QString &folder, const QString &relative, QString *joined,
                QString *problem = nullptr);

// Copies a file through a temporary file in the target's folder, with the source's mode bits
// and modification time, and renames it into place: a program that has the old file loaded
// keeps its copy, and a failed copy leaves the old file whole. With failIfExists an existing
// target is kept and the copy fails. The reason of a failure goes to *problem.
bool CopyFileReplacing(const QString &source, const QString &target, bool failIfExists,
                       QString *problem = nullptr);

// The first folder level of `path` below `folder` (which ends in "/") that is a symbolic link;
// "" when there is none. The folder itself and the last level of the path are not looked at.
// The installer writes nothing through such a link: one planted in an install folder would
// send a file anywhere the installer may write.
QString LinkedFolderBelow(const QString &folder, const QString &path);

// Removes whatever stands at `path` unless it is a regular file or a folder: a link (which a
// write would follow) or a pipe (which a read would wait on for ever). For files that belong to
// the installer alone, such as its logs in the install folder. False when something is left
// there that is no regular file.
bool ClearForOwnFile(const QString &path);

// The program beside the installer (in `folder`) when it is there and executable, else the one
// that PATH finds; empty when neither exists.
QString FindProgram(const QString &name, const QString &folder);

// Runs a program with its arguments and waits for it (at most timeoutMs; then it is killed).
// True when it ran to its end; its exit code goes to *exitCode and a note with the end of its
// output (or "") to *problem. Otherwise *problem says what went wrong (not started, crashed,
// timed out).
bool RunAndWait(const QString &program, const QStringList &arguments, int timeoutMs, int *exitCode,
                QString *problem = nullptr);

// Starts a file as the desktop would on a double click: an executable file runs (detached,
// without arguments), any other file opens with the desktop's program for it.
bool StartFile(const QString &path, QString *problem = nullptr);

} // namespace CorvaleGlobal
