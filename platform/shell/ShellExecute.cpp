#include "platform/shell/ShellExecute.h"

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

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
    return SpawnProgram(program, arguments);
}

bool SpawnProgram(const QString &program, const QStringList &arguments, QString *error)
{
    std::vector<QByteArray> args;
    args.reserve(size_t(arguments.size()) + 1);
    args.push_back(QFile::encodeName(program));
    for (const QString &a : arguments)
        args.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own session: it outlives this process and gets no signal meant for our terminal.
    // Handlers and ignored signals of this process are not its business.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(program, QString::fromLocal8Bit(strerror(rc)));
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace shell
