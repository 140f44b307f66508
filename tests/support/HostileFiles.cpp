#include "tests/support/HostileFiles.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

HostileFiles::HostileFiles(const QString &folder)
{
    const QString base = QDir(folder).absolutePath() + QLatin1Char('/');
    QDir().mkpath(base);
    m_fifo = base + QStringLiteral("pipe.vrk");
    ::mkfifo(QFile::encodeName(m_fifo).constData(), 0600);
    QDir().mkpath(base + QStringLiteral("folder.vrk"));
    m_specials = {
        {QStringLiteral("a pipe"), m_fifo},
        {QStringLiteral("a folder"), base + QStringLiteral("folder.vrk")},
        {QStringLiteral("an endless device"), QStringLiteral("/dev/zero")},
        {QStringLiteral("a file whose reading fails"), QStringLiteral("/proc/self/mem")},
    };
    if (::geteuid() != 0) {
        const QString closed = base + QStringLiteral("closed.vrk");
        QFile f(closed);
        if (f.open(QIODevice::WriteOnly)) f.write("[LEFT]\r\n");
        f.close();
        ::chmod(QFile::encodeName(closed).constData(), 0);
        m_specials.push_back({QStringLiteral("a file of mode 000"), closed});
    }
}

void HostileFiles::releaseFifo() const
{
    const int fd = ::open(QFile::encodeName(m_fifo).constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::close(fd);
}

bool HostileFiles::makeSparse(const QString &path, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.resize(size);
}

Watchdog::Watchdog(int seconds, std::function<void()> release)
{
    m_thread = std::thread([this, seconds, release = std::move(release)] {
        std::unique_lock<std::mutex> hold(m_lock);
        if (m_wake.wait_for(hold, std::chrono::seconds(seconds), [this] { return m_done; })) return;
        m_fired = true;
        hold.unlock();
        if (release) release();
    });
}

Watchdog::~Watchdog()
{
    disarm();
}

void Watchdog::disarm()
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_done = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

FullDisk::FullDisk(const QString &folder) : m_folder(QDir(folder).absolutePath())
{
    QDir().mkpath(m_folder);
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0,
                        "size=256k,mode=0755") == 0;
}

FullDisk::~FullDisk()
{
    release();
    if (m_mounted) ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void FullDisk::fill()
{
    if (m_mounted) {
        QFile filler(m_folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly)) return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        // The last partial block too, so that not one byte is left.
        for (int i = 0; i < 4096 && filler.write("x", 1) == 1 && filler.flush(); ++i) {
        }
        return;
    }
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    struct rlimit tiny = m_old;
    tiny.rlim_cur = 16;
    m_limited = ::setrlimit(RLIMIT_FSIZE, &tiny) == 0;
}

void FullDisk::release()
{
    if (m_limited) ::setrlimit(RLIMIT_FSIZE, &m_old);
    m_limited = false;
}
