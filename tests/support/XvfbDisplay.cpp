#include "tests/support/XvfbDisplay.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Starts a program with an argument vector; keepFd stays open in the child. The child gets
// SIGTERM when this process ends, however it ends.
pid_t spawn(const char *program, const QList<QByteArray> &args, int keepFd = -1)
{
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) close(fd);
    }
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program));
    for (const QByteArray &a : args)
        argv.push_back(const_cast<char *>(a.constData()));
    argv.push_back(nullptr);
    execvp(program, argv.data());
    _exit(127);
}

void terminate(pid_t &pid)
{
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

} // namespace

XvfbDisplay::~XvfbDisplay()
{
    stop();
}

bool XvfbDisplay::start(bool withWindowManager)
{
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_server = spawn("Xvfb",
                     {"-displayfd", QByteArray::number(fds[1]), "-screen", "0", "1600x1000x24",
                      "-nolisten", "tcp", "-noreset"},
                     fds[1]);
    close(fds[1]);
    QByteArray number;
    pollfd p{fds[0], POLLIN, 0};
    QElapsedTimer clock;
    clock.start();
    while (!number.endsWith('\n') && clock.elapsed() < 15000) {
        if (poll(&p, 1, 200) <= 0) continue;
        char buf[16];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        number.append(buf, int(n));
    }
    close(fds[0]);
    if (!number.endsWith('\n')) {
        m_error = QStringLiteral("Xvfb did not start (is the xvfb package installed?)");
        stop();
        return false;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", m_display.toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (!withWindowManager) return true;
    m_windowManager = spawn("openbox", {"--sm-disable"});
    if (!waitForWindowManager()) {
        m_error = QStringLiteral("the window manager openbox did not start on %1").arg(m_display);
        stop();
        return false;
    }
    return true;
}

// A window mapped before the manager manages the screen would keep its unmanaged geometry, so
// wait until the manager announces itself on the root window.
bool XvfbDisplay::waitForWindowManager()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        if (!xprop.waitForFinished(5000)) return false;
        if (xprop.readAllStandardOutput().contains("window id")) return true;
        if (waitpid(m_windowManager, nullptr, WNOHANG) == m_windowManager) {
            m_windowManager = -1;
            return false;
        }
        QThread::msleep(20);
    }
    return false;
}

void XvfbDisplay::stop()
{
    terminate(m_windowManager);
    terminate(m_server);
}
