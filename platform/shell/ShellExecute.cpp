#include "platform/shell/ShellExecute.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>
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

namespace {

pid_t spawn(const QString &program, const QStringList &arguments, QString *error);

void reapInBackground(pid_t pid)
{
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// The desktop's opener, started; 0 when it could not be.
pid_t startOpener(const QString &path)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return 0;
    return spawn(opener, {path}, nullptr);
}

// Polls the opener from the event loop until it ends or the judging window closes; the
// timer belongs to the application object, so an opener still running at exit is reaped by a
// thread of its own.
void watchOpener(pid_t pid, std::function<void()> failed)
{
    auto *timer = new QTimer(QCoreApplication::instance());
    auto running = std::make_shared<pid_t>(pid);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QObject::destroyed, [running] {
        if (*running) reapInBackground(*running);
    });
    QObject::connect(timer, &QTimer::timeout, timer, [timer, running, clock, failed] {
        int status = 0;
        const pid_t ended = waitpid(*running, &status, WNOHANG);
        if (ended < 0 && errno == EINTR) return;
        if (ended == 0 && clock.elapsed() < OpenFailureWindowMs) return;
        // Ended, or reaped elsewhere (nothing left to judge), or still running at the end
        // of the window.
        if (ended != 0) *running = 0;
        timer->stop();
        timer->deleteLater();
        const bool succeeded = ended <= 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
        if (!succeeded) failed();
    });
    timer->start(100);
}

} // namespace

bool ShellOpen(const QString &path)
{
    if (ShellSeam *seam = ShellSeam::installed()) return seam->openDocument(path);
    const pid_t pid = startOpener(path);
    if (pid) reapInBackground(pid);
    return pid != 0;
}

void ShellOpen(const QString &path, std::function<void()> failed)
{
    if (ShellSeam *seam = ShellSeam::installed()) {
        if (!seam->openDocument(path)) failed();
        return;
    }
    const pid_t pid = startOpener(path);
    if (!pid) {
        failed();
    } else if (!QCoreApplication::instance()) {
        reapInBackground(pid);
    } else {
        watchOpener(pid, std::move(failed));
    }
}

bool StartProgram(const QString &program, const QStringList &arguments)
{
    if (ShellSeam *seam = ShellSeam::installed()) return seam->startProgram(program, arguments);
    return SpawnProgram(program, arguments);
}

bool SpawnProgram(const QString &program, const QStringList &arguments, QString *error)
{
    const pid_t pid = spawn(program, arguments, error);
    if (pid) reapInBackground(pid);
    return pid != 0;
}

namespace {

pid_t spawn(const QString &program, const QStringList &arguments, QString *error)
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
        return 0;
    }
    return pid;
}

} // namespace

} // namespace shell
