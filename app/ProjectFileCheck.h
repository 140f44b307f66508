#pragma once

#include <QString>
#include <functional>

// Whether a name given for a project file (from the open dialog, the recent list, the command
// line, a drop) points at something a session can read, checked before a window opens.
namespace ProjectFileCheck {

// A language text by key, with its built-in default.
using Text = std::function<QString(const char *key, const QString &defaultText)>;

// Why the project cannot be opened, in words for the user; "" when it can (also when no file
// is there yet: a session without its file reads the template). Refused: a name with a line
// break or other control character (no settings or project file can record it), a folder, a
// device or pipe, a file too large to be a project, one that cannot be read, and one holding
// bytes that are no text.
QString Problem(const QString &path, const Text &text);

// The name as a message shows it: control characters as visible symbols, so that a line break
// in a name does not look like the end of it.
QString Shown(const QString &path);

} // namespace ProjectFileCheck
