#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the program asks of files and folders (is there one, is it read-only, make, remove,
// list by pattern), answered on POSIX paths.
// Names that hold "*" or "?" are plain names here: only the listing takes patterns.
namespace files {

// A file (or a link to one) exists at the path; folders do not count.
bool isFile(const QString &path);
// A folder (or a link to one) exists at the path.
bool isFolder(const QString &path);
// Creates one folder whose parent exists; false when it cannot be created.
bool createFolder(const QString &path);
bool removeFile(const QString &path);
// Read-only means the owner-write bit is clear (root may write anyway, so access() cannot
// tell). False when the path cannot be examined.
bool isReadOnly(const QString &path);

// A file-name pattern with "*" (any run) and "?" (one character), ignoring case; "*.*" matches
// every name, also one without a ".".
bool matchesPattern(const QString &name, const QString &pattern);
// The names of the entries of a folder that are not folders (hidden files included) and match
// the pattern, sorted without regard to case (ties by code unit) so that lists are stable.
QStringList listFiles(const QString &folder, const QString &pattern);

// Why a whole file could not be read by readFile.
enum class ReadError {
    None,
    Missing,  // nothing at the path
    Folder,   // a folder
    NotAFile, // a device, pipe or socket: reading one may wait for ever or never end
    TooLarge, // more bytes than the caller takes
    Failed,   // the system refused to open or read it (reason in ReadResult::reason)
};

struct ReadResult
{
    QByteArray bytes;
    ReadError error = ReadError::None;
    QString reason; // the system's words for Failed
    bool ok() const { return error == ReadError::None; }
};

// Reads a whole ordinary file of at most maxSize bytes. Never waits: a pipe or device at the
// path (a name in a project may point anywhere) is refused without reading from it.
ReadResult readFile(const QString &path, qint64 maxSize);

// A line break, NUL or other control character in a file name: such a name cannot be written
// into a settings or project file, and shows in lists and titles as something else.
bool holdsControlCharacter(const QString &name);

// The program's own temporary folder, without a trailing "/": "quorva-<uid>" in $TMPDIR (else
// /tmp), created with mode 0700 when missing. The shared temporary folder belongs to every
// user, so the folder is used only when it is a real folder (not a link), the user's own, with
// no access for others (mode bits of others are taken away), in a parent where no other user
// can rename it. One that fails (planted by someone else) is passed over, with a warning, for a
// fresh folder of a random name that lasts for the process. "" when no such folder can be had.
QString tempFolder();

} // namespace files
