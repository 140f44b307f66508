#include "platform/shell/ShellExecute.h"

#include <QProcess>

template class Seam<shell::ShellSeam>;

namespace shell {

bool ShellOpen(const QString &path)
{
    if (ShellSeam *seam = ShellSeam::installed()) return seam->openDocument(path);
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

bool StartProgram(const QString &program, const QStringList &arguments)
{
    if (ShellSeam *seam = ShellSeam::installed()) return seam->startProgram(program, arguments);
    return QProcess::startDetached(program, arguments);
}

} // namespace shell
