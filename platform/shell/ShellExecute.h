#pragma once

#include "platform/Seam.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace shell {

// Opening a document with the desktop's program for it ("open" verb) and starting programs with
// an argument vector (never through a command interpreter), behind a seam for tests.
class ShellSeam : public Seam<ShellSeam>
{
public:
    virtual ~ShellSeam() = default;
    // Returns true when the document was handed to a program.
    virtual bool openDocument(const QString &path) = 0;
    // Starts a program detached; returns true when it started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
};

// Through the installed seam, or by default xdg-open and a detached process. False when nothing
// could be started.
bool ShellOpen(const QString &path);
// The same, and `failed` runs when nothing opened the document: at once when nothing could be
// started or the seam refused, or later, from the event loop, when the desktop's opener ends
// with a failure within OpenFailureWindowMs (no program for the file type, or it failed). An
// opener still running after that is taken to have started a program (some wait for the
// program to end), and its later end is not judged.
void ShellOpen(const QString &path, std::function<void()> failed);
inline constexpr int OpenFailureWindowMs = 15000;
// By default SpawnProgram.
bool StartProgram(const QString &program, const QStringList &arguments);

// Starts the program (a path, not looked up on PATH) with exactly these arguments by
// posix_spawn, in a session of its own and with default signal handling, and reaps it when it
// ends so that no zombie is left behind. False, with the reason in *error, when it could not be
// started (missing, not executable, no memory).
bool SpawnProgram(const QString &program, const QStringList &arguments, QString *error = nullptr);

} // namespace shell

extern template class Seam<shell::ShellSeam>;
