#include "platform/shell/ShellExecute.h"

#include <QProcess>

namespace shell {

namespace {
ShellSeam *g_shell = nullptr;
}

void ShellSeam::install(ShellSeam *seam)
{
    g_shell = seam;
}

ShellSeam *ShellSeam::installed()
{
    return g_shell;
}

bool ShellOpen(const QString &path)
{
    if (g_shell) return g_shell->openDocument(path);
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool StartProgram(const QString &program, const QStringList &arguments)
{
    if (g_shell) return g_shell->startProgram(program, arguments);
    return QProcess::startDetached(program, arguments);
}

} // namespace shell
