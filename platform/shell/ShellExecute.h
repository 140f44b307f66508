#pragma once

#include "platform/Seam.h"

#include <QString>
#include <QStringList>

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

// Through the installed seam, or by default xdg-open and a detached process.
bool ShellOpen(const QString &path);
bool StartProgram(const QString &program, const QStringList &arguments);

} // namespace shell

extern template class Seam<shell::ShellSeam>;
